// Run preparation: constants and site pressure, steam-assist values, period,
// the raw gas at the run's H2S fraction and the step table PSEQ with its row
// count NPUFFS and the reference rate QMAX0, written to the debug log.
#pragma once
#include "run/run.hpp"

namespace quelmar::driver {

// Runs once, after the input checks and before the dispatch to a time loop.
// false sends the main program to its error end: an unknown source type, or a
// release that cannot be cut into puffs (the console and the list file have
// the reason). An impossible date and a puff table longer than 10000 rows stop
// the run (io::Stop).
bool prepare_run(run::Run& run);

}  // namespace quelmar::driver
