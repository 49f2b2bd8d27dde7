// Input checks: every check against a configuration that passes all the
// others, asserting the list-file records, the error count and the defaults
// filled in.
#include "input/chkinput.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <functional>
#include <limits>
#include <string>
#include <utility>
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

// A configuration that every check passes: a steady CALPUFF release of
// methane from a 20 m flare in UTM zone 12.
void valid(MOD_READINP& in) {
  in.MDSPMOD = 1;
  in.OUTNAME = "out";
  in.HS = 20;
  in.RAW(run::CH4) = 1;
  in.IUTMZN = 12;
  in.XCOORD = 500;
  in.YCOORD = 4000;
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

// What the control-file reader noted of the file beside the values (the SEQ
// lines, the compositions it looked up), for a case that sets it by hand.
using Findings = std::function<void(run::ControlFindings&)>;

struct Checked : test::ListedRun {
  std::vector<std::string> records;
  int count = -1;

  explicit Checked(const std::function<void(MOD_READINP&)>& setup, const Findings& findings = nullptr) {
    setup(run->inp);
    if (findings) findings(run->findings);
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
  Findings findings = nullptr;
};

void run_cases(const std::vector<Case>& cases) {
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Checked k(c.setup, c.findings);
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

TEST(InputChecks, CalpuffDatum) {
  auto datum = [](std::string text) { return with([text](MOD_READINP& in) { in.DATUM = text; }); };
  // The text runs over 123 characters and the value: two records.
  auto bad = [](const std::string& value) {
    return text_records("FATAL ERROR: DATUM must be a CALPUFF datum code (WGS-84; NAR-C for NAD83; NAS-C for NAD27; "
                        "the others in datum_codes.txt), DATUM=" + value);
  };
  std::vector<Case> cases;
  for (const char* code : {"NAR-C", "NAS-C", "WGS-84", "INH-A1", "AFG", "WAK"})
    cases.push_back({code, datum(code), {}, 0});
  // Trailing blanks are not part of the value.
  cases.push_back({"blank padded", with([](MOD_READINP& in) { in.DATUM.set_blank_padded("NAR-C"); }), {}, 0});
  // Exact and case-sensitive, as CALPUFF compares.
  for (const char* text : {"NAD83", "NAD27", "nar-c", "WGS84", "NAR", " NAR-C"})
    cases.push_back({text, datum(text), bad(text), 1});
  cases.push_back({"absent", datum(""), bad(""), 1});
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
                    " FATAL ERROR: ABTZ must be UTC+hh00 or UTC-hh00, ABTZ=EST", bad("NAD83")[0], bad("NAD83")[1]},
                   5});
  // Only the CALPUFF path writes a datum.
  cases.push_back({"AERMOD run", with([](MOD_READINP& in) {
                     in.MDSPMOD = 2;
                     in.DATUM = "NAD83";
                   }),
                   {}, 0});
  run_cases(cases);
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
// A flare whose HS is 0 (not given, or given as no number).
const std::string kHsZero = " WARNING: HS is 0: the flare tip is at ground level";

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

// A free-format record of a text and a value (the value's field written out
// by hand): the text in pieces of up to 79 characters, each after the
// record's leading blank, and the value behind the last piece when the record
// still holds it, else in a record of its own.
std::vector<std::string> text_and_value(const std::string& text, const std::string& value) {
  std::vector<std::string> recs = text_records(text);
  if (recs.back().size() + value.size() <= 80) recs.back() += value;
  else recs.push_back(" " + value);
  return recs;
}

// The records of several findings, one after the other.
std::vector<std::string> in_turn(std::initializer_list<std::vector<std::string>> groups) {
  std::vector<std::string> all;
  for (const std::vector<std::string>& g : groups) all.insert(all.end(), g.begin(), g.end());
  return all;
}

std::vector<std::string> not_a_fraction(const std::string& key, const std::string& value) {
  return text_and_value("FATAL ERROR: " + key + " must be a mole fraction from 0 to 1, " + key + "=", value);
}
std::vector<std::string> sum_warning(const std::string& gas, const std::string& sum) {
  return text_and_value("WARNING: the " + gas + " mole fractions do not sum to 1, sum=", sum);
}
std::vector<std::string> seq_h2s(int row, const std::string& value) {
  return text_and_value("FATAL ERROR: SEQ row " + std::to_string(row) +
                            ": the H2S fraction must be from 0 to 1, or negative for the run's RH2S, H2S=",
                        value);
}
std::vector<std::string> zone_error(const std::string& zone) {
  return text_and_value("FATAL ERROR: IUTMZN must be a UTM zone from 1 to 60 (the hemisphere is UTMHEM), IUTMZN=",
                        I12(zone));
}
std::vector<std::string> easting_error(const std::string& value) {
  return text_and_value("FATAL ERROR: XCOORD must be a UTM easting from 0 to 1000 km, XCOORD=", value);
}
std::vector<std::string> northing_error(const std::string& value) {
  return text_and_value("FATAL ERROR: YCOORD must be a UTM northing from 0 to below 10000 km (in the southern "
                        "hemisphere counted from 10000 km at the equator, with UTMHEM = S), YCOORD=",
                        value);
}
std::vector<std::string> not_here(const std::string& key, const std::string& name) {
  return text_records("WARNING: " + key + " names " + name +
                      ", which is not in this folder: AERMOD run here will not find it");
}
const std::string kFewerLines = " FATAL ERROR: the control file has fewer SEQ lines than NSEQ, NSEQ=";
const std::string kFirstLines = " WARNING: only the first NSEQ SEQ lines are used, NSEQ=";
const std::vector<std::string> kNoRecinc =
    text_records("FATAL ERROR: RECINC must name the receptor file of the AERMOD control files");
const std::vector<std::string> kNoMetdat2 =
    text_records("FATAL ERROR: METDAT2 must name the AERMET profile file of the AERMOD control files");
const std::string kBlankOutname = " WARNING: OUTNAME is blank: the model files are named by their numbers alone";
std::vector<std::string> replaced_h2s(const std::string& value) {
  return text_and_value("WARNING: RH2S replaces the H2S fraction of the raw gas, RAW_H2S=", value);
}

// Free-format fields of the values below, written out from the record rules.
const std::string R_90 = "   90.0000000000000     ";
const std::string R_3 = "   3.00000000000000     ";
const std::string R_m05 = " -0.500000000000000     ";
const std::string R_2 = "   2.00000000000000     ";
const std::string R_101 = "   1.01000000000000     ";
const std::string R_10 = "   10.0000000000000     ";
const std::string R_098 = "  0.980000000000000     ";
const std::string R_105s = "   1.05000000000000     ";
const std::string R_m0001 = " -1.000000000000000E-003";
const std::string R_1000001k = "   1000.00100000000     ";
const std::string R_10000 = "   10000.0000000000     ";
const std::string R_500000 = "   500000.000000000     ";
const std::string R_01 = "  0.100000000000000     ";

// A flare's own inputs: the mole fractions and their sums, the step table
// against NSEQ, the UTM zone and position, and the warnings of a likely slip,
// each at and beyond its bounds. (The files of an AERMOD run are below.)
TEST(InputChecks, FlareInputs) {
  using run::CH4;
  using run::H2S;
  using run::N2;
  using run::NH3;
  using run::H2O;
  auto fuel = [](run::ControlFindings& f) { f.fuel_read = true; };
  auto lift = [](run::ControlFindings& f) { f.lift_read = true; };
  auto lines = [](int n) { return [n](run::ControlFindings& f) { f.seq_lines = n; }; };
  // A user sequence of three rows, each with the run's H2S fraction.
  auto sequence = [](std::function<void(MOD_READINP&)> change) {
    return with([change](MOD_READINP& in) {
      in.MINPUT = 2;
      in.NSEQ = 3;
      for (int r = 1; r <= 3; ++r) in.PSEQ(r, 3) = -1;
      change(in);
    });
  };
  auto at = [](double MOD_READINP::*field, double v) { return with([field, v](MOD_READINP& in) { in.*field = v; }); };
  auto zone = [](int z, int model = 1) {
    return with([z, model](MOD_READINP& in) {
      in.IUTMZN = z;
      in.MDSPMOD = model;
    });
  };
  run_cases({
      // Fractions of 0 and 1 are fractions, in each gas that is read.
      {"fractions 0 and 1", with([](MOD_READINP& in) {
         in.RAW(H2O) = 0;
         in.FUEL(N2) = 1;
         in.LIFT(N2) = 1;
       }),
       {}, 0, nullptr, [](run::ControlFindings& f) { f.fuel_read = f.lift_read = true; }},
      // A composition in percent: one error per keyword, in the order of the
      // keywords (H2S before C1); no word of the sum.
      {"raw gas in percent", with([](MOD_READINP& in) {
         in.RAW(CH4) = 90;
         in.RAW(H2S) = 3;
       }),
       in_turn({not_a_fraction("RAW_H2S", R_3), not_a_fraction("RAW_C1", R_90)}), 2},
      {"a negative fraction", with([](MOD_READINP& in) { in.RAW(N2) = -0.5; }), not_a_fraction("RAW_N2", R_m05), 1},
      {"fuel gas read", with([](MOD_READINP& in) { in.FUEL(NH3) = 2; }), not_a_fraction("FUEL_NH3", R_2), 1, nullptr,
       fuel},
      {"fuel gas not read", with([](MOD_READINP& in) { in.FUEL(NH3) = 2; }), {}, 0},
      {"lift gas read", with([](MOD_READINP& in) {
         in.LIFT(N2) = 1.5;
         in.LIFT(CH4) = -0.5;
       }),
       in_turn({not_a_fraction("LIFT_N2", R_15), not_a_fraction("LIFT_C1", R_m05)}), 2, nullptr, lift},
      {"a point source burns no gas", with([](MOD_READINP& in) {
         in.MINPUT = 3;
         in.RAW(CH4) = 90;
         in.RH2S = 5;
       }),
       {}, 0},
      {"RH2S 1", at(&MOD_READINP::RH2S, 1), {}, 0},
      {"RH2S negative", at(&MOD_READINP::RH2S, -1), {}, 0},
      {"RH2S 1.01", at(&MOD_READINP::RH2S, 1.01),
       text_and_value("FATAL ERROR: RH2S must be a mole fraction of 1 or less, RH2S=", R_101), 1},
      // A row's H2S fraction: negative for the run's own, else from 0 to 1.
      {"SEQ rows at their bounds", sequence([](MOD_READINP& in) {
         in.PSEQ(1, 3) = 0;
         in.PSEQ(2, 3) = 1;
       }),
       {}, 0, nullptr, lines(3)},
      {"SEQ row in percent", sequence([](MOD_READINP& in) { in.PSEQ(2, 3) = 10; }), seq_h2s(2, R_10), 1, nullptr,
       lines(3)},
      // A row beyond NSEQ is not used, and not checked.
      {"row beyond NSEQ", sequence([](MOD_READINP& in) { in.PSEQ(4, 3) = 10; }), {}, 0, nullptr, lines(3)},
      // Sums within 0.01 of 1 pass.
      {"sum 0.995", with([](MOD_READINP& in) { in.RAW(CH4) = 0.995; }), {}, 0},
      {"sum 1.005", with([](MOD_READINP& in) {
         in.RAW(CH4) = 0.955;
         in.RAW(H2S) = 0.05;
       }),
       {}, 0},
      {"sum 0.989", with([](MOD_READINP& in) { in.RAW(CH4) = 0.989; }),
       sum_warning("RAW", "  0.989000000000000     "), 0},
      {"sum 1.011", with([](MOD_READINP& in) {
         in.RAW(CH4) = 0.961;
         in.RAW(H2S) = 0.05;
       }),
       sum_warning("RAW", "   1.01100000000000     "), 0},
      {"sum 0.98", with([](MOD_READINP& in) { in.RAW(CH4) = 0.98; }), sum_warning("RAW", R_098), 0},
      {"sum 1.05", with([](MOD_READINP& in) { in.RAW(H2S) = 0.05; }), sum_warning("RAW", R_105s), 0},
      {"a fuel gas of nothing", with([](MOD_READINP&) {}), sum_warning("FUEL", R_0), 0, nullptr, fuel},
      // The errors of the fractions come first, then the sums; a gas with a
      // fraction outside 0 to 1 has no sum.
      {"fractions before sums", with([](MOD_READINP& in) {
         in.RAW(CH4) = 0.98;
         in.LIFT(N2) = 2;
       }),
       in_turn({not_a_fraction("LIFT_N2", R_2), sum_warning("RAW", R_098)}), 1, nullptr, lift},
      // The step table against NSEQ.
      {"NSEQ equal to the lines", sequence([](MOD_READINP&) {}), {}, 0, nullptr, lines(3)},
      {"fewer lines", sequence([](MOD_READINP&) {}), {kFewerLines + I12("3")}, 1, nullptr, lines(2)},
      {"more lines", sequence([](MOD_READINP&) {}), {kFirstLines + I12("3")}, 0, nullptr, lines(4)},
      {"lines beside another source", with([](MOD_READINP&) {}), {}, 0, nullptr, lines(3)},
      // The UTM zone of a CALPUFF flare file.
      {"zone 1", zone(1), {}, 0},
      {"zone 60", zone(60), {}, 0},
      {"zone 0", zone(0), zone_error("0"), 1},
      {"zone 61", zone(61), zone_error("61"), 1},
      {"zone -21 for 21 south", zone(-21), zone_error("-21"), 1},
      {"zone 0 on the AERMOD path", zone(0, 2), {}, 0},
      {"zone 0 without UTM", with([](MOD_READINP& in) {
         in.IUTMZN = 0;
         in.PMAP = "LCC";
       }),
       {" FATAL ERROR: CALPUFF flare files need PMAP=UTM, PMAP=LCC"}, 1},
      // The position in km.
      {"easting 0", at(&MOD_READINP::XCOORD, 0), {}, 0},
      {"easting 1000", at(&MOD_READINP::XCOORD, 1000), {}, 0},
      {"easting -0.001", at(&MOD_READINP::XCOORD, -0.001), easting_error(R_m0001), 1},
      {"easting 1000.001", at(&MOD_READINP::XCOORD, 1000.001), easting_error(R_1000001k), 1},
      {"northing 0", at(&MOD_READINP::YCOORD, 0), {}, 0},
      {"northing 9999", at(&MOD_READINP::YCOORD, 9999), {}, 0},
      {"northing 9999.999", at(&MOD_READINP::YCOORD, 9999.999), {}, 0},
      {"northing -1", at(&MOD_READINP::YCOORD, -1), northing_error(R_m1), 1},
      {"northing 10000", at(&MOD_READINP::YCOORD, 10000), northing_error(R_10000), 1},
      {"southern northing", with([](MOD_READINP& in) {
         in.UTMHEM = "S";
         in.YCOORD = 6500;
       }),
       {}, 0},
      {"easting in metres, AERMOD", with([](MOD_READINP& in) {
         in.MDSPMOD = 2;
         in.XCOORD = 500000;
       }),
       easting_error(R_500000), 1},
      {"metres without UTM, AERMOD", with([](MOD_READINP& in) {
         in.MDSPMOD = 2;
         in.PMAP = "";
         in.XCOORD = 500000;
       }),
       {}, 0},
      {"metres without a model file", with([](MOD_READINP& in) {
         in.MDSPMOD = 0;
         in.XCOORD = 500000;
       }),
       {}, 0},
      // Warnings of a likely slip.
      {"OUTNAME blank", with([](MOD_READINP& in) { in.OUTNAME = ""; }), {kBlankOutname}, 0},
      {"OUTNAME blank, AERMOD", with([](MOD_READINP& in) {
         in.OUTNAME = "";
         in.MDSPMOD = 2;
       }),
       {kBlankOutname}, 0},
      {"OUTNAME blank, no model file", with([](MOD_READINP& in) {
         in.OUTNAME = "";
         in.MDSPMOD = 0;
       }),
       {}, 0},
      {"HS 0", at(&MOD_READINP::HS, 0), {kHsZero}, 0},
      {"HS 0 of a sequence", sequence([](MOD_READINP& in) { in.HS = 0; }), {kHsZero}, 0, nullptr, lines(3)},
      {"HS 0 of a point source", with([](MOD_READINP& in) {
         in.HS = 0;
         in.MINPUT = 3;
       }),
       {}, 0},
      {"RH2S beside another RAW_H2S", with([](MOD_READINP& in) {
         in.RAW(CH4) = 0.9;
         in.RAW(H2S) = 0.1;
         in.RH2S = 0.05;
       }),
       replaced_h2s(R_01), 0},
      {"RH2S above RAW_H2S", with([](MOD_READINP& in) {
         in.RAW(CH4) = 0.9;
         in.RAW(H2S) = 0.1;
         in.RH2S = 0.2;
       }),
       replaced_h2s(R_01), 0},
      {"RH2S equal to RAW_H2S", with([](MOD_READINP& in) {
         in.RAW(CH4) = 0.9;
         in.RAW(H2S) = 0.1;
         in.RH2S = 0.1;
       }),
       {}, 0},
      {"RH2S without RAW_H2S", at(&MOD_READINP::RH2S, 0.05), {}, 0},
      {"RAW_H2S without RH2S", with([](MOD_READINP& in) {
         in.RAW(CH4) = 0.9;
         in.RAW(H2S) = 0.1;
         in.RH2S = -1;
       }),
       {}, 0},
      // Every finding at once: after the checks that were there before, in
      // the order fractions, RH2S, rows, sums, NSEQ, zone, position, slips.
      {"in the order of the checks", sequence([](MOD_READINP& in) {
         in.YYE = 2200;
         in.NSEQ = 2;
         in.RAW(CH4) = 90;
         in.RH2S = 1.5;
         in.PSEQ(2, 3) = 5;
         in.FUEL(CH4) = 0.5;
         in.IUTMZN = 0;
         in.XCOORD = -1;
         in.YCOORD = 10000;
         in.OUTNAME = "";
         in.HS = 0;
       }),
       in_turn({{kPeriodLength},
                not_a_fraction("RAW_C1", R_90),
                text_and_value("FATAL ERROR: RH2S must be a mole fraction of 1 or less, RH2S=", R_15),
                seq_h2s(2, "   5.00000000000000     "),
                sum_warning("FUEL", R_05),
                {kFewerLines + I12("2")},
                zone_error("0"),
                easting_error(R_m1),
                northing_error(R_10000),
                {kBlankOutname, kHsZero}}),
       8, nullptr, [](run::ControlFindings& f) {
         f.seq_lines = 1;
         f.fuel_read = true;
       }},
  });
}

// The files that the AERMOD control files name, for a run with AERMET files:
// a name is needed for each; one that does not name a file of the folder the
// run starts in is only a warning.
TEST(InputChecks, FilesOfAnAermodRun) {
  test::TempDir dir;
  const std::string rec = dir.file("receptors.inc"), prof = dir.file("aermet.pfl");
  test::write_file(rec, "RE GRIDCART\n");
  test::write_file(prof, "profile\n");
  const std::string missing = dir.file("RECEPTORS.INC"), folder = dir.path().string();
  auto aermod = [rec, prof](std::function<void(MOD_READINP&)> change) {
    return with([rec, prof, change](MOD_READINP& in) {
      in.MDSPMOD = 2;
      in.MMET = 2;
      in.RECINC = rec;
      in.METDAT2 = prof;
      change(in);
    });
  };
  run_cases({
      {"both files there", aermod([](MOD_READINP&) {}), {}, 0},
      {"no RECINC", aermod([](MOD_READINP& in) { in.RECINC = ""; }), kNoRecinc, 1},
      {"no METDAT2", aermod([](MOD_READINP& in) { in.METDAT2 = ""; }), kNoMetdat2, 1},
      {"neither", aermod([](MOD_READINP& in) { in.RECINC = in.METDAT2 = ""; }), in_turn({kNoRecinc, kNoMetdat2}), 2},
      // The name as the control files hold it, after the case conversion.
      {"RECINC in upper case", aermod([missing](MOD_READINP& in) { in.RECINC = missing; }),
       not_here("RECINC", missing), 0},
      {"METDAT2 a folder", aermod([folder](MOD_READINP& in) { in.METDAT2 = folder; }), not_here("METDAT2", folder), 0},
      // The errors first, then the warnings, then the slips.
      {"in order", aermod([missing](MOD_READINP& in) {
         in.METDAT2 = "";
         in.RECINC = missing;
         in.OUTNAME = "";
       }),
       in_turn({kNoMetdat2, not_here("RECINC", missing), {kBlankOutname}}), 1},
      // With other meteorology the user completes the control files.
      {"a time-series file", aermod([](MOD_READINP& in) {
         in.MMET = 1;
         in.RECINC = in.METDAT2 = "";
       }),
       {}, 0},
      {"CALPUFF with AERMET files", aermod([](MOD_READINP& in) {
         in.MDSPMOD = 1;
         in.RECINC = in.METDAT2 = "";
       }),
       {}, 0},
  });
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
      {"letters", "! HS = abc !\n", {nan + "HS is not a number: abc", kHsZero}, 1,
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
       {nan + "YYS is not a whole number: MMXXI", nan + "HS is not a number: abc",
        nan + "YYS" + year + "YYS=" + I12("0"), kHsZero},
       3},
      {"after the CALPUFF checks",
       "! MDSPMOD = 1 !\n! PMAP = LCC !\n! UTMHEM = N !\n! ABTZ = UTC-0700 !\n! DATUM = WGS-84 !\n! HS = x !\n",
       {" FATAL ERROR: CALPUFF flare files need PMAP=UTM, PMAP=LCC", nan + "HS is not a number: x",
        " WARNING: OUTNAME is blank: the model files are named by their numbers alone", kHsZero},
       2},
      // What converts today still does; what sets nothing is no error.
      {"a number and a unit", "! HS = 5 m/s !\n", {}, 0, [](const MOD_READINP& in) { EXPECT_EQ(in.HS, 5); }},
      {"exponent D", "! HS = 2.5D1 !\n", {}, 0, [](const MOD_READINP& in) { EXPECT_EQ(in.HS, 25); }},
      {"empty value", "! HS = !\n", {kHsZero}, 0, [](const MOD_READINP& in) { EXPECT_EQ(in.HS, 0); }},
      {"leading comma", "! HS = ,5 !\n", {kHsZero}, 0, [](const MOD_READINP& in) { EXPECT_EQ(in.HS, 0); }},
      {"slash", "! HS = / !\n", {kHsZero}, 0, [](const MOD_READINP& in) { EXPECT_EQ(in.HS, 0); }},
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

// What the reader notes for the checks: the SEQ lines of the file (keyword
// lines only, read or not), and the compositions it looked up.
TEST(InputChecks, WhatTheReaderNotesForTheChecks) {
  const std::string rows = "! SEQ = 100, 3600, -1, -1 !\n! SEQ = 50, 1800, 0.05, -1 !\n";
  const std::vector<Line> cases = {
      {"NSEQ equal to the lines", "! MINPUT = 2 !\n! NSEQ = 2 !\n" + rows, {}, 0,
       [](const MOD_READINP& in) { EXPECT_EQ(in.PSEQ(2, 3), 0.05); }},
      // A line without a mark, or between the echo's inactive marks, is a comment.
      {"comments are no lines", "! MINPUT = 2 !\n! NSEQ = 2 !\n" + rows + "SEQ = 5, 60, -1, -1\n* SEQ = 5, 60 *\n",
       {}, 0},
      {"one line more", "! MINPUT = 2 !\n! NSEQ = 2 !\n" + rows + "! SEQ = 5, 60, -1, -1 !\n", {kFirstLines + I12("2")},
       0},
      // The table then reads as empty: the run would stop at its first row.
      {"one line fewer", "! MINPUT = 2 !\n! NSEQ = 3 !\n" + rows, {kFewerLines + I12("3")}, 1,
       [](const MOD_READINP& in) { EXPECT_EQ(in.PSEQ(1, 2), 0); }},
      {"lines without NSEQ", "! MINPUT = 2 !\n" + rows, {kFirstLines + I12("0")}, 0},
      {"a row in percent", "! MINPUT = 2 !\n! NSEQ = 2 !\n! SEQ = 100, 3600, 10, -1 !\n! SEQ = 1, 60, 0.5, -1 !\n",
       seq_h2s(1, R_10), 1},
      // The fuel gas is read, and checked, only with MFUELGAS; so is the lift gas with MLIFTGAS.
      {"FUEL_ without MFUELGAS", "! FUEL_C1 = 90 !\n! LIFT_N2 = 90 !\n", {}, 0},
      {"FUEL_ with MFUELGAS", "! MFUELGAS = 1 !\n! FGR = 0 !\n! FUEL_C1 = 90 !\n", not_a_fraction("FUEL_C1", R_90), 1},
      {"LIFT_ with MLIFTGAS", "! MLIFTGAS = 1 !\n! LIFT_N2 = 1 !\n! LIFT_CO2 = 0.5 !\n",
       sum_warning("LIFT", "   1.50000000000000     "), 0},
      {"raw gas in percent", "! RAW_C1 = 97 !\n! RAW_H2S = 3 !\n",
       in_turn({not_a_fraction("RAW_H2S", R_3), not_a_fraction("RAW_C1", "   97.0000000000000     ")}), 2},
  };
  check_lines(cases);
}

// Texts longer than the field that holds them, noted by the reader and
// reported with the values that are not numbers, in the order of the lookups.
TEST(InputChecks, TextsLongerThanTheirField) {
  auto longer = [](const std::string& key, int n, const std::string& value) {
    return text_records("FATAL ERROR: " + key + " is longer than " + std::to_string(n) + " characters: " + value);
  };
  const std::string calpuff =
      "! MDSPMOD = 1 !\n! PMAP = UTM !\n! UTMHEM = N !\n! ABTZ = UTC-0700 !\n! DATUM = NAR-C !\n"
      "! IUTMZN = 12 !\n! OUTNAME = out !\n";
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
                   cat(wind_error("   400.000000000000     "), {kPeriodLength, kHsZero})))),
       10},
  };
  check_lines(cases);
}

