// The values kept per composition: each is the value formed anew, a new
// composition (to the last bit), a changed species table or a changed
// reference temperature has its values formed again, and no more compositions
// are held than the cache has room for.
#include "run/gas_cache.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "physics/physics_ready.hpp"
#include "physics/thermo.hpp"

namespace quelmar::physics {
namespace {

using run::FlareAir;
using run::FlaredGas;
using run::SolveMemo;
using testing::ReadyTable;

void expect_same(const GasProps& a, const GasProps& b, const char* what) {
  EXPECT_EQ(a.coeff, b.coeff) << what;
  EXPECT_EQ(a.MW, b.MW) << what;
  EXPECT_EQ(a.TREF, b.TREF) << what;
  EXPECT_EQ(a.HF1_TREF, b.HF1_TREF) << what;
  EXPECT_EQ(a.CP_TREF, b.CP_TREF) << what;
  EXPECT_EQ(a.HF_LO, b.HF_LO) << what;
  EXPECT_EQ(a.HF_HI, b.HF_HI) << what;
}

// Methane with x of H2S in nitrogen.
MIX sour(double x) {
  MIX m{};
  m(CH4) = 0.9;
  m(H2S) = x;
  m(N2) = 0.1 - x;
  return m;
}

TEST(GasCache, EachValueIsTheValueFormedAnew) {
  ReadyTable t;
  GasCache cache;
  // 40 compositions, twice over: more than the cache holds at once.
  std::vector<MIX> gases;
  for (int k = 0; k < 40; ++k) gases.push_back(sour(0.001 * k));
  for (int round = 0; round < 2; ++round)
    for (const MIX& m : gases) expect_same(gas_props(cache, t.prop, t.c, m), gas_props(t.prop, t.c, m), "composition");
}

TEST(GasCache, AChangedTableOrReferenceTemperatureFormsTheValuesAgain) {
  ReadyTable t;
  GasCache cache;
  const MIX m = sour(0.05);
  const GasProps before = gas_props(cache, t.prop, t.c, m);
  // The methane a3 of the low range (property 16) raised by 1 %.
  t.prop(16, CH4) = t.prop(16, CH4) * 1.01;
  const GasProps table_changed = gas_props(cache, t.prop, t.c, m);
  EXPECT_NE(table_changed.HF1_TREF, before.HF1_TREF);
  expect_same(table_changed, gas_props(t.prop, t.c, m), "changed table");
  t.c.TREF = 298.15;
  const GasProps tref_changed = gas_props(cache, t.prop, t.c, m);
  EXPECT_EQ(tref_changed.TREF, 298.15);
  expect_same(tref_changed, gas_props(t.prop, t.c, m), "changed TREF");
}

TEST(GasCache, FlaredGasIsFormedForEachNewTripleOfCompositions) {
  ReadyTable t;
  GasCache cache;
  int made = 0;
  const auto make = [&made](FlaredGas& g) {
    ++made;
    g.NHV = made;
  };
  const MIX a = sour(0.05), b = sour(0.06);
  MIX a_negative_zero = a;
  a_negative_zero(HE) = -0.0;  // equal as numbers, not as bits
  EXPECT_EQ(cache.flared(t.prop, t.c, a, a, a, make).NHV, 1);
  EXPECT_EQ(cache.flared(t.prop, t.c, a, a, a, make).NHV, 1);
  EXPECT_EQ(cache.flared(t.prop, t.c, a, a, b, make).NHV, 2);     // another jet mixture
  EXPECT_EQ(cache.flared(t.prop, t.c, a, b, a, make).NHV, 3);     // another gas before the excess air
  EXPECT_EQ(cache.flared(t.prop, t.c, b, a, a, make).NHV, 4);     // another flared gas
  EXPECT_EQ(cache.flared(t.prop, t.c, a_negative_zero, a, a, make).NHV, 5);
  EXPECT_EQ(cache.flared(t.prop, t.c, a, a, a, make).NHV, 1);
  EXPECT_EQ(made, 5);
  // Any access that may write to the table drops what is held.
  t.prop(1, CH4) = t.prop(1, CH4);
  EXPECT_EQ(cache.flared(t.prop, t.c, a, a, a, make).NHV, 6);
  // Air and steam likewise.
  int airs = 0;
  const auto make_air = [&airs](FlareAir& x) { x.XINERT = ++airs; };
  EXPECT_EQ(cache.air(t.prop, t.c, make_air).XINERT, 1);
  EXPECT_EQ(cache.air(t.prop, t.c, make_air).XINERT, 1);
  t.c.TREF = 290.0;
  EXPECT_EQ(cache.air(t.prop, t.c, make_air).XINERT, 2);
}

// A recurring target takes the solution found the first time, which is the
// solve's own; a target that differs in its last bit, or one asked after the
// memo was emptied, is solved anew.
TEST(GasCache, RecurringTemperatureSolvesTakeTheirEarlierSolution) {
  ReadyTable t;
  const GasProps g = gas_props(t.prop, t.c, sour(0.05));
  SolveMemo memo;
  double T = 0;
  EXPECT_FALSE(memo.find(30000.0, T));
  const double first = flame_temp(g, memo, 30000.0);
  EXPECT_EQ(first, flame_temp(g, 30000.0));
  EXPECT_TRUE(memo.find(30000.0, T));
  EXPECT_EQ(T, first);
  EXPECT_EQ(flame_temp(g, memo, 30000.0), first);
  const double next = std::nextafter(30000.0, 1e9);
  EXPECT_FALSE(memo.find(next, T));
  EXPECT_EQ(flame_temp(g, memo, next), flame_temp(g, next));
  // Many targets: each solution is the solve's, whatever place it takes.
  for (int k = 0; k < 2000; ++k) {
    const double H = 1000.0 + 37.5 * (k % 700);
    EXPECT_EQ(flame_temp(g, memo, H), flame_temp(g, H)) << H;
  }
  // Outside the solve's range the failure (-1) recurs as well.
  EXPECT_EQ(flame_temp(g, memo, 1e7), -1.0);
  EXPECT_EQ(flame_temp(g, memo, 1e7), -1.0);
  memo.clear();
  EXPECT_FALSE(memo.find(30000.0, T));
}

}  // namespace
}  // namespace quelmar::physics
