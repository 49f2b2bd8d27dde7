// Wind profile and Briggs plume rise of the pseudo-stack.
//
// The formulas keep the operation order of the ISC3 plume-rise equations as the
// flare model writes them: powers of two as products (DS*DS), the cube root as
// a power of 0.333333 (not of exactly 1/3), and pi as 3.141593 in the stable
// distance of maximum momentum rise.
#include "physics/plumerise.hpp"

#include <algorithm>
#include <cmath>

#include "common/constants.hpp"
#include "common/crmath.hpp"

namespace quelmar::physics {

using common::GRAVITY;

namespace {

// Wind-profile exponents of the stability classes 1 to 6 (A to F).
constexpr double PLX0[6] = {0.07, 0.07, 0.10, 0.15, 0.35, 0.55};
// Potential-temperature gradient (K/m) of class 5 and of class 6 and above.
constexpr double DTHDZ[2] = {0.02, 0.035};
// Pi to seven digits, as the ISC3 stable-case distance of maximum momentum
// rise writes it: the full PI would move that distance in its seventh digit.
constexpr double PI_ISC3 = 3.141593;
constexpr double THIRD = 0.333333;  // cube-root exponent of the rise formulas
constexpr double FLUX_BOUND = 55.0;  // m4/s3, between the two ISC3 buoyancy regimes
constexpr double FLOOR = 1.0e-10;

using Points = io::Array1<double, 5>;

bool finite_state(const run::MOD_ISCCALCS& isc, const Points& X, const Points& Z) {
  if (!std::isfinite(isc.FBISC) || !std::isfinite(isc.FMISC) || !std::isfinite(isc.SQRTS) ||
      !std::isfinite(isc.XMAX) || !std::isfinite(isc.XF))
    return false;
  for (int k = 3; k <= 5; ++k)
    if (!std::isfinite(X(k)) || !std::isfinite(Z(k))) return false;
  return true;
}

// A plume without rise: points 3 to 5 at the flame tip's distance and at the
// release height, no distance to final rise. Fluxes that are not finite take
// the values of a stack that does not blow; the buoyancy flux keeps the floor
// that the gradual rise gives every stack not warmer than the air.
void no_rise(run::MOD_ISCCALCS& isc, double HS, Points& X, Points& Z) {
  if (!std::isfinite(isc.FBISC) || !(isc.FBISC >= FLOOR)) isc.FBISC = FLOOR;
  if (!std::isfinite(isc.FMISC)) isc.FMISC = 0.0;
  if (!std::isfinite(isc.SQRTS)) isc.SQRTS = FLOOR;
  isc.XF = 0.0;
  isc.XMAX = 0.0;
  const double x0 = std::isfinite(X(2)) ? X(2) : 0.0;
  const double z0 = std::isfinite(HS) ? HS : 0.0;
  for (int k = 3; k <= 5; ++k) {
    X(k) = x0;
    Z(k) = z0;
  }
}

}  // namespace

double WSSTKHT(double UREF, double ZREF, int IPG, double HS) {
  // Without a positive measurement height there is no profile to apply.
  if (!(ZREF > 0.0)) return UREF;
  const double p = PLX0[std::clamp(IPG, 1, 6) - 1];
  if (HS >= 10.0) return UREF * crmath::pow(HS / ZREF, p);
  // A release below 10 m takes the wind at 10 m.
  if (ZREF > 10.0) return UREF * crmath::pow(10.0 / ZREF, p);
  return UREF;
}

double CALCDHPMOM(const run::MOD_ISCCALCS& isc, double X, double US, double VS, double DS) {
  const double BJ = THIRD + US / VS;  // jet entrainment coefficient
  const double XM = std::min(X, isc.XMAX);
  double DHM;
  if (isc.STABLE) {
    double T = 3.0 * isc.FMISC * crmath::sin(isc.SQRTS * XM / US) / ((BJ * BJ) * US * isc.SQRTS);
    if (T < FLOOR) T = FLOOR;
    DHM = crmath::pow(T, THIRD);
  } else {
    DHM = crmath::pow(3.0 * isc.FMISC * XM / ((BJ * BJ) * (US * US)), THIRD);
  }
  return std::min(DHM, 3.0 * DS * VS / US);
}

double CALCDHPHS(run::MOD_ISCCALCS& isc, double X, double DHF, double US, double VS, double DS) {
  double XR = std::min(X, isc.XF);
  if (XR < 1.0) XR = 1.0;
  // The module value itself is raised, so the time loops see the floor for
  // every pseudo-stack that was not warmer than the air.
  if (isc.FBISC < FLOOR) isc.FBISC = FLOOR;
  const double DHB = 1.6 * crmath::pow(isc.FBISC * (XR * XR), THIRD) / US;
  const double DHM = CALCDHPMOM(isc, X, US, VS, DS);  // at X itself, not XR
  return std::min(std::max(DHB, DHM), DHF);
}

void CALCDELH(run::MOD_ISCCALCS& isc, double UREF, double TA, int IPG, double TS, double VS, double DS,
              double HS, Points& X, Points& Z, double ZREF) {
  // Potential-temperature gradient and stability parameter.
  double dthdz = 0.0;
  if (IPG == 5)
    dthdz = DTHDZ[0];
  else if (IPG > 5)
    dthdz = DTHDZ[1];
  double S;
  if (dthdz > 0.0 && TA > 0.0) {
    S = GRAVITY * dthdz / TA;
    isc.SQRTS = std::sqrt(S);
  } else {
    S = FLOOR;
    isc.SQRTS = FLOOR;
  }

  isc.UNSTAB = false;
  isc.NEUTRL = false;
  isc.STABLE = false;
  if (IPG < 4)
    isc.UNSTAB = true;
  else if (IPG == 4)
    isc.NEUTRL = true;
  else
    isc.STABLE = true;

  // A stack that does not blow out of a real opening, or a temperature that is
  // not a positive absolute temperature, gives no plume to raise.
  const bool blows = std::isfinite(VS) && std::isfinite(DS) && std::isfinite(TS) && std::isfinite(TA) &&
                     VS > 0.0 && DS > 0.0 && TS > 0.0 && TA > 0.0;
  if (!blows) {
    isc.FBISC = 0.0;
    isc.FMISC = 0.0;
    no_rise(isc, HS, X, Z);
    return;
  }

  // Fluxes of the pseudo-stack, in the order of the ISC3 equations (not the
  // flare step's forms of pseudo_stack.hpp); one colder than the air has a
  // negative buoyancy flux.
  isc.FBISC = GRAVITY * VS * (DS * DS) * (TS - TA) / (4.0 * TS);
  isc.FMISC = (VS * VS) * (DS * DS) * TA / (4.0 * TS);

  double US = WSSTKHT(UREF, ZREF, IPG, HS);
  if (US < 1.0) US = 1.0;
  if (!std::isfinite(US) || !std::isfinite(HS) || !std::isfinite(X(2))) {
    no_rise(isc, HS, X, Z);
    return;
  }

  const double DT = TS - TA;
  const double FB = isc.FBISC;
  double DHF;
  if (!isc.STABLE) {
    // Crossover temperature difference: strict test on the flux here, while
    // the buoyant final rise below takes the 38.71 form from 55 inclusive.
    double dTc;
    if (FB > FLUX_BOUND)
      dTc = 0.00575 * TS * crmath::pow((VS * VS) / DS, THIRD);
    else
      dTc = 0.0297 * TS * crmath::pow(VS / (DS * DS), THIRD);
    if (DT >= dTc) {
      if (FB >= FLUX_BOUND)
        DHF = 38.71 * crmath::pow(FB, 0.6) / US;
      else
        DHF = 21.425 * crmath::pow(FB, 0.75) / US;
    } else {
      DHF = 3.0 * DS * VS / US;
    }
  } else {
    const double dTc = 0.019582 * TA * VS * isc.SQRTS;
    if (DT >= dTc)
      DHF = 2.6 * crmath::pow(FB / (US * S), THIRD);
    else
      DHF = 1.5 * crmath::pow(isc.FMISC / (US * isc.SQRTS), THIRD);
  }

  if (!isc.STABLE) {
    const double t = VS + 3.0 * US;
    const double xjet = 4.0 * DS * (t * t) / (VS * US);
    if (FB >= FLUX_BOUND)
      isc.XF = 119.0 * crmath::pow(FB, 0.4);
    else if (FB > 0.0)
      isc.XF = 49.0 * crmath::pow(FB, 0.625);
    else
      isc.XF = xjet;
    isc.XMAX = xjet;
  } else {
    isc.XF = 2.0715 * US / isc.SQRTS;
    isc.XMAX = 0.5 * PI_ISC3 * US / isc.SQRTS;
  }

  double XFIN = isc.XF;
  if (isc.XMAX > isc.XF) XFIN = isc.XMAX;

  X(3) = 0.333 * XFIN;
  X(4) = 0.667 * XFIN;
  X(5) = XFIN;
  // The gradual rise is taken at the distances from the flame tip.
  Z(3) = CALCDHPHS(isc, X(3), DHF, US, VS, DS);
  Z(4) = CALCDHPHS(isc, X(4), DHF, US, VS, DS);
  X(3) = X(3) + X(2);
  X(4) = X(4) + X(2);
  X(5) = X(5) + X(2);
  Z(3) = HS + Z(3);
  Z(4) = HS + Z(4);
  Z(5) = HS + DHF;

  // Values beyond the range of doubles (extreme inputs) leave no rise behind
  // rather than an infinite or undefined one.
  if (!finite_state(isc, X, Z)) no_rise(isc, HS, X, Z);
}

}  // namespace quelmar::physics