// ---------------------------------------------------------------- whole runs

namespace fs = std::filesystem;

// A shipped example run in a folder of its own, with its control file
// changed: lines put right after its first record (the first line with a key
// is the one that counts), the lines of some keys taken out, and files of
// examples/met copied into the run's folder under names of their own.
struct Change {
  std::string first;
  std::vector<std::string> drop = {};
  std::vector<std::pair<std::string, std::string>> copies = {};
};

struct ExampleRun {
  test::TempDir tmp;
  fs::path dir;
  test::ProcessResult r;
  std::vector<std::string> checks;   // list-file records after the echo, up to those of the passes or the count
  std::vector<std::string> tail;     // the records from there on
  std::vector<std::string> written;  // the files the run added to its folder, the list file aside

  ExampleRun(const std::string& folder, const std::string& control, const Change& change) {
    fs::copy(test::source_path("examples/met"), tmp.path() / "met", fs::copy_options::recursive);
    dir = tmp.path() / folder;
    test::copy_run_inputs("examples/" + folder, dir);
    for (const auto& [from, to] : change.copies) fs::copy_file(test::source_path("examples/met/" + from), dir / to);
    const std::vector<std::string> lines = test::text_lines(test::read_file((dir / control).string()));
    std::string text = lines.at(0) + "\n" + change.first;
    for (std::size_t i = 1; i < lines.size(); ++i) {
      const std::string& line = lines[i];
      const std::string key = line.rfind("! ", 0) == 0 ? line.substr(2, line.find_first_of(" =", 2) - 2) : "";
      if (std::find(change.drop.begin(), change.drop.end(), key) == change.drop.end()) text += line + "\n";
    }
    test::write_file((dir / control).string(), text);
    const std::vector<std::string> before = test::folder_names(dir);
    r = test::run_quelmar(dir, control);
    std::string lst;
    for (const std::string& name : test::folder_names(dir)) {
      if (std::find(before.begin(), before.end(), name) != before.end()) continue;
      const std::string ext = fs::path(name).extension().string();
      if (ext == ".lst" || ext == ".LST") lst = name;
      else written.push_back(name);
    }
    const std::vector<std::string> recs = test::file_records((dir / lst).string());
    auto at = std::find(recs.begin(), recs.end(), " end of input file");
    at = recs.end() - at >= 3 ? at + 3 : recs.end();
    const auto passes = std::find_if(at, recs.end(), [](const std::string& rec) {
      return rec.rfind(" Number of errors in input file:", 0) == 0 || rec.rfind(" CPU Time", 0) == 0 ||
             rec.rfind(" AERMET anemometer height", 0) == 0;
    });
    checks.assign(at, passes);
    tail.assign(passes, recs.end());
  }
};

