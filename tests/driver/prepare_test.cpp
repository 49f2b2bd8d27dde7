// Run preparation: constants and site pressure, steam-assist values, period,
// raw gas at the run's H2S fraction, the step table of every source type, the
// reference rate QMAX0, the debug-log records, the error end and the refusals.
//
// Expected numbers: the worked figures of the run preparation and the release
// models, and python3 evaluations of the formulas (in the comments).
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "driver/prepare.hpp"
#include "io/format.hpp"
#include "io/stop.hpp"
#include "physics/run_types.hpp"
#include "test_util.hpp"

namespace quelmar::driver {
namespace {

namespace ph = quelmar::physics;

// A run as the input checks leave it: list file and debug log open, a period
// of 2020-03-01 05h to 2021-03-01 23h, a raw gas of 0.9 methane and 0.1 H2S.
struct Bench : test::ListedRun {
  explicit Bench(bool log = true) {
    if (log) {
      EXPECT_TRUE(run->units.open_write(io::LOG, dir.file("run.log")));
      run->stdc.LOGON = 1;
    }
    auto& in = run->inp;
    in.YYS = 2020, in.MMS = 3, in.DDS = 1, in.HHS = 5;
    in.YYE = 2021, in.MME = 3, in.DDE = 1, in.HHE = 23;
    in.RAW(ph::CH4) = 0.9;
    in.RAW(ph::H2S) = 0.1;
    in.STM_PRESS = -1.0, in.STM_TEMP = -1.0;  // as the reader leaves them
    in.MDIST = 1;
    in.PSEQ.fill(7.0);
  }
  std::vector<std::string> log() {
    run->units.close(io::LOG);
    return test::file_records(dir.file("run.log"));
  }
  // Pure methane at the H2S fraction of the gas itself (0).
  void methane() {
    run->inp.RAW(ph::CH4) = 1.0;
    run->inp.RAW(ph::H2S) = 0.0;
  }
  // The vessel of the release-model tests: 1000 kPa gauge down to 100, 2 m x 10 m,
  // orifice 50 mm, CD 0.8, puffs of 60 s.
  void vessel(double tempinit) {
    methane();
    auto& in = run->inp;
    in.MINPUT = 1, in.MBLOWDOWN = 1;
    in.PRESSINIT = 1000, in.PRESSFINAL = 100, in.TEMPINIT = tempinit;
    in.VESSELDIA = 2, in.VESSELLEN = 10, in.ORIFICEDIA = 50, in.DISCHARGECOEF = 0.8;
    in.PUFFDUR = 60, in.NPUFFS = 0;
  }
};

std::string rtrim(std::string s) {
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}

TEST(PrepareRunTest, ConstantsSitePressurePeriodAndRawGas) {
  Bench b;
  auto& in = b.run->inp;
  in.ZCOORD = 500;
  in.RH2S = 0.02;
  in.MINPUT = 3;
  ASSERT_TRUE(prepare_run(*b.run));
  EXPECT_EQ(b.run->stdc.TREF, 288.15);  // SETUP1 ran
  EXPECT_NEAR(b.run->stdc.VM, 23.6448300362285, 1e-12);
  EXPECT_EQ(b.run->stdc.TAMBH, 0.0);  // no ambient temperature before the meteorology
  // python3: 101.325*(1-0.0065*500/288.15)**(9.80665*0.02896551561/(8.31446261815324*0.0065))
  EXPECT_NEAR(b.run->stdc.PLOCAL, 95.460717764, 1e-8);
  EXPECT_EQ(in.JDS, 61);  // 2020 is a leap year
  EXPECT_EQ(in.IDATES, 202006105);
  EXPECT_EQ(in.JDE, 60);
  EXPECT_EQ(in.IDATEE, 202106023);
  // RH2S 0.02: H2S at 0.02, methane rescaled to fill the rest.
  EXPECT_NEAR(b.run->file1.MIXN(ph::H2S), 0.02, 1e-15);
  EXPECT_NEAR(b.run->file1.MIXN(ph::CH4), 0.98, 1e-15);

  // RH2S not given: the raw gas keeps its own H2S fraction.
  Bench own;
  own.run->inp.MINPUT = 3;
  ASSERT_TRUE(prepare_run(*own.run));
  EXPECT_NEAR(own.run->file1.MIXN(ph::H2S), 0.1, 1e-15);
  EXPECT_NEAR(own.run->file1.MIXN(ph::CH4), 0.9, 1e-15);
}

TEST(PrepareRunTest, ImpossibleDateStopsTheRun) {
  Bench b;
  b.run->inp.MINPUT = 3;
  b.run->inp.MME = 13;
  EXPECT_THROW(prepare_run(*b.run), io::Stop);
}

// Steam assist. python3 (IAPWS-IF97 region 4, site pressure as above):
//   psat(473.15) = 1554.67186827, psat(453.15) = 1002.63456881 kPa,
//   tsat(595.460717764) = 431.68584709 K; 1 kg/s = 1/18.0153*VM*0.001*3600*24 = 113.398795198.
TEST(PrepareRunTest, SteamAssistValues) {
  const struct {
    const char* what;
    int assist, steam, massvol;
    double flow, press, temp, z;
    double e_flow, e_press, e_temp;
  } cases[] = {
      {"neither pressure nor temperature", 1, 1, 0, 50, -1, -1, 500, 50, 1554.67186827, 473.15},
      {"gauge pressure only", 1, 1, 0, 50, 500, -1, 500, 50, 595.460717764, 431.68584709},
      {"both given", 1, 1, 0, 50, 300, 450, 500, 50, 395.460717764, 450},
      {"temperature only", 1, 1, 0, 50, -1, 453.15, 0, 50, 1002.63456881, 453.15},
      {"mass flow of 1 kg/s", 1, 1, 1, 1, 300, 450, 0, 113.398795198, 401.325, 450},
      {"mass flow of 2.5 kg/s", 1, 1, 1, 2.5, 300, 450, 0, 283.496987995, 401.325, 450},
      {"steam assist off", 1, 0, 1, 1, -1, -1, 500, 1, -1, -1},
      {"assist off", 0, 1, 1, 1, 500, -1, 500, 1, 500, -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Bench b;
    auto& in = b.run->inp;
    in.MINPUT = 3;
    in.MFASSIST = c.assist, in.MFASSISTSTEAM = c.steam, in.STM_IMASSVOL = c.massvol;
    in.STM_FLOW = c.flow, in.STM_PRESS = c.press, in.STM_TEMP = c.temp, in.ZCOORD = c.z;
    ASSERT_TRUE(prepare_run(*b.run));
    EXPECT_NEAR(in.STM_FLOW, c.e_flow, 1e-9);
    // The saturation line agrees with IF97 to about 1e-8 relative.
    EXPECT_NEAR(in.STM_PRESS, c.e_press, 1e-7 * std::fabs(c.e_press));
    EXPECT_NEAR(in.STM_TEMP, c.e_temp, 1e-6);
  }
  // The worked figure: 1 kg/s is 113.399 (10^3 m3/d).
  Bench b;
  b.run->inp.MINPUT = 3;
  b.run->inp.MFASSIST = b.run->inp.MFASSISTSTEAM = b.run->inp.STM_IMASSVOL = 1;
  b.run->inp.STM_FLOW = 1;
  ASSERT_TRUE(prepare_run(*b.run));
  EXPECT_NEAR(b.run->inp.STM_FLOW, 113.399, 5e-4);
}

// The step table of each source type.
struct StepCase {
  const char* what;
  void (*setup)(Bench&);
  int npuffs, puffdur;
  std::vector<std::vector<double>> rows;  // rate, duration (, h2s, fgr: -1 unless given)
  double qmax0;
  double tol;
};

const StepCase kStepCases[] = {
    {"steady release, duration raised to TIMEINC",
     [](Bench& b) {
       auto& in = b.run->inp;
       in.MINPUT = 1, in.MBLOWDOWN = 0, in.QMAX = 240, in.TIMEINC = 3600, in.PUFFDUR = 600, in.NPUFFS = 1;
     },
     1, 3600, {{240, 3600}}, 240, 0},
    {"steady release, own duration",
     [](Bench& b) {
       auto& in = b.run->inp;
       in.MINPUT = 1, in.MBLOWDOWN = 0, in.QMAX = 240, in.TIMEINC = 0, in.PUFFDUR = 1800, in.NPUFFS = 1;
     },
     1, 1800, {{240, 1800}}, 240, 0},
    // python3: vessel at 288.15 K: QMAX 381.174042847, QTOTAL 0.341467014973, FREL 0.817197466688,
    // TEND 131.529 s, two puffs of 60 s.
    {"vessel, TEMPINIT < 0 with a meteorological file: at TREF", [](Bench& b) { b.vessel(-1); }, 2, 60,
     {{265.2233096, 60}, {122.1653159, 60}}, 381.174042847, 5e-7},
    // TEMPINIT 0 (not given) is the ambient temperature too, as the input checks announce.
    {"vessel, TEMPINIT 0 with a meteorological file: at TREF", [](Bench& b) { b.vessel(0); }, 2, 60,
     {{265.2233096, 60}, {122.1653159, 60}}, 381.174042847, 5e-7},
    // python3: vessel at 280 K: QMAX 386.681695966, TEND 133.430 s.
    {"vessel, TEMPINIT < 0 with fixed meteorology: at TAMB",
     [](Bench& b) {
       b.vessel(-1);
       b.run->inp.MMET = 3;
       b.run->inp.TAMB = 280;
     },
     2, 60, {{270.3553891, 60}, {125.9118173, 60}}, 386.681695966, 5e-7},
    // The worked table: tau 3600 s, FREL 0.9, PUFFDUR 3600.
    {"decay by rate, volume and fraction",
     [](Bench& b) {
       auto& in = b.run->inp;
       in.MINPUT = 1, in.MBLOWDOWN = 2, in.QMAX = 240, in.QTOTAL = 10, in.FREL = 0.9, in.PUFFDUR = 3600;
     },
     2, 3600, {{151.7089341189, 3600}, {55.8105979044, 3600}}, 240, 5e-9},
    // python3: q=-(100*ln(0.4))=91.6290731874; tau=60/ln(2) min; qt=q*tau/1440=5.5080337287;
    // TEND=4758.9 s, three puffs of 1800 s.
    {"decay by pressure ratio, derived rate",
     [](Bench& b) {
       auto& in = b.run->inp;
       in.MINPUT = 1, in.MBLOWDOWN = 3, in.QMAX = 100, in.FREL = 0.6, in.PRATIO = 0.5, in.TDEP = 60;
       in.PUFFDUR = 1800;
     },
     3, 1800, {{77.43675495, 1800}, {54.75605454, 1800}, {26.4385619, 1800}}, 100, 5e-8},
    // python3: tau=60/ln(2)=86.5617 min; qt=100*tau/1440=6.0112293; equal volume, 3 puffs.
    {"decay by pressure ratio from QMAX, equal volume",
     [](Bench& b) {
       auto& in = b.run->inp;
       in.MINPUT = 1, in.MBLOWDOWN = 4, in.MDIST = 2, in.QMAX = 100, in.FREL = 0.9, in.PRATIO = 0.5;
       in.TDEP = 60, in.NPUFFS = 3, in.PUFFDUR = 77;
     },
     3, 77, {{84.11019756, 1852.463422}, {53.60820879, 2906.477719}, {21.64042561, 7200}}, 100, 5e-6},
    {"user sequence",
     [](Bench& b) {
       auto& in = b.run->inp;
       in.MINPUT = 2, in.NSEQ = 2, in.MFGR = 1, in.QMAX = 80;
       const double rows[2][4] = {{100, 1800, -1, 0.5}, {50, 3600, 0.02, -1}};
       for (int i = 1; i <= 2; ++i)
         for (int j = 1; j <= 4; ++j) in.PSEQ(i, j) = rows[i - 1][j - 1];
     },
     2, 0, {{100, 1800, -1, 0.5}, {50, 3600, 0.02, -1}}, 100, 0},
    {"user sequence starting at 0 with MFGR 1",
     [](Bench& b) {
       auto& in = b.run->inp;
       in.MINPUT = 2, in.NSEQ = 1, in.MFGR = 1, in.QMAX = 80;
       in.PSEQ(1, 1) = 0, in.PSEQ(1, 2) = 600, in.PSEQ(1, 3) = -1, in.PSEQ(1, 4) = -1;
     },
     1, 0, {{0, 600}}, 0, 0},
    {"point source, TIMEINC 0",
     [](Bench& b) {
       auto& in = b.run->inp;
       in.MINPUT = 3, in.PUFFDUR = 3600, in.NPUFFS = 1, in.QPS = 2.5, in.TIMEINC = 0;
       b.run->file1.QMAX0 = 0;
     },
     1, 3600, {{2.5, 3600}}, 0, 0},
    {"point source, TIMEINC 7200",
     [](Bench& b) {
       auto& in = b.run->inp;
       in.MINPUT = 3, in.PUFFDUR = 3600, in.NPUFFS = 1, in.QPS = 2.5, in.TIMEINC = 7200, in.QMAX = 50;
       b.run->file1.QMAX0 = 0;
     },
     1, 7200, {{2.5, 7200}}, 0, 0},
};

TEST(PrepareRunTest, StepTableOfEachSourceType) {
  for (const auto& c : kStepCases) {
    SCOPED_TRACE(c.what);
    Bench b;
    c.setup(b);
    ASSERT_TRUE(prepare_run(*b.run));
    const auto& in = b.run->inp;
    EXPECT_EQ(in.NPUFFS, c.npuffs);
    if (in.MINPUT != 2) {
      EXPECT_EQ(in.PUFFDUR, c.puffdur);
    }
    for (int i = 1; i <= c.npuffs; ++i) {
      const auto& r = c.rows[static_cast<std::size_t>(i - 1)];
      EXPECT_NEAR(in.PSEQ(i, 1), r[0], c.tol * std::max(1.0, r[0])) << "row " << i;
      EXPECT_NEAR(in.PSEQ(i, 2), r[1], c.tol * r[1]) << "row " << i;
      EXPECT_EQ(in.PSEQ(i, 3), r.size() > 2 ? r[2] : -1) << "row " << i;
      EXPECT_EQ(in.PSEQ(i, 4), r.size() > 3 ? r[3] : -1) << "row " << i;
    }
    EXPECT_EQ(in.PSEQ(c.npuffs + 1, 1), 7.0);
    EXPECT_NEAR(b.run->file1.QMAX0, c.qmax0, 1e-8 * std::max(1.0, c.qmax0));
    EXPECT_TRUE(b.out.str().empty());
  }
}

TEST(PrepareRunTest, SteadyReleaseVolume) {
  Bench b;
  auto& in = b.run->inp;
  in.MINPUT = 1, in.MBLOWDOWN = 0, in.QMAX = 240, in.TIMEINC = 3600, in.PUFFDUR = 600;
  ASSERT_TRUE(prepare_run(*b.run));
  EXPECT_DOUBLE_EQ(in.QTOTAL, 10.0);  // QMAX/24
}

TEST(PrepareRunTest, VesselFieldsAndTemperatures) {
  // The vessel fields of the first table, from the vessel at TREF (TEMPINIT < 0, no fixed meteorology).
  Bench b;
  b.vessel(-1);
  ASSERT_TRUE(prepare_run(*b.run));
  const auto& in = b.run->inp;
  EXPECT_NEAR(in.QMAX / 381.174042847, 1, 1e-8);
  EXPECT_NEAR(in.QTOTAL / 0.341467014973, 1, 1e-8);
  EXPECT_NEAR(in.FREL, 0.817197466688, 1e-11);
  EXPECT_NEAR(b.run->file1.TFINAL, 249.727869445, 1e-6);  // choked throat
  EXPECT_EQ(b.run->file1.QMAX0, in.QMAX);
  EXPECT_EQ(b.run->stdc.TAMBH, 0.0);

  // A vessel temperature that is given is used as it is (python3: QMAX 373.57000914 at 300 K).
  Bench t;
  t.vessel(300);
  t.run->inp.MMET = 3;
  t.run->inp.TAMB = 250;
  ASSERT_TRUE(prepare_run(*t.run));
  EXPECT_NEAR(t.run->inp.QMAX / 373.57000914, 1, 1e-8);
  EXPECT_NEAR(t.run->inp.QTOTAL / 0.327979067882, 1, 1e-8);
}

TEST(PrepareRunTest, DecayFourHandsTheVolume6p0112ToThePuffTable) {
  // QMAX 100, PRATIO 0.5, TDEP 60: tau 86.5617 min, volume 100*86.5617/1440 = 6.0112.
  // The equal-volume rows together carry FREL times that volume, over -tau*ln(1-FREL).
  Bench b;
  auto& in = b.run->inp;
  in.MINPUT = 1, in.MBLOWDOWN = 4, in.MDIST = 2, in.QMAX = 100, in.FREL = 0.9, in.PRATIO = 0.5, in.TDEP = 60;
  in.NPUFFS = 5;
  in.QTOTAL = 33;
  ASSERT_TRUE(prepare_run(*b.run));
  double volume = 0, duration = 0;
  for (int i = 1; i <= 5; ++i) {
    volume += in.PSEQ(i, 1) * in.PSEQ(i, 2) / 86400;
    duration += in.PSEQ(i, 2);
  }
  EXPECT_NEAR(volume / 0.9, 6.0112, 5e-5);
  EXPECT_NEAR(duration, 86.5617 * 60 * std::log(10.0), 0.05);
  EXPECT_EQ(in.QMAX, 100);  // the fields keep their values
  EXPECT_EQ(in.QTOTAL, 33);
}

TEST(PrepareRunTest, DebugLogOfTheStepTable) {
  // G11.4 fields: 240 -> "  240.0    ", 3600 -> "  3600.    ", -1 -> " -1.000    ", each followed by TR1.
  const std::string heading = " pseq qmax,duration(s),h2s,fgr   ip=start";
  {
    Bench b;
    kStepCases[0].setup(b);
    ASSERT_TRUE(prepare_run(*b.run));
    const auto log = b.log();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0], heading);
    EXPECT_EQ(rtrim(log[1]), rtrim("  240.0    " + std::string(" ") + "  3600.    " + " " + " -1.000    " + " " +
                                   " -1.000    " + " "));
  }
  {
    // The vessel adds "npuffs=" and its two-value rows before the heading.
    Bench b;
    b.vessel(-1);
    ASSERT_TRUE(prepare_run(*b.run));
    const auto& p = b.run->inp.PSEQ;
    const auto log = b.log();
    ASSERT_EQ(log.size(), 6u);
    EXPECT_EQ(log[0], " npuffs=           2");
    EXPECT_EQ(log[1], " " + io::free_real(p(1, 1)) + io::free_real(p(1, 2)));
    EXPECT_EQ(log[2], " " + io::free_real(p(2, 1)) + io::free_real(60.0));
    EXPECT_EQ(log[3], heading);
    // 265.2233096 -> "  265.2    ", 60 -> "  60.00    ", 122.1653159 -> "  122.2    "
    EXPECT_EQ(rtrim(log[4]), "  265.2       60.00      -1.000      -1.000");
    EXPECT_EQ(rtrim(log[5]), "  122.2       60.00      -1.000      -1.000");
  }
  {
    // An empty table: the heading and a single empty record.
    Bench b;
    b.run->inp.MINPUT = 2, b.run->inp.NSEQ = 0;
    ASSERT_TRUE(prepare_run(*b.run));
    const auto log = b.log();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0], heading);
    EXPECT_EQ(log[1], "");
  }
  {
    // Log closed (LOGON 0): nothing is written to it.
    Bench b(false);
    ASSERT_TRUE(b.run->units.open_write(io::LOG, b.dir.file("run.log")));
    b.vessel(-1);
    ASSERT_TRUE(prepare_run(*b.run));
    EXPECT_TRUE(b.log().empty());
  }
}

