// Site pressure, the saturation line of water, the real-gas compressibility
// factor, the speed of sound and the radiant flux of a point source.
//
// Units: temperatures K; pressures kPa absolute; elevations m; molar mass
// g/mol; heat capacity J/(mol K); velocities m/s. R = 8.31446261815324 J/(mol K).
// No routine here checks its inputs or reports an error; the ranges of validity
// are stated with each.
#pragma once
#include "physics/run_types.hpp"

namespace quelmar::physics {

// Critical points with which the flare step evaluates FNZ (K, kPa).
inline constexpr double AIR_TC = 132.63, AIR_PC = 3785.8;
inline constexpr double WATER_TC = 647.096, WATER_PC = 22064.0;

// Atmospheric pressure (kPa) at elevation Z (m) in the standard atmosphere
// (288.15 K and 101.325 kPa at sea level, lapse rate LAPSE 0.0065 K/m, dry-air
// molar mass PROP(1,29) as SETUP1 computed it): PREF*(1 - LAPSE*Z/TREF)^(g M/(R LAPSE)).
// CALC_PLOCAL(0) = 101.325; negative elevations give more. Needs Z < 44330.77 m.
double CALC_PLOCAL(const SpeciesTable& prop, const STDCONST& c, double Z);

// Stores the site pressure: c.PLOCAL = CALC_PLOCAL(z) for the site elevation z
// (m). Called once per run, after SETUP1.
void INITLOCAL(const SpeciesTable& prop, STDCONST& c, double z);

// Saturation pressure of water (kPa) at T (K), IAPWS-IF97 region 4; meant for
// 273.15 K to 647.096 K.
double P_SAT(double T);
// Saturation temperature of water (K) at P (kPa), IAPWS-IF97 region 4; meant
// for the matching pressures up to 22064 kPa. P_SAT(T_SAT(P)) returns P.
double T_SAT(double P);

// Compressibility factor Z of a gas at T (K), P (kPa) with critical point TC (K),
// PC (kPa), from the Redlich-Kwong equation of state: the largest (vapour-like)
// root of Z^3 - Z^2 + (A - B - B^2) Z - A B = 0 with A = 0.42747 Pr/Tr^2.5 and
// B = 0.08664 Pr/Tr. Needs TC, PC > 0.
double FNZ(double T, double P, double TC, double PC);

// Largest real root of A0 x^3 + A1 x^2 + A2 x + A3 = 0 (A0 != 0), in closed form
// (Cardano for one real root, the trigonometric form for three).
double RMCROOT(double A0, double A1, double A2, double A3);

// Speed of sound (m/s) of a gas with molar heat capacity CP (J/(mol K)), molar
// mass MW (g/mol), temperature T (K) and compressibility Z:
// speed = sqrt(CP/(CP - R) * R T Z * 1000/MW). Needs CP > R and MW > 0.
void SONICVELOCITY(double CP, double MW, double T, double Z, double& speed);

// Radiant flux (kW/m2) at distance X (m) from a flame of length L (m) whose heat
// release is A*B (MW, e.g. kg/s times MJ/kg): the fraction FRAD of it spread over
// the sphere of radius X - 0.18 L, plus the solar flux QSOLAR:
// A*B*FRAD*1000/(4 pi (X - 0.18 L)^2) + QSOLAR. Needs X != 0.18 L.
// Not used by the run; kept with the flare's gas routines.
double CALC_TRAD(const STDCONST& c, double A, double B, double X, double L);

}  // namespace quelmar::physics
