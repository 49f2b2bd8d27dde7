#include "input/wrcontrol.hpp"

namespace quelmar::input {
int IWRCONTROL(Run&, int) { return 0; }
}
