// A gas composition: 29 mole fractions in the fixed species order
// (water, hydrogen, helium, nitrogen, CO2, H2S, methane ... chlorine, dry air).
#pragma once
#include "io/array1.hpp"

namespace quelmar::run {

inline constexpr int NSPECIES = 29;
using MIX = io::Array1<double, NSPECIES>;
// NASA 9-coefficient set of a species or a mixture: low range a1..a7, b1, b2,
// then the high range in the same order.
using COEFF = io::Array1<double, 18>;

// Species numbers used by name in the formulas.
enum Species : int {
  H2O = 1, H2 = 2, HE = 3, N2 = 4, CO2 = 5, H2S = 6, CH4 = 7, C2H6 = 8, C3H8 = 9,
  IC4 = 10, NC4 = 11, IC5 = 12, NC5 = 13, NC6 = 14, C7 = 15, CO = 16, NH3 = 17,
  AR = 18, O2 = 19, NE = 20, KR = 21, N2O = 22, XE = 23, SO2 = 24, S = 25,
  COS = 26, CS2 = 27, CL2 = 28, AIR = 29
};

}  // namespace quelmar::run
