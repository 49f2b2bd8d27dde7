#include "physics/thermo.hpp"

#include <array>
#include <cmath>

#include "common/constants.hpp"
#include "common/crmath.hpp"
#include "physics/mixture.hpp"

namespace quelmar::physics {

using common::GAS_CONSTANT;
namespace {

// Offset of the coefficient range that applies at T: 9 (high set) above 1000 K.
int range_offset(double T) { return T > 1000.0 ? 9 : 0; }

// What the enthalpy form needs of a temperature: its range offset, its
// logarithm and its powers, each formed as the form writes it.
struct TempPowers {
  explicit TempPowers(double t)
      : T(t), o(range_offset(t)), inv2(1.0 / (t * t)), lnT(crmath::log(t)), t2(t * t), t3(t * t * t), t4(t * t * t * t) {}
  double T;
  int o;
  double inv2, lnT, t2, t3, t4;
};

// Absolute enthalpy H = (d + b1/T)*R*T with d accumulated term by term:
// d = -a1/T^2 + a2 ln(T)/T + a3 + a4 T/2 + a5 T^2/3 + a6 T^3/4 + a7 T^4/5.
double hf1(double a1, double a2, double a3, double a4, double a5, double a6, double a7, double b1,
           const TempPowers& p) {
  const double T = p.T;
  double d = 0;
  d = d - p.inv2 * a1;
  d = d + p.lnT * a2 / T;
  d = d + a3;
  d = d + T * a4 / 2.0;
  d = d + p.t2 * a5 / 3.0;
  d = d + p.t3 * a6 / 4.0;
  d = d + p.t4 * a7 / 5.0;
  return (d + b1 / T) * GAS_CONSTANT * T;
}

// Absolute enthalpy of species I (1..29) straight from the table.
double species_hf1(const SpeciesTable& prop, int I, const TempPowers& p) {
  const int b = P_NASA_LOW + p.o;
  return hf1(prop(b, I), prop(b + 1, I), prop(b + 2, I), prop(b + 3, I), prop(b + 4, I), prop(b + 5, I),
             prop(b + 6, I), prop(b + 7, I), p);
}

// The Newton-Raphson solve safeguarded by bisection, from the residuals fl and
// fh at the ends X1 and X2 of the bracket that the caller has formed.
template <class Funcd>
double rtsafe(const Funcd& funcd, double X1, double X2, double fl, double fh, double XACC) {
  double df = 0;
  if (fl * fh >= 0) return -1.0;
  double xl = 0, xh = 0;
  if (fl < 0) {
    xl = X1;
    xh = X2;
  } else {
    xh = X1;
    xl = X2;
  }
  double rts = 0.5 * (X1 + X2);
  double dxold = std::fabs(X2 - X1);
  double dx = dxold;
  double f = 0;
  funcd(rts, f, df);
  for (int pass = 1; pass <= 100; ++pass) {
    if (((rts - xh) * df - f) * ((rts - xl) * df - f) >= 0 || std::fabs(2.0 * f) > std::fabs(dxold * df)) {
      // Newton would leave the bracket or is not shrinking fast enough: bisect.
      dxold = dx;
      dx = 0.5 * (xh - xl);
      rts = xl + dx;
      if (rts == xl) return rts;
    } else {
      dxold = dx;
      dx = f / df;
      const double r0 = rts;
      rts = rts - dx;
      if (rts == r0) return rts;
    }
    if (std::fabs(dx) < XACC) return rts;
    funcd(rts, f, df);
    if (f < 0) {
      xl = rts;
    } else {
      xh = rts;
    }
  }
  return -1.0;
}


COEFF species_coeff(const SpeciesTable& prop, int I) {
  COEFF c{};
  for (int k = 1; k <= 18; ++k) c(k) = prop(P_NASA_LOW + k - 1, I);
  return c;
}

// Five-term heat capacity and enthalpy of c1..c5.
double cp5(double c1, double c2, double c3, double c4, double c5, double T) {
  return GAS_CONSTANT * (c1 + c2 * T + c3 * (T * T) + c4 * (T * T * T) + c5 * (T * T * T * T));
}
double h5(double c1, double c2, double c3, double c4, double c5, double T) {
  return GAS_CONSTANT * T *
         (c1 + c2 * T / 2.0 + c3 * (T * T) / 3.0 + c4 * (T * T * T) / 4.0 + c5 * (T * T * T * T) / 5.0);
}

// Fraction-weighted five-term forms of a mixture, from the range starting at
// property `first` (P_NASA_LOW or P_NASA_HIGH).
double cp5_mix(const SpeciesTable& prop, const MIX& mix, int first, double T) {
  double s = 0;
  for (int i = 1; i <= NSPECIES; ++i) {
    s = s + mix(i) * cp5(prop(first, i), prop(first + 1, i), prop(first + 2, i), prop(first + 3, i),
                         prop(first + 4, i), T);
  }
  return s;
}
double h5_mix(const SpeciesTable& prop, const MIX& mix, int first, double T) {
  double s = 0;
  for (int i = 1; i <= NSPECIES; ++i) {
    s = s + mix(i) * h5(prop(first, i), prop(first + 1, i), prop(first + 2, i), prop(first + 3, i),
                        prop(first + 4, i), T);
  }
  return s;
}

}  // namespace

// ---- species and coefficient sets ----

double CALC_CP_COEFF(const COEFF& coeff, double T) {
  const int o = range_offset(T);
  double s = 0;
  // The powers T^-2 .. T^4 are taken with a real exponent, each correctly
  // rounded (T^-1 and T^2 are one IEEE operation; T^-2, T^3, T^4 are formed
  // exactly first). T^0 and T^1 are exactly 1 and T, which is what the power
  // function returns for them.
  for (int k = 1; k <= 7; ++k) {
    const int e = k - 3;
    const double p = e == 0 ? 1.0 : (e == 1 ? T : crmath::pow(T, static_cast<double>(e)));
    s = s + coeff(k + o) * p;
  }
  return s * GAS_CONSTANT;
}

double CALC_CP(const SpeciesTable& prop, int I, double T) { return CALC_CP_COEFF(species_coeff(prop, I), T); }

double CALC_HF1_COEFF(const COEFF& coeff, double T) {
  const TempPowers p(T);
  const double* a = &coeff.v[static_cast<std::size_t>(p.o)];
  return hf1(a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7], p);
}

