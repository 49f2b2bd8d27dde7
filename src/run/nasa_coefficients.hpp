// The published NASA Glenn 9-coefficient sets (NASA/TP-2002-211556) of the gases
// of species 1 to 28, as generated from the coefficient file. The species table
// starts from these and puts its own rows in their place where it has any.
#pragma once

namespace quelmar::run {

inline constexpr int NASA9_NSPECIES = 28;

// NASA9_PUBLISHED[i-1][k-1], k = 1..18: a1..a7, b1, b2 of the range 200-1000 K,
// then a1..a7, b1, b2 of the range 1000-6000 K, of species i (species order).
extern const double NASA9_PUBLISHED[NASA9_NSPECIES][18];

}  // namespace quelmar::run