// The model files of a shipped example, as its expected files hold them.
std::vector<std::string> example_files(const std::string& folder) {
  return test::folder_names(fs::path(test::source_path("tests/data/examples/" + folder)));
}

std::vector<std::string> numbered(const std::string& base, int n) {
  std::vector<std::string> names;
  for (int i = 1; i <= n; ++i) names.push_back(base + (i < 10 ? "_0" : "_") + std::to_string(i) + ".dat");
  return names;
}

// The mistakes a new user makes when modelling a flare of their own from the
// examples: each counted error ends the run with status 1 before any model
// file, one record (or one record's pieces) and one error each; each warning
// leaves the run to go on. The examples give no ODOURPPB, so every list file
// begins with its default.
TEST(InputChecksOfARun, TheMistakesOfANewUser) {
  const std::string S = "steady_fixed", Q = "sequence_aermet", A = "aermod_steady";
  const std::string percent =
      "! RAW_C1 = 90 !\n! RAW_C2 = 3 !\n! RAW_C3 = 1 !\n! RAW_N2 = 2 !\n! RAW_CO2 = 2 !\n! RAW_H2S = 2 !\n";
  const std::string datum =
      "FATAL ERROR: DATUM must be a CALPUFF datum code (WGS-84; NAR-C for NAD83; NAS-C for NAD27; "
      "the others in datum_codes.txt), DATUM=";
  struct Mistake {
    std::string name, folder;
    Change change;
    std::vector<std::string> records;  // after the odour default
    int errors;                        // counted; 0: the run goes on
    std::vector<std::string> files = {};  // written, when the run goes on
  };
  const std::vector<Mistake> mistakes = {
      // RAW_C3 = 1 is a fraction still.
      {"a composition in percent", S, {percent},
       in_turn({not_a_fraction("RAW_N2", R_2), not_a_fraction("RAW_CO2", R_2), not_a_fraction("RAW_H2S", R_2),
                not_a_fraction("RAW_C1", R_90), not_a_fraction("RAW_C2", R_3)}),
       5},
      // 0.02 + 0.02 + 0.02 + 0.95 + 0.03 + 0.01
      {"fractions that sum to 1.05", S, {"! RAW_C1 = 0.95 !\n"}, sum_warning("RAW", R_105s), 0, {"steady_01.dat"}},
      {"a row's H2S fraction in percent", Q,
       {"! SEQ = 200, 1800, -1, -1 !\n! SEQ = 120, 1800, 10, -1 !\n! SEQ = 60, 3600, -1, -1 !\n", {"SEQ"}},
       seq_h2s(2, R_10), 1},
      {"NSEQ 4 with three SEQ lines", Q, {"! NSEQ = 4 !\n"}, {kFewerLines + I12("4")}, 1},
      {"NSEQ 2 with three SEQ lines", Q, {"! NSEQ = 2 !\n"}, {kFirstLines + I12("2")}, 0, numbered("sequence", 24)},
      {"zone 21 south as -21", S, {"! IUTMZN = -21 !\n"}, zone_error("-21"), 1},
      {"a southern northing from the equator", S, {"! YCOORD = -3012.346 !\n"},
       northing_error("  -3012.34600000000     "), 1},
      {"coordinates in metres, CALPUFF", S, {"! XCOORD = 512345 !\n! YCOORD = 5987654 !\n"},
       in_turn({easting_error("   512345.000000000     "), northing_error("   5987654.00000000     ")}), 2},
      {"coordinates in metres, AERMOD", A, {"! PMAP = UTM !\n! XCOORD = 583250 !\n! YCOORD = 4572650 !\n"},
       in_turn({easting_error("   583250.000000000     "), northing_error("   4572650.00000000     ")}), 2},
      {"an easting of 10^20 km", S, {"! XCOORD = 1e20 !\n"}, easting_error("  1.000000000000000E+020"), 1},
      {"AERMOD without METDAT2", A, {"", {"METDAT2"}}, kNoMetdat2, 1},
      {"AERMOD without RECINC", A, {"", {"RECINC"}}, kNoRecinc, 1},
      {"RECINC names no file", A, {"! RECINC = receptor.inc !\n"}, not_here("RECINC", "receptor.inc"), 0,
       {"steady_mod_01.dat", "steady_mod_01.inx"}},
      // Upper-case names: the AERMET files are there as the control files name
      // them, the receptor file is not.
      {"RECINC turned to upper case", A,
       {"! LCFILES = F !\n! METDAT = aermet2.sfc !\n! METDAT2 = aermet2.pfl !\n", {},
        {{"aermet2.sfc", "AERMET2.SFC"}, {"aermet2.pfl", "AERMET2.PFL"}}},
       not_here("RECINC", "RECEPTORS.INC"), 0, {"STEADY_MOD_01.DAT", "STEADY_MOD_01.INX"}},
      {"OUTNAME left out", S, {"", {"OUTNAME"}}, {kBlankOutname}, 0, {"_01.dat"}},
      {"HS left out", S, {"", {"HS"}}, {kHsZero}, 0, {"steady_01.dat"}},
      {"RH2S beside another RAW_H2S", S, {"! RH2S = 0.05 !\n! RAW_C1 = 0.82 !\n! RAW_H2S = 0.10 !\n"},
       replaced_h2s(R_01), 0, {"steady_01.dat"}},
      {"the datum WGS84", S, {"! DATUM = WGS84 !\n"}, text_records(datum + "WGS84"), 1},
  };
  for (const Mistake& m : mistakes) {
    SCOPED_TRACE(m.name);
    const std::string control = m.folder == S ? "steady.inp" : m.folder == Q ? "sequence.inp" : "steady_am.inp";
    ExampleRun run(m.folder, control, m.change);
    EXPECT_EQ(run.checks, in_turn({kOdour, m.records}));
    if (m.errors > 0) {
      EXPECT_EQ(run.r.status, 1);
      ASSERT_FALSE(run.tail.empty());
      EXPECT_EQ(run.tail.front(), " Number of errors in input file:" + I12(std::to_string(m.errors)));
      EXPECT_EQ(run.tail.back(), " Program Terminated with ***ERRORS***");
      EXPECT_EQ(run.written, std::vector<std::string>{});  // no model file, nor a part of one
    } else {
      EXPECT_EQ(run.r.status, 0) << run.r.out;
      ASSERT_FALSE(run.tail.empty());
      EXPECT_EQ(run.tail.back(), " Program Terminated");
      EXPECT_EQ(run.written, m.files);
    }
  }
}

