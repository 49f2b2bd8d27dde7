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

double pow(double x, double y);
double exp(double x);
double log(double x);
double sin(double x);
double cos(double x);
double atan(double x);
double atan2(double y, double x);
double cbrt(double x);

// The fast evaluations alone, for the tests: each returns true and sets `r` to
// the correctly rounded value when its error bound decides the rounding, and
// false when the exact value may lie too near a rounding boundary (or the
// argument is special), where the function above asks MPFR.
namespace fast {
bool pow(double x, double y, double& r);
bool exp(double x, double& r);
bool log(double x, double& r);
bool sin(double x, double& r);
bool cos(double x, double& r);
bool atan(double x, double& r);
bool atan2(double y, double x, double& r);
bool cbrt(double x, double& r);
}  // namespace fast

}  // namespace quelmar::crmath
