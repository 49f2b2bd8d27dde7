// Input checks: every check against a configuration that passes all the
// others, asserting the list-file records, the error count and the defaults
// filled in.
#include "input/chkinput.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "input/readinp.hpp"
#include "input/wrcontrol.hpp"
#include "test_util.hpp"

namespace quelmar::input {
namespace {

using run::Run;
using run::MOD_READINP;

// Free-format fields, written out by hand from the record rules: an integer
// right-justified in 12 columns; a double with 15 significant digits in 19
// columns and 5 blanks, or in the E form in 24 columns.
std::string I12(const std::string& digits) { return std::string(12 - digits.size(), ' ') + digits; }
const std::string R_0 = "  0.000000000000000E+000";
const std::string R_1 = "   1.00000000000000     ";
const std::string R_m1 = "  -1.00000000000000     ";
const std::string R_035 = "  0.350000000000000     ";
const std::string R_05 = "  0.500000000000000     ";
const std::string R_06 = "  0.600000000000000     ";
const std::string R_500 = "   500.000000000000     ";
const std::string R_0005 = "  5.000000000000000E-003";      // 0.005
const std::string R_105 = "   10.5000000000000     ";       // 10.5
const std::string R_1000001 = "   1000001.00000000     ";   // 1000001
const std::string R_005 = "  5.000000000000000E-002";       // 0.05
const std::string R_10001 = "   10001.0000000000     ";     // 10001
const std::string R_00005 = "  5.000000000000000E-004";     // 0.0005
const std::string R_15 = "   1.50000000000000     ";        // 1.5

std::string unknown(const std::string& name, const std::string& value) {
  return " FATAL ERROR: Unknown setting for " + name + "=" + I12(value);
}

const std::vector<std::string> kOdour = {" WARNING : Odour Threshold reset to ", "              ODOURPPB=" + R_1};
const std::string kNotMultiple = " FATAL ERROR: NSEP is not a multiple of 24";
const std::string kAbove = " FATAL ERROR: NSEP is greater than 5*24";
const std::vector<std::string> kTginit = {" FATAL ERROR: Gas temperature set to use TGINIT",
                                          "              but TGINIT is not defined, TGINIT=" + R_m1,
                                          "              MTGAS=" + I12("0")};
std::vector<std::string> ratio_warning(const std::string& name) {
  return {" WARNING: Missing parameter " + name, " WARNING: reset to default " + name, "     " + name + "=" + R_035};
}

// A configuration that every check passes: a steady CALPUFF release.
void valid(MOD_READINP& in) {
  in.MDSPMOD = 1;
  in.MINPUT = 1;
  in.MBLOWDOWN = 0;
  in.MDIST = 1;
  in.MSTRIP = 0;
  in.MMET = 1;
  in.MFUELGAS = 0;
  in.MLIFTGAS = 0;
  in.MFGR = 1;
  in.MFASSIST = 0;
  in.MFLAMEOUT = 0;
  in.NSEP = 0;
  in.YYS = in.YYE = 2021;
  in.MMS = in.MME = 7;
  in.DDS = in.DDE = 15;
  in.MTGAS = 0;
  in.TGINIT = 300;
  in.ODOURPPB = 2;
  in.DF = 0.5;
  in.DS = 0.5;
  in.RAIRAIR = in.RAIRSTEAM = in.RAIRFUEL = 0.3;
  in.PMAP = "UTM";
  in.UTMHEM = "N";
  in.ABTZ = "UTC-0700";
  in.DATUM = "NAR-C";
}

// A vessel blowdown whose values lie inside every bound.
void vessel(MOD_READINP& in) {
  valid(in);
  in.MBLOWDOWN = 1;
  in.PRESSINIT = 1000;
  in.PRESSFINAL = 0;
  in.TEMPINIT = 300;
  in.VESSELDIA = 2;
  in.VESSELLEN = 10;
  in.ORIFICEDIA = 50;
  in.DISCHARGECOEF = 0.6;
}

struct Checked : test::ListedRun {
  std::vector<std::string> records;
  int count = -1;

