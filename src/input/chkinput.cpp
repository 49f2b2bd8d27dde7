#include "input/chkinput.hpp"

namespace quelmar::input {
int ICHKINPUT(Run&, int) { return 0; }
}
