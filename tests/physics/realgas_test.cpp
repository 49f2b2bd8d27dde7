// Site pressure, water saturation line, compressibility, cubic roots, speed of
// sound and radiant flux.
#include <gtest/gtest.h>

#include <cmath>

#include "physics/realgas.hpp"
#include "physics_ready.hpp"

namespace quelmar::physics {
namespace {

using testing::ReadyTable;

TEST(RealGasTest, SitePressureOfTheStandardAtmosphere) {
  const ReadyTable t;
  const struct {
    double z, p;
  } rows[] = {{0.0, 101.325}, {1000.0, 89.87434}, {100.0, 100.12941}, {-50.0, 101.92711}};
  for (const auto& r : rows) EXPECT_NEAR(CALC_PLOCAL(t.prop, t.c, r.z), r.p, 5e-6) << "z " << r.z;
  EXPECT_EQ(CALC_PLOCAL(t.prop, t.c, 0.0), 101.325);
}

TEST(RealGasTest, InitLocalStoresTheSitePressure) {
  ReadyTable t;
  INITLOCAL(t.prop, t.c, 1000.0);
  EXPECT_NEAR(t.c.PLOCAL, 89.87434, 5e-6);
}

TEST(RealGasTest, WaterSaturationLine) {
  const struct {
    double T, p, tol;
  } psat[] = {{300.0, 3.5365894, 5e-7}, {500.0, 2638.8977, 5e-4}, {600.0, 12344.314, 5e-3},
              // the normal boiling point: 373.124 K at 101.325 kPa (IAPWS-IF97)
              {373.1243, 101.325, 2e-3}};
  for (const auto& r : psat) EXPECT_NEAR(P_SAT(r.T), r.p, r.tol) << "T " << r.T;
  EXPECT_NEAR(T_SAT(1000.0), 453.03563, 5e-6);
  EXPECT_NEAR(T_SAT(10000.0), 584.14949, 5e-6);
}

TEST(RealGasTest, SaturationPressureInvertsSaturationTemperature) {
  for (double p : {0.8, 3.5, 50.0, 101.325, 1000.0, 5000.0, 10000.0, 22000.0}) {
    EXPECT_NEAR(P_SAT(T_SAT(p)), p, 1e-9 * p) << "p " << p;
  }
}

TEST(RealGasTest, RedlichKwongCompressibility) {
  // Air at the reference state: one real root.
  EXPECT_NEAR(FNZ(288.15, 101.325, AIR_TC, AIR_PC), 0.99942544, 5e-9);
  // Saturated steam at 1000 kPa: three real roots, the vapour one taken.
  EXPECT_NEAR(FNZ(453.03, 1000.0, WATER_TC, WATER_PC), 0.95681018, 5e-9);
  // An ideal gas in the limit of low pressure.
  EXPECT_NEAR(FNZ(300.0, 1e-6, AIR_TC, AIR_PC), 1.0, 1e-9);
}

struct CubicCase {
  const char* what;
  double a0, a1, a2, a3;
  double root;
};

TEST(RealGasTest, LargestRealRootOfACubic) {
  const CubicCase cases[] = {
      {"(x-1)(x-2)(x-3), R = 0", 1, -6, 11, -6, 3.0},
      {"x^3 - 8", 1, 0, 0, -8, 2.0},
      {"(x-1)(x-0.9)(x+2.5)", 1, 0.6, -3.85, 2.25, 1.0},
      {"scaled: 2(x-1)(x-2)(x-3)", 2, -12, 22, -12, 3.0},
      {"one real root: x^3 + x - 2 = (x-1)(x^2+x+2)", 1, 0, 1, -2, 1.0},
      // Q = 0 and R < 0: the real cube root, not 0/0.
      {"x^3 + 8", 1, 0, 0, 8, -2.0},
      {"(x+1)^3 + 27 = x^3 + 3x^2 + 3x + 28", 1, 3, 3, 28, -4.0},
      // Triple root: Q = R = D = 0.
      {"(x-1)^3", 1, -3, 3, -1, 1.0},
  };
  for (const auto& c : cases) {
    const double x = RMCROOT(c.a0, c.a1, c.a2, c.a3);
    EXPECT_TRUE(std::isfinite(x)) << c.what;
    EXPECT_NEAR(x, c.root, 1e-12) << c.what;
  }
}

TEST(RealGasTest, SpeedOfSound) {
  double a = 0;
  SONICVELOCITY(29.0894795, 28.96551561, 288.15, 1.0, a);
  EXPECT_NEAR(a, 340.3165, 5e-5);
  // Monatomic gas: sqrt(5/3 R T / M); argon at 300 K 322.6 m/s.
  SONICVELOCITY(2.5 * 8.31446261815324, 39.948, 300.0, 1.0, a);
  EXPECT_NEAR(a, std::sqrt(5.0 / 3.0 * 8.31446261815324 * 300.0 * 1000.0 / 39.948), 1e-9);
}

TEST(RealGasTest, RadiantFluxOfAPointSource) {
  const ReadyTable t;
  // 2*50*0.25*1000/(4 pi (30 - 0.18*20)^2) + 1.04
  EXPECT_NEAR(CALC_TRAD(t.c, 2.0, 50.0, 30.0, 20.0), 3.8944490195257866, 1e-12);
}

}  // namespace
}  // namespace quelmar::physics