  explicit Checked(const std::function<void(MOD_READINP&)>& setup) {
    setup(run->inp);
    count = ICHKINPUT(*run, io::LST);
    records = list_records();
  }
};

struct Case {
  std::string name;
  std::function<void(MOD_READINP&)> setup;
  std::vector<std::string> records;
  int count;
  std::function<void(const MOD_READINP&)> after = nullptr;
};

void run_cases(const std::vector<Case>& cases) {
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Checked k(c.setup);
    EXPECT_EQ(k.records, c.records);
    EXPECT_EQ(k.count, c.count);
    EXPECT_EQ(k.out.str(), "");  // nothing goes to the console
    if (c.after) c.after(k.run->inp);
  }
}

auto with(std::function<void(MOD_READINP&)> change, void (*base)(MOD_READINP&) = valid) {
  return [=](MOD_READINP& in) {
    base(in);
    change(in);
  };
}

TEST(InputChecks, SwitchRanges) {
  struct Switch {
    const char* name;
    int MOD_READINP::*field;
    int lo, hi;
  };
  const Switch switches[] = {
      {"MINPUT", &MOD_READINP::MINPUT, 1, 3},       {"MBLOWDOWN", &MOD_READINP::MBLOWDOWN, 0, 4},
      {"MDIST", &MOD_READINP::MDIST, 1, 2},         {"MSTRIP", &MOD_READINP::MSTRIP, 0, 5},
      {"MMET", &MOD_READINP::MMET, 1, 3},           {"MFUELGAS", &MOD_READINP::MFUELGAS, 0, 1},
      {"MLIFTGAS", &MOD_READINP::MLIFTGAS, 0, 1},   {"MFGR", &MOD_READINP::MFGR, 1, 2},
      {"MFASSIST", &MOD_READINP::MFASSIST, 0, 1},   {"MFLAMEOUT", &MOD_READINP::MFLAMEOUT, 0, 2},
      {"MTGAS", &MOD_READINP::MTGAS, 0, 2},
  };
  std::vector<Case> cases;
  for (const Switch& s : switches) {
    // A sequence source: MBLOWDOWN 1 would bring the vessel checks in, and
    // MTGAS is kept away from the TGINIT test by a positive TGINIT.
    auto set = [s](int v) {
      return with([s, v](MOD_READINP& in) {
        in.MINPUT = 2;
        in.*s.field = v;
      });
    };
    const std::string n = s.name;
    if (n != "MINPUT") {
      cases.push_back({n + " low", set(s.lo), {}, 0});
      cases.push_back({n + " high", set(s.hi), {}, 0});
    }
    cases.push_back({n + " below", set(s.lo - 1), {unknown(n, std::to_string(s.lo - 1))}, 1});
    cases.push_back({n + " above", set(s.hi + 1), {unknown(n, std::to_string(s.hi + 1))}, 1});
  }
  cases.push_back({"MINPUT 1", with([](MOD_READINP& in) { in.MINPUT = 1; }), {}, 0});
  cases.push_back({"MINPUT 3", with([](MOD_READINP& in) { in.MINPUT = 3; }), {}, 0});
  cases.push_back({"MINPUT 7", with([](MOD_READINP& in) { in.MINPUT = 7; }), {unknown("MINPUT", "7")}, 1});
  cases.push_back({"MINPUT -1", with([](MOD_READINP& in) { in.MINPUT = -1; }), {unknown("MINPUT", "-1")}, 1});
  // MDIST is tested for a point source as for any other source.
  cases.push_back({"MDIST point source", with([](MOD_READINP& in) {
                     in.MINPUT = 3;
                     in.MDIST = 0;
                   }),
                   {unknown("MDIST", "0")}, 1});
  // MFGR 3 passes the reader (QFUELGAS present) and is refused here.
  cases.push_back({"MFGR 3", with([](MOD_READINP& in) { in.MFGR = 3; }), {unknown("MFGR", "3")}, 1});
  run_cases(cases);
}

TEST(InputChecks, AssistSubSwitches) {
  run_cases({
      {"MFASSIST 2 hides the sub-switches", with([](MOD_READINP& in) {
         in.MFASSIST = 2;
         in.MFASSISTAIR = 5;
         in.MFASSISTSTEAM = -3;
         in.MFASSISTHPFUEL = 9;
       }),
       {unknown("MFASSIST", "2")}, 1},
      {"MFASSIST 0 hides the sub-switches", with([](MOD_READINP& in) { in.MFASSISTAIR = 5; }), {}, 0},
      {"sub-switches on", with([](MOD_READINP& in) {
         in.MFASSIST = 1;
         in.MFASSISTAIR = in.MFASSISTSTEAM = in.MFASSISTHPFUEL = 1;
       }),
       {}, 0},
      {"MFASSIST 1, air 5", with([](MOD_READINP& in) {
         in.MFASSIST = 1;
         in.MFASSISTAIR = 5;
       }),
       {unknown("MFASSISTAIR", "5")}, 1},
      {"MFASSIST 1, all three out of range", with([](MOD_READINP& in) {
         in.MFASSIST = 1;
         in.MFASSISTSTEAM = 2;
         in.MFASSISTAIR = -1;
         in.MFASSISTHPFUEL = 2;
       }),
       {unknown("MFASSISTSTEAM", "2"), unknown("MFASSISTAIR", "-1"), unknown("MFASSISTHPFUEL", "2")}, 3},
  });
}

TEST(InputChecks, SeparationInterval) {
  std::vector<Case> cases;
  auto nsep = [](int v) { return with([v](MOD_READINP& in) { in.NSEP = v; }); };
  for (int v : {1, 0, 24, 48, 72, 96, 120, -24, -48, -144})
    cases.push_back({"NSEP " + std::to_string(v), nsep(v), {}, 0});
  for (int v : {2, 23, 25, 121, 143, -1, -23})
    cases.push_back({"NSEP " + std::to_string(v), nsep(v), {kNotMultiple}, 1});
  cases.push_back({"NSEP 144", nsep(144), {kAbove}, 1});
  cases.push_back({"NSEP 168", nsep(168), {kAbove}, 1});
  cases.push_back({"NSEP 145", nsep(145), {kNotMultiple, kAbove}, 2});
  run_cases(cases);
}

TEST(InputChecks, GasTemperature) {
  run_cases({
      {"TGINIT -1 with MTGAS 0", with([](MOD_READINP& in) { in.TGINIT = -1; }), kTginit, 1},
      {"TGINIT 0 with MTGAS 0", with([](MOD_READINP& in) { in.TGINIT = 0; }), {}, 0},
      {"TGINIT -1 with MTGAS 1", with([](MOD_READINP& in) {
         in.TGINIT = -1;
         in.MTGAS = 1;
       }),
       {}, 0},
      // the range record comes first, then the temperature test is skipped
      {"MTGAS 3", with([](MOD_READINP& in) {
         in.TGINIT = -1;
         in.MTGAS = 3;
       }),
       {unknown("MTGAS", "3")}, 1},
  });
}

TEST(InputChecks, OdourThresholdAndDiameters) {
  auto odour_is_1 = [](const MOD_READINP& in) { EXPECT_EQ(in.ODOURPPB, 1.0); };
  run_cases({
      {"odour absent, SO2", with([](MOD_READINP& in) { in.ODOURPPB = 0; }), kOdour, 0, odour_is_1},
      {"odour absent, odour run", with([](MOD_READINP& in) {
         in.ODOURPPB = 0;
         in.MSTRIP = 4;
       }),
       kOdour, 0, odour_is_1},
      {"odour given", with([](MOD_READINP& in) { in.ODOURPPB = 5; }), {}, 0,
       [](const MOD_READINP& in) { EXPECT_EQ(in.ODOURPPB, 5.0); }},
      {"DF absent", with([](MOD_READINP& in) {
         in.DF = 0;
         in.DS = 0.6;
       }),
       {" ERROR : Missing parameter DF", "              DF=" + R_0}, 1,
       [](const MOD_READINP& in) { EXPECT_EQ(in.DF, 0.6); }},
      {"DF and DS absent", with([](MOD_READINP& in) {
         in.DF = 0;
         in.DS = 0;
       }),
       {" ERROR : Missing parameter DF", "              DF=" + R_0}, 1},
      {"DS above DF", with([](MOD_READINP& in) { in.DS = 0.6; }),
       {" ERROR : DS must be smaller or equal to DF", "              DF=" + R_05, "              DS=" + R_06}, 1},
      {"DS below DF", with([](MOD_READINP& in) { in.DS = 0.3; }), {}, 0},
  });
}

TEST(InputChecks, EntrainmentRatios) {
  auto all_035 = [](const MOD_READINP& in) {
    EXPECT_EQ(in.RAIRAIR, 0.35);
    EXPECT_EQ(in.RAIRSTEAM, 0.35);
    EXPECT_EQ(in.RAIRFUEL, 0.35);
  };
  std::vector<std::string> all;
  for (const char* n : {"RAIRAIR", "RAIRSTEAM", "RAIRFUEL"})
    for (const std::string& r : ratio_warning(n)) all.push_back(r);
  run_cases({
      // the master switch is not looked at
      {"air on, MFASSIST 0", with([](MOD_READINP& in) {
         in.MFASSISTAIR = 1;
         in.RAIRAIR = 0;
       }),
       ratio_warning("RAIRAIR"), 0, [](const MOD_READINP& in) { EXPECT_EQ(in.RAIRAIR, 0.35); }},
      {"steam on", with([](MOD_READINP& in) {
         in.MFASSIST = 1;
         in.MFASSISTSTEAM = 1;
         in.RAIRSTEAM = 0;
       }),
       ratio_warning("RAIRSTEAM"), 0, [](const MOD_READINP& in) { EXPECT_EQ(in.RAIRSTEAM, 0.35); }},
      {"fuel on", with([](MOD_READINP& in) {
         in.MFASSISTHPFUEL = 1;
         in.RAIRFUEL = 0;
       }),
       ratio_warning("RAIRFUEL"), 0, [](const MOD_READINP& in) { EXPECT_EQ(in.RAIRFUEL, 0.35); }},
      {"all on", with([](MOD_READINP& in) {
         in.MFASSIST = 1;
         in.MFASSISTAIR = in.MFASSISTSTEAM = in.MFASSISTHPFUEL = 1;
         in.RAIRAIR = in.RAIRSTEAM = in.RAIRFUEL = 0;
       }),
       all, 0, all_035},
      {"negative sub-switch", with([](MOD_READINP& in) {
         in.MFASSISTAIR = -1;
         in.RAIRAIR = 0;
       }),
       {}, 0, [](const MOD_READINP& in) { EXPECT_EQ(in.RAIRAIR, 0.0); }},
      {"ratio given", with([](MOD_READINP& in) {
         in.MFASSISTAIR = 1;
         in.RAIRAIR = 0.2;
       }),
       {}, 0, [](const MOD_READINP& in) { EXPECT_EQ(in.RAIRAIR, 0.2); }},
      {"assist off, ratio 0", with([](MOD_READINP& in) { in.RAIRAIR = 0; }), {}, 0,
       [](const MOD_READINP& in) { EXPECT_EQ(in.RAIRAIR, 0.0); }},
  });
}

TEST(InputChecks, VesselBounds) {
  auto v = [](std::function<void(MOD_READINP&)> change) { return with(std::move(change), vessel); };
  const double nan = std::numeric_limits<double>::quiet_NaN();
  run_cases({
      {"vessel in bounds", v([](MOD_READINP&) {}), {}, 0},
      {"pressure 1", v([](MOD_READINP& in) { in.PRESSINIT = 1; }), {}, 0},
      {"pressure 25000", v([](MOD_READINP& in) { in.PRESSINIT = 25000; }), {}, 0},
      {"pressure 0.5", v([](MOD_READINP& in) { in.PRESSINIT = 0.5; }),
       {" WARNING: initial pressure may be out of bounds"}, 0},
      {"pressure 25001", v([](MOD_READINP& in) { in.PRESSINIT = 25001; }),
       {" WARNING: initial pressure may be out of bounds"}, 0},
      {"final equal", v([](MOD_READINP& in) {
         in.PRESSINIT = 500;
         in.PRESSFINAL = 500;
       }),
       {" FATAL ERROR: bad final presssure:" + R_500}, 1},
      {"final above", v([](MOD_READINP& in) { in.PRESSFINAL = 1500; }),
       {" FATAL ERROR: bad final presssure:   1500.00000000000     "}, 1},
      {"tginit 0", v([](MOD_READINP& in) { in.TGINIT = 0; }), {" WARNING: Using tginit = tamb"}, 0},
      {"tginit 223.15", v([](MOD_READINP& in) { in.TGINIT = 223.15; }), {}, 0},
      {"tginit 323.15", v([](MOD_READINP& in) { in.TGINIT = 323.15; }), {}, 0},
      {"tginit 223.14", v([](MOD_READINP& in) { in.TGINIT = 223.14; }), {" WARNING: tginit may be out of bounds"}, 0},
      {"tginit 323.16", v([](MOD_READINP& in) { in.TGINIT = 323.16; }), {" WARNING: tginit may be out of bounds"}, 0},
      {"tginit -1, MTGAS 0", v([](MOD_READINP& in) { in.TGINIT = -1; }),
       {kTginit[0], kTginit[1], kTginit[2], " WARNING: Using tginit = tamb"}, 1},
      {"tempinit 0", v([](MOD_READINP& in) { in.TEMPINIT = 0; }), {" WARNING: Using tempinit = tamb"}, 0},
      {"tempinit -1", v([](MOD_READINP& in) { in.TEMPINIT = -1; }), {" WARNING: Using tempinit = tamb"}, 0},
      {"tempinit 400", v([](MOD_READINP& in) { in.TEMPINIT = 400; }),
       {" WARNING: tempinit may be out of bounds"}, 0},
      {"tempinit 223.15", v([](MOD_READINP& in) { in.TEMPINIT = 223.15; }), {}, 0},
      {"diameter 0.01", v([](MOD_READINP& in) { in.VESSELDIA = 0.01; }), {}, 0},
      {"diameter 10", v([](MOD_READINP& in) { in.VESSELDIA = 10; }), {}, 0},
      {"diameter 0.005", v([](MOD_READINP& in) { in.VESSELDIA = 0.005; }),
       {" WARNING: Vessel Diameter may be out of bounds" + R_0005}, 0},
      {"diameter 10.5", v([](MOD_READINP& in) { in.VESSELDIA = 10.5; }),
       {" WARNING: Vessel Diameter may be out of bounds" + R_105}, 0},
      {"length 1", v([](MOD_READINP& in) { in.VESSELLEN = 1; }), {}, 0},
      {"length 1e6", v([](MOD_READINP& in) { in.VESSELLEN = 1000000; }), {}, 0},
      {"length 0.5", v([](MOD_READINP& in) { in.VESSELLEN = 0.5; }),
       {" WARNING: Vessel length may be out of bounds" + R_05}, 0},
      {"length 1000001", v([](MOD_READINP& in) { in.VESSELLEN = 1000001; }),
       {" WARNING: Vessel length may be out of bounds" + R_1000001}, 0},
      {"orifice 0.1 mm", v([](MOD_READINP& in) { in.ORIFICEDIA = 0.1; }), {}, 0},
      {"orifice 10000 mm", v([](MOD_READINP& in) { in.ORIFICEDIA = 10000; }), {}, 0},
      {"orifice 0.05 mm", v([](MOD_READINP& in) { in.ORIFICEDIA = 0.05; }),
       {" WARNING: orifice diameter may be out of bounds" + R_005}, 0},
      {"orifice 10001 mm", v([](MOD_READINP& in) { in.ORIFICEDIA = 10001; }),
       {" WARNING: orifice diameter may be out of bounds" + R_10001}, 0},
      {"coefficient 0.001", v([](MOD_READINP& in) { in.DISCHARGECOEF = 0.001; }), {}, 0},
      {"coefficient 1", v([](MOD_READINP& in) { in.DISCHARGECOEF = 1; }), {}, 0},
      {"coefficient 0.0005", v([](MOD_READINP& in) { in.DISCHARGECOEF = 0.0005; }),
       {" WARNING: Discharge coefficient may be out of bounds" + R_00005}, 0},
      {"coefficient 1.5", v([](MOD_READINP& in) { in.DISCHARGECOEF = 1.5; }),
       {" WARNING: Discharge coefficient may be out of bounds" + R_15}, 0},
      // every vessel value at fault at once, in the order of the checks
      {"all out of bounds", v([](MOD_READINP& in) {
         in.PRESSINIT = 0.5;
         in.PRESSFINAL = 0.5;
         in.TGINIT = 400;
         in.TEMPINIT = 0;
         in.VESSELDIA = 0.005;
         in.VESSELLEN = 0.5;
         in.ORIFICEDIA = 0.05;
         in.DISCHARGECOEF = 1.5;
       }),
       {" WARNING: initial pressure may be out of bounds", " FATAL ERROR: bad final presssure:" + R_05,
        " WARNING: tginit may be out of bounds", " WARNING: Using tempinit = tamb",
        " WARNING: Vessel Diameter may be out of bounds" + R_0005, " WARNING: Vessel length may be out of bounds" + R_05,
        " WARNING: orifice diameter may be out of bounds" + R_005,
        " WARNING: Discharge coefficient may be out of bounds" + R_15},
       1},
      // values that are no number pass every bound and equality test
      {"not a number", v([nan](MOD_READINP& in) {
         in.PRESSINIT = nan;
         in.TGINIT = nan;
         in.TEMPINIT = nan;
         in.VESSELDIA = nan;
         in.VESSELLEN = nan;
         in.ORIFICEDIA = nan;
         in.DISCHARGECOEF = nan;
         in.DF = nan;
         in.ODOURPPB = nan;
       }),
       {" WARNING: Using tginit = tamb", " WARNING: Using tempinit = tamb"}, 0},
      // the vessel checks belong to MINPUT 1 with MBLOWDOWN 1 only
      {"not a vessel", v([](MOD_READINP& in) {
         in.MINPUT = 2;
         in.PRESSINIT = 0;
         in.VESSELDIA = 0;
       }),
       {}, 0},
      {"steady release", v([](MOD_READINP& in) {
         in.MBLOWDOWN = 0;
         in.PRESSINIT = 0;
         in.VESSELDIA = 0;
       }),
       {}, 0},
  });
}

TEST(InputChecks, CalpuffMapAndZone) {
  auto cp = [](std::function<void(MOD_READINP&)> change) { return with(std::move(change)); };
  const std::string pmap = " FATAL ERROR: CALPUFF flare files need PMAP=UTM, PMAP=";
  const std::string hem = " FATAL ERROR: UTMHEM must be N or S, UTMHEM=";
  const std::string tz = " FATAL ERROR: ABTZ must be UTC+hh00 or UTC-hh00, ABTZ=";
  run_cases({
      {"southern UTM", cp([](MOD_READINP& in) {
         in.UTMHEM = "S";
         in.ABTZ = "UTC+1000";
       }),
       {}, 0},
      {"UTC+0000", cp([](MOD_READINP& in) { in.ABTZ = "UTC+0000"; }), {}, 0},
      {"PMAP LCC", cp([](MOD_READINP& in) { in.PMAP = "LCC"; }), {pmap + "LCC"}, 1},
      {"PMAP utm", cp([](MOD_READINP& in) { in.PMAP = "utm"; }), {pmap + "utm"}, 1},
      {"PMAP absent", cp([](MOD_READINP& in) { in.PMAP = ""; }), {pmap}, 1},
      {"PMAP LL", cp([](MOD_READINP& in) { in.PMAP = "LL"; }), {pmap + "LL"}, 1},
      {"UTMHEM X", cp([](MOD_READINP& in) { in.UTMHEM = "X"; }), {hem + "X"}, 1},
      {"UTMHEM n", cp([](MOD_READINP& in) { in.UTMHEM = "n"; }), {hem + "n"}, 1},
      {"UTMHEM absent", cp([](MOD_READINP& in) { in.UTMHEM = ""; }), {hem}, 1},
      {"ABTZ half hour", cp([](MOD_READINP& in) { in.ABTZ = "UTC-0530"; }), {tz + "UTC-0530"}, 1},
      {"ABTZ UTC", cp([](MOD_READINP& in) { in.ABTZ = "UTC"; }), {tz + "UTC"}, 1},
      {"ABTZ EST", cp([](MOD_READINP& in) { in.ABTZ = "EST"; }), {tz + "EST"}, 1},
      {"ABTZ no sign", cp([](MOD_READINP& in) { in.ABTZ = "UTC 0500"; }), {tz + "UTC 0500"}, 1},
      {"ABTZ short", cp([](MOD_READINP& in) { in.ABTZ = "UTC-05"; }), {tz + "UTC-05"}, 1},
      {"ABTZ letters", cp([](MOD_READINP& in) { in.ABTZ = "UTC-0a00"; }), {tz + "UTC-0a00"}, 1},
      {"ABTZ absent", cp([](MOD_READINP& in) { in.ABTZ = ""; }), {tz}, 1},
      {"all three, after the vessel", with(
                                          [](MOD_READINP& in) {
                                            in.PRESSFINAL = 2000;
                                            in.PMAP = "LCC";
                                            in.UTMHEM = "E";
                                            in.ABTZ = "UTC+0545";
                                          },
                                          vessel),
       {" FATAL ERROR: bad final presssure:   2000.00000000000     ", pmap + "LCC", hem + "E", tz + "UTC+0545"}, 4},
      // only the CALPUFF path needs them
      {"AERMOD run", cp([](MOD_READINP& in) {
         in.MDSPMOD = 2;
         in.PMAP = "LCC";
         in.UTMHEM = "E";
         in.ABTZ = "EST";
       }),
       {}, 0},
      {"no model file", cp([](MOD_READINP& in) {
         in.MDSPMOD = 0;
         in.PMAP = "";
         in.UTMHEM = "";
         in.ABTZ = "";
       }),
       {}, 0},
  });
}

TEST(InputChecks, CalpuffDatum) {
  auto datum = [](std::string text) { return with([text](MOD_READINP& in) { in.DATUM = text; }); };
  const std::string bad = " FATAL ERROR: DATUM must be a CALPUFF datum code (NAD83 is NAR-C), DATUM=";
  std::vector<Case> cases;
  for (const char* code : {"NAR-C", "NAS-C", "WGS-84", "INH-A1", "AFG", "WAK"})
    cases.push_back({code, datum(code), {}, 0});
  // Trailing blanks are not part of the value.
  cases.push_back({"blank padded", with([](MOD_READINP& in) { in.DATUM.set_blank_padded("NAR-C"); }), {}, 0});
  // Exact and case-sensitive, as CALPUFF compares.
  for (const char* text : {"NAD83", "NAD27", "nar-c", "WGS84", "NAR", " NAR-C"})
    cases.push_back({text, datum(text), {bad + text}, 1});
  cases.push_back({"absent", datum(""), {bad}, 1});
  cases.push_back({"all four, after the vessel", with(
                                                     [](MOD_READINP& in) {
                                                       in.PRESSFINAL = 2000;
                                                       in.PMAP = "LL";
                                                       in.UTMHEM = "X";
                                                       in.ABTZ = "EST";
                                                       in.DATUM = "NAD83";
                                                     },
                                                     vessel),
                   {" FATAL ERROR: bad final presssure:   2000.00000000000     ",
                    " FATAL ERROR: CALPUFF flare files need PMAP=UTM, PMAP=LL",
                    " FATAL ERROR: UTMHEM must be N or S, UTMHEM=X",
                    " FATAL ERROR: ABTZ must be UTC+hh00 or UTC-hh00, ABTZ=EST", bad + "NAD83"},
                   5});
  // Only the CALPUFF path writes a datum.
  cases.push_back({"AERMOD run", with([](MOD_READINP& in) {
                     in.MDSPMOD = 2;
                     in.DATUM = "NAD83";
                   }),
                   {}, 0});
  run_cases(cases);
}

// Free-format records of a text item alone: pieces of up to 79 characters,
// each after the record's leading blank.
std::vector<std::string> text_records(const std::string& text) {
  std::vector<std::string> recs;
  std::size_t at = 0;
  do {
    recs.push_back(" " + text.substr(at, 79));
    at += 79;
  } while (at < text.size());
  return recs;
}

std::string names_short(const std::string& nspec) {
  return " FATAL ERROR: CHEMLST names fewer species than NSPEC, NSPEC=" + I12(nspec);
}
// The text of the wind-direction error runs over 91 characters: its last 12
// and the value make the second record.
const std::string kWindText =
    "FATAL ERROR: WINDDR must be from 0 to 360, or negative to keep the start direction, WINDDR=";
std::vector<std::string> wind_error(const std::string& value) {
  return {" " + kWindText.substr(0, 79), " " + kWindText.substr(79) + value};
}
const std::string kPeriodLength = " FATAL ERROR: the period is longer than 100 years";

TEST(InputChecks, SpeciesNamesWindDirectionAndPeriodLength) {
  EXPECT_EQ(kWindText.size(), 91u);
  auto names = [](int nspec, std::vector<const char*> given) {
    return with([nspec, given](MOD_READINP& in) {
      in.NSPEC = nspec;
      for (std::size_t i = 0; i < given.size(); ++i) in.CHEMLST(static_cast<int>(i) + 1) = given[i];
    });
  };
  auto wind = [](double wd, int mmet = 3) {
    return with([wd, mmet](MOD_READINP& in) {
      in.MMET = mmet;
      in.WINDDR = wd;
    });
  };
  auto years = [](int yys, int yye) {
    return with([yys, yye](MOD_READINP& in) {
      in.YYS = yys;
      in.YYE = yye;
    });
  };
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const std::string year = " must be a year of four digits, ";
  run_cases({
      // Species names of a CALPUFF run: one error, however many names are blank.
      {"two names", names(2, {"SO2", "H2S"}), {}, 0},
      {"second name blank", names(2, {"SO2"}), {names_short("2")}, 1},
      {"first name blank", names(2, {"", "H2S"}), {names_short("2")}, 1},
      {"no name", names(2, {}), {names_short("2")}, 1},
      {"tenth name blank", names(10, {"A", "B", "C", "D", "E", "F", "G", "H", "I"}), {names_short("10")}, 1},
      {"ten names", names(10, {"A", "B", "C", "D", "E", "F", "G", "H", "I", "J"}), {}, 0},
      {"a name of filler characters", with([](MOD_READINP& in) {
         in.NSPEC = 1;
         in.CHEMLST(1) = std::string_view("\t \0 ", 4);
       }),
       {names_short("1")}, 1},
      {"blank beyond NSPEC", names(1, {"SO2"}), {}, 0},
      {"NSPEC 0", names(0, {}), {}, 0},
      {"blank, AERMOD run", with([](MOD_READINP& in) {
         in.MDSPMOD = 2;
         in.NSPEC = 2;
       }),
       {}, 0},
      {"blank, no model file", with([](MOD_READINP& in) {
         in.MDSPMOD = 0;
         in.NSPEC = 2;
       }),
       {}, 0},
      // A fixed wind direction.
      {"WINDDR 0", wind(0), {}, 0},
      {"WINDDR 360", wind(360), {}, 0},
      {"WINDDR 270.5", wind(270.5), {}, 0},
      {"WINDDR -1 keeps the start direction", wind(-1), {}, 0},
      {"WINDDR -400", wind(-400), {}, 0},
      {"WINDDR 360.001", wind(360.001), wind_error("   360.001000000000     "), 1},
      {"WINDDR 400", wind(400), wind_error("   400.000000000000     "), 1},
      {"WINDDR NaN", wind(nan), wind_error(std::string(21, ' ') + "NaN"), 1},
      {"WINDDR infinite", wind(inf), wind_error(std::string(16, ' ') + "Infinity"), 1},
      {"WINDDR minus infinite", wind(-inf), wind_error(std::string(15, ' ') + "-Infinity"), 1},
      {"WINDDR 400, time-series file", wind(400, 1), {}, 0},
      {"WINDDR NaN, AERMET file", wind(nan, 2), {}, 0},
      // The length of the period, from year to year.
      {"100 years", years(2000, 2100), {}, 0},
      {"101 years", years(2000, 2101), {kPeriodLength}, 1},
      {"101 years, the end in January", with([](MOD_READINP& in) {
         in.YYS = 2000;
         in.MMS = 12;
         in.DDS = 31;
         in.YYE = 2101;
         in.MME = 1;
         in.DDE = 1;
       }),
       {kPeriodLength}, 1},
      {"1010 for 2010", years(1010, 2021), {kPeriodLength}, 1},
      {"1000 to 9999", years(1000, 9999), {kPeriodLength}, 1},
      {"start of three digits", years(999, 2021), {" FATAL ERROR: YYS" + year + "YYS=" + I12("999")}, 1},
      {"end of five digits", years(2021, 10021), {" FATAL ERROR: YYE" + year + "YYE=" + I12("10021")}, 1},
      {"end 101 years before the start", years(2122, 2021), {" FATAL ERROR: the period ends before it starts"}, 1},
      // All three after the checks that came before them.
      {"in the order of the checks", with([](MOD_READINP& in) {
         in.MINPUT = 7;
         in.HHE = 24;
         in.NSPEC = 1;
         in.MMET = 3;
         in.WINDDR = 400;
         in.YYE = 2200;
       }),
       {unknown("MINPUT", "7"), " FATAL ERROR: HHE must be an hour from 0 to 23, HHE=" + I12("24"), names_short("1"),
        wind_error("   400.000000000000     ")[0], wind_error("   400.000000000000     ")[1], kPeriodLength},
       5},
  });
}

// An empty control file: the four switches without a zero setting, the odour
// warning and the missing DF, in the order of the checks.
TEST(InputChecks, EmptyConfiguration) {
  Checked k([](MOD_READINP&) {});
  const std::vector<std::string> expected = {
      unknown("MINPUT", "0"),  unknown("MDIST", "0"), unknown("MMET", "0"), unknown("MFGR", "0"),
      kOdour[0],               kOdour[1],             " ERROR : Missing parameter DF",
      "              DF=" + R_0,
      " FATAL ERROR: YYS must be a year of four digits, YYS=" + I12("0"),
      " FATAL ERROR: YYE must be a year of four digits, YYE=" + I12("0"),
  };
  EXPECT_EQ(k.records, expected);
  EXPECT_EQ(k.count, 7);
  EXPECT_EQ(k.run->inp.ODOURPPB, 1.0);
  EXPECT_EQ(k.run->inp.DF, 0.0);
}

// A control file that passes every check; the lines of a case come before it,
// so that a key given there is the one that counts.
const std::string kControl =
    "! MDSPMOD = 0 !\n! MINPUT = 1 !\n! MBLOWDOWN = 0 !\n! MDIST = 1 !\n! MMET = 3 !\n! MFGR = 2 !\n"
    "! QMAX = 100 !\n! PUFFDUR = 3600 !\n! DF = 0.5 !\n! DS = 0.5 !\n! HS = 20 !\n! RAW_C1 = 1 !\n"
    "! TAMB = 288 !\n! WINDSP = 3 !\n! PGCLASS = 4 !\n! ZREF = 10 !\n! ODOURPPB = 1 !\n"
    "! NSPEC = 2 !\n! CHEMLST = SO2,H2S !\n! MW = 64, 34 !\n! EMIT = 0, 0 !\n"
    "! YYS = 2021 !\n! MMS = 7 !\n! DDS = 15 !\n! HHS = 5 !\n! SSS = 0 !\n"
    "! YYE = 2021 !\n! MME = 7 !\n! DDE = 15 !\n! HHE = 5 !\n! SSE = 0 !\n";

// What the list file holds after the input echo for the control file, in the
// order of the main program: read, echo, unknown keys, checks.
struct AfterEcho : test::TestRun {
  std::vector<std::string> records;
  int count = -1;