// A valid run at each bound of the checks: no record of them, and the model
// files are the example's. Where the value reaches the files (the zone, the
// position), only its own field differs: the flame carries the release point
// 0.03396 km east of the flare in every step of the steady example (its
// expected X field holds 512.37896 for XCOORD 512.345).
TEST(InputChecksOfARun, ValidAtEachBound) {
  // The fuel gas and the lift gas are read and checked, but added at a ratio
  // and a flow of 0, so the flared gas stays the raw gas.
  const std::string fuel = "! MFUELGAS = 1 !\n! FGR = 0 !\n", lift = "! MLIFTGAS = 1 !\n! QLIFTGAS = 0 !\n";
  using Alter = std::function<void(std::vector<std::string>&)>;
  // A field of every time-variant source line (after the 19 records of the
  // header), from its column on.
  auto field = [](std::size_t column, std::string text) {
    return [column, text](std::vector<std::string>& recs) {
      for (std::size_t i = 19; i < recs.size(); ++i)
        if (recs[i].rfind("'FLARE1'", 0) == 0) recs[i].replace(column - 1, text.size(), text);
    };
  };
  auto zone = [](std::string record) { return [record](std::vector<std::string>& recs) { recs.at(10) = record; }; };
  struct Bound {
    std::string name, folder, control;
    Change change;
    Alter alter = nullptr;
  };
  const std::vector<Bound> bounds = {
      {"fractions of 0", "steady_fixed", "steady.inp", {"! RAW_H2O = 0 !\n! RAW_HE = 0 !\n"}},
      {"a fuel gas fraction of 1", "steady_fixed", "steady.inp", {fuel + "! FUEL_C1 = 1 !\n"}},
      {"a lift gas fraction of 1", "steady_fixed", "steady.inp", {lift + "! LIFT_N2 = 1 !\n"}},
      {"a sum of 0.995", "steady_fixed", "steady.inp", {fuel + "! FUEL_C1 = 0.995 !\n"}},
      {"a sum of 1.005", "steady_fixed", "steady.inp", {fuel + "! FUEL_C1 = 0.9 !\n! FUEL_C2 = 0.105 !\n"}},
      {"zone 1", "steady_fixed", "steady.inp", {"! IUTMZN = 1 !\n"}, zone("   1N")},
      {"zone 60", "steady_fixed", "steady.inp", {"! IUTMZN = 60 !\n"}, zone("  60N")},
      {"easting 0", "steady_fixed", "steady.inp", {"! XCOORD = 0 !\n"}, field(10, "   0.03396")},
      {"easting 1000", "steady_fixed", "steady.inp", {"! XCOORD = 1000 !\n"}, field(10, "1000.03396")},
      {"northing 0", "steady_fixed", "steady.inp", {"! YCOORD = 0 !\n"}, field(21, "   0.00000")},
      {"northing 9999", "steady_fixed", "steady.inp", {"! YCOORD = 9999 !\n"}, field(21, "9999.00000")},
      {"NSEQ equal to the SEQ lines", "sequence_aermet", "sequence.inp", {}},
      {"an AERMOD run in UTM", "aermod_steady", "steady_am.inp", {"! PMAP = UTM !\n"}},
  };
  for (const Bound& b : bounds) {
    SCOPED_TRACE(b.name);
    ExampleRun run(b.folder, b.control, b.change);
    EXPECT_EQ(run.r.status, 0) << run.r.out;
    EXPECT_EQ(run.checks, kOdour);
    EXPECT_EQ(run.written, example_files(b.folder));
    for (const std::string& name : run.written) {
      std::vector<std::string> want =
          test::file_records(test::source_path("tests/data/examples/" + b.folder + "/" + name));
      if (b.alter) b.alter(want);
      EXPECT_EQ(test::file_records((run.dir / name).string()), want) << name;
    }
  }
}

