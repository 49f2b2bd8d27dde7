// Wind at release height and Briggs plume rise of the pseudo-stack (ISC3
// coefficients): buoyancy and momentum fluxes, final rise, distance to final
// rise and the three points of the rising plume centre line.
#pragma once
#include "run/run.hpp"
#include "io/array1.hpp"

namespace quelmar::physics {

// Wind speed at height HS from the speed UREF measured at ZREF (power law,
// exponent by class). A release below 10 m takes the wind at 10 m. A class
// below 1 takes the exponent of class 1 and a class above 6 that of class 6
// (matching CALCDELH, which counts them as unstable and as stable); a
// reference height that is not positive gives no profile: UREF itself.
double WSSTKHT(double UREF, double ZREF, int IPG, double HS);

// Plume rise of the pseudo-stack (exit temperature TS, velocity VS, diameter
// DS, height HS) in air at TA of class IPG, wind UREF measured at ZREF.
// Sets the whole of `isc` and points 3 to 5 of X and Z; reads X(2) and leaves
// points 1 and 2 alone. A stack that does not blow (VS or DS not positive), or
// whose exit or air temperature is not a positive absolute temperature, has
// no rise: its points 3 to 5 lie at point 2's distance and at HS, FBISC is the
// floor 1e-10 and FMISC 0. Every value it sets is finite whatever the inputs.
void CALCDELH(run::MOD_ISCCALCS& isc, double UREF, double TA, int IPG, double TS, double VS, double DS,
              double HS, io::Array1<double, 5>& X, io::Array1<double, 5>& Z, double ZREF);

// Gradual rise at distance X (m) from the start of rise, limited by the final
// rise DHF. Raises isc.FBISC to 1e-10 when it is below that.
double CALCDHPHS(run::MOD_ISCCALCS& isc, double X, double DHF, double US, double VS, double DS);

// Momentum-dominated rise at distance X, limited by 3*DS*VS/US; DS is the
// exit diameter of the current CALCDELH call.
double CALCDHPMOM(const run::MOD_ISCCALCS& isc, double X, double US, double VS, double DS);

}  // namespace quelmar::physics
