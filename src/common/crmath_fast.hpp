// The fast evaluations of the correctly rounded elementary functions
// (crmath.hpp), included by crmath.cpp (products by Dekker's method, for every
// CPU) and by crmath_fused.cpp (products by the fused multiply-add, compiled
// for the CPUs that have it). Both compute the same numbers: the products are
// exact either way. Everything here has internal linkage, so that each of the
// two files keeps its own copy, compiled for its own CPUs.
//
// Each evaluation forms the value as an unevaluated sum hi + lo of two doubles
// with a proven bound `err` on its distance from the exact value, in plain
// double arithmetic: every step is one IEEE operation whose result is fixed,
// with any compiler and on any CPU, as long as doubles are evaluated in double
// precision (FLT_EVAL_METHOD 0) and nothing is contracted (-ffp-contract=off).
// If every number within err of hi + lo rounds to the same double, that double
// is the correctly rounded value; otherwise the evaluation reports that it
// cannot decide. The bounds are derived in the comments of each function; each
// is taken 1.5 to 4 times larger than the derivation gives, which covers the
// rounding of the bound's own evaluation. u = 2^-53 is the unit roundoff.
#pragma once

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
// |x| (one and-not of the sign bit, in the floating-point registers).
double abs(double x) { return __builtin_fabs(x); }
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
#if defined(QUELMAR_CRMATH_FUSED)
// a * b = p + e exactly (the fused multiply-add rounds a * b - p, which is a
// double, exactly), when a * b neither overflows nor underflows.
DD two_prod(double a, double b) {
  const double p = a * b;
  return {p, __builtin_fma(a, b, -p)};
}
#else
// a = hi + lo with hi and lo of 26 significant bits at most (|a| < 2^995).
void split(double a, double& hi, double& lo) {
  const double c = 134217729.0 * a;  // 2^27 + 1
  hi = c - (c - a);
  lo = a - hi;
}
// a * b = p + e exactly (Dekker), when a * b neither overflows nor underflows.
DD two_prod(double a, double b) {
  double ah, al, bh, bl;
  split(a, ah, al);
  split(b, bh, bl);
  const double p = a * b;
  return {p, ((ah * bh - p) + ah * bl + al * bh) + al * bl};
}
#endif

// The rounding test. h = RN(h + l) (so |l| is at most half the gap to h's
// neighbour on l's side), and every number within err of h + l is wanted
// rounded to nearest: if all of them lie strictly between the midpoints next
// to h, the answer is h. err < 2^-54 |h| is checked: half of either gap next
// to h is at least 2^-54 |h|, so the side away from l is never in doubt. On
// l's side, t = RN(RN(|l| + err) (1 + 2^-51)) > |l| + err (the two roundings
// take at most a factor (1 - u)^2, and (1 - u)^2 (1 + 4u) > 1),
// and RN(h + t) = h (t taken towards l) says that t is at most half the gap
// there, so |l| + err is below it. The addition rounds with the gap of h's own
// binade or of the one below, as the exact value's rounding would: no ulp is
// formed by hand. h is kept far from the subnormal range (the callers' err is
// at least 2^-106 |h|, so t is a normal number) and from overflow.
bool decide(double h, double l, double err, double& r) {
  const double ah = abs(h);
  if (!(err < ah * 0x1p-54 && ah >= 0x1p-900 && ah <= 0x1p1000)) return false;  // also NaN and 0
  const double t = (abs(l) + err) * (1 + 0x1p-51);
  if (h + (l < 0 ? -t : t) != h) return false;
  r = h;
  return true;
}

// ---- logarithm ----

