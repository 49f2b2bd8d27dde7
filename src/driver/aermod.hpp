// The AERMOD path: one control file and one hourly emission file per step-table row.
#pragma once
#include "driver/step_chain.hpp"
#include "run/run.hpp"

namespace quelmar::driver {
// Returns false when the run is refused (NSOURCES outside 1 to 32, more than
// 44000 hours in a pass); the main program then takes its error end.
bool MKFILAM(run::Run& run, int iout, int lst, int met, int log);

// Puts the hour that the step chain has just run into the hourly store as hour
// n of the pass (the store holds at least n hours): the flare's release height,
// exit diameter, velocity and temperature, the emission rate, the release point,
// the buoyancy and momentum fluxes, the ambient temperature, the wind speed and
// the hour's date and second; INDX(n) := n for the sort.
void store_hour(run::Run& run, int n, const ReleasePoint& p);
}