  explicit AfterEcho(const std::string& lines) {
    test::write_file(dir.file("c.inp"), "QUELMAR 1\n" + lines + kControl);
    EXPECT_EQ(IRDCONTROL(*run, io::CTL, dir.file("c.inp")), 0);
    open_list();
    IWRCONTROL(*run, io::LST);
    write_unknown_keywords(*run, io::LST);
    count = ICHKINPUT(*run, io::LST);
    const std::vector<std::string> all = list_records();
    // The echo ends with "end of input file" and two records of a blank.
    const auto end = std::find(all.begin(), all.end(), " end of input file");
    EXPECT_LE(end + 3, all.end());
    if (end + 3 <= all.end()) records.assign(end + 3, all.end());
  }
};

// A case of control lines: the records after the echo, the error count, and
// what the run configuration then holds.
struct Line {
  std::string name, lines;
  std::vector<std::string> records;
  int count;
  std::function<void(const MOD_READINP&)> after = nullptr;
};

void check_lines(const std::vector<Line>& cases) {
  for (const Line& c : cases) {
    SCOPED_TRACE(c.name);
    AfterEcho k(c.lines);
    EXPECT_EQ(k.records, c.records);
    EXPECT_EQ(k.count, c.count);
    EXPECT_EQ(k.out.str(), "");
    if (c.after) c.after(k.run->inp);
  }
}

TEST(InputChecks, ControlLinesThatSayWhatTheyMean) {
  const std::string nan = " FATAL ERROR: ";
  const std::string unknown_key = " WARNING: unknown keyword in the control file: ";
  const std::string year = " must be a year of four digits, ";
  const std::vector<Line> cases = {
      // Values that are not numbers, one record each, in the order of the lookups.
      {"letters", "! HS = abc !\n", {nan + "HS is not a number: abc"}, 1,
       [](const MOD_READINP& in) { EXPECT_EQ(in.HS, 0); }},
      {"letter O for zero, looked up twice with MFGR 1", "! MFGR = 1 !\n! QMAX = 1OO !\n",
       {nan + "QMAX is not a number: 1OO"}, 1},
      {"integer with a point", "! PUFFDUR = 1.5 !\n", {nan + "PUFFDUR is not a whole number: 1.5"}, 1},
      {"integer of a decay", "! MBLOWDOWN = 2 !\n! NPUFFS =  1.5  !\n", {nan + "NPUFFS is not a whole number: 1.5"}, 1},
      {"integer that a steady release does not read", "! NPUFFS = 1.5 !\n", {}, 0},
      {"beyond a double", "! TAMB = 1e999 !\n", {nan + "TAMB is not a number: 1e999"}, 1},
      {"list", "! MW = 64.06,abc !\n", {nan + "MW is not a list of numbers: 64.06,abc"}, 1},
      {"list starting with a comma", "! EMIT = , x !\n", {nan + "EMIT is not a list of numbers: , x"}, 1},
      {"list item beyond NSPEC", "! EMIT = 1, 2, x !\n", {}, 0},
      {"list items with units", "! MW = 64 g/mol, 2.5D1 !\n", {}, 0,
       [](const MOD_READINP& in) {
         EXPECT_EQ(in.MMLST(1), 64);
         EXPECT_EQ(in.MMLST(2), 25);
       }},
      // " FATAL ERROR: SEQ row" (21), the row in 12 columns, a blank before the
      // text that follows a number, and the row's value right behind the colon.
      {"sequence rows", "! MINPUT = 2 !\n! NSEQ = 3 !\n! SEQ = 100, 3600, -1, -1 !\n! SEQ = 50, 1800, abc, -1 !\n"
       "! SEQ = 1OO, 60 !\n",
       {" FATAL ERROR: SEQ row           2 is not a list of numbers:50, 1800, abc, -1",
        " FATAL ERROR: SEQ row           3 is not a list of numbers:1OO, 60"},
       2, [](const MOD_READINP& in) { EXPECT_EQ(in.PSEQ(2, 1), 50); }},
      {"lookup order, then the years", "! HS = abc !\n! YYS = MMXXI !\n",
       {nan + "YYS is not a whole number: MMXXI", nan + "HS is not a number: abc", nan + "YYS" + year + "YYS=" + I12("0")},
       3},
      {"after the CALPUFF checks",
       "! MDSPMOD = 1 !\n! PMAP = LCC !\n! UTMHEM = N !\n! ABTZ = UTC-0700 !\n! DATUM = WGS-84 !\n! HS = x !\n",
       {" FATAL ERROR: CALPUFF flare files need PMAP=UTM, PMAP=LCC", nan + "HS is not a number: x"}, 2},
      // What converts today still does; what sets nothing is no error.
      {"a number and a unit", "! HS = 5 m/s !\n", {}, 0, [](const MOD_READINP& in) { EXPECT_EQ(in.HS, 5); }},
      {"exponent D", "! HS = 2.5D1 !\n", {}, 0, [](const MOD_READINP& in) { EXPECT_EQ(in.HS, 25); }},
      {"empty value", "! HS = !\n", {}, 0, [](const MOD_READINP& in) { EXPECT_EQ(in.HS, 0); }},
      {"leading comma", "! HS = ,5 !\n", {}, 0, [](const MOD_READINP& in) { EXPECT_EQ(in.HS, 0); }},
      {"slash", "! HS = / !\n", {}, 0, [](const MOD_READINP& in) { EXPECT_EQ(in.HS, 0); }},
      // Keys that name no keyword: warnings in the order of the lines.
      {"unknown keys", "! HSS = 45 !\nnote ! hs = 20 !\n!! empty key\n! MDSPMOD 0 !\n! RAW_C9 = 1 !\n",
       {unknown_key + "HSS", unknown_key + "hs", unknown_key + "MDSPMOD 0", unknown_key + "RAW_C9"}, 0,
       [](const MOD_READINP& in) { EXPECT_EQ(in.HS, 20); }},
      {"keys of every mode are known",
       "! METDAT2 = p !\n! MSCREEN = 0 !\n! SEQ = 1 !\n! QFUELGAS = 0 !\n! LIFT_O2 = 0 !\n! FUEL_NH3 = 0 !\n"
       "! RAIRFUEL = 0 !\n! DISCHARGECOEF = 0 !\n! PSUS = 0 !\n! TDEP = 0 !\n! STM_IMASSVOL = 0 !\n",
       {}, 0},
      // The period.
      {"no start year", "! YYS = !\n", {nan + "YYS" + year + "YYS=" + I12("0")}, 1},
      {"end year of five digits", "! YYE = 30000 !\n", {nan + "YYE" + year + "YYE=" + I12("30000")}, 1},
      {"both years wrong, no order", "! YYS = 10000 !\n! YYE = 999 !\n",
       {nan + "YYS" + year + "YYS=" + I12("10000"), nan + "YYE" + year + "YYE=" + I12("999")}, 2},
      {"years 1000", "! YYS = 1000 !\n! YYE = 1000 !\n", {}, 0},
      {"years 9999", "! YYS = 9999 !\n! YYE = 9999 !\n", {}, 0},
      {"end an hour before the start", "! HHE = 4 !\n", {nan + "the period ends before it starts"}, 1},
      {"end a second before the start", "! SSS = 1 !\n", {nan + "the period ends before it starts"}, 1},
      {"end the day before", "! DDE = 14 !\n! HHE = 23 !\n", {nan + "the period ends before it starts"}, 1},
      {"month decides before day", "! YYE = 2022 !\n! MME = 1 !\n! DDE = 1 !\n! HHE = 0 !\n", {}, 0},
      {"hours and seconds", "! HHE = 24 !\n! SSE = 3600 !\n! SSS = -1 !\n",
       {nan + "SSS must be a second from 0 to 3599, SSS=" + I12("-1"),
        nan + "HHE must be an hour from 0 to 23, HHE=" + I12("24"),
        nan + "SSE must be a second from 0 to 3599, SSE=" + I12("3600")},
       3},
  };
  check_lines(cases);
}

// Texts longer than the field that holds them, noted by the reader and
// reported with the values that are not numbers, in the order of the lookups.
TEST(InputChecks, TextsLongerThanTheirField) {
  auto longer = [](const std::string& key, int n, const std::string& value) {
    return text_records("FATAL ERROR: " + key + " is longer than " + std::to_string(n) + " characters: " + value);
  };
  const std::string calpuff = "! MDSPMOD = 1 !\n! PMAP = UTM !\n! UTMHEM = N !\n! ABTZ = UTC-0700 !\n! DATUM = NAR-C !\n";
  const std::string a32(32, 'S'), a33 = "FLARE ONE OF THE GAS PLANT NORTH " + std::string(7, 'X');  // 40
  const std::string t128(128, 'T'), t129 = std::string(127, 'T') + " U";
  const std::string a246(246, 'o');
  auto cat = [](std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
  };
  const std::vector<Line> cases = {
      // Fields of 1, 6, 8, 32 and 128 characters: the length is accepted, one more is not.
      {"UTMHEM of 1", "! UTMHEM = S !\n", {}, 0},
      {"UTMHEM of 5", "! UTMHEM = North !\n", longer("UTMHEM", 1, "North"), 1,
       [](const MOD_READINP& in) { EXPECT_EQ(in.UTMHEM.str(), "N"); }},
      {"PMAP of 6", "! PMAP = ABCDEF !\n", {}, 0},
      {"PMAP of 7", "! PMAP = ABCDEFG !\n", longer("PMAP", 6, "ABCDEFG"), 1},
      // The cut value would pass the datum check of a CALPUFF run.
      {"DATUM of 7, CALPUFF", "! DATUM = WGS-84X !\n" + calpuff, longer("DATUM", 6, "WGS-84X"), 1,
       [](const MOD_READINP& in) { EXPECT_EQ(in.DATUM.str(), "WGS-84"); }},
      {"DATUM of 6, CALPUFF", "! DATUM = WGS-84 !\n" + calpuff, {}, 0},
      {"ABTZ of 8", "! ABTZ = UTC+1000 !\n", {}, 0},
      {"ABTZ of 9", "! ABTZ = UTC-07:00 !\n", longer("ABTZ", 8, "UTC-07:00"), 1},
      {"SNAME of 32", "! SNAME = " + a32 + " !\n", {}, 0},
      {"SNAME of 33", "! SNAME = " + a32 + "X !\n", longer("SNAME", 32, a32 + "X"), 1},
      {"SNAME of 40 with blanks inside", "! SNAME = " + a33 + " !\n", longer("SNAME", 32, a33), 1},
      {"STITLE1 of 128", "! STITLE1 = " + t128 + " !\n", {}, 0},
      {"STITLE1 of 129", "! STITLE1 = " + t129 + " !\n", longer("STITLE1", 128, t129), 1},
      // Blanks and TABs at the ends of a value are not part of it.
      {"blanks around the value", "! PMAP =   ABCDEF \t  !\n! SNAME =\t" + a32 + "\t!\n", {}, 0},
      // A file name of 255: the longest value that a control line of 255
      // characters can hold is 246 characters, so none is ever too long.
      {"the longest OUTNAME a line holds", "!OUTNAME=" + a246 + "\n", {}, 0,
       [a246](const MOD_READINP& in) { EXPECT_EQ(in.OUTNAME.str(), a246); }},
      {"a line is cut at 255 before its value is read", "!OUTNAME=" + a246 + "xyz!\n", {}, 0,
       [a246](const MOD_READINP& in) { EXPECT_EQ(in.OUTNAME.str(), a246); }},
      // LCFILES is a truth value: its first character alone counts.
      {"LCFILES of 200", "! LCFILES = T" + std::string(199, 'x') + " !\n", {}, 0,
       [](const MOD_READINP& in) { EXPECT_TRUE(in.LCFILES); }},
      // Species names: each item of the list, with the blanks before it, which
      // its entry keeps.
      {"CHEMLST name of 8", "! CHEMLST = SO2,ABCDEFGH !\n", {}, 0},
      {"CHEMLST name of 9", "! CHEMLST = SO2,ABCDEFGHI !\n", longer("CHEMLST", 8, "ABCDEFGHI"), 1},
      {"CHEMLST name of 8 after a blank", "! CHEMLST = SO2, ABCDEFGH !\n", longer("CHEMLST", 8, " ABCDEFGH"), 1,
       [](const MOD_READINP& in) { EXPECT_EQ(in.CHEMLST(2).view(), " ABCDEFG"); }},
      {"CHEMLST name of 7 after a blank", "! CHEMLST = SO2, ABCDEFG !\n", {}, 0},
      {"two CHEMLST names", "! CHEMLST = METHANETHIOL, CARBONYLS !\n",
       cat(longer("CHEMLST", 8, "METHANETHIOL"), longer("CHEMLST", 8, " CARBONYLS")), 2},
      {"CHEMLST name beyond NSPEC", "! CHEMLST = SO2,H2S,METHANETHIOL !\n", {}, 0},
      {"CHEMLST name within NSPEC 3", "! NSPEC = 3 !\n! CHEMLST = SO2,H2S,METHANETHIOL !\n",
       longer("CHEMLST", 8, "METHANETHIOL"), 1},
      // Blank names of a CALPUFF run.
      {"one CHEMLST name for NSPEC 2", calpuff + "! CHEMLST = SO2 !\n", {names_short("2")}, 1},
      {"an empty CHEMLST item", calpuff + "! CHEMLST = ,H2S !\n", {names_short("2")}, 1},
      {"two CHEMLST names for NSPEC 2", calpuff + "! CHEMLST = SO2, H2S !\n", {}, 0},
      // Fixed meteorology.
      {"WINDDR 360", "! WINDDR = 360 !\n", {}, 0},
      {"WINDDR 400", "! WINDDR = 400 !\n", wind_error("   400.000000000000     "), 1},
      {"WINDDR -1", "! WINDDR = -1 !\n", {}, 0, [](const MOD_READINP& in) { EXPECT_EQ(in.WINDDR, -1); }},
      {"WINDDR 400, time-series file", "! MMET = 1 !\n! WINDDR = 400 !\n", {}, 0},
      // Every kind at once: the reader's notes in the order of the lookups
      // (SNAME, NSOURCES, DATUM, CHEMLST, MW, HS), the checks between, then
      // the hours, the names, the wind direction and the period.
      {"in order", "! HS = abc !\n! DATUM = WGS-84X !\n! NSOURCES = 2.5 !\n! SNAME = " + a32 + "X !\n" + calpuff +
                       "! NSPEC = 3 !\n! CHEMLST = SO2, ABCDEFGH !\n! MW = 64, x !\n! HHE = 24 !\n! YYE = 2122 !\n"
                       "! WINDDR = 400 !\n",
       cat(cat(longer("SNAME", 32, a32 + "X"), {" FATAL ERROR: NSOURCES is not a whole number: 2.5"}),
           cat(cat(longer("DATUM", 6, "WGS-84X"), longer("CHEMLST", 8, " ABCDEFGH")),
               cat({" FATAL ERROR: MW is not a list of numbers: 64, x", " FATAL ERROR: HS is not a number: abc",
                    " FATAL ERROR: HHE must be an hour from 0 to 23, HHE=" + I12("24"), names_short("3")},
                   cat(wind_error("   400.000000000000     "), {kPeriodLength})))),
       10},
  };
  check_lines(cases);
}

}  // namespace
}  // namespace quelmar::input
