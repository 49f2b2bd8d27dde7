// The pseudo-stack: fluxes of a stack and the stacks restated from fluxes.
//
// Expected values: python3 in 40-digit decimal arithmetic, straight from the
// flux definitions FB = g*u*d^2*(t - ta)/(4*t) and FM = u^2*d^2*ta/(4*t),
// g = 9.80665 (not in the operation order of the code):
//   stack at t from fb, fm:  u = g*(t - ta)*fm/(ta*fb), d = sqrt(4*t*fm/(ta*u^2))
//   stack of diameter d:     u the positive root of (d^2/4)*u^2 - (fb/g)*u - fm,
//                            t = ta/(1 - fb/(g*u*d^2/4))
#include "physics/pseudo_stack.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace quelmar::physics {
namespace {

constexpr double g = 9.80665;

void expect_rel(double expected, double actual, const std::string& what, double rel = 1e-13) {
  EXPECT_NEAR(expected, actual, rel * std::fabs(expected)) << what;
}

struct Stack {
  double t, ta, u, d;  // exit temperature K, air temperature K, exit velocity m/s, diameter m
  double FB, FM;       // its fluxes, m4/s3 and m4/s2
};

const std::vector<Stack> kStacks = {
    {1000, 290, 15, 2, 104.4408225, 65.25},
    {1400, 275, 8, 3.5, 193.068421875, 38.5},
    {6000, 300, 40, 0.5, 23.29079375, 5},
    {250, 300, 3, 1.2, -2.1182364, 3.888},  // cooler than the air: negative buoyancy
};

TEST(PseudoStack, FluxesOfAStackAndTheDiameterBack) {
  for (const Stack& s : kStacks) {
    const std::string where = "t=" + std::to_string(s.t) + " u=" + std::to_string(s.u);
    expect_rel(s.FM, stack_momentum_flux(s.ta, s.t, s.u, s.d), where);
    expect_rel(s.FB, stack_buoyancy_flux(s.t - s.ta, s.t, s.u, s.d), where);
    expect_rel(s.d, stack_diameter(s.FM, s.ta, s.t, s.u), where);
  }
  // A temperature excess held at 0 gives no buoyancy, whatever the stack.
  EXPECT_EQ(stack_buoyancy_flux(0.0, 250, 3, 1.2), 0.0);
}

// The flame plume's 6000 K stack restated at 3000 K: slower and wider, with
// the same fluxes.
TEST(PseudoStack, FlameStackAtTemperatureCarriesItsFluxes) {
  const Stack& hot = kStacks[2];
  const StackExit s = restate_flame_stack(3000, hot.ta, hot.FB, hot.FM, 1e-5);
  expect_rel(18.94736842105263, s.u, "u");
  expect_rel(0.7463904912524668, s.d, "d");
  expect_rel(hot.FM, stack_momentum_flux(hot.ta, 3000, s.u, s.d), "FM carried");
  expect_rel(hot.FB, stack_buoyancy_flux(3000 - hot.ta, 3000, s.u, s.d), "FB carried");

  // A velocity below the floor takes the floor: the diameter still carries the
  // momentum flux, the buoyancy flux is then that of the floored stack.
  // u = g*2700*1e-3/(300*1e6) = 8.8e-8 m/s < 1e-5.
  const StackExit f = restate_flame_stack(3000, 300, 1e6, 1e-3, 1e-5);
  EXPECT_EQ(f.u, 1e-5);
  expect_rel(1e-3, stack_momentum_flux(300, 3000, f.u, f.d), "FM at the floor");
  expect_rel(20000, f.d, "d at the floor");  // sqrt(4*3000*1e-3/(300*1e-10))
}

// The cold plume's stack restated at 3000 K keeps the momentum flux of the
// stack as formed (7 m4/s2) and the stripped plume's flux ratio (50/2), which
// fixes the temperature through t = ta*(fbs/fms*u/g + 1):
// u = (3000/280 - 1)*g*2/50 = 3.810584 m/s, d = sqrt(4*3000*7/(280*u^2)).
TEST(PseudoStack, ColdStackAtTemperatureKeepsMomentumAndFluxRatio) {
  const StackExit s = restate_cold_stack(3000, 280, 50, 2, 7);
  expect_rel(3.810584, s.u, "u");
  expect_rel(4.545368393844296, s.d, "d");
  expect_rel(7, stack_momentum_flux(280, 3000, s.u, s.d), "FM kept");
  expect_rel(3000, 280 * (50.0 / 2 * s.u / g + 1), "temperature from the flux ratio");
  expect_rel(50.0 / 2, stack_buoyancy_flux(3000 - 280, 3000, s.u, s.d) / stack_momentum_flux(280, 3000, s.u, s.d),
             "flux ratio");
}

// The stack of a given diameter with the fluxes of the 1000 K stack (D 2 m,
// 15 m/s in air of 290 K): its own diameter gives it back; others give the
// velocity and temperature with the same fluxes.
TEST(PseudoStack, StackOfAGivenDiameter) {
  struct Case {
    const Stack& s;
    double d, u, t;
  };
  const std::vector<Case> cases = {
      {kStacks[0], 2, 15, 1000},
      {kStacks[0], 3, 8.248937581127434, 680.4497121733652},
      {kStacks[0], 1, 48.033686614457046, 2563.594499750967},
      {kStacks[3], 1.2, 3, 250},                                  // cooler than the air
      {kStacks[3], 2, 1.8667566938739566, 268.88738843543405},
  };
  for (const Case& c : cases) {
    const std::string where = "d=" + std::to_string(c.d) + " of the " + std::to_string(c.s.t) + " K stack";
    double u = 0, t = 0;
    ASSERT_TRUE(stack_of_diameter(c.s.FB, c.s.FM, c.s.ta, c.d, u, t)) << where;
    expect_rel(c.u, u, where, 1e-12);
    expect_rel(c.t, t, where, 1e-12);
    expect_rel(c.s.FM, stack_momentum_flux(c.s.ta, t, u, c.d), where, 1e-12);
    expect_rel(c.s.FB, stack_buoyancy_flux(t - c.s.ta, t, u, c.d), where, 1e-12);
  }
  // No stack without a diameter or a momentum flux, or with one that is not a
  // number: the velocity and temperature are left as they were.
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  const struct {
    double fb, fm, d;
  } refused[] = {{104.4, 65.25, 0}, {104.4, 65.25, -2}, {104.4, 0, 2}, {104.4, -1, 2},
                 {104.4, 65.25, nan}, {104.4, nan, 2}, {nan, 65.25, 2}, {inf, 65.25, 2}};
  for (const auto& r : refused) {
    double u = 7, t = 8;
    EXPECT_FALSE(stack_of_diameter(r.fb, r.fm, 290, r.d, u, t)) << r.fb << " " << r.fm << " " << r.d;
    EXPECT_EQ(u, 7);
    EXPECT_EQ(t, 8);
  }
}

}  // namespace
}  // namespace quelmar::physics
