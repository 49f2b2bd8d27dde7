// Operations on gas compositions (MIX: 29 mole fractions in species order):
// mixing streams, rescaling to an H2S fraction, renormalising, property-weighted
// sums (molar mass, heating values, stoichiometric sums), the hydrocarbon
// fraction, the lower flammability limit, the autoignition temperature and the
// mixture's NASA coefficient set. None keeps state; all read the species table.
//
// Conventions shared by every routine here:
// - Fractions need not add up to 1: every sum is linear in the fractions.
// - In-mixture rule: a species takes part in the sums, normalisations and
//   rescalings when its in-mixture flag PROP(32,i) > 0, that is every species
//   except sulfur (25). The dry-air pseudo-species (29) takes part. An output
//   entry of a species that does not take part is left as it was.
// - Sums run over the species in ascending order 1..29 and start from 0.
// - Routines whose names begin with I return 0, which callers need not test.
//
// Property numbers j of PROP(j,i) used as IP / IFLAG / IP2 arguments:
//    1 molar mass g/mol                 2 net heating value MJ/m3 (288.15 K, 101.325 kPa)
//    3 gross heating value MJ/m3        4 heat capacity at TREF kJ/(kg K) (SETUP1)
//    5 molar heat capacity at TREF J/(mol K) (SETUP1)
//    6 mole fraction in dry air         7 O2 needed for complete combustion, mol/mol
//    8 carbon atoms per molecule        9 moles of combustion products per mole
//   10 moles of water in the products  11 lower flammability limit, volume %
//   12 combustible flag (1/0)          13 autoignition temperature, deg C
//   14..22 NASA set 200-1000 K         23..31 NASA set 1000-6000 K
//   32 in-mixture flag                 33 hydrocarbon flag (methane..heptane)
//   34 (unused flag)                   35 air constituent other than O2
// Flags count as "yes" when greater than 0 (the table stores 1 and -9999).
#pragma once
#include "physics/mix.hpp"
#include "physics/species.hpp"

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
// Pairs in use: (1,32) molar mass; (2,32)/(3,32) heating values; (5,32) cp at
// TREF; (12,32) combustible fraction; (7,32) O2 demand; (7,32,12) O2 demand of
// the combustibles; (8,32) carbon atoms; (8,33) carbon in hydrocarbons; (9,32)
// moles of products; (10,32) moles of water in the products.
double CALC_BYPROP(const SpeciesTable& prop, const MIX& mix, int IP, int IFLAG);
double CALC_BYPROP(const SpeciesTable& prop, const MIX& mix, int IP, int IFLAG, int IP2);

// Molar mass of the mixture, g/mol = CALC_BYPROP(MIX, 1, 32).
double CALC_MOLARMASS(const SpeciesTable& prop, const MIX& mix);
// Net heating value, MJ/m3 at 288.15 K and 101.325 kPa = CALC_BYPROP(MIX, 2, 32).
double CALC_NHV(const SpeciesTable& prop, const MIX& mix);
// Gross heating value, MJ/m3 at 288.15 K and 101.325 kPa = CALC_BYPROP(MIX, 3, 32).
double CALC_GHV(const SpeciesTable& prop, const MIX& mix);
// Heating value per mass, MJ/kg: NHV (MJ/m3) / MW (g/mol) * VM (m3/kmol).
// Not used by the run; kept with the other composition routines.
double CALC_NHVMASS(const STDCONST& c, double MW, double NHV);

// Mole fraction of hydrocarbons (species with PROP(33,i) > 0: methane..heptane).
// Not used by the run; kept with the other composition routines.
double CALC_HYDROCARBONS(const SpeciesTable& prop, const MIX& mix);

// Lower flammability limit of the combustible part, as a fraction (not %), by
// Le Chatelier's rule over the species with PROP(11,i) > 0:
// S = sum MIX(i)/PROP(11,i)*PROP(12,i), T = sum MIX(i)*PROP(12,i);
// 0.01/(S/T) when S > 0, else S (0 for a gas without combustibles). Inert species
// do not dilute it: 50 % methane in nitrogen gives 0.05 like pure methane.
double CALC_LFL(const SpeciesTable& prop, const MIX& mix);

// Mean autoignition temperature of the combustible part, K: the
// combustible-weighted mean of PROP(13,i) (deg C) over the species with
// PROP(13,i) > 0, plus 273.15; 273.15 K for a gas without combustibles.
double CALC_AUTOIG(const SpeciesTable& prop, const MIX& mix);

// COEFF(k) = sum over all 29 species (no flag, sulfur included) of
// MIX(i)*PROP(13+k,i), k = 1..18: the mixture's NASA 9-coefficient sets, whose
// heat capacity and enthalpy equal the fraction-weighted sums of the species'.
void MK_COEFF(const SpeciesTable& prop, const MIX& mix, COEFF& coeff);

}  // namespace quelmar::physics
