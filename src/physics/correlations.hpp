// Empirical correlations of the jet leaving a flare tip: air entrained by an
// assist jet, the carbon conversion efficiency of a flame in a cross-wind
// (Johnson and Kostiuk) and the position of the tip of a wind-bent jet flame
// (Brzustowski). Pure functions of their arguments and of a few constants.
#pragma once
#include "physics/run_types.hpp"

namespace quelmar::physics {

// Volumes of ambient air entrained per volume of jet flow, for a jet with
// entrainment coefficient RAIR (RAIRAIR, RAIRSTEAM or RAIRFUEL), ambient-air to
// jet density ratio DR, jet temperature T (K) at pressure P (kPa):
// 2*RAIR/(sqrt(DR)*(DR + 1)) * (T/TREF) * (PREF/P). With DR = 1 it is
// RAIR*(T/TREF)*(PREF/P).
double ENTRAINMENTRATIO(const STDCONST& c, double RAIR, double DR, double T, double P);

// Carbon conversion efficiency (fraction, CCEMIN 0.5 .. 1) of a flame with net
// heating value LHV (MJ/kg) in a wind U (m/s at the flare tip), for a jet of
// diameter D (m) and exit velocity V (m/s):
// max(CCEMIN, 1 - CARBA/LHV^3 * exp(CARBB*U/(g V D)^(1/3))).
// LHV = 0, a calm without a jet, or any case without a finite efficiency above
// CCEMIN gives CCEMIN.
double CARBEFF(const STDCONST& c, double LHV, double U, double D, double V);

// Position of the flame tip of a jet flame bent over by the wind, for the flared
// mixture MIX leaving a tip of diameter DJ (m) at velocity UJ (m/s) into a wind
// UA (m/s), jet density RHOJ and air density RHOA (kg/m3). Sets the downwind
// distance XL (m) and the height ZL (m) of the tip above the flare tip, and the
// angle FA (degrees above the horizontal) of the line from the flare tip to it.
// The jet-to-wind velocity ratio is capped at 110 (a calm, UA = 0, uses 110).
// A mixture without combustibles, or a jet without flow, has no flame: then the
// scaled flammability parameter is 0 and XL = ZL = 0, FA = 0.
void BRZFLARE(const SpeciesTable& prop, const STDCONST& c, const MIX& mix, double DJ, double UJ, double UA,
              double RHOJ, double RHOA, double& XL, double& ZL, double& FA);
// The same with what BRZFLARE takes from the mixture already formed: its
// combustible fraction CALC_BYPROP(MIX, P_COMBUSTIBLE, P_IN_MIXTURE), its CALC_LFL
// and its molar mass.
void BRZFLARE(const SpeciesTable& prop, double combfrac, double lfl, double mw, double DJ, double UJ, double UA,
              double RHOJ, double RHOA, double& XL, double& ZL, double& FA);

// x with 1.04 x^2 + 2.05 x^0.28 = SL by Newton's method from X0 (X0 > 0), at
// most 100 passes; stops one step after the residual falls below 1e-5. After 100
// passes the last x is returned without a sign of failure.
double CALC_XLL(double X0, double SL);

}  // namespace quelmar::physics
