// Correctly rounded elementary functions: the fast evaluation of
// crmath_fast.hpp, and MPFR where its error bound cannot decide the rounding
// (the exact value lies near the midpoint of two doubles: about once in 10^4
// calls of pow, far more rarely for the others, and at the exact midpoints of
// x^3 and x^4).
#include "common/crmath.hpp"

#include <mpfr.h>

#include "common/crmath_fast.hpp"

namespace quelmar::crmath {

const Kernels PLAIN = {fast_pow, fast_exp, fast_log, fast_sin, fast_cos, fast_sincos, fast_atan, fast_atan2, fast_cbrt};

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
extern const Kernels FUSED;  // crmath_fused.cpp
const Kernels* fused() { return __builtin_cpu_supports("fma") ? &FUSED : nullptr; }
#else
const Kernels* fused() { return nullptr; }
#endif

namespace {

const Kernels& kernels() {
  const Kernels* f = fused();
  return f ? *f : PLAIN;
}

// One MPFR evaluation at the precision and exponent range of a double
// (subnormals included), correctly rounded to nearest; MPFR's own exponent
// range is put back afterwards.
class Exact {
 public:
  Exact() : emin_(mpfr_get_emin()), emax_(mpfr_get_emax()) {
    mpfr_set_emin(-1073);
    mpfr_set_emax(1024);
  }
  ~Exact() {
    mpfr_set_emin(emin_);
    mpfr_set_emax(emax_);
  }
  Exact(const Exact&) = delete;
  Exact& operator=(const Exact&) = delete;

  template <class F>
  double unary(double x, F f) {
    MPFR_DECL_INIT(a, 53);
    MPFR_DECL_INIT(r, 53);
    mpfr_set_d(a, x, MPFR_RNDN);
    return finish(r, f(r, a, MPFR_RNDN));
  }
  template <class F>
  double binary(double x, double y, F f) {
    MPFR_DECL_INIT(a, 53);
    MPFR_DECL_INIT(b, 53);
    MPFR_DECL_INIT(r, 53);
    mpfr_set_d(a, x, MPFR_RNDN);
    mpfr_set_d(b, y, MPFR_RNDN);
    return finish(r, f(r, a, b, MPFR_RNDN));
  }

 private:
  static double finish(mpfr_ptr r, int ternary) {
    ternary = mpfr_check_range(r, ternary, MPFR_RNDN);
    mpfr_subnormalize(r, ternary, MPFR_RNDN);
    return mpfr_get_d(r, MPFR_RNDN);
  }
  mpfr_exp_t emin_, emax_;
};

// The exact evaluations, out of the way of the fast paths (their frames are
// set up only when they are called).
[[gnu::noinline, gnu::cold]] double exact1(double x, int (*f)(mpfr_ptr, mpfr_srcptr, mpfr_rnd_t)) {
  return Exact().unary(x, f);
}
[[gnu::noinline, gnu::cold]] double exact2(double x, double y,
                                           int (*f)(mpfr_ptr, mpfr_srcptr, mpfr_srcptr, mpfr_rnd_t)) {
  return Exact().binary(x, y, f);
}

}  // namespace

double pow_call(double x, double y) {
  double r;
  if (kernels().pow(x, y, r)) return r;
  return exact2(x, y, mpfr_pow);
}
double exp(double x) {
  double r;
  if (kernels().exp(x, r)) return r;
  return exact1(x, mpfr_exp);
}
double log(double x) {
  double r;
  if (kernels().log(x, r)) return r;
  return exact1(x, mpfr_log);
}
double sin(double x) {
  double r;
  if (kernels().sin(x, r)) return r;
  return exact1(x, mpfr_sin);
}
double cos(double x) {
  double r;
  if (kernels().cos(x, r)) return r;
  return exact1(x, mpfr_cos);
}
void sincos(double x, double& s, double& c) {
  if (kernels().sincos(x, s, c)) return;
  s = sin(x);
  c = cos(x);
}
double atan(double x) {
  double r;
  if (kernels().atan(x, r)) return r;
  return exact1(x, mpfr_atan);
}
double atan2(double y, double x) {
  double r;
  if (kernels().atan2(y, x, r)) return r;
  return exact2(y, x, mpfr_atan2);
}
double cbrt(double x) {
  double r;
  if (kernels().cbrt(x, r)) return r;
  return exact1(x, mpfr_cbrt);
}

}  // namespace quelmar::crmath