// The flux check of the SO2 pseudo-stack, in a valid run: an air-assisted
// flare whose exit velocity the sonic limit holds back, in each of the three
// hours of the steady example. The list file holds what the console shows.
TEST(InputChecksOfARun, FluxCheckInTheListFile) {
  ExampleRun run("steady_fixed", "steady.inp",
                 {"! QMAX = 50 !\n! DF = 0.3 !\n! DS = 0.25 !\n! MFASSIST = 1 !\n! MFASSISTAIR = 1 !\n"
                  "! AIR_FLOW = 1000 !\n! RAIRAIR = 0.35 !\n"});
  ASSERT_EQ(run.r.status, 0) << run.r.out;
  auto of_the_check = [](std::string_view rec) {
    for (std::string_view head :
         {"*** ERROR *** bad calc in F", "FM_check :", "      FM :", "FB_check :", "      FB :"})
      if (rec.substr(0, head.size()) == head) return true;
    return false;
  };
  std::vector<std::string> console;
  for (const std::string& line : test::text_lines(run.r.out))
    if (of_the_check(line)) console.push_back(" " + line);
  ASSERT_EQ(console.size(), 18u);
  EXPECT_EQ(test::starting_with(console, " *** ERROR ***"),
            (std::vector<std::string>{" *** ERROR *** bad calc in FM", " *** ERROR *** bad calc in FB",
                                      " *** ERROR *** bad calc in FM", " *** ERROR *** bad calc in FB",
                                      " *** ERROR *** bad calc in FM", " *** ERROR *** bad calc in FB"}));
  std::vector<std::string> listed;
  for (const std::string& r : run.checks)
    if (of_the_check(std::string_view(r).substr(1))) listed.push_back(r);
  EXPECT_EQ(listed, console);
  EXPECT_EQ(run.written, std::vector<std::string>{"steady_01.dat"});
}

}  // namespace
}  // namespace quelmar::input
