// The pseudo-stack: a stack of exit temperature t (K), exit velocity u (m/s)
// and diameter d (m) in air of temperature ta (K) whose plume carries given
// buoyancy and momentum fluxes, through the flux definitions
//   FB = g*u*d^2*(t - ta)/(4*t)  (m4/s3)   and   FM = u^2*d^2*ta/(4*t)  (m4/s2).
// Two fluxes fix only two of the three unknowns: the flare step restates a
// stack at a temperature it chooses (the hottest one a model file can hold),
// the AERMOD hourly emission file a stack of a given diameter (the fixed
// diameter of a virtual source).
//
// The three restatements below are the same algebra but not the same
// arithmetic: each keeps the operation order in which the files it feeds were
// first computed, so that they stay the same to the last digit. The two at a
// chosen temperature also differ in what they keep (see each). The plume rise
// (plumerise.hpp) forms the fluxes of a stack in the order of the ISC3
// equations, g*u*d^2*(t - ta)/(4*t), not with these forms.
#pragma once

namespace quelmar::physics {

// Momentum flux of a stack, m4/s2, formed as 0.25*ta/t*u^2*d^2.
double stack_momentum_flux(double ta, double t, double u, double d);

// Buoyancy flux of a stack, m4/s3, formed as (g/4)*dt/t*u*d^2, where dt is the
// stack's temperature excess over the air (t - ta, or what the caller keeps of
// it, e.g. not below 0).
double stack_buoyancy_flux(double dt, double t, double u, double d);

// Diameter of a stack at temperature t and exit velocity u that carries the
// momentum flux fm, m: sqrt(fm/(0.25*ta/t*u^2)), the inverse of
// stack_momentum_flux in its own order.
double stack_diameter(double fm, double ta, double t, double u);

struct StackExit {
  double u = 0;  // exit velocity, m/s
  double d = 0;  // diameter, m
};

// The flame plume's stack restated at the temperature t with its own fluxes fb
// and fm (both > 0), which the flare step keeps as its results: the velocity
// u = g*(t - ta)*fm/(ta*fb) from the fluxes' ratio, at least umin, then the
// diameter from the momentum flux, d = sqrt(4*t*fm/(ta*u^2)).
StackExit restate_flame_stack(double t, double ta, double fb, double fm, double umin);

// The cold plume's stack restated at the temperature t. The cold plume's
// results are the fluxes of its stack, formed afterwards from the stack, so
// this keeps what they are made of: the momentum flux fm of the stack as
// formed, and the ratio of the stripped plume's fluxes fbs/fms (both > 0) that
// fixed its temperature, t = ta*(fbs/fms*u/g + 1). The velocity is that
// relation solved for u, u = (t/ta - 1)*g*fms/fbs, without the flame plume's
// floor; the diameter is stack_diameter(fm, ta, t, u).
StackExit restate_cold_stack(double t, double ta, double fbs, double fms, double fm);

// The stack of diameter d (an AERMOD virtual source) that carries the
// buoyancy flux fb and the momentum flux fm in air at ta: the positive root of
// (d^2/4)*u^2 - (fb/g)*u - fm = 0, formed as a = fb/(g*d),
// u = (2/d)*(a + sqrt(a^2 + fm)), and then t = ta*(fb*u/(fm*g) + 1). False,
// with u and t unchanged, when the diameter or the momentum flux is not above
// 0 or the result is not finite.
bool stack_of_diameter(double fb, double fm, double ta, double d, double& u, double& t);

}  // namespace quelmar::physics
