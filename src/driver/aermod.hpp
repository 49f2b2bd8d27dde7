// The AERMOD path: one control file and one hourly emission file per step-table row.
#pragma once
#include "input/modules.hpp"

namespace quelmar::driver {
void MKFILAM(input::Run& run, int iout, int lst, int met, int log);
}
