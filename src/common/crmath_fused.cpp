// The fast evaluations compiled for CPUs with the fused multiply-add
// (x86-64 with FMA; the build compiles this file with -mfma, which brings the
// AVX encoding). crmath.cpp calls them only where the CPU reports FMA; they
// compute the same numbers as the plain ones, faster.
//
// Each entry clears the upper halves of the vector registers before it
// returns (the compiler may move a struct with a 256-bit register), so that
// the caller's SSE code pays no penalty for AVX state left behind.
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define QUELMAR_CRMATH_FUSED 1
#include <immintrin.h>

#include "common/crmath.hpp"
#include "common/crmath_fast.hpp"

namespace quelmar::crmath {
namespace {

template <auto F, class... A>
bool clean(A... a) {
  const bool decided = F(a...);
  _mm256_zeroupper();
  return decided;
}

}  // namespace

extern const Kernels FUSED;
const Kernels FUSED = {clean<fast_pow, double, double, double&>, clean<fast_exp, double, double&>,
                       clean<fast_log, double, double&>,         clean<fast_sin, double, double&>,
                       clean<fast_cos, double, double&>,         clean<fast_sincos, double, double&, double&>,
                       clean<fast_atan, double, double&>,        clean<fast_atan2, double, double, double&>,
                       clean<fast_cbrt, double, double&>};

}  // namespace quelmar::crmath
#endif
