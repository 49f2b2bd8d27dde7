#include "driver/aermod.hpp"

namespace quelmar::driver {
void MKFILAM(input::Run&, int, int, int, int) {}
}
