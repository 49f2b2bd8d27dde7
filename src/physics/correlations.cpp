#include "physics/correlations.hpp"

#include <cmath>

#include "common/crmath.hpp"
#include "common/utils.hpp"
#include "common/constants.hpp"
#include "physics/mixture.hpp"

namespace quelmar::physics {

using common::GRAVITY;

double ENTRAINMENTRATIO(const STDCONST& c, double RAIR, double DR, double T, double P) {
  return 2.0 * RAIR / (std::sqrt(DR) * (DR + 1.0)) * (T / c.TREF) * (c.PREF / P);
}

double CARBEFF(const STDCONST& c, double LHV, double U, double D, double V) {
  const double a = c.CARBA / (LHV * LHV * LHV);
  const double s = crmath::cbrt(GRAVITY * V * D);
  const double eta = 1.0 - a * crmath::exp(c.CARBB * U / s);
  // The floor also catches the non-finite cases (LHV = 0: eta = -inf; no jet
  // and no wind: 0/0), so only a finite efficiency above CCEMIN gets through.
  return eta > c.CCEMIN ? eta : c.CCEMIN;
}

void BRZFLARE(const SpeciesTable& prop, const STDCONST& /*c*/, const MIX& mix, double DJ, double UJ, double UA,
              double RHOJ, double RHOA, double& XL, double& ZL, double& FA) {
  const double combfrac = CALC_BYPROP(prop, mix, P_COMBUSTIBLE, P_IN_MIXTURE);
  BRZFLARE(prop, combfrac, CALC_LFL(prop, mix), CALC_MOLARMASS(prop, mix), DJ, UJ, UA, RHOJ, RHOA, XL, ZL, FA);
}

void BRZFLARE(const SpeciesTable& prop, double combfrac, double lfl, double mw, double DJ, double UJ, double UA,
              double RHOJ, double RHOA, double& XL, double& ZL, double& FA) {
  const double CL = combfrac > 0 ? lfl / combfrac : 0.0;
  // Jet-to-wind velocity ratio, capped at 110; a calm gives the cap for a
  // flowing jet and 0 for a jet without flow.
  double R = 0;
  if (UA > 0) {
    R = UJ / UA < 110.0 ? UJ / UA : 110.0;
  } else if (UJ > 0) {
    R = 110.0;
  }
  const double P = CL * R * (mw / prop(P_MW, AIR));
  if (!(P > 0)) {
    // No combustibles or no jet flow: no flame to bend over.
    XL = 0;
    ZL = 0;
    FA = 0;
    return;
  }
  const double SL = P < 0.5 ? 2.04 * crmath::pow(P, -1.03) : 2.51 * crmath::pow(P, -0.625);
  double xb = 0;
  if (P < 0.5 || SL > 2.35) {
    xb = SL - 1.65;
  } else {
    xb = CALC_XLL(crmath::pow(SL / 2.05, 3.571428571428571), SL);
  }
  const double zb = 2.05 * crmath::pow(xb, 0.28);
  const double L = DJ * std::sqrt(RHOJ / RHOA * (R * R));
  XL = xb * L;
  ZL = zb * L;
  FA = common::DEGREES(crmath::atan2(ZL, XL));
}

double CALC_XLL(double X0, double SL) {
  double x = X0;
  for (int pass = 1; pass <= 100; ++pass) {
    const double r = 1.04 * (x * x) + 2.05 * crmath::pow(x, 0.28) - SL;
    const double d = 2.08 * x + 0.574 * crmath::pow(x, -0.72);
    x = x - r / d;
    if (std::fabs(r) < 1e-5) break;
  }
  return x;
}

}  // namespace quelmar::physics