// ln x as hi + lo with |hi + lo - ln x| <= err, for a positive normal x.
//
// x = 2^E m, m in [1, 2). The 10 bits of m after its leading bit pick a factor
// c = C/2048 so that r = m c - 1 has |r| < 2^-10; next to 1 the factor is 1
// (first interval) or 1/2 (last interval, where ln(1/c) is ln 2 in the same two
// parts as E ln 2, so that for x just below 1 the two cancel exactly). r is a
// multiple of 2^-63 below 2^-10 and so an exact double, formed from the
// integer M C - 2^63.
// ln x = E ln2 + ln(1/c) + ln(1 + r), ln(1 + r) = r - r^2/2 + r^3 P(r),
// P(r) = sum_{k=0..4} (-r)^k/(k+3).
// Errors: r^2/2 in double u r^2/2; r^3 P(r) 6u of |r|^3/3 (P in Estrin's form
// 3u, r^3 2u, product u) and truncation |r|^8/8 < |r|^3 2^-53; the sum of the small
// parts rounds by at most u r^2 in its last two steps and 5u of the other
// parts' magnitudes; the table's ln(1/c) is within 2^-105 |ln(1/c)| (the last entry,
// ln 2 in two parts, within 2^-97 like E ln 2: |E'| 2^-97 with E' the number of
// ln 2 the value holds, and E ln2_lo rounds by |E| 2^-97). Hence
// err = r^2 2^-51 + |r|^3 2^-50 + (|a.lo| + |c.lo| + |e_lo|) 2^-50
//       + |ln(1/c)| 2^-104 + |E'| 2^-92,
// which is below 2^-70.9 for every x (|r| < 2^-10: r^2 2^-51 < 2^-71; the
// small parts are below 2^-33.9 in all, |E'| <= 1025): with Bound false the
// caller takes that bound, err is not formed and hi + lo is left as c.hi +
// low, not normalized.
template <bool Bound>
bool log_dd(double x, DD& out, double& err) {
  const u64 b = bits(x);
  if (b - 0x0010000000000000ULL >= 0x7fe0000000000000ULL) return false;  // not positive normal
  const int E = static_cast<int>(b >> 52) - 1023;
  const u64 M = (b & MANT) | 0x0010000000000000ULL;
  const unsigned i = static_cast<unsigned>(b >> 42) & 1023U;
  const u64 C = tables::LOG_C[i];
  const DD& L = tables::LOG[i];
  const double r = static_cast<double>(static_cast<i64>(M * C - (1ULL << 63))) * 0x1p-63;

  const double rr = r * r;
  const double p = (1.0 / 3 - r * (1.0 / 4)) + rr * ((1.0 / 5 - r * (1.0 / 6)) + rr * (1.0 / 7));
  const double Ed = E;
  const DD a = fast_two_sum(Ed * tables::LN2_HI, L.hi);  // E ln2_hi is exact; |E ln2| >= |ln(1/c)| or E = 0
  const DD c = two_sum(a.hi, r);
  const double e_lo = Ed * tables::LN2_LO + L.lo;
  const double low = (((a.lo + c.lo) + e_lo) - 0.5 * rr) + rr * r * p;
  if constexpr (!Bound) {
    out = {c.hi, low};  // |low| <= 2^-21 + 2^-43: the caller needs no normalized sum
    return true;
  }
  out = fast_two_sum(c.hi, low);

  // The bound for every x is close enough where |ln x| >= 1/2 (temperatures).
  if (abs(out.hi) >= 0.5) {
    err = 0x1p-70;
    return true;
  }
  const bool last = i == 1023;
  const double ar = abs(r);
  err = rr * 0x1p-51 + ar * rr * 0x1p-50 + ((abs(a.lo) + abs(c.lo)) + abs(e_lo)) * 0x1p-50 +
        (last ? 0.0 : abs(L.hi) * 0x1p-104) + abs(last ? Ed + 1 : Ed) * 0x1p-92;
  return true;
}

// ---- exponential ----