double CALC_HF1(const SpeciesTable& prop, int I, double T) { return CALC_HF1_COEFF(species_coeff(prop, I), T); }

double CALC_HF_COEFF(const STDCONST& c, const COEFF& coeff, double T) {
  return CALC_HF1_COEFF(coeff, T) - CALC_HF1_COEFF(coeff, c.TREF);
}

double CALC_HF(const SpeciesTable& prop, const STDCONST& c, int I, double T) {
  return CALC_HF1(prop, I, T) - CALC_HF1(prop, I, c.TREF);
}

double CALC_S(const SpeciesTable& prop, int I, double T) {
  const int b = P_NASA_LOW + range_offset(T);
  const double a1 = prop(b, I), a2 = prop(b + 1, I), a3 = prop(b + 2, I), a4 = prop(b + 3, I);
  const double a5 = prop(b + 4, I), a6 = prop(b + 5, I), a7 = prop(b + 6, I), b2 = prop(b + 8, I);
  const double s = -a1 / (2.0 * (T * T)) - a2 / T + a3 * crmath::log(T) + a4 * T + a5 * (T * T) / 2.0 +
                   a6 * (T * T * T) / 3.0 + a7 * (T * T * T * T) / 4.0 + b2;
  return GAS_CONSTANT * s;
}

double CALC_G(const SpeciesTable& prop, int I, double T) {
  const int b = P_NASA_LOW + range_offset(T);
  const double a1 = prop(b, I), a2 = prop(b + 1, I), a3 = prop(b + 2, I), a4 = prop(b + 3, I);
  const double a5 = prop(b + 4, I), a6 = prop(b + 5, I), a7 = prop(b + 6, I), b1 = prop(b + 7, I);
  const double b2 = prop(b + 8, I);
  const double lnT = crmath::log(T);
  const double g = -a1 / (2.0 * (T * T)) + a2 * (1.0 + lnT) / T + a3 * (1.0 - lnT) - a4 * T / 2.0 -
                   a5 * (T * T) / 6.0 - a6 * (T * T * T) / 12.0 - a7 * (T * T * T * T) / 20.0 + b1 / T - b2;
  return GAS_CONSTANT * g;
}

double CALC_CP_AVE(const SpeciesTable& prop, const STDCONST& c, double T1, double T2, int I) {
  if (T2 == T1) return CALC_CP(prop, I, T1);
  return (CALC_HF(prop, c, I, T2) - CALC_HF(prop, c, I, T1)) / (T2 - T1);
}

