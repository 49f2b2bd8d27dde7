// Echo of the whole run configuration into the list file, in control-file form.
#pragma once
#include "input/modules.hpp"

namespace quelmar::input {
int IWRCONTROL(Run& run, int lst);
}
