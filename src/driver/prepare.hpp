// Run preparation: constants and site pressure, steam-assist values, period,
// the raw gas at the run's H2S fraction and the step table PSEQ.
#pragma once
#include "input/modules.hpp"

namespace quelmar::driver {
// false sends the main program to its error end (unknown source type).
bool prepare_run(input::Run& run);
}