// ---- mixtures ----

double CALC_HFBAR(const SpeciesTable& prop, const STDCONST& c, const MIX& mix, double T) {
  // A species that the mixture does not hold adds an exact zero: passed over.
  double s = 0;
  for (int i = 1; i <= NSPECIES; ++i)
    if (mix(i) != 0) s = s + CALC_HF(prop, c, i, T) * mix(i);
  return s;
}

std::array<double, NSPECIES> species_hf1_tref(const SpeciesTable& prop, const STDCONST& c) {
  const TempPowers p(c.TREF);
  std::array<double, NSPECIES> h{};
  for (int i = 1; i <= NSPECIES; ++i) h[static_cast<std::size_t>(i - 1)] = species_hf1(prop, i, p);
  return h;
}

double hf_species(const SpeciesTable& prop, const std::array<double, NSPECIES>& hf1_tref, int I, double T) {
  return species_hf1(prop, I, TempPowers(T)) - hf1_tref[static_cast<std::size_t>(I - 1)];
}

double hfbar(const SpeciesTable& prop, const std::array<double, NSPECIES>& hf1_tref, const MIX& mix, double T) {
  const TempPowers p(T);
  double s = 0;
  for (int i = 1; i <= NSPECIES; ++i)
    if (mix(i) != 0) s = s + (species_hf1(prop, i, p) - hf1_tref[static_cast<std::size_t>(i - 1)]) * mix(i);
  return s;
}

double CALC_HF1MIX(const SpeciesTable& prop, const MIX& mix, double T) {
  COEFF coeff{};
  MK_COEFF(prop, mix, coeff);
  return CALC_HF1_COEFF(coeff, T);
}

double CALC_CPMIX(const SpeciesTable& prop, double T, const MIX& mix) {
  COEFF coeff{};
  MK_COEFF(prop, mix, coeff);
  return CALC_CP_COEFF(coeff, T);
}

double CALC_CPBAR(const SpeciesTable& prop, const MIX& mix, double T) {
  double s = 0;
  for (int i = 1; i <= NSPECIES; ++i) s = s + mix(i) * CALC_CP(prop, i, T);
  return s;
}

double CALC_CPBAR(const SpeciesTable& prop, const MIX& mix, double T, int IFLAG) {
  double s = 0;
  for (int i = 1; i <= NSPECIES; ++i) {
    double term = mix(i) * CALC_CP(prop, i, T);
    term = prop(IFLAG, i) > 0 ? term * prop(IFLAG, i) : 0.0;
    s = s + term;
  }
  return s;
}

double CALC_CP_AVE_MIX(const SpeciesTable& prop, double T1, double T2, const MIX& mix) {
  if (T2 == T1) return CALC_CPMIX(prop, T1, mix);
  return (CALC_HF1MIX(prop, mix, T2) - CALC_HF1MIX(prop, mix, T1)) / (T2 - T1);
}

// ---- temperature solve ----

double RTSAFE(const FUNCD& funcd, double X1, double X2, double XACC) {
  double fl = 0, fh = 0, df = 0;
  funcd(X1, fl, df);
  funcd(X2, fh, df);
  return rtsafe(funcd, X1, X2, fl, fh, XACC);
}

void CALC_HCP(const FlameTempTarget& target, double T, double& F, double& DF) {
  F = CALC_HF_COEFF(target.c, target.FTCOEF, T) - target.HTARGET;
  DF = CALC_CP_COEFF(target.FTCOEF, T);
}

double CALC_FLAMETEMP(const SpeciesTable& prop, const STDCONST& c, const MIX& mix, double H) {
  return flame_temp(gas_props(prop, c, mix), H);
}

// ---- values of one composition, formed once ----

GasProps gas_props(const SpeciesTable& prop, const STDCONST& c, const MIX& mix) {
  GasProps g;
  MK_COEFF(prop, mix, g.coeff);
  g.MW = CALC_MOLARMASS(prop, mix);
  g.TREF = c.TREF;
  g.HF1_TREF = CALC_HF1_COEFF(g.coeff, c.TREF);
  g.CP_TREF = CALC_CP_COEFF(g.coeff, c.TREF);
  g.HF_LO = CALC_HF1_COEFF(g.coeff, T_SOLVE_LO) - g.HF1_TREF;
  g.HF_HI = CALC_HF1_COEFF(g.coeff, T_SOLVE_HI) - g.HF1_TREF;
  return g;
}

