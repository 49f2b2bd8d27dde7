// Entrainment, carbon conversion efficiency and flame-tip position.
#include <gtest/gtest.h>

#include <cmath>

#include "physics/correlations.hpp"
#include "physics_ready.hpp"

namespace quelmar::physics {
namespace {

using testing::pure;
using testing::ReadyTable;

TEST(CorrelationsTest, EntrainmentRatio) {
  const ReadyTable t;
  EXPECT_DOUBLE_EQ(ENTRAINMENTRATIO(t.c, 0.35, 1.0, 288.15, 101.325), 0.35);
  // 2*0.35/(sqrt(0.6)*1.6) * (400/288.15) * (101.325/90)
  EXPECT_NEAR(ENTRAINMENTRATIO(t.c, 0.35, 0.6, 400.0, 90.0), 0.8827097071616719, 1e-13);
  EXPECT_NEAR(ENTRAINMENTRATIO(t.c, 0.2, 2.5, 300.0, 95.0), 0.08026340514479811, 1e-14);
}

TEST(CorrelationsTest, CarbonConversionEfficiency) {
  const ReadyTable t;
  // 1 - 133.3/LHV^3 * exp(0.317 U / (9.80665 V D)^(1/3))
  EXPECT_NEAR(CARBEFF(t.c, 50.0, 5.0, 0.5, 20.0), 0.9984961988306618, 1e-13);
  EXPECT_NEAR(CARBEFF(t.c, 20.0, 10.0, 0.3, 10.0), 0.9534734844569069, 1e-13);
  // Floors at CCEMIN: a poor gas, a strong wind, no heating value, no jet.
  EXPECT_EQ(CARBEFF(t.c, 5.0, 5.0, 0.5, 20.0), 0.5);
  EXPECT_EQ(CARBEFF(t.c, 50.0, 200.0, 0.1, 0.5), 0.5);
  EXPECT_EQ(CARBEFF(t.c, 0.0, 5.0, 0.5, 20.0), 0.5);
  EXPECT_EQ(CARBEFF(t.c, 50.0, 0.0, 0.5, 0.0), 0.5);
  EXPECT_EQ(CARBEFF(t.c, 50.0, 5.0, 0.5, 0.0), 0.5);
}

struct FlameTipCase {
  const char* what;
  double UJ, UA;
  double XL, ZL, FA;
};

TEST(CorrelationsTest, FlameTipOfPureMethane) {
  // Methane (LFL 0.05, 16.0425 g/mol) from a 0.5 m tip, jet density 0.68 and air
  // density 1.2 kg/m3. Expected values from a python evaluation of
  // P = 0.05 min(110, UJ/UA) 16.0425/28.96551561, SL = 2.04 P^-1.03 (P < 0.5) or
  // 2.51 P^-0.625, xb = SL - 1.65 or the Newton root of 1.04 x^2 + 2.05 x^0.28 = SL,
  // zb = 2.05 xb^0.28, L = DJ R sqrt(RHOJ/RHOA).
  const ReadyTable t;
  const FlameTipCase cases[] = {
      {"P < 0.5 (R = 4)", 20.0, 5.0, 27.134863978091108, 6.935554034103143, 14.337593469871935},
      {"P >= 0.5, SL > 2.35 (R = 30)", 30.0, 1.0, 13.19271351069687, 24.178596317641297, 61.381526595893845},
      {"P >= 0.5, SL <= 2.35, Newton (R capped at 110)", 20.0, 0.1, 6.581092160872672, 50.71499533017326,
       82.6062614658983},
      {"calm: R = 110", 20.0, 0.0, 6.581092160872672, 50.71499533017326, 82.6062614658983},
  };
  for (const auto& c : cases) {
    double XL = 0, ZL = 0, FA = 0;
    BRZFLARE(t.prop, t.c, pure(CH4), 0.5, c.UJ, c.UA, 0.68, 1.2, XL, ZL, FA);
    EXPECT_NEAR(XL, c.XL, 1e-9 * c.XL) << c.what;
    EXPECT_NEAR(ZL, c.ZL, 1e-9 * c.ZL) << c.what;
    EXPECT_NEAR(FA, c.FA, 1e-9) << c.what;
  }
}

TEST(CorrelationsTest, FlameTipOfAGasWithoutCombustiblesOrWithoutFlowIsAtTheTip) {
  const ReadyTable t;
  double XL = -1, ZL = -1, FA = -1;
  BRZFLARE(t.prop, t.c, pure(N2), 0.5, 20.0, 5.0, 1.2, 1.2, XL, ZL, FA);
  EXPECT_EQ(XL, 0.0);
  EXPECT_EQ(ZL, 0.0);
  EXPECT_EQ(FA, 0.0);
  XL = ZL = FA = -1;
  BRZFLARE(t.prop, t.c, pure(CH4), 0.5, 0.0, 5.0, 0.68, 1.2, XL, ZL, FA);
  EXPECT_EQ(XL, 0.0);
  EXPECT_EQ(ZL, 0.0);
  EXPECT_EQ(FA, 0.0);
  XL = ZL = FA = -1;
  BRZFLARE(t.prop, t.c, pure(CH4), 0.5, 0.0, 0.0, 0.68, 1.2, XL, ZL, FA);
  EXPECT_EQ(XL, 0.0);
  EXPECT_EQ(ZL, 0.0);
  EXPECT_EQ(FA, 0.0);
}

TEST(CorrelationsTest, FlameTipDistanceNewtonSolve) {
  // Started at the root of the height term, (SL/2.05)^(1/0.28); expected roots
  // from the same Newton iteration in python (at most five passes).
  const struct {
    double SL, x;
  } rows[] = {{0.3, 0.0010451133370994023}, {0.5, 0.006476656899405936}, {1.0, 0.07540401248778954},
              {1.5, 0.2716596679803763},    {2.0, 0.5258802182211331},   {2.35, 0.693271598946152}};
  for (const auto& r : rows) {
    const double x = CALC_XLL(std::pow(r.SL / 2.05, 3.571428571428571), r.SL);
    EXPECT_NEAR(x, r.x, 1e-12 * (1 + r.x)) << "SL " << r.SL;
    EXPECT_NEAR(1.04 * x * x + 2.05 * std::pow(x, 0.28), r.SL, 1e-9) << "SL " << r.SL;
  }
}

}  // namespace
}  // namespace quelmar::physics
