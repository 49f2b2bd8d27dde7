#include "driver/calpuff.hpp"

namespace quelmar::driver {
void MKFILCP(input::Run&, int, int, int, int) {}
}
