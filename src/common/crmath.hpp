// Correctly rounded elementary functions: each returns the double nearest to
// the exact value (ties to even), on every CPU and with every C library, so
// that the model files are the same bytes on every machine.
//
// The C library's functions choose their code at run time from the CPU's
// features and round differently on each path. These take the place of the
// std:: functions in every formula whose result reaches a file; the formulas
// themselves are unchanged. Special values (zeros, infinities, NaN, negative
// bases) follow the C standard's rules for the function of the same name.
#pragma once

namespace quelmar::crmath {

// x^y. The exponents 2 and -1 are one IEEE operation, x*x and 1/x, correctly
// rounded by definition, and are formed here without a call (the heat
// capacities take T^2 and T^-1 a million times in a year's run).
double pow_call(double x, double y);
inline double pow(double x, double y) {
  if (y == 2) return x * x;
  if (y == -1) return 1.0 / x;
  return pow_call(x, y);
}
double exp(double x);
double log(double x);
double sin(double x);
double cos(double x);
// sin x and cos x, each correctly rounded, from one argument reduction.
void sincos(double x, double& s, double& c);
double atan(double x);
double atan2(double y, double x);
double cbrt(double x);

// The fast evaluations alone, for the tests and for the functions above: each
// returns true and sets `r` to the correctly rounded value when its error
// bound decides the rounding, and false when the exact value may lie too near
// a rounding boundary (or the argument is special), where the functions above
// ask MPFR. PLAIN forms its exact products by Dekker's method and runs on every
// CPU; fused() forms them with the fused multiply-add and is there (not null)
// only where the CPU has it. Both compute the same numbers; the functions above
// take fused() where it is there.
struct Kernels {
  bool (*pow)(double x, double y, double& r);
  bool (*exp)(double x, double& r);
  bool (*log)(double x, double& r);
  bool (*sin)(double x, double& r);
  bool (*cos)(double x, double& r);
  bool (*sincos)(double x, double& s, double& c);  // true if both are decided
  bool (*atan)(double x, double& r);
  bool (*atan2)(double y, double x, double& r);
  bool (*cbrt)(double x, double& r);
};
extern const Kernels PLAIN;
const Kernels* fused();

}  // namespace quelmar::crmath
