// Correctly rounded elementary functions in two steps.
//
// 1. A fast evaluation in plain double arithmetic forms the value as an
//    unevaluated sum hi + lo of two doubles, with a proven bound `err` on its
//    distance from the exact value. The error-free transformations (two-sum,
//    and Dekker's product with Veltkamp's split) need no fused multiply-add,
//    so every step is one IEEE operation whose result is fixed: the same bytes
//    with any compiler and on any CPU, as long as doubles are evaluated in
//    double precision (FLT_EVAL_METHOD 0) and nothing is contracted
//    (-ffp-contract=off).
// 2. If every number within err of hi + lo rounds to the same double, that
//    double is the correctly rounded value. Otherwise (the exact value lies
//    near the midpoint of two doubles: about once in 10^4 to 10^5 calls for
//    pow, far more rarely for the others, and for the exact midpoints of
//    x^3 and x^4) MPFR computes the exact rounding.
//
// The bounds are derived in the comments of each function; each is taken two
// to four times larger than the derivation gives, which covers the rounding
// of the bound's own evaluation. u = 2^-53 is the unit roundoff.
#include "common/crmath.hpp"

#include <mpfr.h>

#include <bit>
#include <cfloat>
#include <cstdint>
#include <limits>

#include "common/crmath_tables.hpp"

static_assert(std::numeric_limits<double>::is_iec559, "IEEE double arithmetic is required");
static_assert(FLT_EVAL_METHOD == 0, "double expressions must be evaluated in double precision");

