// Checks of the run configuration: writes its findings to the list file, fills
// in defaults and returns the number of errors.
#pragma once
#include "run/run.hpp"

namespace quelmar::input {
int ICHKINPUT(run::Run& run, int lst);
}
