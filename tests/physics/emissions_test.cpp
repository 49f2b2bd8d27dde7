// The flare step: reference cases, the steps without a flare, the stops, the
// invariants over a sweep of inputs and the debug-log records of one step.
//
// The expected numbers come from tests/data/physics/emissions_reference.py, an
// independent python implementation of the flare model's formulas (species
// table from the coefficient file, thermochemistry, correlations and the step
// itself); its cases carry the same inputs as the table below. The tolerance
// is 1e-9 relative: the script keeps the operation order of the formulas, so
// the two agree far closer; the margin covers a different last bit in a
// library function.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "run/run.hpp"
#include "io/stop.hpp"
#include "io/units.hpp"
#include "physics/emissions.hpp"
#include "physics/mixture.hpp"
#include "physics/realgas.hpp"
#include "physics/setup.hpp"
#include "test_util.hpp"

namespace quelmar::physics {
namespace {

using Config = std::function<void(run::MOD_READINP&)>;

// The inputs of one step (the script's case()).
struct StepInputs {
  MIX raw{};
  double Q = 50.0, FGR = 0.0, UREF = 5.0;
  int IPG = 4;
  double TGAS = 300.0, TAMBH = 283.15, ZCOORD = 500.0;
  Config config;  // switches and stream values on top of the common ones
};

// The sour gas of the reference cases: 5 % H2S, 80 % methane, 5 % ethane,
// 2 % propane, 3 % CO2, 5 % nitrogen.
MIX sour_gas() {
  MIX m{};
  m(H2S) = 0.05;
  m(CH4) = 0.80;
  m(C2H6) = 0.05;
  m(C3H8) = 0.02;
  m(CO2) = 0.03;
  m(N2) = 0.05;
  return m;
}

// A run made ready as the run preparation leaves it, with the common flare:
// tip 30 m high, flare diameter 0.3 m, tip diameter 0.25 m, wind at 10 m,
// odour threshold 0.47 ppb, site at 500 m.
struct Step {
  std::ostringstream out, err;
  std::unique_ptr<run::Run> run;
  explicit Step(const StepInputs& s) : run(std::make_unique<run::Run>(out, err)) {
    SETUP1(run->prop, run->stdc);
    INITLOCAL(run->prop, run->stdc, s.ZCOORD);
    prepare(s);
  }
  // Makes the same run ready for another step with other switches and streams
  // (the site, and so ZCOORD, stays): the configuration, the step results and
  // the console start afresh.
  void prepare(const StepInputs& s) {
    run::Run& r = *run;
    out.str("");
    out.clear();
    r.inp = run::MOD_READINP{};
    r.comb = run::FLARE_RESULT{};
    r.isc = run::MOD_ISCCALCS{};
    r.inp.HS = 30.0;
    r.inp.DF = 0.3;
    r.inp.DS = 0.25;
    r.inp.ZREF = 10.0;
    r.inp.ODOURPPB = 0.47;
    r.inp.MSTRIP = 0;
    r.inp.MFLAMEOUT = 0;
    if (s.config) s.config(r.inp);
    r.stdc.TGAS = s.TGAS;
    r.stdc.TAMBH = s.TAMBH;
  }
  void call(const StepInputs& s) { EMISSIONS(*run, io::LOG, s.raw, s.Q, s.FGR, 0.0, s.UREF, s.IPG); }
  const run::FLARE_RESULT& res() const { return run->comb; }
};

StepInputs inputs(Config config = {}) {
  StepInputs s;
  s.raw = sour_gas();
  s.config = std::move(config);
  return s;
}

void steam(run::MOD_READINP& in) {
  in.MFASSIST = 1;
  in.MFASSISTSTEAM = 1;
  in.STM_TEMP = 438.0;
  in.STM_PRESS = 700.0;  // absolute, as the run preparation leaves it
  in.STM_FLOW = 20.0;
  in.RAIRSTEAM = 0.35;
}
void air(run::MOD_READINP& in) {
  in.MFASSIST = 1;
  in.MFASSISTAIR = 1;
  in.AIR_FLOW = 1000.0;
  in.RAIRAIR = 0.35;
}
// Supplementary fuel gas (90 % methane, 10 % ethane) through its own 0.08 m
// nozzle, nitrogen lift gas through its own 0.05 m nozzle, high-pressure fuel
// assist.
void streams(run::MOD_READINP& in) {
  in.MFUELGAS = 1;
  in.FUEL(CH4) = 0.9;
  in.FUEL(C2H6) = 0.1;
  in.MLIFTGAS = 1;
  in.QLIFTGAS = 5.0;
  in.LIFT(N2) = 1.0;
  in.MDLIFT = 1;
  in.DLIFT = 0.05;
  in.MDFUEL = 1;
  in.DFUEL = 0.08;
  in.MFASSIST = 1;
  in.MFASSISTHPFUEL = 1;
  in.HPFUEL_FLOW = 10.0;
  in.RAIRFUEL = 0.35;
}

struct Expected {
  double QEMIT, HS_X, UE_X, DE_X, EXTEMP, FB, FM, XL;
};

struct RefCase {
  const char* name;
  std::function<StepInputs()> make;
  Expected e;
};

void expect_near_rel(double got, double want, const char* what, const char* name) {
  const double tol = 1e-9 * std::max(std::fabs(want), 1e-12);
  EXPECT_NEAR(got, want, tol) << name << ": " << what;
}

const std::vector<RefCase>& reference_cases() {
  static const std::vector<RefCase> cases = {
      {"plain_sour_gas", [] { return inputs(); },
       {78.397599552478781, 32.294217290583234, 0.30775344484482192, 15.085464082287103, 1296.2122882243425,
        134.19643292089995, 1.1770736467284959, 12.200564673715975}},
      {"steam_assist_cold_h2s",
       [] {
         return inputs([](run::MOD_READINP& in) {
           steam(in);
           in.MSTRIP = 1;
         });
       },
       {0.11961119617969591, 31.395670199382895, 7.2278636845736708, 0.11166822882397086, 546.17826086956529,
        0.10641378637865176, 0.084430882100035937, 7.5840500483345723}},
      {"air_assist_excess_air", [] { return inputs(air); },
       {78.397599552478809, 30, 351.85732396066118, 0.312571574475002, 794.76831851676661, 67.773225144971278,
        1681.128559477708, 0.022225517024521906}},
      {"air_assist_small_excess",
       [] {
         return inputs([](run::MOD_READINP& in) {
           air(in);
           in.AIR_FLOW = 722.0;
         });
       },
       {78.397599552478781, 47.545199060575541, 334.01066735051603, 0.45846141780692923, 1299.3366896801865,
        134.61033587243821, 1277.5006604748044, 4.4719132589885673}},
      {"fuel_lift_hpfuel_nozzles",
       [] {
         StepInputs s = inputs([](run::MOD_READINP& in) {
           streams(in);
           in.MSTRIP = 2;
         });
         s.FGR = 0.5;
         return s;
       },
       {78.13063623812566, 33.169700348742666, 2.6987076427214864, 6.7834799393966119, 1308.8888750243339,
        238.59187614449868, 18.124689121293411, 11.451577462574038}},
      {"whole_unburnt_h2s",
       [] {
         StepInputs s = inputs([](run::MOD_READINP& in) { in.MSTRIP = 3; });
         s.UREF = 12.0;
         s.IPG = 3;
         return s;
       },
       {0.33802094849873759, 30.382162437546185, 0.29263021379362464, 0.68407941048533571, 546.17826086956518,
        0.16168170873317786, 0.0051936601978205873, 12.931050609485924}},
      {"odour_stripped",
       [] {
         StepInputs s = inputs([](run::MOD_READINP& in) { in.MSTRIP = 4; });
         s.UREF = 8.0;
         s.IPG = 5;
         return s;
       },
       {220554.52223449672, 30.512423246090943, 0.29263021379362464, 0.61687794402761764, 546.17826086956518,
        0.13147595600193421, 0.0042233685245406738, 12.834282356202895}},
      {"odour_whole",
       [] {
         StepInputs s = inputs([](run::MOD_READINP& in) { in.MSTRIP = 5; });
         s.UREF = 8.0;
         s.IPG = 5;
         return s;
       },
       {423459.22133948887, 30.512423246090943, 0.29263021379362464, 0.61687794402761764, 546.17826086956518,
        0.13147595600193421, 0.0042233685245406738, 12.834282356202895}},
      {"flameout1_so2", [] { return inputs([](run::MOD_READINP& in) { in.MFLAMEOUT = 1; }); },
       {41.706248311652985, 30, 6.1264287680238487, 0.41868995127558728, 395.68791866824853, 0.7488575911702563,
        1.1770736467284959, 0}},
      {"flameout1_h2s",
       [] {
         return inputs([](run::MOD_READINP& in) {
           in.MFLAMEOUT = 1;
           in.MSTRIP = 1;
         });
       },
       {41.706248311652985, 30, 0.91729370831459212, 2.4348698026255975, 300.00000000000028, 0.7488575911702563,
        1.1770736467284959, 0}},
      {"flameout2_so2", [] { return inputs([](run::MOD_READINP& in) { in.MFLAMEOUT = 2; }); },
       {480.79294051565142, 30, 6.1452836086208356, 0.41804714962388434, 395.68791866824853, 0.7488575911702563,
        1.1806962361391189, 0}},
      {"slow_jet_downwash",
       [] {
         StepInputs s = inputs();
         s.Q = 2.0;
         s.UREF = 10.0;
         return s;
       },
       {3.1359039820991521, 29.416171330620813, 0.011589801772496609, 15.063261420329406, 1216.7739527877338,
        4.9469417866980878, 0.0017731142205854665, 14.525344518158281}},
      {"calm",
       [] {
         StepInputs s = inputs();
         s.UREF = 0.0;
         return s;
       },
       {78.397599552478781, 53.92276932661521, 0.30816148627674039, 15.087561363763628, 1298.2918178241921,
        134.47190014310047, 1.178634294787291, 2.2849844329540017}},
      {"still_cold_plume",
       [] {
         // 2 % H2S in CO2 at 230 K: the stripped gas is heavier than the air it
         // carries, so the cold plume is released as a still plume through the tip.
         StepInputs s = inputs([](run::MOD_READINP& in) { in.MSTRIP = 1; });
         s.raw = MIX{};
         s.raw(H2S) = 0.02;
         s.raw(CO2) = 0.98;
         s.TGAS = 230.0;
         return s;
       },
       {2.9557502256072672, 30.249042807866662, 1.0000000000000001e-05, 0.25, 283.14999999999998, 0,
        1.5625000000000003e-12, 0.026171812935445318}},
      {"logged_steam_flameout",
       [] {
         StepInputs s = inputs([](run::MOD_READINP& in) {
           steam(in);
           in.MFLAMEOUT = 1;
         });
         s.UREF = 3.0;
         s.IPG = 2;
         return s;
       },
       {41.706248311652992, 30, 109.27788560086736, 0.1245396614010527, 446.04629403442488, 1.5175380789571835,
        29.393856331977886, 0}},
  };
  return cases;
}

TEST(EmissionsTest, ReferenceCases) {
  for (const RefCase& c : reference_cases()) {
    const StepInputs s = c.make();
    Step st(s);
    st.call(s);
    const run::FLARE_RESULT& r = st.res();
    expect_near_rel(r.QEMIT, c.e.QEMIT, "QEMIT", c.name);
    expect_near_rel(r.HS_X, c.e.HS_X, "HS_X", c.name);
    expect_near_rel(r.UE_X, c.e.UE_X, "UE_X", c.name);
    expect_near_rel(r.DE_X, c.e.DE_X, "DE_X", c.name);
    expect_near_rel(r.EXTEMP, c.e.EXTEMP, "EXTEMP", c.name);
    expect_near_rel(r.FB, c.e.FB, "FB", c.name);
    expect_near_rel(r.FM, c.e.FM, "FM", c.name);
    expect_near_rel(r.XL, c.e.XL, "XL", c.name);
  }
}

const RefCase& ref(const std::string& name) {
  for (const RefCase& c : reference_cases())
    if (name == c.name) return c;
  throw std::runtime_error("no case " + name);
}

// Flame height, flammability and what follows from them.
TEST(EmissionsTest, FlameHeightAndFlammability) {
  {
    const StepInputs s = ref("plain_sour_gas").make();
    Step st(s);
    st.call(s);
    EXPECT_EQ(st.res().ISFLAMMABLE, 1);
    expect_near_rel(st.res().ZL, 2.2942172905832336, "ZL", "plain");
    // A flammable burning flare is released at the tip plus the flame height
    // (no downwash: the jet is faster than 1.5 times the wind).
    EXPECT_NEAR(st.res().HS_X, 30.0 + st.res().ZL, 1e-12);
    // SO2 from full conversion: 5 % H2S of 50 10^3 m3/d.
    // 50*0.05/VM*64.0638 t/d *1e6/86400 g/s.
    const double VM = st.run->stdc.VM;
    EXPECT_NEAR(st.res().QEMIT, 50 * 0.05 / VM * 64.0638 * 1000 * 1000 / 86400, 1e-9);
  }
  {
    // The excess assist air dilutes the gas below its flammability limit: it is
    // released at the (undisturbed) tip without the flame height.
    const StepInputs s = ref("air_assist_excess_air").make();
    Step st(s);
    st.call(s);
    EXPECT_EQ(st.res().ISFLAMMABLE, 0);
    expect_near_rel(st.res().ZL, 4.7757272448725878, "ZL", "air");
    EXPECT_EQ(st.res().HS_X, 30.0);
  }
  {
    // 10 % methane in nitrogen: 1 - 0.1 = 0.9 > 1 - 0.05 - 0.1; 20 % burns.
    for (const auto& [ch4, flammable] : {std::pair{0.1, 0}, std::pair{0.2, 1}}) {
      StepInputs s = inputs();
      s.raw = MIX{};
      s.raw(CH4) = ch4;
      s.raw(N2) = 1 - ch4;
      Step st(s);
      st.call(s);
      EXPECT_EQ(st.res().ISFLAMMABLE, flammable) << ch4;
    }
  }
}

// The check of the SO2 pseudo-stack, on the console and in the list file:
// silent when the fluxes are carried, three records per flux when a cap
// changed the exit velocity.
TEST(EmissionsTest, FluxCheckOnTheConsoleAndInTheListFile) {
  // The records of the list file that the step wrote (the file is closed for this).
  auto listed = [](Step& st, const test::TempDir& dir) {
    st.run->units.close(io::LST);
    return test::file_records(dir.file("run.lst"));
  };
  {
    const StepInputs s = ref("plain_sour_gas").make();
    Step st(s);
    test::TempDir dir;
    ASSERT_TRUE(st.run->units.open_write(io::LST, dir.file("run.lst")));
    st.call(s);
    EXPECT_EQ(st.out.str(), "");
    EXPECT_EQ(listed(st, dir), std::vector<std::string>{});
  }
  {
    // The sonic cap C_GAS holds the exit velocity of the air-assisted plume
    // below what its fluxes ask for. The script gives FM_check 1077.3285754707554,
    // FB_check 54.25400207502731.
    const StepInputs s = ref("air_assist_excess_air").make();
    Step st(s);
    test::TempDir dir;
    ASSERT_TRUE(st.run->units.open_write(io::LST, dir.file("run.lst")));
    st.call(s);
    // The console shows each record without its carriage-control blank.
    EXPECT_EQ(st.out.str(),
              "*** ERROR *** bad calc in FM\n"
              "FM_check :   1077.32857547076     \n"
              "      FM :   1681.12855947771     \n"
              "*** ERROR *** bad calc in FB\n"
              "FB_check :   54.2540020750273     \n"
              "      FB :   67.7732251449713     \n");
    // The list file holds the same records, each after its leading blank.
    EXPECT_EQ(listed(st, dir),
              (std::vector<std::string>{" *** ERROR *** bad calc in FM", " FM_check :   1077.32857547076     ",
                                        "       FM :   1681.12855947771     ", " *** ERROR *** bad calc in FB",
                                        " FB_check :   54.2540020750273     ", "       FB :   67.7732251449713     "}));
  }
  {
    // MSTRIP 2 forms the same pseudo-stack but is not checked.
    StepInputs s = ref("air_assist_excess_air").make();
    const Config base = s.config;
    s.config = [base](run::MOD_READINP& in) {
      base(in);
      in.MSTRIP = 2;
    };
    Step st(s);
    test::TempDir dir;
    ASSERT_TRUE(st.run->units.open_write(io::LST, dir.file("run.lst")));
    st.call(s);
    EXPECT_EQ(st.out.str(), "");
    EXPECT_EQ(listed(st, dir), std::vector<std::string>{});
  }
}

// The four writes to the run configuration.
TEST(EmissionsTest, RunConfigurationWrites) {
  {
    // No assist: steam and high-pressure fuel flows are cleared, lift gas too
    // when it is off; the air switch stays.
    StepInputs s = inputs([](run::MOD_READINP& in) {
      in.MFASSIST = 0;
      in.STM_FLOW = 7;
      in.HPFUEL_FLOW = 8;
      in.MLIFTGAS = 0;
      in.QLIFTGAS = 9;
    });
    Step st(s);
    st.call(s);
    EXPECT_EQ(st.run->inp.STM_FLOW, 0);
    EXPECT_EQ(st.run->inp.HPFUEL_FLOW, 0);
    EXPECT_EQ(st.run->inp.QLIFTGAS, 0);
    EXPECT_EQ(st.run->inp.MFASSISTAIR, 0);
  }
  {
    // Steam assist turns the air switch on for the rest of the run; the
    // high-pressure fuel flow of a switched-off sub-assist is cleared; a second
    // call gives the same results.
    StepInputs s = inputs([](run::MOD_READINP& in) {
      steam(in);
      in.HPFUEL_FLOW = 8;
    });
    Step st(s);
    st.call(s);
    EXPECT_EQ(st.run->inp.MFASSISTAIR, 1);
    EXPECT_EQ(st.run->inp.HPFUEL_FLOW, 0);
    EXPECT_EQ(st.run->inp.STM_FLOW, 20.0);
    const run::FLARE_RESULT first = st.res();
    st.call(s);
    EXPECT_EQ(st.res().QEMIT, first.QEMIT);
    EXPECT_EQ(st.res().FB, first.FB);
    EXPECT_EQ(st.res().DE_X, first.DE_X);
  }
  {
    // Assist on with every sub-switch off: one pass, no assist air.
    StepInputs plain = inputs();
    Step a(plain);
    a.call(plain);
    StepInputs s = inputs([](run::MOD_READINP& in) { in.MFASSIST = 1; });
    Step b(s);
    b.call(s);
    EXPECT_EQ(b.res().QEMIT, a.res().QEMIT);
    EXPECT_EQ(b.res().FM, a.res().FM);
    EXPECT_EQ(b.res().UE_X, a.res().UE_X);
  }
}

bool all_finite(const run::FLARE_RESULT& r) {
  for (double v : {r.E_SO2FULL, r.E_SO2CCE, r.E_H2SRAW, r.SO2TPD, r.FM, r.FB, r.EXTEMP, r.QEMIT, r.HS_X, r.UE_X,
                   r.DE_X, r.DEN_MIX, r.RHOA, r.XL, r.ZL, r.FA, r.UU, r.UV, r.PLANGLE})
    if (!std::isfinite(v)) return false;
  return true;
}

void expect_bare_stack(const Step& st, const char* what) {
  const run::FLARE_RESULT& r = st.res();
  EXPECT_TRUE(all_finite(r)) << what;
  EXPECT_EQ(r.HS_X, 30.0) << what;
  EXPECT_EQ(r.DE_X, 0.3) << what;
  EXPECT_EQ(r.EXTEMP, st.run->stdc.TAMBH) << what;
  EXPECT_EQ(r.UE_X, 1e-5) << what;
  EXPECT_EQ(r.FB, 0) << what;
  EXPECT_EQ(r.FM, 0) << what;
  EXPECT_EQ(r.QEMIT, 0) << what;
  EXPECT_EQ(r.XL, 0) << what;
  EXPECT_EQ(r.ZL, 0) << what;
  EXPECT_EQ(r.ISFLAMMABLE, 0) << what;
  EXPECT_EQ(st.out.str(), "") << what;
}

// Steps without a flare: no raw-gas flow, or nothing in the gas that burns.
TEST(EmissionsTest, StepsWithoutAFlareAreABareStack) {
  for (int mstrip = 0; mstrip <= 5; ++mstrip) {
    for (double q : {0.0, -10.0}) {
      StepInputs s = inputs([mstrip](run::MOD_READINP& in) {
        steam(in);
        in.MSTRIP = mstrip;
      });
      s.Q = q;
      s.FGR = q == 0 ? INFINITY : 0.5;  // the fuel-gas basis 2 of a zero-rate hour has no finite ratio
      Step st(s);
      st.call(s);
      expect_bare_stack(st, "no flow");
      EXPECT_EQ(st.run->inp.MFASSISTAIR, 1);  // the configuration writes still happen
    }
  }
  {
    // Nitrogen and CO2 only, also with air assist (whose traces of methane
    // and CO alone would make a flame of the excess air).
    for (const Config& cfg : {Config{}, Config{air}}) {
      StepInputs s = inputs(cfg);
      s.raw = MIX{};
      s.raw(N2) = 0.7;
      s.raw(CO2) = 0.3;
      Step st(s);
      st.call(s);
      expect_bare_stack(st, "inert gas");
    }
  }
  {
    // A raw gas of pure H2S rescaled to no H2S leaves an empty composition.
    StepInputs s = inputs();
    s.raw = MIX{};
    Step st(s);
    st.call(s);
    expect_bare_stack(st, "empty composition");
  }
}

// Steps whose inputs have no physical answer stop the run with a console
// record that names the quantity.
TEST(EmissionsTest, StopsWithoutAPhysicalAnswer) {
  struct StopCase {
    const char* what;
    std::function<void(StepInputs&, run::Run&)> spoil;
    const char* message;
  };
  const StopCase cases[] = {
      {"ambient temperature 0 K", [](StepInputs&, run::Run& r) { r.stdc.TAMBH = 0; },
       "***FATAL ERROR*** TAMBH (ambient temperature, K) must be above 0:"},
      {"missing-value code as ambient temperature",
       [](StepInputs&, run::Run& r) { r.stdc.TAMBH = -9725.85; }, "TAMBH (ambient temperature, K)"},
      {"gas temperature", [](StepInputs&, run::Run& r) { r.stdc.TGAS = -1; }, "TGAS (flared-gas temperature, K)"},
      {"site pressure", [](StepInputs&, run::Run& r) { r.stdc.PLOCAL = 0; }, "PLOCAL (site pressure, kPa)"},
      {"negative fuel-gas ratio", [](StepInputs& s, run::Run&) { s.FGR = -0.5; },
       "FGR (fuel-gas ratio of the step) is negative:"},
      {"non-finite wind", [](StepInputs& s, run::Run&) { s.UREF = NAN; }, "wind speed of the hour"},
      {"negative assist-steam flow",
       [](StepInputs&, run::Run& r) {
         steam(r.inp);
         r.inp.STM_FLOW = -1;
       },
       "STM_FLOW (assist-steam flow) is negative:"},
      {"a raw gas given as a small fraction has no speed of sound",
       [](StepInputs& s, run::Run&) {
         s.raw = MIX{};
         s.raw(CH4) = 0.2;
       },
       "the flared gas has no speed of sound"},
  };
  for (const StopCase& c : cases) {
    StepInputs s = inputs();
    Step st(s);
    c.spoil(s, *st.run);
    try {
      st.call(s);
      ADD_FAILURE() << c.what << ": no stop";
    } catch (const io::Stop& e) {
      EXPECT_EQ(e.text, "HALTED in routine EMISSIONS()") << c.what;
      EXPECT_NE(st.out.str().find(c.message), std::string::npos) << c.what << ": " << st.out.str();
      EXPECT_EQ(st.out.str().find("nan"), std::string::npos) << c.what;
    }
  }
}

// Streams without a composition carry no mass, hence no momentum and no
// entrained air; the step stays finite.
TEST(EmissionsTest, StreamsWithoutACompositionCarryNoMass) {
  const Config cases[] = {
      // high-pressure assist fuel without a fuel-gas composition
      [](run::MOD_READINP& in) {
        in.MFASSIST = 1;
        in.MFASSISTHPFUEL = 1;
        in.HPFUEL_FLOW = 10.0;
        in.RAIRFUEL = 0.35;
      },
      // a fuel-gas ratio without fuel gas, through its own nozzle
      [](run::MOD_READINP& in) {
        in.MDFUEL = 1;
        in.DFUEL = 0.08;
      },
      // lift gas without a composition through its own nozzle (of no diameter)
      [](run::MOD_READINP& in) {
        in.MLIFTGAS = 1;
        in.QLIFTGAS = 5.0;
        in.MDLIFT = 1;
        in.DLIFT = 0.0;
      },
  };
  int k = 0;
  for (const Config& cfg : cases) {
    StepInputs s = inputs(cfg);
    s.FGR = 0.5;
    Step st(s);
    st.call(s);
    EXPECT_TRUE(all_finite(st.res())) << k;
    EXPECT_GT(st.res().QEMIT, 0) << k;
    EXPECT_GT(st.res().FM, 0) << k;
    ++k;
  }
  {
    // With MFUELGAS 0 the fuel volume joins the main tip (so the jet is faster
    // than without it) but adds no mass.
    StepInputs s0 = inputs();
    Step a(s0);
    a.call(s0);
    StepInputs s1 = inputs();
    s1.FGR = 0.5;
    Step b(s1);
    b.call(s1);
    EXPECT_EQ(b.res().E_H2SRAW, a.res().E_H2SRAW);
    EXPECT_GT(b.res().FM, a.res().FM);
  }
}

// A gas so cold that the streams mix below 200 K: the mixing temperature is
// taken at 200 K, the end of the temperature search.
TEST(EmissionsTest, MixingTemperatureOutsideTheSearchRange) {
  StepInputs s = inputs();
  s.TGAS = 150.0;
  Step st(s);
  st.call(s);
  EXPECT_TRUE(all_finite(st.res()));
  const double PLOCAL = st.run->stdc.PLOCAL;
  const double M = CALC_MOLARMASS(st.run->prop, sour_gas());
  EXPECT_NEAR(st.res().DEN_MIX, PLOCAL * M / (8.31446261815324 * 200.0), 1e-12);
}

// A run keeps what it formed from the compositions of earlier steps. Steps whose
// gas changes from one step to the next (a sequence with its own H2S
// fractions, fuel gas, assist air drawn in by the wind, a new fuel gas, an
// edited species table) give, bit for bit, what a fresh run gives for the same
// step.
TEST(EmissionsTest, ChangedCompositionGivesTheResultOfAFreshRun) {
  const auto with_h2s = [](double x) {
    MIX m = sour_gas();
    m(CH4) = 0.85 - x;
    m(H2S) = x;
    return m;
  };
  struct Case {
    const char* what;
    MIX raw;
    double FGR, UREF;
    Config config;
  };
  const Config fuel = [](run::MOD_READINP& in) {
    in.MFUELGAS = 1;
    in.FUEL(CH4) = 0.95;
    in.FUEL(N2) = 0.05;
  };
  const Config other_fuel = [](run::MOD_READINP& in) {
    in.MFUELGAS = 1;
    in.FUEL(CH4) = 0.9;
    in.FUEL(C2H6) = 0.1;
  };
  const Case cases[] = {
      {"5 % H2S", with_h2s(0.05), 0.0, 5.0, {}},
      {"8 % H2S", with_h2s(0.08), 0.0, 5.0, {}},
      {"5 % H2S again", with_h2s(0.05), 0.0, 5.0, {}},
      {"1 % H2S with fuel gas", with_h2s(0.01), 0.4, 5.0, fuel},
      {"1 % H2S with more fuel gas", with_h2s(0.01), 0.8, 5.0, fuel},
      {"1 % H2S with another fuel gas", with_h2s(0.01), 0.8, 5.0, other_fuel},
      {"assist air, light wind", with_h2s(0.05), 0.0, 2.0, air},
      {"assist air, strong wind", with_h2s(0.05), 0.0, 12.0, air},
      {"steam", with_h2s(0.03), 0.0, 5.0, steam},
      {"8 % H2S again", with_h2s(0.08), 0.0, 5.0, {}},
  };
  const auto expect_same = [](const run::FLARE_RESULT& a, const run::FLARE_RESULT& b, const char* what) {
    const double x[] = {a.E_SO2FULL, a.E_SO2CCE, a.E_H2SRAW, a.SO2TPD, a.FM, a.FB, a.EXTEMP, a.QEMIT, a.HS_X, a.UE_X,
                        a.DE_X, a.DEN_MIX, a.RHOA, a.XL, a.ZL, a.FA, a.UU, a.UV, a.PLANGLE};
    const double y[] = {b.E_SO2FULL, b.E_SO2CCE, b.E_H2SRAW, b.SO2TPD, b.FM, b.FB, b.EXTEMP, b.QEMIT, b.HS_X, b.UE_X,
                        b.DE_X, b.DEN_MIX, b.RHOA, b.XL, b.ZL, b.FA, b.UU, b.UV, b.PLANGLE};
    for (std::size_t i = 0; i < std::size(x); ++i) EXPECT_EQ(x[i], y[i]) << what << ", field " << i;
    EXPECT_EQ(a.ISFLAMMABLE, b.ISFLAMMABLE) << what;
  };
  Step kept(inputs());
  for (const Case& c : cases) {
    StepInputs s = inputs(c.config);
    s.raw = c.raw;
    s.FGR = c.FGR;
    s.UREF = c.UREF;
    kept.prepare(s);
    kept.call(s);
    Step fresh(s);
    fresh.call(s);
    expect_same(kept.res(), fresh.res(), c.what);
  }
  // The neighbouring step before and after an edit of the species table.
  StepInputs s = inputs();
  kept.prepare(s);
  kept.call(s);
  const double before = kept.res().E_H2SRAW;
  kept.run->prop(1, H2S) = 34.5;  // a heavier H2S
  kept.prepare(s);
  kept.call(s);
  Step fresh(s);
  fresh.run->prop(1, H2S) = 34.5;
  fresh.call(s);
  expect_same(kept.res(), fresh.res(), "edited species table");
  EXPECT_GT(kept.res().E_H2SRAW, before);
}

// What the step forms of the air at the hour's ambient state is kept for the
// states met before: a step whose ambient temperature, site pressure or
// assist-air ratio differs from a kept one, even in its last bit, and steps at
// more temperatures than are kept at once, give bit for bit what a fresh run
// gives.
TEST(EmissionsTest, ChangedAmbientStateGivesTheResultOfAFreshRun) {
  const auto expect_same = [](const run::FLARE_RESULT& a, const run::FLARE_RESULT& b, const std::string& what) {
    const double x[] = {a.E_SO2FULL, a.E_SO2CCE, a.E_H2SRAW, a.SO2TPD, a.FM, a.FB, a.EXTEMP, a.QEMIT, a.HS_X, a.UE_X,
                        a.DE_X, a.DEN_MIX, a.RHOA, a.XL, a.ZL, a.FA, a.UU, a.UV, a.PLANGLE};
    const double y[] = {b.E_SO2FULL, b.E_SO2CCE, b.E_H2SRAW, b.SO2TPD, b.FM, b.FB, b.EXTEMP, b.QEMIT, b.HS_X, b.UE_X,
                        b.DE_X, b.DEN_MIX, b.RHOA, b.XL, b.ZL, b.FA, b.UU, b.UV, b.PLANGLE};
    for (std::size_t i = 0; i < std::size(x); ++i) EXPECT_EQ(x[i], y[i]) << what << ", field " << i;
  };
  const double t0 = 283.15;
  const Config assist = [](run::MOD_READINP& in) { air(in); };
  const Config more_assist = [](run::MOD_READINP& in) {
    air(in);
    in.RAIRAIR = std::nextafter(0.35, 1.0);
  };
  struct Case {
    std::string what;
    double tamb;
    double plocal_step;  // added to the site pressure, in units of its last bit
    Config config;
  };
  std::vector<Case> cases = {
      {"283.15 K", t0, 0, {}},
      {"one bit warmer", std::nextafter(t0, 400.0), 0, {}},
      {"283.15 K again", t0, 0, {}},
      {"the site pressure one bit higher, assist air", t0, 1, assist},
      {"assist air", t0, 0, assist},
      {"an assist-air ratio one bit higher", t0, 0, more_assist},
      {"283.15 K once more", t0, 0, {}},
  };
  // More temperatures than are kept at once, and then the first of them again.
  for (int k = 0; k < 1500; ++k) cases.push_back({"temperature " + std::to_string(k), 250.0 + 0.05 * k, 0, {}});
  for (int k = 0; k < 5; ++k) cases.push_back({"again temperature " + std::to_string(k), 250.0 + 0.05 * k, 0, {}});
  Step kept(inputs());
  const double site = kept.run->stdc.PLOCAL;
  for (const Case& c : cases) {
    StepInputs s = inputs(c.config);
    s.TAMBH = s.TGAS = c.tamb;
    const double plocal = c.plocal_step > 0 ? std::nextafter(site, 1e9) : site;
    kept.prepare(s);
    kept.run->stdc.PLOCAL = plocal;
    kept.call(s);
    Step fresh(s);
    fresh.run->stdc.PLOCAL = plocal;
    fresh.call(s);
    expect_same(kept.res(), fresh.res(), c.what);
  }
}

// Invariants over a sweep of inputs.
TEST(EmissionsTest, InvariantsOverASweep) {
  test::TempDir dir;
  // One run carries every step of the sweep, as the time loops carry theirs.
  Step st(inputs());
  const std::vector<Config> assists = {
      Config{}, Config{steam}, Config{air},
      [](run::MOD_READINP& in) { streams(in); }};
  int n = 0;
  for (const Config& assist : assists)
    for (double q : {0.5, 50.0, 5000.0})
      for (double uref : {0.0, 2.0, 40.0})
        for (int ipg : {1, 6})
          for (int mflameout : {0, 1, 2})
            for (double tgas : {180.0, 300.0, 420.0}) {
              for (int mstrip = 0; mstrip <= 5; ++mstrip) {
                StepInputs s = inputs([&](run::MOD_READINP& in) {
                  if (assist) assist(in);
                  in.MSTRIP = mstrip;
                  in.MFLAMEOUT = mflameout;
                });
                s.Q = q;
                s.FGR = 0.3;
                s.UREF = uref;
                s.IPG = ipg;
                s.TGAS = tgas;
                st.prepare(s);
                const std::string logname = dir.file("sweep.log");
                ASSERT_TRUE(st.run->units.open_write(io::LOG, logname));
                st.run->stdc.LOGON = 1;
                st.call(s);
                st.run->units.close(io::LOG);
                const run::FLARE_RESULT& r = st.res();
                const std::string where = "q=" + std::to_string(q) + " u=" + std::to_string(uref) +
                                          " ipg=" + std::to_string(ipg) + " fo=" + std::to_string(mflameout) +
                                          " tgas=" + std::to_string(tgas) + " mstrip=" + std::to_string(mstrip);
                ASSERT_TRUE(all_finite(r)) << where;
                EXPECT_GE(r.HS_X, 0) << where;
                EXPECT_GT(r.EXTEMP, 0) << where;
                // No pseudo-stack hotter than the flare model's temperature
                // range (a flare file's field holds below 10000 K).
                EXPECT_LE(r.EXTEMP, 3000.0 * (1 + 1e-12)) << where;
                EXPECT_GE(r.UE_X, 1e-5) << where;
                EXPECT_GE(r.FB, 0) << where;
                // The pseudo-stack carries the fluxes through their definitions,
                // or (SO2 plume) the console says that a cap prevented it.
                const double Ta = st.run->stdc.TAMBH;
                const double fm = 0.25 * Ta / r.EXTEMP * r.UE_X * r.UE_X * r.DE_X * r.DE_X;
                const double fb = 2.4516625 * (r.EXTEMP - Ta) / r.EXTEMP * r.UE_X * r.DE_X * r.DE_X;
                const bool carried = (r.FM == 0 || std::fabs(fm - r.FM) <= 1e-5 * r.FM) &&
                                     (r.FB == 0 || std::fabs(fb - r.FB) <= 1e-5 * r.FB);
                if (mstrip == 0) {
                  EXPECT_EQ(carried, st.out.str().empty()) << where << "\n" << st.out.str();
                } else if (mstrip != 2) {
                  EXPECT_TRUE(carried) << where;
                }
                // Cold fraction within its bounds before the MSTRIP 3/5 override,
                // conversion efficiency at least 0.5: read back from the log.
                for (const std::string& rec : test::file_records(logname)) {
                  for (const char* label : {" cold fraction,fs=", " conv eff="}) {
                    if (rec.rfind(label, 0) != 0) continue;
                    const double v = std::stod(rec.substr(std::string(label).size()));
                    if (std::string(label) == " conv eff=") {
                      EXPECT_GE(v, 0.5) << where;
                      EXPECT_LE(v, 1.0) << where;
                    } else if (mstrip == 3 || mstrip == 5) {
                      EXPECT_EQ(v, 1.0) << where;
                    } else {
                      EXPECT_GE(v, 0.1) << where;
                      EXPECT_LE(v, 0.9) << where;
                    }
                  }
                  EXPECT_EQ(rec.find("NaN"), std::string::npos) << where;
                  EXPECT_EQ(rec.find("Inf"), std::string::npos) << where;
                }
                ++n;
              }
            }
  EXPECT_EQ(n, 4 * 3 * 3 * 2 * 3 * 3 * 6);
}

// The debug-log records of one step: two passes and a flame-out, so that all
// records 1 to 29 appear. The expected file was written by the reference
// script (python3 emissions_reference.py --log DIR) and checked record by
// record against the layouts.
TEST(EmissionsTest, DebugLogOfOneStep) {
  test::TempDir dir;
  const StepInputs s = ref("logged_steam_flameout").make();
  Step st(s);
  const std::string logname = dir.file("step.log");
  ASSERT_TRUE(st.run->units.open_write(io::LOG, logname));
  st.run->stdc.LOGON = 1;
  st.call(s);
  st.run->units.close(io::LOG);
  const std::vector<std::string> got = test::file_records(logname);
  const std::vector<std::string> want = test::file_records(test::source_path("tests/data/physics/emissions_step.log"));
  ASSERT_EQ(got.size(), want.size());
  for (std::size_t i = 0; i < want.size(); ++i) EXPECT_EQ(got[i], want[i]) << "record " << i + 1;

  // The record list: labels in order (records 3 to 15 twice, pass 1 first).
  const std::vector<std::string> labels = {
      " wspd10m = ", " wsST = ",
      " NHV (MJ/m3)=", " GHV (MJ/m3)=", " combfrac=", " rLFLcomb=", " rLFLflared=", " isFlammable(1=y,0=n)=",
      " total_m=", " ue=", " den_mix=", " dia_eff=", " conv eff=", " comb eff=", " cold fraction,fs=",
      " NHV (MJ/m3)=", " GHV (MJ/m3)=", " combfrac=", " rLFLcomb=", " rLFLflared=", " isFlammable(1=y,0=n)=",
      " total_m=", " ue=", " den_mix=", " dia_eff=", " conv eff=", " comb eff=", " cold fraction,fs=",
      " e_co2=", " e_so2=", " e_h2s=", " e_ou=", " XL=", " ZL=", " FA=", " uu,uv=", " plume angle (deg)=",
      " exhaust rate (m3/s)="};
  ASSERT_GE(got.size(), labels.size() + 4);
  // Record 1 is too long for one record: the zref value goes on in the next.
  std::size_t at = 0;
  for (std::size_t k = 0; k < labels.size(); ++k, ++at) {
    EXPECT_EQ(got[at].rfind(labels[k], 0), 0u) << labels[k] << " / " << got[at];
    EXPECT_LE(got[at].size(), 80u) << got[at];
    if (k == 0) ++at;
  }
  EXPECT_EQ(got[1].size(), 25u);                       // " " + the zref value in 24 columns
  EXPECT_EQ(got[8], " isFlammable(1=y,0=n)=           1");  // integer in 12 columns
  EXPECT_EQ(got[29].substr(got[29].size() - 5), "  t/d");  // a text after a number: one blank more
  // Records 26 and 27 (flame-out 1): (A82) and (15G15.4).
  EXPECT_EQ(got[at], std::string(56, ' ') + "FM,FB,fm_strip,FB_stripped");
  EXPECT_EQ(got[at + 1].size(), 4u * 15u);
  // Records 28 and 29: the header cut to 82 characters, then XOUTX and fifteen
  // G15.4 fields, IPG as an integer in 15 columns.
  EXPECT_EQ(got[at + 2], "XOUTHDRX,wspd10m,wsST,ipgIN,tamb,FM,FB,hs_x,de_x,ue_x,extemp,tstrip,carb,e_so2,e_h");
  EXPECT_EQ(got[at + 3].size(), 6u + 15u * 15u);
  EXPECT_EQ(got[at + 3].substr(0, 6), "XOUTX ");
  EXPECT_EQ(got[at + 3].substr(6 + 2 * 15, 15), "              2");
  EXPECT_EQ(at + 4, got.size());
}

TEST(EmissionsTest, NothingIsWrittenWhileTheLogIsClosed) {
  test::TempDir dir;
  const StepInputs s = ref("logged_steam_flameout").make();
  Step st(s);
  const std::string logname = dir.file("step.log");
  ASSERT_TRUE(st.run->units.open_write(io::LOG, logname));
  st.run->stdc.LOGON = 0;
  st.call(s);
  st.run->units.close(io::LOG);
  EXPECT_TRUE(test::read_file(logname).empty());
}

}  // namespace
}  // namespace quelmar::physics
