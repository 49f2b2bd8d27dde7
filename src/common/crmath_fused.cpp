// The fast evaluations compiled for CPUs with the fused multiply-add
// (x86-64 with FMA; the build compiles this file with -mfma). crmath.cpp calls
// them only where the CPU reports FMA; they compute the same numbers as the
// plain ones, faster.
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define QUELMAR_CRMATH_FUSED 1
#include "common/crmath.hpp"
#include "common/crmath_fast.hpp"

namespace quelmar::crmath {

extern const Kernels FUSED;
const Kernels FUSED = {fast_pow, fast_exp, fast_log, fast_sin, fast_cos, fast_sincos, fast_atan, fast_atan2, fast_cbrt};

}  // namespace quelmar::crmath
#endif
