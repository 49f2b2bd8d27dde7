// Start-up of the species table and the run-wide constants.
#pragma once
#include "physics/run_types.hpp"

namespace quelmar::physics {

// Makes PROP and STDCONST ready for the run; called once, before any other
// routine of the flare physics and before INITLOCAL. In this order:
// 1. stores the constants: ETATARGET 0.98, CCEMIN 0.5, FRAD 0.25, TGAS 278.15 K,
//    TAMBH 278.15 K, QSOLAR 1.04 kW/m2, CARBA 133.3, CARBB 0.317, TREF 288.15 K,
//    PREF 101.325 kPa, LAPSE 0.0065 K/m, UEMIN 1e-5 m/s, UUNIT 1 m/s, U10 10 m/s;
// 2. VM = R*TREF/PREF (23.64483003622853 m3/kmol), CALPERGJD (cal/s per
//    10^3 m3/d x MJ/m3) and WPERGJD (W per 10^3 m3/d x MJ/m3);
// 3. for every species: PROP(5,i) = CALC_CP(i, TREF) J/(mol K) and
//    PROP(4,i) = PROP(5,i)/PROP(1,i) kJ/(kg K); the dry-air row (29) still with
//    its built-in coefficients and molar mass (29.0894795 J/(mol K));
// 4. MK_AIRCOEFFICENTS: rebuilds the molar mass and coefficients of row 29.
// PLOCAL and LOGON are not touched.
void SETUP1(SpeciesTable& prop, STDCONST& c);

// Rebuilds the dry-air row 29 from the air fractions PROP(6,i) of the other
// species: the fractions are renormalised (IRENORMALIZE), PROP(1,29) becomes
// their molar mass (28.96551561 g/mol) and PROP(14..31,29) their
// fraction-weighted coefficient sets (MK_COEFF). Columns 4 and 5 of row 29 stay.
void MK_AIRCOEFFICENTS(SpeciesTable& prop);

}  // namespace quelmar::physics
