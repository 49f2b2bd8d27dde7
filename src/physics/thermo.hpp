// Heat capacity and enthalpy from the NASA 9-coefficient polynomials of the
// species table, for species and mixtures, and the temperature at which a
// mixture holds a given sensible enthalpy (mixing and flame temperature).
//
// Units: temperatures K; molar heat capacities J/(mol K); enthalpies J/mol;
// R = 8.31446261815324 J/(mol K).
//
// Coefficient sets (COEFF, 18 doubles): COEFF(1..7) = a1..a7, COEFF(8..9) = b1,
// b2 of the range 200-1000 K; COEFF(10..18) the same for 1000-6000 K. For
// species i the set is PROP(14..31,i); for a mixture the set MK_COEFF builds
// (fraction-weighted, so mixture values equal the weighted species values).
//   cp/R      = a1/T^2 + a2/T + a3 + a4 T + a5 T^2 + a6 T^3 + a7 T^4
//   H/(R T)   = -a1/T^2 + a2 ln(T)/T + a3 + a4 T/2 + a5 T^2/3 + a6 T^3/4 + a7 T^4/5 + b1/T
//   S/R       = -a1/(2T^2) - a2/T + a3 ln T + a4 T + a5 T^2/2 + a6 T^3/3 + a7 T^4/4 + b2
// Range switch: T > 1000 K uses the high set; 1000 K exactly and below the low
// set. Nothing checks the 200 K and 6000 K ends (outside them the polynomials
// extrapolate); T must be positive.
//
// "Absolute" enthalpy (HF1 forms) includes the enthalpy of formation carried by
// b1 (water -241.826 kJ/mol at 298.15 K). "Sensible" enthalpy (HF forms) is
// H(T) - H(TREF) with TREF from STDCONST (288.15 K after SETUP1), exactly 0 at
// TREF.
#pragma once
#include <array>
#include <functional>

#include "physics/run_types.hpp"

