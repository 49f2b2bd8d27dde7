// The CALPUFF path: time-varying flare files for the whole period.
#pragma once
#include "run/run.hpp"

namespace quelmar::driver {
// Returns false when a flare file cannot be opened (the main program then takes
// its error end).
bool MKFILCP(run::Run& run, int iout, int lst, int met, int log);
}
