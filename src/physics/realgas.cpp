#include "physics/realgas.hpp"

#include <cmath>

#include "common/constants.hpp"
#include "common/crmath.hpp"

namespace quelmar::physics {

using common::GAS_CONSTANT;
using common::GRAVITY_PER_1000R;
using common::PI;
namespace {

// Coefficients n(1)..n(10) of the IAPWS-IF97 saturation-line equations.
constexpr double N[11] = {0,           1167.052145,  -724213.167,  -17.07384694, 12020.8247,  -3232555.032,
                          14.91510861, -4823.265736, 405113.4054,  -0.238555576, 650.1753484};

constexpr double THIRD = 0.3333333333333333;

}  // namespace

double CALC_PLOCAL(const SpeciesTable& prop, const STDCONST& c, double Z) {
  const double base = 1.0 - c.LAPSE * Z / c.TREF;
  const double exponent = GRAVITY_PER_1000R * prop(P_MW, AIR) / c.LAPSE;
  return c.PREF * crmath::pow(base, exponent);
}

void INITLOCAL(const SpeciesTable& prop, STDCONST& c, double z) { c.PLOCAL = CALC_PLOCAL(prop, c, z); }

double P_SAT(double T) {
  const double theta = T + N[9] / (T - N[10]);
  const double theta2 = theta * theta;
  const double a = theta2 + N[1] * theta + N[2];
  const double b = N[3] * theta2 + N[4] * theta + N[5];
  const double c = N[6] * theta2 + N[7] * theta + N[8];
  const double x = 2.0 * c / (-b + std::sqrt(b * b - 4.0 * a * c));
  const double x2 = x * x;
  return x2 * x2 * 1000.0;  // MPa to kPa
}

double T_SAT(double P) {
  const double beta = crmath::pow(P * 0.001, 0.25);
  const double beta2 = beta * beta;
  const double e = beta2 + N[3] * beta + N[6];
  const double f = N[1] * beta2 + N[4] * beta + N[7];
  const double g = N[2] * beta2 + N[5] * beta + N[8];
  const double d = 2.0 * g / (-f - std::sqrt(f * f - 4.0 * e * g));
  const double nd = N[10] + d;
  return (nd - std::sqrt(nd * nd - 4.0 * (N[9] + N[10] * d))) / 2.0;
}

double FNZ(double T, double P, double TC, double PC) {
  const double Tr = T / TC;
  const double Pr = P / PC;
  const double A = 0.42747 * Pr / (std::sqrt(Tr) * Tr * Tr);
  const double B = 0.08664 * Pr / Tr;
  return RMCROOT(1.0, -1.0, -(B * B + B - A), -(A * B));
}

double RMCROOT(double A0, double A1, double A2, double A3) {
  const double a = A1 / A0, b = A2 / A0, c = A3 / A0;
  const double Q = (b - a * a * THIRD) * THIRD;
  const double R3 = (9.0 * a * b - 2.0 * (a * a * a) - 27.0 * c) / 54.0;
  const double D = R3 * R3 + Q * Q * Q;
  if (D > 0) {
    // One real root (Cardano): x = s1 + s2 - a/3 with s1 s2 = -Q.
    const double S = R3 + std::sqrt(D);
    const double s = std::copysign(crmath::pow(std::fabs(S), THIRD), S);
    if (s != 0) return s - Q / s - a * THIRD;
    // S cancels to 0 when R < 0 and Q^3 is nothing beside R^2 (Q = 0 exactly,
    // e.g. x^3 + 8 = 0): take the other cube root, which does not cancel.
    const double s2 = crmath::cbrt(R3 - std::sqrt(D));
    return s2 - Q / s2 - a * THIRD;
  }
  // Three real roots (trigonometric form); the largest uses the angle phi/3.
  const double phi = R3 == 0 ? PI / 2 : crmath::atan(std::sqrt(-D) / R3);
  double h = crmath::cos(phi * THIRD);
  if (R3 < 0) h = (h - crmath::sin(phi * THIRD) * 1.7320508075688772) * 0.5;  // angle moved by pi
  const double x1 = 2.0 * std::sqrt(-Q) * h - a * THIRD;
  // Deflate to the quadratic x^2 + p x + q of the other two roots.
  const double p = a + x1;
  const double q = b + p * x1;
  const double disc = p * p - 4.0 * q;
  double largest = x1;
  if (disc >= 0) {
    const double r1 = (-p + std::sqrt(disc)) / 2.0;
    const double r2 = (-p - std::sqrt(disc)) / 2.0;
    if (r1 > largest) largest = r1;
    if (r2 > largest) largest = r2;
  }
  return largest;
}

void SONICVELOCITY(double CP, double MW, double T, double Z, double& speed) {
  speed = std::sqrt(CP / (CP - GAS_CONSTANT) * GAS_CONSTANT * T * Z * 1000.0 / MW);
}

double CALC_TRAD(const STDCONST& c, double A, double B, double X, double L) {
  const double d = X - 0.18 * L;
  return A * B * c.FRAD * 1000.0 / (4 * PI * (d * d)) + c.QSOLAR;
}

}  // namespace quelmar::physics