namespace quelmar::physics {

// ---- species and coefficient sets ----

// Heat capacity cp(T) of a coefficient set, J/(mol K).
double CALC_CP_COEFF(const COEFF& coeff, double T);
// Heat capacity of species I (1..29) = CALC_CP_COEFF(PROP(14..31,I), T).
double CALC_CP(const SpeciesTable& prop, int I, double T);

// Absolute enthalpy of a coefficient set, J/mol.
double CALC_HF1_COEFF(const COEFF& coeff, double T);
// Absolute enthalpy of species I, J/mol.
// Not used by the run, which forms species enthalpies with species_hf1_tref and hf_species (below).
double CALC_HF1(const SpeciesTable& prop, int I, double T);

// Sensible enthalpy of a coefficient set: CALC_HF1_COEFF(T) - CALC_HF1_COEFF(TREF).
// Not used by the run; flame_temp (below) runs the temperature solve on values formed once.
double CALC_HF_COEFF(const STDCONST& c, const COEFF& coeff, double T);
// Sensible enthalpy of species I: CALC_HF1(I,T) - CALC_HF1(I,TREF), J/mol.
// Not used by the run; it takes hf_species (below), which gives the same.
double CALC_HF(const SpeciesTable& prop, const STDCONST& c, int I, double T);

// Entropy of species I at 1 bar, J/(mol K).
// Not used by the run; kept with the species routines.
double CALC_S(const SpeciesTable& prop, int I, double T);
// Gibbs function of species I divided by T, G/T = H/T - S, J/(mol K).
// Not used by the run; kept with the species routines.
double CALC_G(const SpeciesTable& prop, int I, double T);

// Mean heat capacity of species I between T1 and T2, J/(mol K):
// (CALC_HF(I,T2) - CALC_HF(I,T1))/(T2 - T1); CALC_CP(I,T1) when T2 == T1.
// Not used by the run; kept with the species routines.
double CALC_CP_AVE(const SpeciesTable& prop, const STDCONST& c, double T1, double T2, int I);

// ---- mixtures ----

// Sensible enthalpy of a mixture, species by species: sum over all 29 species
// (sulfur included) of CALC_HF(i,T)*MIX(i), J/mol of mixture.
// Not used by the run; it takes hfbar (below), which gives the same.
double CALC_HFBAR(const SpeciesTable& prop, const STDCONST& c, const MIX& mix, double T);
// Absolute enthalpy of a mixture through its coefficient set MK_COEFF(MIX), J/mol.
// Not used by the run; it takes hf1_mix (below), which gives the same.
double CALC_HF1MIX(const SpeciesTable& prop, const MIX& mix, double T);
// Heat capacity of a mixture through its coefficient set MK_COEFF(MIX) (T first).
// Not used by the run; it takes cp_mix (below), which gives the same.
double CALC_CPMIX(const SpeciesTable& prop, double T, const MIX& mix);
// Heat capacity of a mixture species by species: sum over all 29 species of
// MIX(i)*CALC_CP(i,T) (no in-mixture selection).
// Not used by the run; kept with the mixture routines.
double CALC_CPBAR(const SpeciesTable& prop, const MIX& mix, double T);
// The same with each term weighted by PROP(IFLAG,i) where that is > 0, and
// dropped where it is not.
// Not used by the run; kept with the mixture routines.
double CALC_CPBAR(const SpeciesTable& prop, const MIX& mix, double T, int IFLAG);
// Mean heat capacity of a mixture between T1 and T2 (symmetric in T1, T2):
// (CALC_HF1MIX(T2) - CALC_HF1MIX(T1))/(T2 - T1); CALC_CPMIX(T1) when T2 == T1.
// Not used by the run; it takes cp_ave_mix (below), which gives the same.
double CALC_CP_AVE_MIX(const SpeciesTable& prop, double T1, double T2, const MIX& mix);

// ---- temperature solve ----

// A residual f(x) with its derivative df(x): called as funcd(x, f, df).
using FUNCD = std::function<void(double x, double& f, double& df)>;

// Root of funcd in the bracket [X1, X2] to the tolerance XACC, by Newton steps
// safeguarded by bisection (at most 100 passes). Returns -1 when funcd does not
// change sign strictly between X1 and X2 (a zero at either end counts as no sign
// change) or when 100 passes do not converge.
// Not used by the run; flame_temp (below) runs the same solve itself.
double RTSAFE(const FUNCD& funcd, double X1, double X2, double XACC);

// What the flame-temperature residual needs: the target sensible enthalpy and
// the mixture's coefficient set of the solve that is running, and the constants
// (TREF). Built by CALC_FLAMETEMP for each solve; nothing else is shared.
struct FlameTempTarget {
  const STDCONST& c;
  double HTARGET = 0;  // target sensible enthalpy, J/mol
  COEFF FTCOEF{};      // coefficient set of the mixture
};

// Residual of the temperature solve at T: F = CALC_HF_COEFF(FTCOEF,T) - HTARGET,
// DF = CALC_CP_COEFF(FTCOEF,T).
// Not used by the run; flame_temp (below) runs the same solve itself.
void CALC_HCP(const FlameTempTarget& target, double T, double& F, double& DF);

// The temperature range of the flare model: the bracket of every temperature
// solve (mixing and flame temperature), K.
inline constexpr double T_SOLVE_LO = 200.0, T_SOLVE_HI = 3000.0;

// Temperature (K) at which MIX holds the sensible enthalpy H (J/mol above TREF):
// RTSAFE on CALC_HCP over T_SOLVE_LO..T_SOLVE_HI (200..3000 K) to 1e-5 K. Returns -1 when H is not
// strictly between the sensible enthalpies at 200 K and 3000 K, or when the
// solve does not converge; no message is written.
// Not used by the run; it takes flame_temp (below), which gives the same.
double CALC_FLAMETEMP(const SpeciesTable& prop, const STDCONST& c, const MIX& mix, double H);

// ---- values of one composition, formed once ----
//
// The flare step asks for the same compositions' heat capacities and enthalpies
// at many temperatures. GasProps holds what they need that depends on the
// composition alone, formed with the operations of the routines above, so that
// each function below gives exactly what the routine it names gives.
// GasProps (run/gas_cache.hpp) holds them.
GasProps gas_props(const SpeciesTable& prop, const STDCONST& c, const MIX& mix);
// CALC_HF1MIX(mix, T).
double hf1_mix(const GasProps& g, double T);
// CALC_CPMIX(T, mix).
double cp_mix(const GasProps& g, double T);
// CALC_CP_AVE_MIX(T1, T2, mix).
double cp_ave_mix(const GasProps& g, double T1, double T2);
// CALC_FLAMETEMP(mix, H).
double flame_temp(const GasProps& g, double H);
// flame_temp(g, H) through the solutions of `memo`, which must belong to g.
inline double flame_temp(const GasProps& g, run::SolveMemo& memo, double H) {
  double T = 0;
  if (memo.find(H, T)) return T;
  T = flame_temp(g, H);
  memo.put(H, T);
  return T;
}
// gas_props(mix) through the values that the run's cache holds.
inline GasProps gas_props(GasCache& cache, const SpeciesTable& prop, const STDCONST& c, const MIX& mix) {
  return cache.props(prop, c, mix, [&] { return gas_props(prop, c, mix); });
}

// CALC_HF1(I, TREF) of the 29 species, at [0..28].
std::array<double, NSPECIES> species_hf1_tref(const SpeciesTable& prop, const STDCONST& c);
// CALC_HF(I, T) with CALC_HF1(I, TREF) taken from `hf1_tref`.
double hf_species(const SpeciesTable& prop, const std::array<double, NSPECIES>& hf1_tref, int I, double T);
// CALC_HFBAR(MIX, T) with CALC_HF1(I, TREF) taken from `hf1_tref`.
double hfbar(const SpeciesTable& prop, const std::array<double, NSPECIES>& hf1_tref, const MIX& mix, double T);

// ---- older five-term forms (kept for reference; no part of a run uses them) ----
// They read the first five coefficients of a range as c1..c5 of
// cp/R = c1 + c2 T + c3 T^2 + c4 T^3 + c5 T^4.

// Five-term heat capacity from PROP(14..18,I), J/(mol K).
// Not used by the run; kept as one of the older forms.
double CALC_CP_REF(const SpeciesTable& prop, int I, double T);
// Five-term heat capacity from PROP(23..27,I), J/(mol K).
// Not used by the run; kept as one of the older forms.
double CALC_CP_HI(const SpeciesTable& prop, int I, double T);
// Matching enthalpy R T (c1 + c2 T/2 + c3 T^2/3 + c4 T^3/4 + c5 T^4/5) from
// PROP(14..18,I), J/mol (no integration constant).
// Not used by the run; kept as one of the older forms.
double CALC_HF_REF(const SpeciesTable& prop, int I, double T);
// The same from PROP(23..27,I).
// Not used by the run; kept as one of the older forms.
double CALC_HF_HI(const SpeciesTable& prop, int I, double T);
// CALC_CP_REF shifted so that it equals PROP(5,I) at TREF; above 1000 K,
// CALC_CP_HI shifted to meet the shifted low form at 1000 K.
// Not used by the run; kept as one of the older forms.
double CALC_CP_OBSOLETE(const SpeciesTable& prop, const STDCONST& c, int I, double T);
// Sensible enthalpy (0 at TREF) that is the integral of CALC_CP_OBSOLETE: the
// five-term enthalpies with the same shifts, joined at 1000 K.
// Not used by the run; kept as one of the older forms.
double CALC_HF_OBSOLETE(const SpeciesTable& prop, const STDCONST& c, int I, double T);
// Mixture enthalpy from the fraction-weighted five-term forms (all 29 species),
// its heat capacity shifted to match CALC_CPBAR(MIX, TREF) at TREF and the high
// form joined to the low form at 1000 K in value and heat capacity. Measured from
// the five-term forms' own zero (no enthalpy of formation), J/mol.
// Not used by the run; kept as one of the older forms.
double CALC_HF1MIX_OBSOLETE(const SpeciesTable& prop, const STDCONST& c, const MIX& mix, double T);

}  // namespace quelmar::physics
