// The correctly rounded elementary functions against MPFR, on arguments drawn
// from the ranges the flare physics, the readers and the drivers use, with the
// exact and near midpoints of the integral powers, the special values of the
// C standard, and the tables against MPFR entry by entry.
#include "common/crmath.hpp"

#include <gtest/gtest.h>
#include <mpfr.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "common/crmath_tables.hpp"

namespace quelmar::crmath {
namespace {

using Unary = int (*)(mpfr_ptr, mpfr_srcptr, mpfr_rnd_t);
using Binary = int (*)(mpfr_ptr, mpfr_srcptr, mpfr_srcptr, mpfr_rnd_t);

// The value rounded to nearest from MPFR at 53 bits; the arguments are normal
// and so are the results here, so the default exponent range is right.
double ref1(Unary f, double x) {
  MPFR_DECL_INIT(a, 53);
  MPFR_DECL_INIT(r, 53);
  mpfr_set_d(a, x, MPFR_RNDN);
  f(r, a, MPFR_RNDN);
  return mpfr_get_d(r, MPFR_RNDN);
}
double ref2(Binary f, double x, double y) {
  MPFR_DECL_INIT(a, 53);
  MPFR_DECL_INIT(b, 53);
  MPFR_DECL_INIT(r, 53);
  mpfr_set_d(a, x, MPFR_RNDN);
  mpfr_set_d(b, y, MPFR_RNDN);
  f(r, a, b, MPFR_RNDN);
  return mpfr_get_d(r, MPFR_RNDN);
}

std::uint64_t bits(double x) { return std::bit_cast<std::uint64_t>(x); }
std::string hex(double x) {
  char b[40];
  std::snprintf(b, sizeof b, "%a", x);
  return b;
}

// Arguments: uniform or log-uniform between the ends, from a fixed seed.
class Draw {
 public:
  explicit Draw(std::uint64_t seed) : g_(seed) {}
  double unit() { return static_cast<double>(g_() >> 11) * 0x1p-53; }
  double uniform(double a, double b) { return a + (b - a) * unit(); }
  double log_uniform(double a, double b) { return a * std::exp(std::log(b / a) * unit()); }