// e^z for z = zh + zl (|zl| <= 2^-43, |zh| <= 707) as 2^ex (hi + lo) with
// hi + lo in [0.99, 2.01] and a relative error below 2^-67.6.
//
// z = k ln2/128 + r with k the integer nearest to z 128/ln2 (|k| < 2^17) and
// ln2/128 in two parts, the first, c1, of 35 bits: k c1 is exact, and so is
// zh - k c1: for |k| >= 2 the two are within a factor of 2 of each other; for
// |k| = 1, zh may lie a relative 2^-36 below c1/2, but c1 - zh is then a
// multiple of ulp(zh) = 2^-61 below 2^-8, a double (the tests try the edges).
// The second part and zl give the rest, rounded (error below 2^-78.5 with the
// parts' own 2^-97 |k|). |r| < 0.00271 (2^-8.52), formed as rh + rl.
// e^z = 2^(k >> 7) T (1 + r + w), T = 2^((k & 127)/128) from the table,
// w = rl + rh rl + W(rh), W(r) = r^2 (1/2 + r/6 + r^2/24 + r^3/120 + r^4/720),
// and T rh formed exactly.
// Errors, relative: truncation |r|^7/5040 < 2^-71.9; W (at most 2^-18) in
// Estrin's form 5u and w 6u, 2^-68.4; T w and the sum of the small parts round
// by 2^-70 each; the reduction 2^-78.5; the table 2^-106. Together below
// 2^-67.6.
void exp_core(double zh, double zl, DD& out, int& ex) {
  const double kd = round_int(zh * tables::INV_LN2_128);
  const i64 k = static_cast<i64>(kd);
  const DD r = two_sum(zh - kd * tables::LN2_128[0], zl - kd * tables::LN2_128[1]);
  const double rh = r.hi, rl = r.lo;

  const double rr = rh * rh;
  const double W = rr * ((0.5 + rh * (1.0 / 6)) + rr * ((1.0 / 24 + rh * (1.0 / 120)) + rr * (1.0 / 720)));
  const double w = (rl + rh * rl) + W;
  const DD& T = tables::EXP2[k & 127];
  const DD P = two_prod(T.hi, rh);
  const DD v = fast_two_sum(T.hi, P.hi);
  out = fast_two_sum(v.hi, ((v.lo + P.lo) + T.lo * (1.0 + rh)) + T.hi * w);
  ex = static_cast<int>(k >> 7);
}

