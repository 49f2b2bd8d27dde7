#include "physics/pseudo_stack.hpp"

#include <algorithm>
#include <cmath>

#include "common/constants.hpp"

namespace quelmar::physics {

using common::GRAVITY;
using common::GRAVITY_QUARTER;

double stack_momentum_flux(double ta, double t, double u, double d) { return 0.25 * ta / t * (u * u) * (d * d); }

double stack_buoyancy_flux(double dt, double t, double u, double d) { return GRAVITY_QUARTER * dt / t * u * (d * d); }

double stack_diameter(double fm, double ta, double t, double u) { return std::sqrt(fm / (0.25 * ta / t * (u * u))); }

StackExit restate_flame_stack(double t, double ta, double fb, double fm, double umin) {
  StackExit s;
  s.u = std::max(umin, GRAVITY * (t - ta) * fm / (ta * fb));
  s.d = std::sqrt(4 * t * fm / (ta * (s.u * s.u)));
  return s;
}

StackExit restate_cold_stack(double t, double ta, double fbs, double fms, double fm) {
  StackExit s;
  s.u = (t / ta - 1) * GRAVITY * fms / fbs;
  s.d = stack_diameter(fm, ta, t, s.u);
  return s;
}

bool stack_of_diameter(double fb, double fm, double ta, double d, double& u, double& t) {
  if (!(d > 0) || !(fm > 0)) return false;
  const double a = fb / (GRAVITY * d);
  const double v = (2 / d) * (a + std::sqrt(a * a + fm));
  const double temp = ta * (fb * v / (fm * GRAVITY) + 1);
  if (!std::isfinite(v) || !std::isfinite(temp)) return false;
  u = v;
  t = temp;
  return true;
}

}  // namespace quelmar::physics