namespace quelmar::crmath {
namespace {

using tables::DD;
using u64 = std::uint64_t;
using i64 = std::int64_t;

constexpr u64 SIGN = 0x8000000000000000ULL;
constexpr u64 MANT = 0x000fffffffffffffULL;

u64 bits(double x) { return std::bit_cast<u64>(x); }
double from_bits(u64 b) { return std::bit_cast<double>(b); }
double abs(double x) { return from_bits(bits(x) & ~SIGN); }
// 2^e for a normal exponent e.
double two_to(int e) { return from_bits(static_cast<u64>(e + 1023) << 52); }

// The nearest integer to x (ties to even), |x| < 2^51.
double round_int(double x) {
  constexpr double SHIFT = 0x1.8p52;
  return (x + SHIFT) - SHIFT;
}

// a + b = s + e exactly.
DD two_sum(double a, double b) {
  const double s = a + b;
  const double bb = s - a;
  return {s, (a - (s - bb)) + (b - bb)};
}
// The same when |a| >= |b| (or a = 0).
DD fast_two_sum(double a, double b) {
  const double s = a + b;
  return {s, b - (s - a)};
}
// a = hi + lo with hi and lo of 26 significant bits at most (|a| < 2^995).
void split(double a, double& hi, double& lo) {
  const double c = 134217729.0 * a;  // 2^27 + 1
  hi = c - (c - a);
  lo = a - hi;
}
// a * b = p + e exactly, when neither overflows nor underflows.
DD two_prod(double a, double b) {
  double ah, al, bh, bl;
  split(a, ah, al);
  split(b, bh, bl);
  const double p = a * b;
  return {p, ((ah * bh - p) + ah * bl + al * bh) + al * bl};
}

// The rounding test. h = RN(h + l), h far from the subnormal and overflow
// ranges, and every number t with |t - (h + l)| <= err is wanted rounded: if
// all such t lie strictly between the midpoints next to h, the answer is h.
// Each comparison is exact: lm + err and lm - err are rounded monotonically
// and the half ulps are doubles.
bool decide(double h, double l, double err, double& r) {
  const u64 b = bits(h) & ~SIGN;
  const int ex = static_cast<int>(b >> 52);
  if (ex < 100 || ex > 2000) return false;
  const double half_up = from_bits(static_cast<u64>(ex - 53) << 52);  // ulp(|h|)/2
  const double half_dn = (b & MANT) == 0 ? 0.5 * half_up : half_up;   // towards zero
  const double lm = h < 0 ? -l : l;                                   // l away from zero
  if (lm + err < half_up && lm - err > -half_dn) {
    r = h;
    return true;
  }
  return false;
}

// ---- the exact fallback ----

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

// ---- logarithm ----

// ln x as hi + lo with |hi + lo - ln x| <= err, for a positive normal x.
//
// x = 2^E m, m in [1, 2). The 8 bits of m after its leading bit pick a factor
// c = C/1024 (from index 128 on, x = 2^(E+1) (m/2)) so that r = m c - 1 has
// |r| < 2^-8; next to 1 (indices 0 and 255) c = 1. r is a multiple of 2^-62
// (2^-63) and is formed exactly as an integer, then as rh + rl.
// ln x = E ln2 + ln(1024/C) + ln(1 + r), ln(1 + r) = r - r^2/2 + r^3 P(r) with
// P(r) = sum_{k=0..6} (-r)^k/(k+3).
// Errors: r^3 P(r), with rl left out of it, is within |r|^3 2^-51.9 of its
// value (Horner 2.1u, r^3 2u, product u, on |P| <= 0.34; truncation
// |r|^10/10 < |r|^3 2^-59), plus r^2 |rl| for rl; the sum of the small parts
// rounds by at most 8u times their magnitudes, which is below
// S 2^-100.4 + |E| 2^-94 + |r|^3 2^-51.6 with S = |E| ln2 + |ln(1024/C)| + |r|;
// the table and ln 2 in two parts add S 2^-106 and |E| 2^-96.
// Hence err = |r|^3 2^-50 + 2 r^2 |rl| + S 2^-99 + |E| 2^-93.
bool log_dd(double x, DD& out, double& err) {
  const u64 b = bits(x);
  if (b - 0x0010000000000000ULL >= 0x7fe0000000000000ULL) return false;  // not positive normal
  int E = static_cast<int>(b >> 52) - 1023;
  const u64 M = (b & MANT) | 0x0010000000000000ULL;
  const unsigned i = static_cast<unsigned>(b >> 44) & 0xffU;
  const tables::LogEntry& t = tables::LOG[i];
  double scale = 0x1p-62;
  u64 one = 1ULL << 62;
  if (i >= 128) {
    E += 1;
    scale = 0x1p-63;
    one = 1ULL << 63;
  }
  const i64 R = static_cast<i64>(M * t.c - one);
  const double Rd = static_cast<double>(R);
  const double rh = Rd * scale;
  const double rl = static_cast<double>(R - static_cast<i64>(Rd)) * scale;

  const DD s = two_prod(rh, rh);
  const double p =
      1.0 / 3 +
      rh * (-1.0 / 4 + rh * (1.0 / 5 + rh * (-1.0 / 6 + rh * (1.0 / 7 + rh * (-1.0 / 8 + rh * (1.0 / 9))))));
  const double poly = s.hi * rh * p;

  const double Ed = E;
  const DD a = two_sum(Ed * tables::LN2_HI, t.hi);
  const DD c = two_sum(a.hi, rh);
  const DD d = two_sum(c.hi, -0.5 * s.hi);
  const double low = ((((a.lo + c.lo) + d.lo) + ((rl - 0.5 * s.lo) - rh * rl)) + (Ed * tables::LN2_LO + t.lo)) + poly;
  out = fast_two_sum(d.hi, low);

  const double ar = abs(rh);
  const double S = abs(Ed) * 0.7 + abs(t.hi) + ar;
  err = ar * ar * ar * 0x1p-50 + 2 * (ar * ar) * abs(rl) + S * 0x1p-99 + abs(Ed) * 0x1p-93;
  return true;
}

// ---- exponential ----

// e^z for z = zh + zl (|zl| <= 2^-43, |zh| <= 707) as 2^ex (hi + lo) with
// hi + lo in [0.99, 2.01] and a relative error below 2^-71.6.
//
// z = k ln2/128 + r with k the integer nearest to z 128/ln2, ln2/128 in three
// parts (the first two of 35 bits, so that k times them is exact), |r| < 0.00271
// (2^-8.52) formed as rh + rl (error below 2^-94). e^z = 2^(k >> 7) 2^((k & 127)/128)
// (1 + q), q = e^r - 1 = r + r^2/2 + r^3 Q(r), Q = 1/6 + r/24 + r^2/120 + r^3/720.
// Errors, relative: truncation |r|^7/5040 < 2^-71.9; r^3 Q in double 5.2u of
// |r|^3/6 < 2^-78.8, rl left out of it 2^-79.6; the small parts' sum 2^-78.8;
// the table 2^-106; the last product 2^-100. Together below 2^-71.6.
void exp_core(double zh, double zl, DD& out, int& ex) {
  const double kd = round_int(zh * tables::INV_LN2_128);
  const i64 k = static_cast<i64>(kd);
  const DD a = two_sum(zh, -kd * tables::LN2_128[0]);
  const DD b = two_sum(a.hi, -kd * tables::LN2_128[1]);
  const double t = ((a.lo + b.lo) + zl) - kd * tables::LN2_128[2];
  const DD r = two_sum(b.hi, t);
  const double rh = r.hi, rl = r.lo;

  const DD s = two_prod(rh, rh);
  const double Q = 1.0 / 6 + rh * (1.0 / 24 + rh * (1.0 / 120 + rh * (1.0 / 720)));
  const double p = s.hi * rh * Q;
  const DD q1 = fast_two_sum(rh, 0.5 * s.hi);
  const DD q = fast_two_sum(q1.hi, (((q1.lo + rl) + 0.5 * s.lo) + rh * rl) + p);

  const DD& T = tables::EXP2[k & 127];
  const DD pr = two_prod(T.hi, q.hi);
  const DD v = fast_two_sum(T.hi, pr.hi);
  out = fast_two_sum(v.hi, (((v.lo + pr.lo) + T.lo) + T.hi * q.lo) + T.lo * q.hi);
  ex = static_cast<int>(k >> 7);
}

// e^(zh + zl) with an absolute error ez in the exponent: the correctly rounded
// value, if the bound decides it. Relative error 2^-70 (from 2^-71.6) plus
// 1.02 ez.
bool exp_round(double zh, double zl, double ez, double& r) {
  if (!(abs(zh) <= 707.0)) return false;  // outside, or NaN: near overflow or underflow
  DD v;
  int ex;
  exp_core(zh, zl, v, ex);
  const double err = abs(v.hi) * (0x1p-70 + 1.02 * ez);
  double h;
  if (!decide(v.hi, v.lo, err, h)) return false;
  r = h * two_to(ex);  // exact: ex is in [-1021, 1020] and the result normal
  return true;
}

// ---- integral powers ----

// x^3 = x (a.hi + a.lo) with x^2 = a.hi + a.lo exactly: the four parts of the
// products are exact; adding the three small ones rounds by at most 2^-104.9
// relative.
bool cube(double x, double& r) {
  const DD a = two_prod(x, x);
  const DD b = two_prod(a.hi, x);
  const DD c = two_prod(a.lo, x);
  const DD v = fast_two_sum(b.hi, (b.lo + c.hi) + c.lo);
  return decide(v.hi, v.lo, abs(v.hi) * 0x1p-102, r);
}

// x^4 = a.hi^2 + 2 a.hi a.lo + a.lo^2, the first two exact products, the last
// (below u^2 x^4) rounded: 2^-103.4 relative in all.
bool fourth(double x, double& r) {
  const DD a = two_prod(x, x);
  const DD b = two_prod(a.hi, a.hi);
  const DD c = two_prod(a.hi, a.lo);
  const DD v = fast_two_sum(b.hi, ((b.lo + 2 * c.hi) + 2 * c.lo) + a.lo * a.lo);
  return decide(v.hi, v.lo, abs(v.hi) * 0x1p-101, r);
}

// x^-2 = 1/(a.hi + a.lo): q = RN(1/a.hi), a.hi q = 1 - rho exactly (up to u^2),
// so 1/x^2 = q (1 + rho - a.lo q) + O(5u^2) relative.
bool inverse_square(double x, double& r) {
  const DD a = two_prod(x, x);
  const double q = 1.0 / a.hi;
  const DD p = two_prod(a.hi, q);
  const double rho = (1.0 - p.hi) - p.lo;
  const DD v = fast_two_sum(q, q * (rho - a.lo * q));
  return decide(v.hi, v.lo, abs(v.hi) * 0x1p-100, r);
}

// ---- sine and cosine ----

// A cos r + B sin r for x = k pi/256 + r, (A, B) = (sin, cos) or (cos, -sin)
// of k pi/256 from the table.
//
// pi/256 in three parts (two of 30 bits: |k| < 2^22.4 for |x| <= 2^16) gives
// r = rh + rl, |r| <= pi/512 + 2^-60 < 2^-7.35, within er of x - k pi/256,
// er = |k| 2^-117 + 2^-52 (sum of the small parts' magnitudes).
// sin r = rh + rl - rl rh^2/2 + rh^3 (-1/6 + rh^2/120 - rh^4/5040), cos r =
// 1 - r^2/2 + rh^4 (1/24 - rh^2/720) with r^2 = rh^2 + 2 rh rl exactly but for
// rl^2. Relative errors: sin r 5u rh^2/6 < 2^-68 and truncation 2^-77; cos r
// below 2^-73. Where the table's sine or cosine of the result is not 0 the
// result is at least sin(pi/512) > 2^-7.4 and the absolute errors (below
// 2^-73.3) are below 2^-65.9 of it; where it is 0 the result is +-sin r or
// +-cos r. Hence err = 2^-64 |result| + 1.01 er.
bool sin_cos(double x, bool cosine, double& res) {
  const double ax = abs(x);
  if (x == 0) {
    res = cosine ? 1.0 : x;
    return true;
  }
  if (!(ax <= 0x1p16) || ax < 0x1p-26) return false;
  const double kd = round_int(x * tables::INV_PI_256);
  const i64 k = static_cast<i64>(kd);
  const DD a = two_sum(x, -kd * tables::PI_256[0]);
  const DD b = two_sum(a.hi, -kd * tables::PI_256[1]);
  const double kp3 = kd * tables::PI_256[2];
  const double t = (a.lo + b.lo) - kp3;
  const DD r = two_sum(b.hi, t);
  const double er = abs(kd) * 0x1p-117 + ((abs(a.lo) + abs(b.lo)) + abs(kp3)) * 0x1p-52;
  const double rh = r.hi, rl = r.lo;

  const DD s = two_prod(rh, rh);
  const double r2 = s.hi;
  const double sin_lo = (rl - 0.5 * (rl * r2)) + rh * (r2 * (-1.0 / 6 + r2 * (1.0 / 120 - r2 * (1.0 / 5040))));
  const double cos_m = -0.5 * s.hi;  // exact
  const double cos_lo = (-0.5 * s.lo - rh * rl) + (r2 * r2) * (1.0 / 24 - r2 * (1.0 / 720));

  const unsigned j = static_cast<unsigned>(k) & 511U;
  DD A = tables::SIN[j], B = tables::SIN[(j + 128) & 511U];
  if (cosine) {
    const DD sa = A;
    A = B;
    B = {-sa.hi, -sa.lo};
  }
  const DD p1 = two_prod(A.hi, cos_m);
  const DD p2 = two_prod(B.hi, rh);
  const DD h1 = two_sum(A.hi, p2.hi);
  const DD h2 = two_sum(h1.hi, p1.hi);
  const double low = (((((h1.lo + h2.lo) + p1.lo) + p2.lo) + A.lo) + (A.hi * cos_lo + A.lo * cos_m) + B.lo * rh) +
                     B.hi * sin_lo;
  const DD v = two_sum(h2.hi, low);
  return decide(v.hi, v.lo, abs(v.hi) * 0x1p-64 + 1.01 * er, res);
}

// ---- arc tangent ----

// atan(w) for w = wh + wl in [0, 1] (wh >= 2^-500, |wl| <= 2^-100 wh), with a
// relative error below 2^-69.
//
// c = j/256 nearest to w, atan(w) = atan(c) + atan(tau), tau = (w - c)/(1 + w c),
// |tau| <= 2^-9 (w - c is exact, tau is formed to 2^-103 relative).
// atan(tau) = tau - tau^3/3 + tau^5/5 - tau^7/7 + ...: truncation tau^8/9 <
// 2^-75, the cubic term in double 5u tau^2/3 < 2^-70.3, tl's part of it below
// 2^-80; where c > 0 the result is at least |tau|. A relative error in w
// becomes at most the same relative error in atan(w).
DD atan_core(double wh, double wl) {
  const double jd = round_int(wh * 256);
  const double c = jd * (1.0 / 256);
  const DD num = two_sum(wh - c, wl);
  const DD d = two_prod(wh, c);
  const DD e = fast_two_sum(1.0, d.hi);
  const DD den = fast_two_sum(e.hi, (e.lo + d.lo) + wl * c);
  const double th = num.hi / den.hi;
  const DD p = two_prod(th, den.hi);
  const double tl = (((num.hi - p.hi) - p.lo) + num.lo - th * den.lo) / den.hi;
  const double t2 = th * th;
  const double pa = th * (t2 * (-1.0 / 3 + t2 * (1.0 / 5 - t2 * (1.0 / 7))));
  const DD& A = tables::ATAN[static_cast<int>(jd)];
  const DD s = two_sum(A.hi, th);
  return fast_two_sum(s.hi, ((s.lo + A.lo) + tl) + pa);
}

// c - v for a constant c > 2 |v| in two parts.
DD minus(const DD& c, const DD& v) {
  const DD s = two_sum(c.hi, -v.hi);
  return fast_two_sum(s.hi, (s.lo + c.lo) - v.lo);
}

// n/d as a number in two parts, to 2^-104 relative (n, d > 0, n <= d or the
// other way round, both within [2^-400, 2^400]).
DD divide(double n, double d) {
  const double q = n / d;
  const DD p = two_prod(q, d);
  return fast_two_sum(q, ((n - p.hi) - p.lo) / d);
}

bool in_range(double a) { return a >= 0x1p-400 && a <= 0x1p400; }

}  // namespace

// ---- the fast evaluations ----

namespace fast {

bool log(double x, double& r) {
  DD v;
  double err;
  if (!log_dd(x, v, err)) return false;
  if (v.hi == 0) {  // x = 1
    r = 0;
    return true;
  }
  return decide(v.hi, v.lo, err, r);
}

bool exp(double x, double& r) { return exp_round(x, 0.0, 0.0, r); }

bool pow(double x, double y, double& r) {
  // Exponents whose power is one IEEE operation, or exact.
  if (y == 0) {
    r = 1.0;
    return true;
  }
  if (y == 1) {
    r = x;
    return true;
  }
  if (y == 2) {
    r = x * x;
    return true;
  }
  if (y == -1) {
    r = 1.0 / x;
    return true;
  }
  if (y == 3 || y == 4 || y == -2) {
    if (!(abs(x) >= 0x1p-200 && abs(x) <= 0x1p200)) return false;
    if (y == 3) return cube(x, r);
    if (y == 4) return fourth(x, r);
    return inverse_square(x, r);
  }
  // x^y = e^(y ln x) for x > 0: y (lh + ll) = zh + zl with zh, zl from y lh
  // exactly and y ll rounded (2^-103 |z| in all), plus |y| times the error of
  // the logarithm.
  if (!(abs(y) <= 0x1p30)) return false;
  DD l;
  double el;
  if (!log_dd(x, l, el)) return false;
  const DD z0 = two_prod(y, l.hi);
  const DD z = fast_two_sum(z0.hi, z0.lo + y * l.lo);
  return exp_round(z.hi, z.lo, abs(y) * el + abs(z.hi) * 0x1p-103, r);
}

bool sin(double x, double& r) { return sin_cos(x, false, r); }
bool cos(double x, double& r) { return sin_cos(x, true, r); }

// atan x = atan w, w = |x| <= 1, or pi/2 - atan(1/|x|), w = 1/|x| to 2^-104;
// the result is at least pi/4 in the second case: err 2^-66 relative.
bool atan(double x, double& r) {
  const double ax = abs(x);
  if (!(ax >= 0x1p-500 && ax <= 0x1p500)) return false;
  DD v;
  if (ax <= 1) {
    v = atan_core(ax, 0.0);
  } else {
    const DD w = divide(1.0, ax);
    v = minus(tables::PI_HALF, atan_core(w.hi, w.lo));
  }
  if (!decide(v.hi, v.lo, abs(v.hi) * 0x1p-66, r)) return false;
  if (x < 0) r = -r;
  return true;
}

// atan2(y, x) from atan of the ratio of the smaller to the larger magnitude,
// then pi/2 - t and pi - t as the quadrant asks (each at least pi/4, with no
// cancellation): err 2^-66 relative.
bool atan2(double y, double x, double& r) {
  const double ax = abs(x), ay = abs(y);
  if (!in_range(ax) || !in_range(ay)) return false;
  const bool steep = ay > ax;
  const DD w = steep ? divide(ax, ay) : divide(ay, ax);
  if (w.hi < 0x1p-500) return false;
  DD v = atan_core(w.hi, w.lo);
  if (steep) v = minus(tables::PI_HALF, v);
  if (x < 0) v = minus(tables::PI, v);
  if (!decide(v.hi, v.lo, abs(v.hi) * 0x1p-66, r)) return false;
  if (y < 0) r = -r;
  return true;
}

// cbrt: y from a first guess and four Newton steps, then the correction
// cbrt(a) = y (1 + delta)^(1/3), delta = (a - y^3)/y^3 with y^3 exact but for
// u^2, as y + y delta/3. Errors: |y delta/3| to 6u, truncation y delta^2/9,
// u^2 y from y^3.
bool cbrt(double x, double& r) {
  const double a = abs(x);
  if (x == 0) {
    r = x;
    return true;
  }
  if (!(a >= 0x1p-900 && a <= 0x1p900)) return false;
  double y = from_bits(bits(a) / 3 + 0x2a9f7893782da1ceULL);
  for (int n = 0; n < 4; ++n) y = y + (a / (y * y) - y) / 3.0;
  const DD s = two_prod(y, y);
  const DD t = two_prod(s.hi, y);
  const double d = ((a - t.hi) - t.lo) - s.lo * y;
  const double delta = d / t.hi;
  const double l = (y * delta) / 3.0;
  const DD v = fast_two_sum(y, l);
  const double err = abs(l) * 0x1p-49 + y * (delta * delta * 0.12 + 0x1p-104);
  if (!decide(v.hi, v.lo, err, r)) return false;
  if (x < 0) r = -r;
  return true;
}

}  // namespace fast

// ---- the functions ----

double pow(double x, double y) {
  double r;
  if (fast::pow(x, y, r)) return r;
  return Exact().binary(x, y, mpfr_pow);
}
double exp(double x) {
  double r;
  if (fast::exp(x, r)) return r;
  return Exact().unary(x, mpfr_exp);
}
double log(double x) {
  double r;
  if (fast::log(x, r)) return r;
  return Exact().unary(x, mpfr_log);
}
double sin(double x) {
  double r;
  if (fast::sin(x, r)) return r;
  return Exact().unary(x, mpfr_sin);
}
double cos(double x) {
  double r;
  if (fast::cos(x, r)) return r;
  return Exact().unary(x, mpfr_cos);
}
double atan(double x) {
  double r;
  if (fast::atan(x, r)) return r;
  return Exact().unary(x, mpfr_atan);
}
double atan2(double y, double x) {
  double r;
  if (fast::atan2(y, x, r)) return r;
  return Exact().binary(y, x, mpfr_atan2);
}
double cbrt(double x) {
  double r;
  if (fast::cbrt(x, r)) return r;
  return Exact().unary(x, mpfr_cbrt);
}

}  // namespace quelmar::crmath
