// The step chain: the hour's meteorology (screening, fixed values, missing
// hours), the gas temperature, the step's rate, H2S fraction and fuel-gas
// ratio, and the release point moved by the flame's reach; then whole runs:
// a point source's stack in the model files, the temperature bounds of a
// valid hour, and the debug-log records of one step.
#include "driver/step_chain.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "common/dates.hpp"
#include "physics/realgas.hpp"
#include "physics/setup.hpp"
#include "test_util.hpp"

namespace quelmar::driver {
namespace {

class StepChain : public ::testing::Test, protected test::TestRun {
 protected:
  StepChain() { init(); }
  // A steady sour-gas flare with fixed meteorology, ready for its steps.
  void init() {
    physics::SETUP1(run->prop, run->stdc);
    physics::INITLOCAL(run->prop, run->stdc, 0);
    run::MOD_READINP& in = run->inp;
    in.MINPUT = 1, in.MBLOWDOWN = 0, in.MDIST = 1, in.MMET = 3, in.MFGR = 1, in.MTGAS = 1;
    in.HS = 20, in.DF = 0.5, in.DS = 0.5, in.ZREF = 10, in.ODOURPPB = 1;
    in.XCOORD = 500, in.YCOORD = 4000;
    in.WINDSP = 3, in.WINDDR = 270, in.TAMB = 288, in.PGCLASS = 4;
    in.RAW(physics::CH4) = 0.95, in.RAW(physics::H2S) = 0.05;
    run->file1.MIXN = in.RAW;
    in.YYS = 2021, in.JDS = 196, in.HHS = 0, in.SSS = 0;
    in.NPUFFS = 1;
    in.PSEQ(1, 1) = 240, in.PSEQ(1, 2) = 3600, in.PSEQ(1, 3) = -1, in.PSEQ(1, 4) = -1;
  }
  // One active step of row 1 with the meteorology of the run start.
  ReleasePoint step(Loop loop = Loop::Calpuff) {
    Clock c;
    pass_start(*run, c);
    chain_start(*run, loop, c, 0);
    return chain_active(*run, loop, 1, 3600);
  }
  // An AERMET surface file of the given records, hour h of 1 January 2021.
  void aermet(const std::vector<std::string>& recs) {
    std::string text = "   header line\n";
    for (const std::string& r : recs) text += r + "\n";
    test::write_file(dir.file("m.sfc"), text);
    run->inp.MMET = 2;
    run->inp.METDAT = dir.file("m.sfc");
    run->inp.YYS = 2021, run->inp.JDS = 1, run->inp.HHS = 0;
    open_list();
  }
  static std::string rec(int hour, double ws, double wd, double zref, double temp, double mol = 100) {
    std::ostringstream s;
    s << "21 1 1 1 " << hour << " -2.7 0.062 -9 -9 -999 37 " << mol << " 0.1 1.5 1.0 " << ws << " " << wd << " "
      << zref << " " << temp << " 10.0";
    return s.str();
  }
};

// Each step rewrites the console line with the record ('+',I4,TR1,I10) of the
// pass and the date-hour: the same text as that layout makes, also for a pass
// number that does not fit its four columns.
TEST_F(StepChain, ProgressRecordOfEveryStep) {
  const io::Layout layout("('+',I4,TR1,I10)");
  Clock c;
  pass_start(*run, c);
  for (const int iloop : {1, 24, 9999, 10000, -12}) {
    out.str("");
    run->file1.ILOOP = iloop;
    chain_start(*run, Loop::Calpuff, c, 0);
    EXPECT_EQ(out.str(), "\r" + layout.text({iloop, run->file1.IDATECUR}).substr(1)) << iloop;
  }
}

TEST_F(StepChain, ReleasePointLiesDownwindByTheFlameReach) {
  struct Case {
    double wd;
    double dx, dy;  // unit direction of the release point from the flare
  };
  const Case cases[] = {{90, -1, 0}, {180, 0, 1}, {0, 0, -1}, {360, 0, -1}, {270, 1, 0}};
  for (const Case& c : cases) {
    run->inp.WINDDR = c.wd;
    const ReleasePoint p = step();
    const double xl_km = run->comb.XL * 0.001;
    ASSERT_GT(xl_km, 0);
    EXPECT_NEAR(p.X, 500 + c.dx * xl_km, 1e-12) << c.wd;
    EXPECT_NEAR(p.Y, 4000 + c.dy * xl_km, 1e-12) << c.wd;
    EXPECT_EQ(p.Z, run->comb.HS_X);
    EXPECT_EQ(run->file1.Q(1), run->comb.QEMIT);
  }
  // A negative fixed direction leaves WD at its start value 0: south of the flare.
  fresh_run();
  init();
  run->inp.WINDDR = -1;
  const ReleasePoint p = step();
  EXPECT_NEAR(p.Y, 4000 - run->comb.XL * 0.001, 1e-12);
  // The AERMOD loop keeps the point at the flare when screening.
  run->inp.MSCREENING = 1;
  const ReleasePoint q = step(Loop::Aermod);
  EXPECT_EQ(q.X, 500);
  EXPECT_EQ(q.Y, 4000);
}

TEST_F(StepChain, RateVolumeAndFuelGasRatioOfTheRow) {
  run::MOD_READINP& in = run->inp;
  in.MINPUT = 2, in.RH2S = 0.02, in.MFGR = 2, in.FGR = 0.3;
  in.PSEQ(1, 1) = 50, in.PSEQ(1, 4) = 0.5;
  run->file1.QMAX0 = 100;
  step();
  const run::MOD_FILE1& f = run->file1;
  EXPECT_EQ(f.QMAX1, 50);
  EXPECT_EQ(f.FGRI, 0.5);
  EXPECT_EQ(f.FGR1, 1.0);  // the fuel gas held at 0.5 x 100 while the raw gas halves
  EXPECT_DOUBLE_EQ(f.MIXN(physics::H2S), 0.02);
  // 240 (10^3 m3/d) over 3600 s is 10 (10^3 m3).
  in.PSEQ(1, 1) = 240;
  step();
  EXPECT_EQ(f.QVOL, 10);
  // Without RH2S the row takes the raw gas's own fraction.
  in.RH2S = 0;
  step();
  EXPECT_DOUBLE_EQ(f.MIXN(physics::H2S), 0.05);
}

TEST_F(StepChain, GasTemperatureBySource) {
  run::MOD_READINP& in = run->inp;
  in.MTGAS = 2, in.TGINIT = 300;  // MTGAS 2 without a vessel behaves like 0
  step();
  EXPECT_EQ(run->stdc.TGAS, 300);
  in.TGINIT = 0;
  step();
  EXPECT_EQ(run->stdc.TGAS, 288);
}

TEST_F(StepChain, ScreeningRoundsWindAndTemperature) {
  aermet({rec(1, 3.74, 200, 10, 288.9), rec(2, 0.4, 200, 10, 270.5)});
  run->inp.MSCREENING = 1;
  Clock c;
  pass_start(*run, c);
  chain_start(*run, Loop::Aermod, c, 0);
  EXPECT_EQ(run->file1.WS, 3.5);
  EXPECT_EQ(run->stdc.TAMBH, 288.0);
  common::INCRS(run->units, io::LST, c.yr, c.jul, c.hr, c.sec, 3600);
  common::MKDAT(c.yr, c.jul, c.hr, run->file1.IDATECUR);
  chain_start(*run, Loop::Aermod, c, 1);
  EXPECT_EQ(run->file1.WS, 0.0);
  EXPECT_EQ(run->stdc.TAMBH, 270.0);
}

TEST_F(StepChain, MissingHoursTakeTheLastValidHour) {
  // Hour 1 missing (before any valid hour), hour 2 valid, hour 3 missing in
  // everything, hour 4 with only the temperature missing, hour 5 calm.
  aermet({rec(1, 999, 999, -9, 999, -99999), rec(2, 4.0, 250, 10, 280), rec(3, 999, 999, -9, 999, -99999),
          rec(4, 5.0, 100, 10, 999), rec(5, 0.0, 0, 10, 281)});
  Clock c;
  pass_start(*run, c);
  struct Expect {
    double ws, wd, t, zref;
    int ipg;
  };
  // The valid hours are of class 5 (Monin-Obukhov length 100 m, roughness 0.1 m).
  const Expect expected[] = {{0, 0, 288.15, 10, 4}, {4, 250, 280, 10, 5}, {4, 250, 280, 10, 5},
                             {4, 250, 280, 10, 5}, {0, 0, 281, 10, 5}};
  for (int h = 0; h < 5; ++h) {
    chain_start(*run, Loop::Aermod, c, h);
    const Expect& e = expected[h];
    EXPECT_EQ(run->file1.WS0, e.ws) << h;
    EXPECT_EQ(run->file1.WD, e.wd) << h;
    EXPECT_EQ(run->file1.TAMB0, e.t) << h;
    EXPECT_EQ(run->met.ANEM_HT, e.zref) << h;
    EXPECT_EQ(run->file1.IPG0, e.ipg) << h;
    chain_active(*run, Loop::Aermod, 1, 3600);
    common::INCRS(run->units, io::LST, c.yr, c.jul, c.hr, c.sec, 3600);
    common::MKDAT(c.yr, c.jul, c.hr, run->file1.IDATECUR);
  }
  EXPECT_EQ(run->file1.missing.count, 3);
  warn_missing_meteorology(*run, io::LST);
  EXPECT_EQ(list_records().back(),
            " WARNING: meteorology missing in           3 hours; the last valid hour was used");
}

TEST_F(StepChain, MissingDirectionsTakeTheRememberedDirection) {
  // AERMET writes 999 for a direction it does not have, also beside a valid
  // speed. Such an hour keeps its own speed, temperature, class and height and
  // takes the direction of the step before it, as that step used it.
  aermet({rec(1, 3.0, 999, 10, 285),          // before any valid hour: direction 0
          rec(2, 4.0, 250, 10, 280),          // valid
          rec(3, 5.0, 999, 10, 283),          // direction only, two half-hour steps
          rec(4, 999, 999, -9, 999, -99999),  // all missing: hour 3 as it was used
          rec(5, 2.0, -5, 12, 284),           // negative direction, own height 12 m
          rec(6, 2.5, 360, 10, 286),          // 360 is a direction
          rec(7, 1.0, 0, 10, 287),            // and so is 0
          rec(8, 3.5, 360.5, 10, 288)});      // just above 360
  Clock c;
  pass_start(*run, c);
  struct Expect {
    double ws, wd, t, zref;
    int ipg;
    int steps;  // steps of 3600 / steps seconds in the hour
  };
  // Class 5 from the Monin-Obukhov length of 100 m over a roughness of 0.1 m;
  // the start values are calm, 0 degrees, 288.15 K, class 4, 10 m.
  const Expect expected[] = {{3.0, 0, 285, 10, 5, 1},   {4.0, 250, 280, 10, 5, 1}, {5.0, 250, 283, 10, 5, 2},
                             {5.0, 250, 283, 10, 5, 1}, {2.0, 250, 284, 12, 5, 1}, {2.5, 360, 286, 10, 5, 1},
                             {1.0, 0, 287, 10, 5, 1},   {3.5, 0, 288, 10, 5, 1}};
  for (int h = 0; h < 8; ++h) {
    const Expect& e = expected[h];
    for (int k = 0; k < e.steps; ++k) {
      SCOPED_TRACE("hour " + std::to_string(h + 1) + " step " + std::to_string(k + 1));
      chain_start(*run, Loop::Calpuff, c, h);
      EXPECT_EQ(run->file1.WS0, e.ws);
      EXPECT_EQ(run->file1.WD, e.wd);
      EXPECT_EQ(run->file1.TAMB0, e.t);
      EXPECT_EQ(run->met.ANEM_HT, e.zref);
      EXPECT_EQ(run->file1.IPG0, e.ipg);
      const ReleasePoint p = chain_active(*run, Loop::Calpuff, 1, 3600 / e.steps);
      if (h == 2) {
        // Wind from 250 degrees: the flame leans towards 70 degrees, east-north-east.
        const double xl_km = run->comb.XL * 0.001;
        ASSERT_GT(xl_km, 0);
        EXPECT_NEAR(p.X, 500 + xl_km * 0.93969262078590838, 1e-12);
        EXPECT_NEAR(p.Y, 4000 + xl_km * 0.34202014332566873, 1e-12);
      }
      common::INCRS(run->units, io::LST, c.yr, c.jul, c.hr, c.sec, 3600 / e.steps);
      common::MKDAT(c.yr, c.jul, c.hr, run->file1.IDATECUR);
    }
  }
  // Hours 1, 3, 4, 5 and 8, hour 3 once for its two steps.
  EXPECT_EQ(run->file1.missing.count, 5);
  warn_missing_meteorology(*run, io::LST);
  EXPECT_EQ(list_records().back(),
            " WARNING: meteorology missing in           5 hours; the last valid hour was used");
}

TEST_F(StepChain, FixedDirectionOutsideTheCircleIsMissing) {
  // A fixed direction above 360 degrees or infinite is no direction: the step
  // takes the start direction 0 and the release point lies south of the flare.
  for (double wd : {400.0, std::numeric_limits<double>::infinity()}) {
    fresh_run();
    init();
    run->inp.WINDDR = wd;
    const ReleasePoint p = step();
    EXPECT_EQ(run->file1.WD, 0) << wd;
    EXPECT_EQ(run->file1.WS0, 3) << wd;
    EXPECT_NEAR(p.X, 500, 1e-12) << wd;
    EXPECT_NEAR(p.Y, 4000 - run->comb.XL * 0.001, 1e-12) << wd;
    EXPECT_EQ(run->file1.missing.count, 1) << wd;
  }
}

TEST_F(StepChain, NothingReachesAClosedDebugLog) {
  run->inp.MFGR = 2;
  run->file1.QMAX0 = 100;
  step();
  EXPECT_FALSE(run->units.is_open(io::LOG));
  EXPECT_EQ(out.str().find("fgri="), std::string::npos);
}

// ------------------------------------------------------------ whole runs

using test::file_records;
using test::kCalpuffFlareFile;
using test::kSteadySourFlare;
using test::ProcessResult;
using test::run_quelmar;
using test::starting_with;
using test::TempDir;
using test::write_file;

// A control file of the steady flare from 1 January 2021 00:00 to `end_hour`
// of that day; `extra` comes first, so that its lines win over those below.
// CALPUFF unless `extra` names the model.
std::string control(const std::string& extra, int end_hour) {
  return "QUELMAR 1\n" + extra + kSteadySourFlare + kCalpuffFlareFile +
         "! YYS = 2021 !\n! MMS = 1 !\n! DDS = 1 !\n! HHS = 0 !\n! YYE = 2021 !\n! MME = 1 !\n! DDE = 1 !\n"
         "! HHE = " + std::to_string(end_hour) + " !\n";
}

// A point source of one hour: a stack 35 m high and 1.25 m wide releasing
// gas at 12.5 m/s and 450 K, 7.5 g/s of the first species (the first EMIT value).
const std::string kPointSource =
    "! MINPUT = 3 !\n! PSHS = 35 !\n! PSDS = 1.25 !\n! PSUS = 12.5 !\n! PSTS = 450 !\n! EMIT = 7.5, 0.25 !\n";

// A point source takes its stack from the PS keywords: no flame, so the release
// point is the stack itself, on both paths.
TEST(StepChainRun, PointSourceRecordsCarryTheStackKeywords) {
  TempDir dir;
  write_file(dir.file("run.inp"), control(kPointSource, 0));
  ProcessResult r = run_quelmar(dir.path(), "run.inp");
  ASSERT_EQ(r.status, 0) << r.out;
  const auto flare = file_records(dir.file("out_01.dat"));
  ASSERT_EQ(flare.size(), 19u + 2);
  EXPECT_EQ(flare[19], "   2021   1  0    0   2021   1  1    0");
  // X, Y at the stack; Z PSHS; elevation ZCOORD; D PSDS; T PSTS; W PSUS; the
  // rates QPS and the constant 0.25.
  EXPECT_EQ(flare[20],
            "'F1'  500.00000 4000.00000    35.0000    100.000     1.25000  450.00000   0.00000   0.00000  12.50000"
            "           0.000           0.000   7.5000000      0.25000000    ");

  write_file(dir.file("run.inp"), control("! MDSPMOD = 2 !\n! NSOURCES = 1 !\n" + kPointSource, 0));
  r = run_quelmar(dir.path(), "run.inp");
  ASSERT_EQ(r.status, 0) << r.out;
  const auto inx = file_records(dir.file("out_mod_01.inx"));
  EXPECT_EQ(starting_with(inx, "SO LOCATION"),
            std::vector<std::string>{"SO LOCATION SOURCE1      POINT     500000.0     4000000.0         100.0"});
  EXPECT_EQ(starting_with(inx, "SO SRCPARAM"),
            std::vector<std::string>{"SO SRCPARAM SOURCE1          0.000     35.000    450.000     12.500      1.250"});
  // The group's diameter is the stack's own: the hour keeps its velocity and temperature.
  EXPECT_EQ(file_records(dir.file("out_mod_01.dat")),
            std::vector<std::string>{"SO HOUREMIS  21   1   1   1 SOURCE1     0.750000E+01 0.450000E+03 0.125000E+02"});
}

// Temperatures from 150 K to 400 K, both bounds included, are hours of their
// own; outside, the hour is missing and takes the last valid hour. A row
// without rate writes the bare stack at the hour's ambient temperature
// (columns 62 to 71 of the source line, F10.5) in every hour.
TEST(StepChainRun, TemperaturesUpToFourHundredKelvinAreValid) {
  struct Hour {
    const char* temp;  // in the AERMET surface file
    const char* t;     // in the flare file
  };
  const Hour hours[] = {{"290", " 290.00000"}, {"400", " 400.00000"},    {"300", " 300.00000"},
                        {"400.01", " 300.00000"}, {"150", " 150.00000"}, {"149.99", " 150.00000"}};
  TempDir dir;
  std::string sfc = "   header line\r\n";
  for (int h = 1; h <= 6; ++h)
    sfc += "21 1 1 1 " + std::to_string(h) + " -2.7 0.062 -9 -9 -999 37 100 0.1 1.5 1.0 3.0 270 10 " +
           hours[h - 1].temp + " 10.0\r\n";
  write_file(dir.file("m.sfc"), sfc);
  write_file(dir.file("run.inp"), control("! MMET = 2 !\n! METDAT = m.sfc !\n! MINPUT = 2 !\n! NSEQ = 1 !\n"
                                          "! SEQ = 0, 3600, -1, -1 !\n",
                                          5));
  ASSERT_EQ(run_quelmar(dir.path(), "run.inp").status, 0);
  const auto recs = file_records(dir.file("out_01.dat"));
  ASSERT_EQ(recs.size(), 19u + 2 * 6);
  for (std::size_t h = 0; h < 6; ++h) EXPECT_EQ(recs[20 + 2 * h].substr(61, 10), hours[h].t) << hours[h].temp;
  EXPECT_NE(test::read_file(dir.file("run.lst"))
                .find(" WARNING: meteorology missing in           2 hours; the last valid hour was used\r\n"),
            std::string::npos);
}

// The debug-log records of one step of the point source, free-format records:
// a blank, then each text as it stands, an integer in 12 columns, a double
// with 15 significant digits in 19 columns and 5 blanks, or (zero) in the
// exponent form in 24 columns. The plume points and fluxes by hand from the
// plume-rise formulas (python): neutral class, wind 3 m/s at 10 m becomes
// 3*(35/10)^0.10 at 35 m; FB = g*12.5*1.25^2*(450-288)/(4*450) = 17.238251953125,
// FM = 12.5^2*1.25^2*288/(4*450) = 39.0625; buoyant final rise
// 21.425*FB^0.75/US = 50.0678897515849 reached at XF = 49*FB^0.625 = 290.405170893986 m
// (beyond XMAX = 60.3 m), with the gradual rise at 0.333 and 0.667 of XF.
TEST(StepChainRun, DebugLogRecordsOfOneStep) {
  const std::string zero = "  0.000000000000000E+000";
  auto real = [](const char* digits) { return std::string(19 - std::string(digits).size(), ' ') + digits + "     "; };
  const std::string dashes = " ---------------------------------";
  const std::vector<std::string> middle = {
      " tamb=" + real("288.000000000000"),
      " ws=" + real("3.00000000000000"),
      " ipg=           4",
  };
  // Fuel gas by the reference rate (MFGR 2): no fuel gas, and no reference rate for a point source.
  const std::vector<std::string> active = {
      " fgri=" + zero,
      " fgr1=" + zero,
      " qmax0=" + zero,
      " qmax1=" + real("7.50000000000000"),
      " qmax=" + real("7.50000000000000"),
      " fgr1=" + zero,
      " qemit=" + real("7.50000000000000"),
      " extemp=" + real("450.000000000000"),
      " ue_x=" + real("12.5000000000000"),
      " de_x=" + real("1.25000000000000"),
      " hs_x=" + real("35.0000000000000"),
      " ipg=           4",
      " FBisc,FMisc" + real("17.2382519531250") + real("39.0625000000000"),
      " DELH",
      " Hs" + zero + real("20.0000000000000"),  // the flare tip HS
      " XL" + zero + real("35.0000000000000"),
      " XF*1/3" + real("96.7049219076973") + real("59.0537935522033"),
      " XF*2/3" + real("193.700248986289") + real("73.2212111683385"),
      " XF" + real("290.405170893986") + real("85.0678897515849"),
  };
  // What each loop writes before the hour's meteorology, and after it before
  // the flare step (the gas temperature) and after the plume points (the
  // release point's offset, none without a flame, and its height; then the
  // CALPUFF run ends, while the AERMOD loop goes on to its groups).
  struct Case {
    const char* model;
    std::vector<std::string> start, gas, after;
  };
  const Case cases[] = {
      {"! MDSPMOD = 1 !\n",
       {dashes, " iloop:            1           0", dashes, " ", " idatecur,isec,   202100100           0"},
       {" tgas =" + real("288.000000000000")},
       {" x,y,z" + zero + zero + real("35.0000000000000"), " Program Terminated"}},
      {"! MDSPMOD = 2 !\n! NSOURCES = 1 !\n",
       {dashes, " iloop:            1           0", dashes, "    202100100"},
       {},
       {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.model);
    TempDir dir;
    write_file(dir.file("run.inp"),
               control(std::string(c.model) + "! MDEBUG = 1 !\n! LOGDAT = run.log !\n" + kPointSource, 0));
    ASSERT_EQ(run_quelmar(dir.path(), "run.inp").status, 0);
    std::vector<std::string> expected = c.start;
    for (const auto* part : {&middle, &c.gas, &active, &c.after})
      expected.insert(expected.end(), part->begin(), part->end());
    const auto log = file_records(dir.file("run.log"));
    EXPECT_EQ(std::count(log.begin(), log.end(), dashes), 2);  // one step
    const auto first = std::find(log.begin(), log.end(), dashes);
    ASSERT_GE(log.end() - first, static_cast<std::ptrdiff_t>(expected.size()));
    const std::vector<std::string> got(first, first + static_cast<std::ptrdiff_t>(expected.size()));
    for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(got[i], expected[i]) << i;
    if (!c.after.empty()) {
      EXPECT_EQ(log.back(), c.after.back());
    }
  }
}

}  // namespace
}  // namespace quelmar::driver
