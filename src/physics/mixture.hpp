// Operations on gas compositions (MIX: 29 mole fractions in species order):
// mixing streams, rescaling to an H2S fraction, renormalising, property-weighted
// sums (molar mass, heating values, stoichiometric sums), the hydrocarbon
// fraction, the lower flammability limit, the autoignition temperature and the
// mixture's NASA coefficient set. None keeps state; all read the species table.
//
// Conventions shared by every routine here:
// - Fractions need not add up to 1: every sum is linear in the fractions.
// - In-mixture rule: a species takes part in the sums, normalisations and
//   rescalings when its in-mixture flag PROP(P_IN_MIXTURE,i) > 0, that is every species
//   except sulfur (25). The dry-air pseudo-species (29) takes part. An output
//   entry of a species that does not take part is left as it was.
// - Sums run over the species in ascending order 1..29 and start from 0.
// - Routines whose names begin with I return 0, which callers need not test.
// - Properties j of PROP(j,i), the IP / IFLAG / IP2 arguments, are named by
//   the enum Property (species.hpp); flags count as "yes" when greater than 0.
#pragma once
#include "physics/run_types.hpp"

namespace quelmar::physics {

// Total flared rate Q*(FGR+1): raw gas Q (10^3 m3/d) plus FGR volumes of fuel
// gas per volume of raw gas.
double CALC_TOTALRATE(double Q, double FGR);

// Fuel-gas rate Q*FGR (10^3 m3/d).
// Not used by the run; kept with the other composition routines.
double CALC_FUELRATE(double Q, double FGR);

// Divides the in-mixture fractions of MIX by their sum (sulfur untouched).
// A composition whose in-mixture fractions add up to 0 is left unchanged.
int IRENORMALIZE(const SpeciesTable& prop, MIX& mix);

// OUT(i) = (R*B(i) + A(i))/(R + 1) for the in-mixture species: stream A mixed
// with R volumes of stream B per volume of A. R = 0 gives A; A = B with R = 1
// copies A. OUT may be the same object as A or B. With R = -1 (no mixture
// exists) OUT is left unchanged.
int INORMALIZE(const SpeciesTable& prop, const MIX& A, const MIX& B, double R, MIX& OUT);

// MIX := RAW rescaled to the H2S mole fraction RH2S: the other in-mixture species
// keep their proportions and fill 1 - RH2S (their fractions times
// (1 - RH2S)/(1 - RAW(6)); sulfur untouched). A raw gas of pure H2S
// (RAW(6) == 1) gives 0 for all 29 species. In both cases MIX(6) = RH2S.
// MIX may be the same object as RAW.
int INORMALIZEH2S(const SpeciesTable& prop, const MIX& RAW, double RH2S, MIX& mix);

// Sum over i = 1..29 with PROP(IFLAG,i) > 0 of MIX(i)*PROP(IP,i); 0 when nothing
// is selected. The form with IP2 multiplies each term by PROP(IP2,i) as well.
// In use, all over the in-mixture species (P_IN_MIXTURE) unless said: molar
// mass P_MW; heating values P_NHV, P_GHV; cp at TREF P_CP_MOL; combustible
// fraction P_COMBUSTIBLE; O2 demand P_O2_NEED, of the combustibles alone with
// IP2 = P_COMBUSTIBLE; carbon atoms P_CARBON, over the hydrocarbons
// (P_HYDROCARBON) too; moles of products P_PRODUCTS and of water P_WATER.
double CALC_BYPROP(const SpeciesTable& prop, const MIX& mix, int IP, int IFLAG);
double CALC_BYPROP(const SpeciesTable& prop, const MIX& mix, int IP, int IFLAG, int IP2);

// Molar mass of the mixture, g/mol = CALC_BYPROP(MIX, P_MW, P_IN_MIXTURE).
double CALC_MOLARMASS(const SpeciesTable& prop, const MIX& mix);
// Net heating value, MJ/m3 at 288.15 K and 101.325 kPa = CALC_BYPROP(MIX, P_NHV, P_IN_MIXTURE).
double CALC_NHV(const SpeciesTable& prop, const MIX& mix);
// Gross heating value, MJ/m3 at 288.15 K and 101.325 kPa = CALC_BYPROP(MIX, P_GHV, P_IN_MIXTURE).
double CALC_GHV(const SpeciesTable& prop, const MIX& mix);
// Heating value per mass, MJ/kg: NHV (MJ/m3) / MW (g/mol) * VM (m3/kmol).
// Not used by the run; kept with the other composition routines.
double CALC_NHVMASS(const STDCONST& c, double MW, double NHV);

// Mole fraction of hydrocarbons (species with PROP(P_HYDROCARBON,i) > 0: methane..heptane).
// Not used by the run; kept with the other composition routines.
double CALC_HYDROCARBONS(const SpeciesTable& prop, const MIX& mix);

// Lower flammability limit of the combustible part, as a fraction (not %), by
// Le Chatelier's rule over the species with a limit, PROP(P_LFL,i) > 0:
// S = sum MIX(i)/PROP(P_LFL,i)*PROP(P_COMBUSTIBLE,i), T = sum MIX(i)*PROP(P_COMBUSTIBLE,i);
// 0.01/(S/T) when S > 0, else S (0 for a gas without combustibles). Inert species
// do not dilute it: 50 % methane in nitrogen gives 0.05 like pure methane.
double CALC_LFL(const SpeciesTable& prop, const MIX& mix);

// Mean autoignition temperature of the combustible part, K: the
// combustible-weighted mean of PROP(P_AUTOIGNITION,i) (deg C) over the species
// with a positive one, plus 273.15; 273.15 K for a gas without combustibles.
double CALC_AUTOIG(const SpeciesTable& prop, const MIX& mix);

// COEFF(k) = sum over all 29 species (no flag, sulfur included) of
// MIX(i)*PROP(P_NASA_LOW-1+k,i), k = 1..18: the mixture's NASA 9-coefficient sets, whose
// heat capacity and enthalpy equal the fraction-weighted sums of the species'.
void MK_COEFF(const SpeciesTable& prop, const MIX& mix, COEFF& coeff);

}  // namespace quelmar::physics
