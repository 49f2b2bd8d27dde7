// The AERMOD path: one control file and one hourly emission file per step-table row.
#pragma once
#include "run/run.hpp"

namespace quelmar::driver {
// Returns false when the run is refused (NSOURCES outside 1 to 32, more than
// 44000 hours in a pass); the main program then takes its error end.
bool MKFILAM(run::Run& run, int iout, int lst, int met, int log);
}