 private:
  std::mt19937_64 g_;
};

// Compares f with MPFR on n arguments from `arg`; also runs the fast
// evaluation alone, in both builds where the CPU has the fused multiply-add:
// each value it decides must be MPFR's, and the two builds must decide the same
// arguments. Counts the arguments it leaves to MPFR.
struct Tally {
  int wrong = 0, fast_wrong = 0, builds_differ = 0, undecided = 0;
};

template <class Arg, class F, class Fast, class Ref>
Tally compare(int n, Arg arg, F f, Fast fast, Ref ref, const std::string& what) {
  Tally t;
  const Kernels* fu = fused();
  for (int i = 0; i < n; ++i) {
    const auto a = arg();
    const double want = ref(a);
    const double got = f(a);
    if (bits(got) != bits(want)) {
      if (++t.wrong <= 3)
        ADD_FAILURE() << what << " at " << hex(a.first) << ", " << hex(a.second) << ": " << hex(got) << " instead of "
                      << hex(want);
    }
    double r = 0;
    const bool decided = fast(PLAIN, a, r);
    if (decided && bits(r) != bits(want)) ++t.fast_wrong;
    if (!decided) ++t.undecided;
    if (fu) {
      double rf = 0;
      const bool decided_fused = fast(*fu, a, rf);
      if (decided_fused != decided || (decided && bits(rf) != bits(r))) ++t.builds_differ;
    }
  }
  EXPECT_EQ(t.wrong, 0) << what;
  EXPECT_EQ(t.fast_wrong, 0) << what;
  EXPECT_EQ(t.builds_differ, 0) << what;
  if (std::getenv("CRMATH_TALLY")) std::printf("%s: %d of %d undecided\n", what.c_str(), t.undecided, n);
  return t;
}

using Args = std::pair<double, double>;

// pow with each exponent the physics uses, on the bases it meets: the wind
// profile (HS/ZREF)^p, the ISC plume rise (cube roots as x^0.333..., F^0.6,
// F^0.75, F^0.4, F^0.625), the flame lengths and their derivative, the steam
// and vessel critical-pressure ratios, the barometric formula and the
// saturation line's P^0.25.
TEST(CrMath, PowMatchesMpfrOnThePhysicsExponents) {
  struct Case {
    const char* what;
    double y;
    double lo, hi;
  };
  const double third = 0.3333333333333333;
  const std::vector<Case> cases = {
      {"P^0.25", 0.25, 1e-4, 30.0},
      {"x^(1/3)", third, 1e-6, 1e9},
      {"F^0.6", 0.6, 1e-3, 1e6},
      {"F^0.75", 0.75, 1e-3, 1e6},
      {"F^0.4", 0.4, 1e-3, 1e6},
      {"F^0.625", 0.625, 1e-3, 1e6},
      {"P^-1.03", -1.03, 1e-3, 0.5},
      {"P^-0.625", -0.625, 0.5, 1e3},
      {"x^3.5714", 3.571428571428571, 1e-2, 10.0},
      {"x^0.28", 0.28, 1e-2, 1e3},
      {"x^-0.72", -0.72, 1e-2, 1e3},
      {"wind 0.07", 0.07, 0.05, 50.0},
      {"wind 0.15", 0.15, 0.05, 50.0},
      {"wind 0.35", 0.35, 0.05, 50.0},
      {"wind 0.55", 0.55, 0.05, 50.0},
      {"barometric", 5.255876113278518, 0.7, 1.0},
  };
  Draw d(2801);
  long undecided = 0, total = 0;
  for (const Case& c : cases) {
    const Tally t = compare(
        20000,
        [&] {
          return Args{d.log_uniform(c.lo, c.hi), c.y};
        },
        [](Args a) { return pow(a.first, a.second); },
        [](const Kernels& k, Args a, double& r) { return k.pow(a.first, a.second, r); },
        [](Args a) { return ref2(mpfr_pow, a.first, a.second); }, c.what);
    undecided += t.undecided;
    total += 20000;
  }
  // Variable exponents: k/(k-1), (k+1)/(2(k-1)) and 2/(k+1) of the isentropic
  // exponents of gases and steam, on the ratios they raise.
  const Tally t = compare(
      60000,
      [&] {
        const double k = d.uniform(1.05, 1.67);
        const double ys[3] = {k / (k - 1), 0.5 * (k + 1) / (k - 1), 2 / (k + 1)};
        return Args{d.uniform(0.3, 1.0), ys[static_cast<int>(d.unit() * 3) % 3]};
      },
      [](Args a) { return pow(a.first, a.second); },
      [](const Kernels& k, Args a, double& r) { return k.pow(a.first, a.second, r); },
      [](Args a) { return ref2(mpfr_pow, a.first, a.second); }, "isentropic exponents");
  undecided += t.undecided;
  total += 60000;
  // The fast evaluation decides all but a few calls in 10^4.
  EXPECT_LT(undecided, total / 2000) << undecided << " of " << total;
}

// The heat capacities raise the temperature to -2 .. 4.
TEST(CrMath, IntegralPowersOfTemperaturesMatchMpfr) {
  Draw d(2802);
  for (double y : {-2.0, -1.0, 2.0, 3.0, 4.0}) {
    const Tally t = compare(
        30000,
        [&] {
          return Args{d.uniform(200.0, 6000.0), y};
        },
        [](Args a) { return pow(a.first, a.second); },
        [](const Kernels& k, Args a, double& r) { return k.pow(a.first, a.second, r); },
        [](Args a) { return ref2(mpfr_pow, a.first, a.second); }, "T^" + std::to_string(static_cast<int>(y)));
    EXPECT_EQ(t.undecided, 0);
  }
}

// Cubes and fourth powers that are exactly midpoints of two doubles (an odd
// integer n whose n^3 or n^4 has 54 bits), and cubes, fourth powers and an
// inverse square a tiny part of an ulp to either side of one. The expected
// values come from exact integer arithmetic (n^p rounded to 53 bits, ties to
// even, in Python), not from MPFR.
TEST(CrMath, IntegralPowersRoundExactAndNearMidpointsCorrectly) {
  struct Case {
    double y, x, want;
  };
  const Case cases[] = {
      {3, 0x1.9660800000000p+10, 0x1.00011add69b20p+32},   // exact midpoint, to even below
      {3, 0x1.9661800000000p+10, 0x1.0002feaf4642ep+32},   // exact midpoint, to even above
      {3, 0x1.9662800000000p+10, 0x1.0004e2838465ep+32},   // exact midpoint
      {4, 0x1.3078000000000p+10, 0x1.001b5335656e0p+41},   // exact midpoint
      {4, 0x1.3088000000000p+10, 0x1.00512d01f2f20p+41},   // exact midpoint
      {4, 0x1.3098000000000p+10, 0x1.00870f4c14288p+41},   // exact midpoint
      {3, 0x1.8000004000000p+10, 0x1.b00000d800002p+31},   // 2^-26 ulp above a midpoint
      {3, 0x1.7fffffc000000p+10, 0x1.afffff2800002p+31},   // 2^-26 ulp below a midpoint
      {4, 0x1.c000800000000p+10, 0x1.2c21570093002p+43},   // 2^-18 ulp above a midpoint
      {4, 0x1.c672800000000p+10, 0x1.3dc737df76f31p+43},   // 15 2^-18 ulp below a midpoint
      {3, 0x1.1a8b2458b6b07p+12, 0},                       // 8.4e-8 ulp from a midpoint
      {4, 0x1.83e6cd306382ap+11, 0},                       // 2.7e-8 ulp from a midpoint
      {-2, 0x1.0000002000000p+10, 0x1.ffffff8000001p-21},  // 1.5e-8 ulp below a midpoint
  };
  for (const Case& c : cases) {
    const double want = c.want != 0 ? c.want : ref2(mpfr_pow, c.x, c.y);
    EXPECT_EQ(bits(pow(c.x, c.y)), bits(want)) << hex(c.x) << "^" << c.y << " = " << hex(pow(c.x, c.y));
    EXPECT_EQ(bits(ref2(mpfr_pow, c.x, c.y)), bits(want)) << "MPFR agrees with the integer rounding";
  }
  // The exact midpoints are left to MPFR, the others decided at once.
  double r;
  EXPECT_FALSE(PLAIN.pow(0x1.9660800000000p+10, 3, r));
  EXPECT_TRUE(PLAIN.pow(0x1.8000004000000p+10, 3, r));
}

TEST(CrMath, LogAndExpMatchMpfr) {
  Draw d(2803);
  // log of temperatures, roughness lengths, pressure ratios, release fractions
  // 1 - F next to 1 and density ratios; exp of the vessel decays and the
  // combustion-efficiency exponent.
  const std::pair<double, double> log_ranges[] = {{200, 6000}, {0.01, 0.5}, {1e-6, 1.0}, {0.999, 1.001}, {1e-3, 1e3}};
  for (auto [lo, hi] : log_ranges) {
    compare(
        20000,
        [&] {
          return Args{d.log_uniform(lo, hi), 0};
        },
        [](Args a) { return log(a.first); }, [](const Kernels& k, Args a, double& r) { return k.log(a.first, r); },
        [](Args a) { return ref1(mpfr_log, a.first); }, "log");
  }
  // Next to 1, a few ulps away.
  for (int k = -40; k <= 40; ++k) {
    const double x = std::nextafter(1.0, k < 0 ? 0.0 : 2.0) + k * 0x1p-52;
    EXPECT_EQ(bits(log(x)), bits(ref1(mpfr_log, x))) << hex(x);
  }
  // Next to the ends of the first reduction intervals, +-ln2/256 and
  // +-3 ln2/256, where z - k ln2/128 must still be formed exactly.
  for (double m : {1.0, -1.0, 3.0, -3.0}) {
    const double edge = m * 0.6931471805599453 / 256;
    double x = edge;
    for (int i = 0; i < 200; ++i) x = std::nextafter(x, 0.0);
    for (int i = 0; i < 400; ++i, x = std::nextafter(x, 2 * edge))
      EXPECT_EQ(bits(exp(x)), bits(ref1(mpfr_exp, x))) << hex(x);
  }
  const std::pair<double, double> exp_ranges[] = {{-50, 0}, {-1, 1}, {-700, 700}, {-1e-6, 1e-6}};
  for (auto [lo, hi] : exp_ranges) {
    compare(
        20000,
        [&] {
          return Args{d.uniform(lo, hi), 0};
        },
        [](Args a) { return exp(a.first); }, [](const Kernels& k, Args a, double& r) { return k.exp(a.first, r); },
        [](Args a) { return ref1(mpfr_exp, a.first); }, "exp");
  }
}

TEST(CrMath, TrigonometricFunctionsMatchMpfr) {
  Draw d(2804);
  // sin and cos of wind directions in radians, of the cubic's angle phi/3 and
  // of the stable plume's sqrt(s) x/u; atan and atan2 of the cubic's ratio,
  // the flame's tilt and the wind components of the plume angle.
  compare(
      30000,
      [&] {
        return Args{d.uniform(0, 6.3), 0};
      },
      [](Args a) { return sin(a.first); }, [](const Kernels& k, Args a, double& r) { return k.sin(a.first, r); },
      [](Args a) { return ref1(mpfr_sin, a.first); }, "sin");
  compare(
      30000,
      [&] {
        return Args{d.uniform(-0.6, 0.6), 0};
      },
      [](Args a) { return cos(a.first); }, [](const Kernels& k, Args a, double& r) { return k.cos(a.first, r); },
      [](Args a) { return ref1(mpfr_cos, a.first); }, "cos");
  compare(
      30000,
      [&] {
        return Args{d.uniform(0, 6.3), 0};
      },
      [](Args a) { return cos(a.first); }, [](const Kernels& k, Args a, double& r) { return k.cos(a.first, r); },
      [](Args a) { return ref1(mpfr_cos, a.first); }, "cos");
  compare(
      10000,
      [&] {
        return Args{d.uniform(-30, 30), 0};
      },
      [](Args a) { return sin(a.first); }, [](const Kernels& k, Args a, double& r) { return k.sin(a.first, r); },
      [](Args a) { return ref1(mpfr_sin, a.first); }, "sin");
  // Whole degrees, as the wind directions of the files are, with sin and cos
  // also from one reduction.
  for (int deg = 0; deg < 360; ++deg) {
    const double a = deg * 3.141592653589793 / 180.0;
    EXPECT_EQ(bits(sin(a)), bits(ref1(mpfr_sin, a))) << deg;
    EXPECT_EQ(bits(cos(a)), bits(ref1(mpfr_cos, a))) << deg;
    double s, c;
    sincos(a, s, c);
    EXPECT_EQ(bits(s), bits(ref1(mpfr_sin, a))) << deg;
    EXPECT_EQ(bits(c), bits(ref1(mpfr_cos, a))) << deg;
  }
  for (int i = 0; i < 20000; ++i) {
    const double a = d.uniform(-7, 7);
    double s, c;
    sincos(a, s, c);
    ASSERT_EQ(bits(s), bits(ref1(mpfr_sin, a))) << hex(a);
    ASSERT_EQ(bits(c), bits(ref1(mpfr_cos, a))) << hex(a);
  }
  compare(
      30000,
      [&] {
        return Args{(d.unit() < 0.5 ? -1 : 1) * d.log_uniform(1e-4, 1e4), 0};
      },
      [](Args a) { return atan(a.first); }, [](const Kernels& k, Args a, double& r) { return k.atan(a.first, r); },
      [](Args a) { return ref1(mpfr_atan, a.first); }, "atan");
  compare(
      30000,
      [&] {
        return Args{d.uniform(-30, 30), d.uniform(-30, 30)};
      },
      [](Args a) { return atan2(a.first, a.second); },
      [](const Kernels& k, Args a, double& r) { return k.atan2(a.first, a.second, r); },
      [](Args a) { return ref2(mpfr_atan2, a.first, a.second); }, "atan2");
  compare(
      20000,
      [&] {
        return Args{d.log_uniform(0.01, 300), d.log_uniform(0.01, 300)};
      },
      [](Args a) { return atan2(a.first, a.second); },
      [](const Kernels& k, Args a, double& r) { return k.atan2(a.first, a.second, r); },
      [](Args a) { return ref2(mpfr_atan2, a.first, a.second); }, "atan2 of lengths");
}

TEST(CrMath, CubeRootMatchesMpfr) {
  Draw d(2805);
  compare(
      30000,
      [&] {
        return Args{(d.unit() < 0.3 ? -1 : 1) * d.log_uniform(1e-6, 1e9), 0};
      },
      [](Args a) { return cbrt(a.first); }, [](const Kernels& k, Args a, double& r) { return k.cbrt(a.first, r); },
      [](Args a) { return ref1(mpfr_cbrt, a.first); }, "cbrt");
  for (double x : {8.0, 27.0, -64.0, 0.001, 1e-300, 1e300}) EXPECT_EQ(bits(cbrt(x)), bits(ref1(mpfr_cbrt, x))) << x;
}

// Special values take the C standard's results (through MPFR); subnormal
// results are rounded at their own precision.
TEST(CrMath, SpecialValuesFollowTheCStandard) {
  const mpfr_exp_t emin = mpfr_get_emin(), emax = mpfr_get_emax();
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  EXPECT_EQ(pow(0.0, 0.5), 0.0);
  EXPECT_EQ(pow(0.0, -0.5), inf);
  EXPECT_EQ(pow(-2.0, 3.0), -8.0);
  EXPECT_EQ(pow(-2.0, -2.0), 0.25);
  EXPECT_TRUE(std::isnan(pow(-8.0, 0.3333333333333333)));
  EXPECT_EQ(pow(nan, 0.0), 1.0);
  EXPECT_EQ(pow(1.0, nan), 1.0);
  EXPECT_EQ(pow(1.0, 0.6), 1.0);
  EXPECT_EQ(pow(16.0, 0.25), 2.0);
  EXPECT_EQ(pow(2.0, 1024.0), inf);
  EXPECT_EQ(pow(2.0, -1074.0), 0x1p-1074);
  EXPECT_EQ(pow(3.0, -680.0), ref2(mpfr_pow, 3.0, -680.0));
  EXPECT_EQ(log(1.0), 0.0);
  EXPECT_EQ(log(0.0), -inf);
  EXPECT_TRUE(std::isnan(log(-1.0)));
  EXPECT_EQ(log(inf), inf);
  EXPECT_EQ(log(0x1p-1074), ref1(mpfr_log, 0x1p-1074));
  EXPECT_EQ(exp(0.0), 1.0);
  EXPECT_EQ(exp(-inf), 0.0);
  EXPECT_EQ(exp(1000.0), inf);
  EXPECT_EQ(exp(-1000.0), 0.0);
  EXPECT_EQ(exp(-740.0), 85 * 0x1p-1074);  // subnormal: e^-740 = 84.78 2^-1074
  EXPECT_EQ(bits(sin(-0.0)), bits(-0.0));
  EXPECT_EQ(cos(0.0), 1.0);
  double s, c;
  sincos(-0.0, s, c);
  EXPECT_EQ(bits(s), bits(-0.0));
  EXPECT_EQ(c, 1.0);
  sincos(1e22, s, c);
  EXPECT_EQ(s, ref1(mpfr_sin, 1e22));
  EXPECT_EQ(c, ref1(mpfr_cos, 1e22));
  EXPECT_TRUE(std::isnan(sin(inf)));
  EXPECT_EQ(sin(1e-30), 1e-30);
  EXPECT_EQ(sin(1e22), ref1(mpfr_sin, 1e22));
  EXPECT_EQ(atan(inf), 0x1.921fb54442d18p+0);
  EXPECT_EQ(bits(atan(-0.0)), bits(-0.0));
  EXPECT_EQ(atan2(0.0, -0.0), 0x1.921fb54442d18p+1);
  EXPECT_EQ(atan2(-0.0, -1.0), -0x1.921fb54442d18p+1);
  EXPECT_EQ(bits(atan2(-0.0, 0.0)), bits(-0.0));
  EXPECT_EQ(atan2(1.0, 0.0), 0x1.921fb54442d18p+0);
  EXPECT_EQ(atan2(1.0, 1.0), 0x1.921fb54442d18p-1);
  // The axes, as MPFR gives them (with the signs of zeros and infinities).
  for (double y : {0.0, -0.0, 2.0, -2.0, 1e-300, -inf, inf})
    for (double x : {0.0, -0.0, 1.0, -1.0, 1e-300, -1e300, inf, -inf}) {
      if (y != 0 && x != 0) continue;
      EXPECT_EQ(bits(atan2(y, x)), bits(ref2(mpfr_atan2, y, x))) << y << " " << x;
    }
  // A sine 2^-12 ulp from a midpoint (the stable plume's angle of a Houston
  // hour): -0.1564344650402311 is 0.50021 ulp above a double; decided at once.
  double r = 0;
  EXPECT_TRUE(PLAIN.sin(0x1.88121d88f4591p+2, r));
  EXPECT_EQ(bits(r), bits(ref1(mpfr_sin, 0x1.88121d88f4591p+2)));
  // The sine of the double nearest to pi (about 1.2e-16) is decided at once
  // although the reduction's error is a sizable part of an ulp of it.
  EXPECT_TRUE(PLAIN.sin(0x1.921fb54442d18p+1, r));
  EXPECT_EQ(bits(r), bits(ref1(mpfr_sin, 0x1.921fb54442d18p+1)));
  // Small angles: the sine is the angle, the cosine 1 or just below.
  for (double x : {1e-300, -1e-200, 1e-20, 0x1p-28, 0x1.8p-27, -0x1.fffffp-27, 0x1p-26, 3e-8, 1e-5}) {
    EXPECT_EQ(bits(sin(x)), bits(ref1(mpfr_sin, x))) << x;
    EXPECT_EQ(bits(cos(x)), bits(ref1(mpfr_cos, x))) << x;
  }
  EXPECT_EQ(bits(cbrt(-0.0)), bits(-0.0));
  EXPECT_EQ(cbrt(-inf), -inf);
  // MPFR's exponent range, narrowed for each exact evaluation, is put back.
  EXPECT_EQ(mpfr_get_emin(), emin);
  EXPECT_EQ(mpfr_get_emax(), emax);
}

// Each table entry is hi = RN(v), lo = RN(v - hi) of its value.
TEST(CrMath, TablesHoldTheRoundedValues) {
  MPFR_DECL_INIT(v, 300);
  MPFR_DECL_INIT(t, 300);
  auto check = [&](const tables::DD& e, const char* what, int j) {
    EXPECT_EQ(bits(e.hi), bits(mpfr_get_d(v, MPFR_RNDN))) << what << " " << j;
    mpfr_sub_d(t, v, e.hi, MPFR_RNDN);
    EXPECT_EQ(bits(e.lo), bits(mpfr_get_d(t, MPFR_RNDN))) << what << " " << j;
  };
  for (int i = 0; i < 1024; ++i) {
    const double c = tables::LOG_C[i];
    // The factor brings every significand of its interval within 2^-10 of 1.
    const double m0 = 1 + i / 1024.0, m1 = 1 + (i + 1) / 1024.0;
    EXPECT_LT(std::fabs(m0 * c / 2048 - 1), 0x1p-10) << i;
    EXPECT_LE(std::fabs(m1 * c / 2048 - 1), 0x1p-10) << i;
    if (i == 1023) {  // ln 2 in the parts of E ln 2
      EXPECT_EQ(c, 1024);
      EXPECT_EQ(tables::LOG[i].hi, tables::LN2_HI);
      EXPECT_EQ(tables::LOG[i].lo, tables::LN2_LO);
      continue;
    }
    mpfr_set_ui(v, 2048, MPFR_RNDN);
    mpfr_div_ui(v, v, tables::LOG_C[i], MPFR_RNDN);
    mpfr_log(v, v, MPFR_RNDN);
    check(tables::LOG[i], "log", i);
  }
  EXPECT_EQ(tables::LOG_C[0], 2048);
  for (int j = 0; j < 128; ++j) {
    mpfr_set_si(v, j, MPFR_RNDN);
    mpfr_div_ui(v, v, 128, MPFR_RNDN);
    mpfr_exp2(v, v, MPFR_RNDN);
    check(tables::EXP2[j], "exp2", j);
  }
  for (int j = 0; j < 512; ++j) {
    if (j % 256 == 0) {
      EXPECT_EQ(tables::SIN[j].hi, 0.0);
      continue;
    }
    mpfr_const_pi(v, MPFR_RNDN);
    mpfr_mul_si(v, v, j, MPFR_RNDN);
    mpfr_div_ui(v, v, 256, MPFR_RNDN);
    mpfr_sin(v, v, MPFR_RNDN);
    check(tables::SIN[j], "sin", j);
  }
  for (int j = 0; j <= 256; ++j) {
    mpfr_set_si(v, j, MPFR_RNDN);
    mpfr_div_ui(v, v, 256, MPFR_RNDN);
    mpfr_atan(v, v, MPFR_RNDN);
    check(tables::ATAN[j], "atan", j);
  }
  // The constants in parts are within the bounds the error analysis takes.
  auto sum_close = [&](std::initializer_list<double> parts, auto set, double bound, const char* what) {
    set(v);
    for (double p : parts) mpfr_sub_d(v, v, p, MPFR_RNDN);
    EXPECT_LT(std::fabs(mpfr_get_d(v, MPFR_RNDN)), bound) << what;
  };
  sum_close(
      {tables::LN2_HI, tables::LN2_LO}, [](mpfr_ptr x) { mpfr_const_log2(x, MPFR_RNDN); }, 0x1p-97, "ln2");
  sum_close(
      {tables::LN2_128[0], tables::LN2_128[1]},
      [](mpfr_ptr x) { mpfr_const_log2(x, MPFR_RNDN), mpfr_div_ui(x, x, 128, MPFR_RNDN); }, 0x1p-97, "ln2/128");
  sum_close(
      {tables::PI_256[0], tables::PI_256[1], tables::PI_256[2]},
      [](mpfr_ptr x) { mpfr_const_pi(x, MPFR_RNDN), mpfr_div_ui(x, x, 256, MPFR_RNDN); }, 0x1p-121, "pi/256");
  sum_close(
      {tables::PI.hi, tables::PI.lo}, [](mpfr_ptr x) { mpfr_const_pi(x, MPFR_RNDN); }, 0x1p-105, "pi");
  sum_close(
      {tables::PI_HALF.hi, tables::PI_HALF.lo},
      [](mpfr_ptr x) { mpfr_const_pi(x, MPFR_RNDN), mpfr_div_ui(x, x, 2, MPFR_RNDN); }, 0x1p-106, "pi/2");
  // Parts multiplied by an integer exactly: 42 bits for ln 2, 35 and 30 bits.
  auto width = [](double x) {
    return 53 - std::countr_zero((bits(x) & 0x000fffffffffffffULL) | 0x0010000000000000ULL);
  };
  EXPECT_LE(width(tables::LN2_HI), 42);
  EXPECT_LE(width(tables::LN2_128[0]), 35);
  EXPECT_LE(width(tables::PI_256[0]), 30);
  EXPECT_LE(width(tables::PI_256[1]), 30);
}

}  // namespace
}  // namespace quelmar::crmath