TEST(PrepareRunTest, UserSequenceWithoutAFirstRateWarnsWithMfgr2) {
  Bench b;
  auto& in = b.run->inp;
  in.MINPUT = 2, in.NSEQ = 1, in.MFGR = 2, in.QMAX = 80;
  in.PSEQ(1, 1) = 0, in.PSEQ(1, 2) = 600, in.PSEQ(1, 3) = -1, in.PSEQ(1, 4) = -1;
  ASSERT_TRUE(prepare_run(*b.run));
  EXPECT_EQ(b.run->file1.QMAX0, 80);
  const std::string rec = "***WARNING*** setting QMAX0=QMAX:" + io::free_real(80.0);
  EXPECT_EQ(b.out.str(), rec + "\n");
  const auto list = b.list_records();
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0], " " + rec);
}

TEST(PrepareRunTest, UnknownSourceTypeTakesTheErrorEnd) {
  const struct {
    int minput, mblowdown;
    const char* second;
  } cases[] = {{0, 0, "MINPUT must be 1 or 2 or 3"},
               {4, 1, "MINPUT must be 1 or 2 or 3"},
               {1, 5, "MBLOWDOWN must be 0,1,2,3,4"},
               {1, -1, "MBLOWDOWN must be 0,1,2,3,4"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.second);
    Bench b;
    b.run->inp.MINPUT = c.minput, b.run->inp.MBLOWDOWN = c.mblowdown;
    b.run->file1.QMAX0 = 5;
    EXPECT_FALSE(prepare_run(*b.run));
    EXPECT_EQ(b.out.str(), "FATAL ERROR:  Unknown source type\n" + std::string(c.second) + "\n");
    const auto list = b.list_records();
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0], " FATAL ERROR: Unknown source type");
    EXPECT_EQ(list[1], " " + std::string(c.second));
    EXPECT_TRUE(b.log().empty());  // no step table to log
    EXPECT_EQ(b.run->file1.QMAX0, 5);
  }
}

