// The built-in species table: its bookkeeping columns, its coefficient rows
// against the published coefficient file, and physics sanity checks that a
// wrong or shifted coefficient row would fail.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "run/species_table.hpp"
#include "physics/thermo.hpp"
#include "physics/physics_ready.hpp"

namespace quelmar::physics {
namespace {

using testing::ReadyTable;

constexpr double R = 8.31446261815324;

TEST(SpeciesTableTest, AirFractionsAddUpToOneAndFlaggedConstituentsTo079061) {
  const SpeciesTable prop;
  double all = 0, flagged = 0;
  for (int i = 1; i <= NSPECIES; ++i) {
    all += prop(6, i);
    if (prop(35, i) > 0) flagged += prop(6, i);
  }
  EXPECT_NEAR(all, 1.0, 1e-15);
  EXPECT_NEAR(flagged, 0.79061, 1e-15);
}

TEST(SpeciesTableTest, SulfurIsTheOnlySpeciesOutsideMixtureSums) {
  const SpeciesTable prop;
  for (int i = 1; i <= NSPECIES; ++i) EXPECT_EQ(prop(32, i) > 0, i != S) << "species " << i;
}

TEST(SpeciesTableTest, FlagColumnsSelectTheRightSpecies) {
  const SpeciesTable prop;
  for (int i = 1; i <= NSPECIES; ++i) {
    EXPECT_EQ(prop(33, i) > 0, i >= CH4 && i <= C7) << "hydrocarbon flag, species " << i;
    const bool combustible = i == H2 || (i >= H2S && i <= NH3);
    EXPECT_EQ(prop(12, i) > 0, combustible) << "combustible flag, species " << i;
  }
}

TEST(SpeciesTableTest, BuiltInAirRowBeforeStartUp) {
  const SpeciesTable prop;
  EXPECT_EQ(prop(1, AIR), 28.965191095);
  EXPECT_EQ(prop(14, AIR), 10106.332909);
  EXPECT_EQ(prop(31, AIR), -8.7183368481);
  EXPECT_EQ(prop(4, AIR), 0.0);  // heat-capacity columns come from SETUP1
  EXPECT_EQ(prop(5, AIR), 0.0);
}

TEST(SpeciesTableTest, RowsThatDifferFromThePublishedSets) {
  const SpeciesTable prop;
  // Krypton: constant heat capacity above 1000 K too, with its own b1, b2.
  EXPECT_EQ(prop(23, KR), 0.0);
  EXPECT_EQ(prop(25, KR), 2.5);
  EXPECT_EQ(prop(30, KR), -740.348894);
  EXPECT_EQ(prop(31, KR), 5.48439715);
  // Argon and xenon keep their published high ranges.
  EXPECT_EQ(prop(23, AR), 20.10538475);
  EXPECT_EQ(prop(23, XE), 4025.22668);
  EXPECT_EQ(prop(22, AR), 4.37967491);
  EXPECT_EQ(prop(22, NE), 3.35532272);
  EXPECT_EQ(prop(22, XE), 6.164454205);
}

// Reads the published coefficient file of the repository's data folder and
// compares every coefficient of species 1..28 exactly.
TEST(SpeciesTableTest, PublishedSetsMatchTheCoefficientFile) {
  const std::string path = std::string(QUELMAR_SOURCE_DIR) + "/data/nasa9/nasa9.csv";
  std::ifstream in(path);
  ASSERT_TRUE(in) << "cannot open " << path;
  const SpeciesTable prop;
  std::string line;
  int compared = 0;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#' || line.rfind("species", 0) == 0) continue;
    // species,"name",range,tmin,tmax,a1..a7,b1,b2 (names may hold commas inside quotes)
    std::vector<std::string> f;
    std::string cur;
    bool quoted = false;
    for (char ch : line) {
      if (ch == '"') {
        quoted = !quoted;
      } else if (ch == ',' && !quoted) {
        f.push_back(cur);
        cur.clear();
      } else if (ch != '\r') {
        cur += ch;
      }
    }
    f.push_back(cur);
    ASSERT_EQ(f.size(), 14u) << line;
    const int i = std::stoi(f[0]);
    const int first = f[2] == "low" ? 14 : 23;
    if (i == KR && first == 23) continue;  // the table's own krypton row
    for (int k = 0; k < 9; ++k) {
      EXPECT_EQ(prop(first + k, i), std::strtod(f[5 + k].c_str(), nullptr)) << "species " << i << " " << f[2] << " k=" << k + 1;
      ++compared;
    }
  }
  EXPECT_EQ(compared, 28 * 18 - 9);
}

// Ideal-gas heat capacities at 298.15 K, J/(mol K), from the JANAF tables (gases
// and elements) and the TRC / Stull-Westrum-Sinke tables (hydrocarbons).
struct Cp298 {
  int species;
  double cp;
};
constexpr Cp298 CP298[] = {
    {H2O, 33.590}, {H2, 28.836},  {HE, 20.786},  {N2, 29.124},  {CO2, 37.129}, {H2S, 34.248}, {CH4, 35.639},
    {C2H6, 52.49}, {C3H8, 73.60}, {IC4, 96.65},  {NC4, 98.49},  {IC5, 118.78}, {NC5, 120.21}, {NC6, 143.09},
    {C7, 165.98},  {CO, 29.142},  {NH3, 35.630}, {AR, 20.786},  {O2, 29.376},  {NE, 20.786},  {KR, 20.786},
    {N2O, 38.617}, {XE, 20.786},  {SO2, 39.878}, {S, 23.674},   {COS, 41.52},  {CS2, 45.66},  {CL2, 33.949},
    {AIR, 29.10},
};

TEST(SpeciesTableTest, HeatCapacityAt298KMatchesStandardTablesWithinHalfAPercent) {
  const ReadyTable t;  // the dry-air row as rebuilt at start-up
  for (const auto& row : CP298) {
    EXPECT_NEAR(CALC_CP(t.prop, row.species, 298.15), row.cp, 0.005 * row.cp) << "species " << row.species;
  }
  const SpeciesTable builtin;  // the built-in dry-air row as well
  EXPECT_NEAR(CALC_CP(builtin, AIR, 298.15), 29.10, 0.005 * 29.10);
}

// Enthalpies of formation at 298.15 K, kJ/mol (CODATA / JANAF, TRC for the
// hydrocarbons, ATcT for COS); the absolute enthalpy of a species at 298.15 K is
// its enthalpy of formation. A row of another species, or a wrong b1, is off by
// far more than the 1.5 kJ/mol allowed for the spread between tables.
struct Hf298 {
  int species;
  double hf;
};
constexpr Hf298 HF298[] = {
    {H2O, -241.826}, {H2, 0},        {HE, 0},        {N2, 0},       {CO2, -393.51}, {H2S, -20.6},
    {CH4, -74.873},  {C2H6, -84.0},  {C3H8, -104.7}, {IC4, -134.2}, {NC4, -125.79}, {IC5, -153.7},
    {NC5, -146.76},  {NC6, -166.92}, {C7, -187.78},  {CO, -110.53}, {NH3, -45.94},  {AR, 0},
    {O2, 0},         {NE, 0},        {KR, 0},        {N2O, 82.05},  {XE, 0},        {SO2, -296.81},
    {S, 277.17},     {COS, -141.7},  {CS2, 116.9},   {CL2, 0},
};

TEST(SpeciesTableTest, AbsoluteEnthalpyAt298KIsTheEnthalpyOfFormation) {
  const SpeciesTable prop;
  for (const auto& row : HF298) {
    EXPECT_NEAR(CALC_HF1(prop, row.species, 298.15) / 1000.0, row.hf, 1.5) << "species " << row.species;
  }
}

TEST(SpeciesTableTest, EnthalpyAndHeatCapacityAreContinuousAt1000K) {
  const ReadyTable t;
  for (int i = 1; i <= NSPECIES; ++i) {
    COEFF low{}, high{};
    for (int k = 1; k <= 9; ++k) {
      low(k) = t.prop(13 + k, i);
      high(k) = t.prop(22 + k, i);
    }
    // Both ranges evaluated at 1000 K exactly (the low set is the one in force there).
    const double jump = CALC_HF1_COEFF(high, 1000.0) - CALC_HF1_COEFF(low, 1000.0);
    const double cp_jump = CALC_CP_COEFF(high, 1000.0) - CALC_CP_COEFF(low, 1000.0);
    if (i == KR) {
      // R * (b1 high - b1 low) = 8.31446261815324 * (-740.348894 + 745.375) = 41.789 J/mol
      EXPECT_NEAR(jump, R * (-740.348894 + 745.375), 1e-6);
    } else {
      EXPECT_NEAR(jump, 0.0, 100.0) << "species " << i;
    }
    EXPECT_NEAR(cp_jump, 0.0, 0.005 * CALC_CP_COEFF(low, 1000.0)) << "species " << i;
  }
}

TEST(SpeciesTableTest, KryptonEnthalpyStepsByAbout42JPerMolAcross1000K) {
  const SpeciesTable prop;
  // 2.5 R * 1e-7 K of the step is negligible beside 41.79 J/mol.
  EXPECT_NEAR(CALC_HF1(prop, KR, 1000.0000001) - CALC_HF1(prop, KR, 1000.0), 41.789, 1e-3);
}

// Standard entropies at 298.15 K and 1 bar, J/(mol K) (JANAF); they check b2.
TEST(SpeciesTableTest, EntropyAt298KMatchesStandardTables) {
  const SpeciesTable prop;
  const struct {
    int species;
    double s;
  } rows[] = {{N2, 191.609}, {H2O, 188.834}, {CO2, 213.785}, {O2, 205.147},
              {AR, 154.845}, {CH4, 186.251}, {H2, 130.680}};
  for (const auto& row : rows) EXPECT_NEAR(CALC_S(prop, row.species, 298.15), row.s, 0.2) << "species " << row.species;
}

}  // namespace
}  // namespace quelmar::physics
