// Start-up of the species table and the run-wide constants.
#include <gtest/gtest.h>

#include <cmath>

#include "physics/setup.hpp"
#include "physics/thermo.hpp"

namespace quelmar::physics {
namespace {

constexpr double R = 8.31446261815324;

TEST(SetupTest, StoresTheRunWideConstants) {
  SpeciesTable prop;
  STDCONST c;
  c.PLOCAL = 95.5;  // run state that start-up leaves alone
  c.LOGON = 1;
  SETUP1(prop, c);
  EXPECT_EQ(c.ETATARGET, 0.98);
  EXPECT_EQ(c.CCEMIN, 0.5);
  EXPECT_EQ(c.FRAD, 0.25);
  EXPECT_EQ(c.TGAS, 278.15);
  EXPECT_EQ(c.TAMBH, 278.15);
  EXPECT_EQ(c.QSOLAR, 1.04);
  EXPECT_EQ(c.CARBA, 133.3);
  EXPECT_EQ(c.CARBB, 0.317);
  EXPECT_EQ(c.TREF, 288.15);
  EXPECT_EQ(c.PREF, 101.325);
  EXPECT_EQ(c.LAPSE, 0.0065);
  EXPECT_EQ(c.UEMIN, 1e-5);
  EXPECT_EQ(c.UUNIT, 1.0);
  EXPECT_EQ(c.U10, 10.0);
  EXPECT_EQ(c.VM, 23.64483003622853);
  // 1e9 J / 86400 s / 4.1868 J/cal and 1e9 J / 86400 s
  EXPECT_NEAR(c.CALPERGJD, 1e9 / 86400.0 / 4.1868, 1e-11);
  EXPECT_NEAR(c.WPERGJD, 1e9 / 86400.0, 1e-10);
  EXPECT_EQ(c.PLOCAL, 95.5);
  EXPECT_EQ(c.LOGON, 1);
}

TEST(SetupTest, HeatCapacityColumns) {
  SpeciesTable prop;
  STDCONST c;
  SETUP1(prop, c);
  EXPECT_NEAR(prop(5, CH4), 35.3347372, 1e-7);
  EXPECT_NEAR(prop(4, CH4), 2.20257049, 1e-8);
  for (int i : {HE, AR, NE, KR, XE}) EXPECT_DOUBLE_EQ(prop(5, i), 2.5 * R) << "species " << i;
  // Per mass from the molar values (the air row from its built-in molar mass).
  for (int i = 1; i < AIR; ++i) EXPECT_DOUBLE_EQ(prop(4, i), prop(5, i) / prop(1, i)) << "species " << i;
  // The dry-air columns come from the built-in air row and molar mass.
  EXPECT_NEAR(prop(5, AIR), 29.0894795, 1e-7);
  EXPECT_NEAR(prop(4, AIR), 1.00429096, 1e-8);
}

TEST(SetupTest, RebuildsTheDryAirRow) {
  SpeciesTable prop;
  STDCONST c;
  SETUP1(prop, c);
  // Exact values from a python evaluation in the same order of operations: the
  // fractions divided by their sum (0.9999999999999998, so some move by one
  // unit in the last place), then the in-order sums over the 29 species.
  EXPECT_EQ(prop(1, AIR), 28.965515609042008);
  EXPECT_EQ(prop(14, AIR), 10106.464291424889);
  EXPECT_EQ(prop(21, AIR), -180.19159530002807);
  EXPECT_NEAR(prop(1, AIR), 28.96551561, 5e-9);
  EXPECT_NEAR(prop(14, AIR), 10106.4643, 5e-5);
  EXPECT_NEAR(CALC_CP(prop, AIR, 288.15), 29.0895874, 1e-7);
  // Every coefficient is the air-fraction-weighted sum of the species rows.
  for (int k = 14; k <= 31; ++k) {
    double s = 0;
    for (int i = 1; i <= NSPECIES; ++i) s += prop(6, i) * prop(k, i);
    EXPECT_NEAR(prop(k, AIR), s, 1e-12 * (1.0 + std::abs(s))) << "property " << k;
  }
}

TEST(SetupTest, SecondCallComputesAirHeatCapacityFromTheRebuiltRow) {
  SpeciesTable prop;
  STDCONST c;
  SETUP1(prop, c);
  SETUP1(prop, c);
  EXPECT_NEAR(prop(5, AIR), 29.0895874, 1e-7);
  EXPECT_NEAR(prop(1, AIR), 28.96551561, 5e-9);
}

}  // namespace
}  // namespace quelmar::physics
