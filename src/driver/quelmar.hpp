// The main program: start-up, files, banner, echo and checks, run preparation,
// dispatch to a time loop, and the normal or error end.
#pragma once
#include "run/run.hpp"

namespace quelmar::driver {

// Runs the whole job on `run`. Returns the exit status: 0 after the normal end,
// 1 after the error end. Immediate stops leave as io::Stop.
int QUELMAR(run::Run& run, int argc, const char* const* argv);

// The process entry's wrapper: runs QUELMAR and turns an immediate stop into
// its stop text on standard error, closed units and exit status 1.
int run_program(run::Run& run, int argc, const char* const* argv);

}  // namespace quelmar::driver