double hf1_mix(const GasProps& g, double T) { return T == g.TREF ? g.HF1_TREF : CALC_HF1_COEFF(g.coeff, T); }

double cp_mix(const GasProps& g, double T) { return T == g.TREF ? g.CP_TREF : CALC_CP_COEFF(g.coeff, T); }

double cp_ave_mix(const GasProps& g, double T1, double T2) {
  if (T2 == T1) return cp_mix(g, T1);
  return (hf1_mix(g, T2) - hf1_mix(g, T1)) / (T2 - T1);
}

double flame_temp(const GasProps& g, double H) {
  // The residual of CALC_HCP: the sensible enthalpy above TREF less the target,
  // and the heat capacity; at the ends of the bracket the sensible enthalpies
  // are those of the composition's values.
  const auto funcd = [&g, H](double x, double& f, double& df) {
    f = (CALC_HF1_COEFF(g.coeff, x) - g.HF1_TREF) - H;
    df = CALC_CP_COEFF(g.coeff, x);
  };
  return rtsafe(funcd, T_SOLVE_LO, T_SOLVE_HI, g.HF_LO - H, g.HF_HI - H, 1e-5);
}

// ---- older five-term forms ----

double CALC_CP_REF(const SpeciesTable& prop, int I, double T) {
  const int a = P_NASA_LOW;
  return cp5(prop(a, I), prop(a + 1, I), prop(a + 2, I), prop(a + 3, I), prop(a + 4, I), T);
}

double CALC_CP_HI(const SpeciesTable& prop, int I, double T) {
  const int a = P_NASA_HIGH;
  return cp5(prop(a, I), prop(a + 1, I), prop(a + 2, I), prop(a + 3, I), prop(a + 4, I), T);
}

double CALC_HF_REF(const SpeciesTable& prop, int I, double T) {
  const int a = P_NASA_LOW;
  return h5(prop(a, I), prop(a + 1, I), prop(a + 2, I), prop(a + 3, I), prop(a + 4, I), T);
}

double CALC_HF_HI(const SpeciesTable& prop, int I, double T) {
  const int a = P_NASA_HIGH;
  return h5(prop(a, I), prop(a + 1, I), prop(a + 2, I), prop(a + 3, I), prop(a + 4, I), T);
}

double CALC_CP_OBSOLETE(const SpeciesTable& prop, const STDCONST& c, int I, double T) {
  const double shift_low = prop(P_CP_MOL, I) - CALC_CP_REF(prop, I, c.TREF);
  if (T <= 1000.0) return CALC_CP_REF(prop, I, T) + shift_low;
  const double cp_join = CALC_CP_REF(prop, I, 1000.0) + shift_low;
  return CALC_CP_HI(prop, I, T) + (cp_join - CALC_CP_HI(prop, I, 1000.0));
}

double CALC_HF_OBSOLETE(const SpeciesTable& prop, const STDCONST& c, int I, double T) {
  const double shift_low = prop(P_CP_MOL, I) - CALC_CP_REF(prop, I, c.TREF);
  auto low = [&](double t) { return CALC_HF_REF(prop, I, t) - CALC_HF_REF(prop, I, c.TREF) + shift_low * (t - c.TREF); };
  if (T <= 1000.0) return low(T);
  const double shift_high = CALC_CP_REF(prop, I, 1000.0) + shift_low - CALC_CP_HI(prop, I, 1000.0);
  return low(1000.0) + CALC_HF_HI(prop, I, T) - CALC_HF_HI(prop, I, 1000.0) + shift_high * (T - 1000.0);
}

double CALC_HF1MIX_OBSOLETE(const SpeciesTable& prop, const STDCONST& c, const MIX& mix, double T) {
  const double shift_low = CALC_CPBAR(prop, mix, c.TREF) - cp5_mix(prop, mix, P_NASA_LOW, c.TREF);
  auto low = [&](double t) { return h5_mix(prop, mix, P_NASA_LOW, t) + shift_low * t; };
  if (T <= 1000.0) return low(T);
  const double shift_high =
      cp5_mix(prop, mix, P_NASA_LOW, 1000.0) + shift_low - cp5_mix(prop, mix, P_NASA_HIGH, 1000.0);
  return low(1000.0) + h5_mix(prop, mix, P_NASA_HIGH, T) - h5_mix(prop, mix, P_NASA_HIGH, 1000.0) +
         shift_high * (T - 1000.0);
}

}  // namespace quelmar::physics
