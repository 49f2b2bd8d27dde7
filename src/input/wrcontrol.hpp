// Echo of the whole run configuration into the list file, in control-file form.
#pragma once
#include "run/run.hpp"

namespace quelmar::input {
int IWRCONTROL(run::Run& run, int lst);
// One warning record for each key of the control file that names no keyword,
// in the order of the lines (the main program writes them right after the echo).
void write_unknown_keywords(run::Run& run, int lst);
}
