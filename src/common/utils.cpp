#include "common/utils.hpp"

#include <algorithm>
#include <cstring>

#include "common/constants.hpp"

namespace quelmar::common {

void GETCOM(std::span<char> inpfil, int argc, const char* const* argv) {
  std::fill(inpfil.begin(), inpfil.end(), ' ');
  if (argc < 2 || argv[1] == nullptr) return;
  const std::string_view arg(argv[1]);
  std::copy_n(arg.begin(), std::min(arg.size(), inpfil.size()), inpfil.begin());
}

int INITIALIZE(run::MIX& mix, double value) {
  for (int i = 1; i <= run::NSPECIES; ++i) mix(i) = value;
  return 0;
}

double FNPI() { return PI; }
// Product first, then the division.
double DEGREES(double x) { return (x * 180.0) / FNPI(); }
double RADS(double x) { return (x * FNPI()) / 180.0; }
double CTOK(double t) { return t + ZERO_CELSIUS; }

}  // namespace quelmar::common
