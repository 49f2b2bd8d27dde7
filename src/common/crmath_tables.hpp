// Tables and constants of the correctly rounded elementary functions
// (crmath.cpp); the values are in crmath_tables.cpp, written by
// tools/gen_crmath_tables.py.
#pragma once

#include <cstdint>

namespace quelmar::crmath::tables {

// A number as the unevaluated sum hi + lo of two doubles, |lo| <= ulp(hi)/2.
struct DD {
  double hi, lo;
};

extern const std::uint16_t LOG_C[1024];
extern const DD LOG[1024];
extern const DD EXP2[128];
extern const DD SIN[512];
extern const DD ATAN[257];
extern const double LN2_HI, LN2_LO;
extern const double LN2_128[2], INV_LN2_128;
extern const double PI_256[3], INV_PI_256;
extern const DD PI, PI_HALF;

}  // namespace quelmar::crmath::tables
