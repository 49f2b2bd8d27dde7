// Small shared utilities: the first command-line argument, filling a gas
// composition, and angle and temperature conversions.
#pragma once
#include <span>
#include <string_view>

#include "run/gas.hpp"

namespace quelmar::common {

// INPFIL := the first command-line argument, cut to its length and padded with
// blanks; all blanks when there is none.
void GETCOM(std::span<char> inpfil, int argc, const char* const* argv);
// Every one of the 29 fractions of the composition becomes `value`.
int INITIALIZE(run::MIX& mix, double value);
double FNPI();
double DEGREES(double radians);
// Not used by the run; kept with the other conversions.
double RADS(double degrees);
// Not used by the run; kept with the other conversions.
double CTOK(double celsius);

}  // namespace quelmar::common