// Decay and vessel inputs that give no puff table: the error end with the
// keyword and its value on the console and in the list file, no stop.
TEST(PrepareRunTest, ReleasesThatCannotBeCutTakeTheErrorEnd) {
  const struct {
    const char* what;
    void (*setup)(Bench&);
    std::vector<std::string> records;
  } cases[] = {
      {"pressure ratio of 1",
       [](Bench& b) {
         auto& in = b.run->inp;
         in.MINPUT = 1, in.MBLOWDOWN = 3, in.QMAX = 100, in.FREL = 0.5, in.PRATIO = 1, in.TDEP = 60;
         in.PUFFDUR = 3600;
       },
       {"***ERROR*** decaying release: the pressure ratio must lie between 0 and 1",
        "PRATIO =" + io::free_real(1.0)}},
      {"pressure ratio of 0 and no depressuring time",
       [](Bench& b) {
         auto& in = b.run->inp;
         in.MINPUT = 1, in.MBLOWDOWN = 4, in.QMAX = 100, in.FREL = 0.5, in.PRATIO = 0, in.TDEP = 0;
         in.PUFFDUR = 3600;
       },
       {"***ERROR*** decaying release: the pressure ratio must lie between 0 and 1",
        "PRATIO =" + io::free_real(0.0),
        "***ERROR*** decaying release: the depressuring time (min) must be positive",
        "TDEP =" + io::free_real(0.0)}},
      {"pressure ratio above 1",
       [](Bench& b) {
         auto& in = b.run->inp;
         in.MINPUT = 1, in.MBLOWDOWN = 4, in.QMAX = 100, in.FREL = 0.5, in.PRATIO = 1.5, in.TDEP = 60;
         in.PUFFDUR = 3600;
       },
       {"***ERROR*** decaying release: the pressure ratio must lie between 0 and 1",
        "PRATIO =" + io::free_real(1.5)}},
      {"negative depressuring time",
       [](Bench& b) {
         auto& in = b.run->inp;
         in.MINPUT = 1, in.MBLOWDOWN = 3, in.QMAX = 100, in.FREL = 0.5, in.PRATIO = 0.5, in.TDEP = -5;
         in.PUFFDUR = 3600;
       },
       {"***ERROR*** decaying release: the depressuring time (min) must be positive",
        "TDEP =" + io::free_real(-5.0)}},
      {"whole inventory with a derived rate",
       [](Bench& b) {
         auto& in = b.run->inp;
         in.MINPUT = 1, in.MBLOWDOWN = 3, in.QMAX = 100, in.FREL = 1, in.PRATIO = 0.5, in.TDEP = 60;
         in.PUFFDUR = 3600;
       },
       {"***ERROR*** decaying release: with MBLOWDOWN=3 FREL must be below 1", "FREL =" + io::free_real(1.0)}},
      {"no rate and no fraction, derived rate",
       [](Bench& b) {
         auto& in = b.run->inp;
         in.MINPUT = 1, in.MBLOWDOWN = 3, in.QMAX = 0, in.FREL = 0, in.PRATIO = 0.5, in.TDEP = 60;
         in.PUFFDUR = 3600;
       },
       {"***ERROR*** decaying release: the initial rate must be positive", "QMAX =" + io::free_real(0.0),
        "***ERROR*** decaying release: the released fraction must be positive", "FREL =" + io::free_real(0.0)}},
      {"no inventory",
       [](Bench& b) {
         auto& in = b.run->inp;
         in.MINPUT = 1, in.MBLOWDOWN = 2, in.QMAX = 240, in.QTOTAL = 0, in.FREL = 0.9, in.PUFFDUR = 3600;
       },
       {"***ERROR*** puff table: the released inventory must be positive", "QTOTAL =" + io::free_real(0.0)}},
      {"vessel at the fixed ambient temperature 0 K",
       [](Bench& b) {
         b.vessel(-1);
         b.run->inp.MMET = 3;
       },
       {"***ERROR*** vessel blowdown: the initial temperature (K) must be above 0",
        "TAMB (TEMPINIT <= 0) =" + io::free_real(0.0)}},
      {"vessel puffs that round to 0 s",
       [](Bench& b) {
         b.vessel(-1);
         b.run->inp.NPUFFS = 1000;  // TEND 131.5 s over 1000 puffs
       },
       {}},
      {"user sequence longer than the table",
       [](Bench& b) {
         b.run->inp.MINPUT = 2;
         b.run->inp.NSEQ = 10001;
       },
       {"***ERROR*** the user sequence has more rows than the step table holds", "NSEQ =" + io::free_int(10001),
        "max rows =" + io::free_int(10000)}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Bench b;
    c.setup(b);
    const int npuffs = b.run->inp.NPUFFS;
    bool result = true;
    EXPECT_NO_THROW(result = prepare_run(*b.run));
    EXPECT_FALSE(result);
    const auto list = b.list_records();
    if (c.records.empty()) {  // only the first record is checked
      EXPECT_EQ(b.out.str().substr(0, 64), "***ERROR*** puff table: the puff duration PUFFDUR rounds to 0 s\n");
      ASSERT_FALSE(list.empty());
      EXPECT_EQ(list[0], " ***ERROR*** puff table: the puff duration PUFFDUR rounds to 0 s");
    } else {
      std::string console;
      for (const auto& r : c.records) console += r + "\n";
      EXPECT_EQ(b.out.str(), console);
      ASSERT_EQ(list.size(), c.records.size());
      for (std::size_t k = 0; k < list.size(); ++k) EXPECT_EQ(list[k], " " + c.records[k]);
    }
    EXPECT_EQ(b.run->inp.NPUFFS, npuffs);
    EXPECT_EQ(b.run->inp.PSEQ(1, 1), 7.0);
    EXPECT_TRUE(b.log().empty());
  }
  // The whole inventory is fine when the rate is QMAX itself (MBLOWDOWN 4): capped at 0.999.
  Bench b;
  auto& in = b.run->inp;
  in.MINPUT = 1, in.MBLOWDOWN = 4, in.QMAX = 100, in.FREL = 1, in.PRATIO = 0.5, in.TDEP = 60, in.PUFFDUR = 3600;
  EXPECT_TRUE(prepare_run(*b.run));
  EXPECT_TRUE(b.out.str().empty());
}

TEST(PrepareRunTest, PuffTableLongerThanTheStepTableStopsTheRun) {
  Bench b;
  b.vessel(-1);
  b.run->inp.NPUFFS = 10001;
  try {
    prepare_run(*b.run);
    ADD_FAILURE() << "no stop";
  } catch (const io::Stop& s) {
    EXPECT_EQ(s.text, "HALTED in routine BLOWDOWN()");
  }
  EXPECT_EQ(b.out.str(),
            "***ERROR*** npuffs exceeds maximum puffs\nnpuffs    :       10001\nmax puffs :       10000\n");
}

}  // namespace
}  // namespace quelmar::driver