// e^(zh + zl) with an absolute error ez in the exponent: the correctly rounded
// value, if the bound decides it. Relative error 2^-66 (from 2^-67.6) plus
// 1.02 ez.
bool exp_round(double zh, double zl, double ez, double& r) {
  if (!(abs(zh) <= 707.0)) return false;  // outside, or NaN: near overflow or underflow
  DD v;
  int ex;
  exp_core(zh, zl, v, ex);
  const double err = abs(v.hi) * (0x1p-66 + 1.02 * ez);
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
// sin r = rh + sin_lo, sin_lo = rl - rl rh^2/2 + rh^3 (-1/6 + rh^2/120 - rh^4/5040),
// cos r = 1 + cos_m + cos_lo with rh^2 = s.hi + s.lo exactly, cos_m = -s.hi/2,
// cos_lo = -s.lo/2 - rh rl + rh^4 (1/24 - rh^2/720) (rl^2 left out, below u^2 r^2).
// Errors: sin_lo 5u of |rh|^3/6 (the cubic term: rh^2, three products and the
// polynomial), u of |sin_lo| (its sum), truncation |r|^9/9! < |rh| r^8 2^-18;
// cos_lo 5u of r^4/24, u of |cos_lo| and of |rh rl|, truncation r^8/8! < r^8 2^-15;
// the combination: A.hi cos_m and B.hi rh are exact products and their sums
// with A.hi exact two-sums; the other products and the small parts' sum round
// by u |B.hi sin_lo| + u |A.hi cos_lo| + u |low| (its last step) + 6u of the
// other small parts (each below u (|A.hi| + |rh|), or |cos_lo|); the table
// 2^-106 (|A.hi| + |rh|). Twice the sum of these, with |sin_lo| <= u |rh| +
// |rh| r^2/5, |cos_lo| <= 2u r^2 + r^4/24, r^6 < 2^-44 and so on, is at most
// err = 2^-51 |B.hi rh| r^2 + 2^-52 (|A.hi| + 1) r^4 + 2^-95 (|A.hi| + |rh|)
//       + 2^-99 r^2 + 1.01 er.
struct Turn {
  unsigned j;                    // k mod 512: the table entry
  double rh, rl, er;             // r and the reduction's error
  double sin_lo, cos_m, cos_lo;  // sin r = rh + sin_lo, cos r = 1 + cos_m + cos_lo
};

// x = k pi/256 + r and the parts of sin r and cos r, for 2^-500 <= |x| <= 2^16.
Turn reduce(double x) {
  const double kd = round_int(x * tables::INV_PI_256);
  const i64 k = static_cast<i64>(kd);
  const DD a = two_sum(x, -kd * tables::PI_256[0]);
  const DD b = two_sum(a.hi, -kd * tables::PI_256[1]);
  const double kp3 = kd * tables::PI_256[2];
  const DD r = two_sum(b.hi, (a.lo + b.lo) - kp3);
  Turn t;
  t.j = static_cast<unsigned>(k) & 511U;
  t.rh = r.hi;
  t.rl = r.lo;
  t.er = abs(kd) * 0x1p-117 + ((abs(a.lo) + abs(b.lo)) + abs(kp3)) * 0x1p-52;
  const double rh = r.hi, rl = r.lo;
  const DD s = two_prod(rh, rh);
  const double r2 = s.hi;
  t.sin_lo = (rl - 0.5 * (rl * r2)) + rh * (r2 * (-1.0 / 6 + r2 * (1.0 / 120 - r2 * (1.0 / 5040))));
  t.cos_m = -0.5 * s.hi;  // exact
  t.cos_lo = (-0.5 * s.lo - rh * rl) + (r2 * r2) * (1.0 / 24 - r2 * (1.0 / 720));
  return t;
}

// A cos r + B sin r, rounded if the bound decides it.
bool turn(const Turn& t, const DD& A, const DD& B, double& res) {
  const DD p1 = two_prod(A.hi, t.cos_m);
  const DD p2 = two_prod(B.hi, t.rh);
  const DD h1 = two_sum(A.hi, p2.hi);
  const DD h2 = two_sum(h1.hi, p1.hi);
  const double low = (((((h1.lo + h2.lo) + p1.lo) + p2.lo) + A.lo) + (A.hi * t.cos_lo + A.lo * t.cos_m) + B.lo * t.rh) +
                     B.hi * t.sin_lo;
  const DD v = two_sum(h2.hi, low);
  const double ar = abs(t.rh), r2 = t.rh * t.rh, aA = abs(A.hi);
  const double err = (abs(B.hi) * ar * r2) * 0x1p-51 + ((aA + 1) * (r2 * r2)) * 0x1p-52 + (aA + ar) * 0x1p-95 +
                     r2 * 0x1p-99 + 1.01 * t.er;
  return decide(v.hi, v.lo, err, res);
}

// sin x (SIN in `want`) into s and cos x (COS) into c, from one reduction;
// true if each one wanted is decided.
constexpr int SIN = 1, COS = 2;
bool sin_cos(double x, int want, double& s, double& c) {
  if (x == 0) {
    s = x;
    c = 1.0;
    return true;
  }
  const double ax = abs(x);
  if (!(ax <= 0x1p16) || ax < 0x1p-500) return false;
  const Turn t = reduce(x);
  const DD& S = tables::SIN[t.j];
  const DD& C = tables::SIN[(t.j + 128) & 511U];
  if ((want & SIN) && !turn(t, S, C, s)) return false;
  if ((want & COS) && !turn(t, C, {-S.hi, -S.lo}, c)) return false;
  return true;
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

// ---- the evaluations ----

bool fast_log(double x, double& r) {
  DD v;
  double err;
  if (!log_dd<true>(x, v, err)) return false;
  if (v.hi == 0) {  // x = 1
    r = 0;
    return true;
  }
  return decide(v.hi, v.lo, err, r);
}

bool fast_exp(double x, double& r) { return exp_round(x, 0.0, 0.0, r); }

bool fast_pow(double x, double y, double& r) {
  // Exponents whose power is one IEEE operation, or exact.
  if (abs(y) <= 4) {
    const int n = static_cast<int>(y);
    if (n == y) {
      switch (n) {
        case 0:
          r = 1.0;
          return true;
        case 1:
          r = x;
          return true;
        case 2:
          r = x * x;
          return true;
        case -1:
          r = 1.0 / x;
          return true;
        case 3:
        case 4:
        case -2:
          if (!(abs(x) >= 0x1p-200 && abs(x) <= 0x1p200)) return false;
          if (n == 3) return cube(x, r);
          if (n == 4) return fourth(x, r);
          return inverse_square(x, r);
        default:
          break;
      }
    }
  }
  // x^y = e^(y ln x) for x > 0: y (lh + ll) = zh + zl with zh, zl from y lh
  // exactly and y ll rounded (at most 2^-103 |z| + |y| 2^-74 in all: ll is
  // below 2^-21), plus |y| times the error of the logarithm, at most 2^-70.9
  // (log_dd).
  if (!(abs(y) <= 0x1p30 && abs(y) >= 0x1p-300)) return false;
  DD l;
  double unused;
  if (!log_dd<false>(x, l, unused)) return false;
  const DD z0 = two_prod(y, l.hi);
  const DD z = fast_two_sum(z0.hi, z0.lo + y * l.lo);
  return exp_round(z.hi, z.lo, abs(y) * 0x1p-70 + abs(z.hi) * 0x1p-103, r);
}

bool fast_sin(double x, double& r) {
  double c;
  return sin_cos(x, SIN, r, c);
}
bool fast_cos(double x, double& r) {
  double s;
  return sin_cos(x, COS, s, r);
}
bool fast_sincos(double x, double& s, double& c) { return sin_cos(x, SIN | COS, s, c); }

// atan x = atan w, w = |x| <= 1, or pi/2 - atan(1/|x|), w = 1/|x| to 2^-104;
// the result is at least pi/4 in the second case: err 2^-66 relative.
bool fast_atan(double x, double& r) {
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
bool fast_atan2(double y, double x, double& r) {
  const double ax = abs(x), ay = abs(y);
  // On the axes (a calm wind component, say) the values are exact or the
  // rounded pi and pi/2, with the signs the C standard gives them.
  if (y == 0 && x != 0 && x == x) {
    r = x > 0 ? y : (bits(y) >> 63 ? -tables::PI.hi : tables::PI.hi);
    return true;
  }
  if (x == 0 && y != 0 && y == y) {
    r = y > 0 ? tables::PI_HALF.hi : -tables::PI_HALF.hi;
    return true;
  }
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

// cbrt: y from a first guess (within 4 %) and two of Halley's steps (then
// within 2^-42), then the correction cbrt(a) = y (1 + delta)^(1/3),
// delta = (a - y^3)/y^3, as y + l with l = (a - y^3)/(3 y^2), y^3 exact but
// for u^2. Errors: l to 5u (a - y^3 2u, 3 y^2 2u, the quotient u) and u^2 y/3;
// truncation y delta^2/9 = l^2/y, at most 1.01 |l| 2^-40 where |l| <= y 2^-40
// (checked).
bool fast_cbrt(double x, double& r) {
  const double a = abs(x);
  if (x == 0) {
    r = x;
    return true;
  }
  if (!(a >= 0x1p-900 && a <= 0x1p900)) return false;
  double y = from_bits(bits(a) / 3 + 0x2a9f7893782da1ceULL);
  for (int n = 0; n < 2; ++n) {
    const double y3 = y * y * y;
    y = y * (y3 + 2 * a) / (2 * y3 + a);
  }
  const DD s = two_prod(y, y);
  const DD t = two_prod(s.hi, y);
  const double d = ((a - t.hi) - t.lo) - s.lo * y;
  const double l = d / (3.0 * s.hi);
  if (!(abs(l) <= y * 0x1p-40)) return false;
  const DD v = fast_two_sum(y, l);
  if (!decide(v.hi, v.lo, abs(l) * 0x1p-39 + y * 0x1p-104, r)) return false;
  if (x < 0) r = -r;
  return true;
}

}  // namespace
}  // namespace quelmar::crmath
