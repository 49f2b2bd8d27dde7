// The CALPUFF path: time-varying flare files for the whole period.
#pragma once
#include "input/modules.hpp"

namespace quelmar::driver {
void MKFILCP(input::Run& run, int iout, int lst, int met, int log);
}
