// The record layer's number formatting and layouts, against hand-worked texts.
#include "io/format.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>

namespace quelmar::io {
namespace {

struct RealCase {
  double v;
  const char* text;
};

// A free-format double: 15 significant digits in fixed notation (19 columns and
// 5 blanks) from 0.1 up to below 1e15 after rounding; otherwise one digit, a
// point, 15 digits, E, sign and a three-digit exponent in 24 columns.
TEST(FreeFormat, Doubles) {
  const RealCase cases[] = {
      {1.0, "   1.00000000000000     "},
      {-2.5, "  -2.50000000000000     "},
      {0.1, "  0.100000000000000     "},
      {0.09999999999999999, "  0.100000000000000     "},  // rounds up across 0.1: fixed
      {0.05, "  5.000000000000000E-002"},
      {123456.789, "   123456.789000000     "},
      {2.0 / 3.0, "  0.666666666666667     "},
      {999999999999999.9, "  9.999999999999999E+014"},  // rounds to 1e15 with 15 digits: E form
      {1e15, "  1.000000000000000E+015"},
      {0.0, "  0.000000000000000E+000"},
      {-0.0, " -0.000000000000000E+000"},
      {1e-300, "  1.000000000000000E-300"},
      {-1.0 / 3e20, " -3.333333333333333E-021"},
  };
  for (const RealCase& c : cases) EXPECT_EQ(free_real(c.v), c.text) << c.v;
  EXPECT_EQ(free_int(7), "           7");
  EXPECT_EQ(free_int(-123), "        -123");
}

TEST(FreeFormat, RecordsAndWrapping) {
  // A text, then an integer: one blank, the text, the 12-column field.
  std::vector<Item> a = {"FATAL ERROR: Unknown setting for MINPUT=", 7};
  auto r = free_records(a);
  ASSERT_EQ(r.size(), 1u);
  EXPECT_EQ(r[0], " FATAL ERROR: Unknown setting for MINPUT=           7");
  EXPECT_EQ(r[0].size(), 53u);

  // A text after a number gets one blank before it; texts side by side none.
  std::vector<Item> b = {"CPU Time ", 1.5, " seconds", "x", "y"};
  EXPECT_EQ(free_records(b)[0], " CPU Time    1.50000000000000       secondsxy");

  // An empty record is a single blank.
  EXPECT_EQ(free_records(std::vector<Item>{})[0], " ");

  // Three doubles fill 73 columns; the fourth does not fit and starts a record.
  std::vector<Item> c = {1.0, 2.0, 3.0, 4.0};
  r = free_records(c);
  ASSERT_EQ(r.size(), 2u);
  EXPECT_EQ(r[0].size(), 73u);
  EXPECT_EQ(r[1], "    4.00000000000000     ");

  // A long text goes on in pieces of 79 characters after the leading blank
  // (78 on the console, whose records are 79 long).
  std::string longtext(200, 'x');
  std::vector<Item> d = {"Error opening LSTDAT:", longtext};
  r = free_records(d, 80);
  ASSERT_EQ(r.size(), 4u);
  EXPECT_EQ(r[0], " Error opening LSTDAT:");
  EXPECT_EQ(r[1], " " + std::string(79, 'x'));
  EXPECT_EQ(r[2], " " + std::string(79, 'x'));
  EXPECT_EQ(r[3], " " + std::string(42, 'x'));
  r = free_records(d, 79);
  ASSERT_EQ(r.size(), 4u);
  EXPECT_EQ(r[1].size(), 79u);
  EXPECT_EQ(r[3], " " + std::string(200 - 2 * 78, 'x'));
}

struct FieldCase {
  const char* layout;
  std::vector<Item> items;
  const char* text;
};

TEST(Layout, Fields) {
  const FieldCase cases[] = {
      {"(I4)", {-5}, "  -5"},
      {"(I3)", {0}, "  0"},
      {"(I1)", {0}, "0"},
      {"(I3)", {999}, "999"},
      {"(I3)", {1000}, "***"},
      {"(I3)", {-99}, "-99"},
      {"(I3)", {-100}, "***"},
      {"(I6.4)", {-7}, " -0007"},
      {"(I5.4)", {-7}, "-0007"},
      {"(I4.4)", {-7}, "****"},
      {"(I3.0)", {0}, "  0"},
      {"(I10)", {2021196}, "   2021196"},
      {"(I20)", {-9223372036854775807LL - 1}, "-9223372036854775808"},
      {"(I19)", {-9223372036854775807LL - 1}, "*******************"},
      {"(I2.2)", {5}, "05"},
      {"(I2.2)", {100}, "**"},
      {"(I4.4)", {530}, "0530"},
      {"(I)", {7}, "           7"},
      {"(F6.4)", {0.5}, "0.5000"},
      {"(F5.4)", {0.5}, ".5000"},
      {"(F6.4)", {-0.5}, "-.5000"},
      {"(F6.4)", {10.0}, "******"},
      {"(F6.4)", {9.99996}, "******"},  // rounds to 10.0000
      {"(F)", {0.02}, "       0.0200000000000000"},
      {"(F25.16)", {1e8}, "*************************"},
      {"(F10.3)", {-0.0001}, "    -0.000"},
      {"(F13.1)", {500.0}, "        500.0"},
      {"(F10.5)", {4987.65432}, "4987.65432"},
      {"(F5.0)", {12.0}, "  12."},
      {"(F10.3)", {850}, "   850.000"},  // an integer item under F
      {"(E12.6)", {2.5}, "0.250000E+01"},
      {"(E12.6)", {0.0}, "0.000000E+00"},
      {"(E12.6)", {-2.5}, "-.250000E+01"},
      {"(E12.6)", {1273.15}, "0.127315E+04"},
      {"(E12.6)", {1e100}, "0.100000+101"},
      {"(E12.6)", {0.000999999951}, "0.100000E-02"},  // mantissa rounds up across a power of ten
      // Exact binary ties at the seventh digit round to an even sixth digit.
      {"(E12.6)", {1234565.0}, "0.123456E+07"},
      {"(E12.6)", {1234575.0}, "0.123458E+07"},
      {"(E12.6)", {-9999995.0}, "-.100000E+08"},
      // 0.1234565 is stored as 0.12345649999999999...: it rounds down.
      {"(E12.6)", {0.1234565}, "0.123456E+00"},
      {"(E12.6)", {5e-324}, "0.494066-323"},  // the smallest subnormal, as exact as any other value
      {"(E12.6)", {1.7976931348623157e308}, "0.179769+309"},
      {"(G15.8)", {12.5}, "  12.500000    "},
      {"(G15.8)", {0.25}, " 0.25000000    "},
      {"(G15.8)", {0.0}, "  0.0000000    "},
      {"(G15.8)", {1e-5}, " 0.10000000E-04"},
      {"(G15.8)", {123456789.0}, " 0.12345679E+09"},
      {"(G15.4)", {7}, "              7"},  // an integer under G is written as I15
      {"(G11.4)", {9999.6}, " 0.1000E+05"},  // rounds to 1.000E4: E form
      {"(G11.4)", {0.099996}, " 0.1000    "},  // rounds up to 0.1000: fixed
      {"(A)", {"abc"}, "abc"},
      {"(A5)", {"abc"}, "  abc"},
      {"(A2)", {"abc"}, "ab"},
      {"(A82)", {"FM,FB,fm_strip,FB_stripped"}, "                                                        FM,FB,fm_strip,FB_stripped"},
      {"('It''s',A)", {"x"}, "It'sx"},
      {"(\"q\",3X,A)", {"x"}, "q   x"},
  };
  for (const FieldCase& c : cases) EXPECT_EQ(Layout(c.layout).text(c.items), c.text) << c.layout;
}

// The E and G fields take the digits of the value correctly rounded (an exact
// tie to an even digit) from however they are formed: compared with the
// correctly rounded digits of the C library's printf over random doubles of
// every exponent, decimal ties of each digit count and their two neighbours.
TEST(Fields, EDigitsAgreeWithPrintfOverRandomValues) {
  // E(d+6).d from printf's %.(d-1)e: "0." and the d digits, then E and a
  // two-digit exponent (one more than printf's) or, beyond 99, a sign and
  // three digits; a negative value loses its leading zero.
  auto reference = [](double v, int d) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*e", d - 1, std::fabs(v));
    std::string digits;
    const char* p = buf;
    for (; *p != 'e'; ++p)
      if (*p != '.') digits.push_back(*p);
    const int e = v == 0 ? 0 : std::atoi(p + 1) + 1;
    const int ae = e < 0 ? -e : e;
    char exp[16];
    if (ae <= 99) std::snprintf(exp, sizeof exp, "E%c%02d", e < 0 ? '-' : '+', ae);
    else std::snprintf(exp, sizeof exp, "%c%03d", e < 0 ? '-' : '+', ae);
    return std::string(std::signbit(v) ? "-." : "0.") + digits + exp;
  };
  std::mt19937_64 gen(20240611);
  std::string out;
  long compared = 0, differ = 0;
  auto check = [&](double v, int d) {
    out.clear();
    put_E(out, v, d + 6, d);
    ++compared;
    if (out != reference(v, d) && ++differ <= 10) ADD_FAILURE() << std::hexfloat << v << " E" << d + 6 << "." << d;
  };
  for (int i = 0; i < 150000; ++i) {
    const int d = 1 + static_cast<int>(gen() % 9);
    const std::uint64_t bits = gen();
    double v = 0;
    std::memcpy(&v, &bits, sizeof v);
    if (std::isfinite(v)) check(v, d);
    // Uniform in the logarithm over the magnitudes of the model files' values
    // and beyond (1e-11 to 1e11), and the two neighbours of a power of ten.
    const double x = std::pow(10.0, -11.0 + 22.0 * static_cast<double>(gen() >> 11) * 0x1.0p-53);
    const double ten = std::pow(10.0, static_cast<int>(gen() % 23) - 11);
    for (double y : {x, -x, std::nextafter(ten, 0.0), std::nextafter(ten, 1e308)}) check(y, d);
    // A decimal of d+1 digits ending in 5, its neighbours, and exact binary halves.
    const double m = static_cast<double>(gen() % static_cast<std::uint64_t>(std::pow(10, d))) * 10 + 5;
    const double t = m * std::pow(10.0, static_cast<int>(gen() % 41) - 20);
    for (double x : {t, std::nextafter(t, 0.0), std::nextafter(t, 1e308), -t, m, m / 2, m / 1024}) check(x, d);
  }
  EXPECT_EQ(differ, 0) << "of " << compared;
}

TEST(Layout, RecordsOfTheModelFiles) {
  // An hour of the AERMOD hourly emission file: the trailing TR1 writes nothing.
  Layout houremis("(A,4(TR1,I3),TR1,A12,3(E12.6,TR1))");
  EXPECT_EQ(houremis.text({"SO HOUREMIS", 21, 7, 15, 13, "SOURCE1     ", 2.5, 1273.15, 20.5}),
            "SO HOUREMIS  21   7  15  13 SOURCE1     0.250000E+01 0.127315E+04 0.205000E+02");
  // The flare-file time line (38 columns).
  Layout timeline("2(TR3,I4,TR1,I3,TR1,I2,TR1,I4)");
  EXPECT_EQ(timeline.text({2021, 196, 0, 0, 2021, 196, 0, 1800}), "   2021 196  0    0   2021 196  0 1800");
  // Internal write of a file name.
  EXPECT_EQ(Layout("('\\',A,'_',I2.2,'.DAT')").text({"FLARE", 3}), "\\FLARE_03.DAT");
  EXPECT_EQ(Layout("(A,'_','MOD','_',I2.2,'.INX')").text({"FLARE", 3}), "FLARE_MOD_03.INX");
  // Literals before the first data descriptor are written even without items;
  // a layout with no item left stops at its next data descriptor.
  EXPECT_EQ(Layout("('CO STARTING')").text({}), "CO STARTING");
  EXPECT_EQ(Layout("(10F12.3)").text({}), "");
  EXPECT_EQ(Layout("('ME SURFDATA  00011111 ',I4,' ONSITE')").text({1988}), "ME SURFDATA  00011111 1988 ONSITE");
}

// The one-record path appends to what the buffer holds; columns, TR and X
// count from the record's own start. Layouts that make more than one record,
// or hold theirs open, are refused.
TEST(Layout, OneRecordAppendedToABuffer) {
  const Layout houremis("(A,4(TR1,I3),TR1,A12,3(E12.6,TR1))");
  std::string buf = "before\r\n";
  houremis.append({"SO HOUREMIS", 21, 7, 15, 13, "SOURCE1     ", 2.5, 1273.15, 20.5}, buf);
  EXPECT_EQ(buf, "before\r\nSO HOUREMIS  21   7  15  13 SOURCE1     0.250000E+01 0.127315E+04 0.205000E+02");
  buf = "xyz";
  Layout("(TR2,I3,3X,'a')").append({5}, buf);
  EXPECT_EQ(buf, "xyz    5   a");
  EXPECT_THROW(Layout("(I3/I3)").append({1, 2}, buf), std::invalid_argument);
  EXPECT_THROW(Layout("(2I3)").append({1, 2, 3}, buf), std::invalid_argument);
  EXPECT_THROW(Layout("(I3,$)").append({1}, buf), std::invalid_argument);
}

TEST(Layout, SlashesAndReversion) {
  Layout grday("(//TR2,'ERROR in SUBR. GRDAY -- invalid Julian day '//TR2,'iyr = ',I5,TR3,'ijul = ',I5)");
  EXPECT_EQ(grday.text({2021, 400}),
            "\n\n  ERROR in SUBR. GRDAY -- invalid Julian day \n\n  iyr =  2021   ijul =   400");
  // Items left after the last descriptor: a new record, again from the last
  // top-level group with its repeat count.
  EXPECT_EQ(Layout("(A,2(F5.1))").text({"x", 1.0, 2.0, 3.0, 4.0, 5.0}), "x  1.0  2.0\n  3.0  4.0\n  5.0");
  // Without a group the layout starts again from its beginning.
  EXPECT_EQ(Layout("(2I3)").text({1, 2, 3}), "  1  2\n  3");
  // Ten rates fill the group; an eleventh starts it again on a new record.
  Layout rates("(A,10(TR1,G15.8))");
  std::vector<Item> eleven = {"'S'", 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 2.0};
  const std::string t = rates.text(eleven);
  EXPECT_EQ(t.substr(t.find('\n') + 1), "   2.0000000    ");
}

TEST(Layout, HoldKeepsTheRecordOpen) {
  std::vector<std::string> out;
  bool hold = false;
  Layout("('''',A,'''','   ',$)").apply(std::vector<Item>{"SO2"}, out, hold);
  EXPECT_TRUE(hold);
  ASSERT_EQ(out.size(), 1u);
  EXPECT_EQ(out[0], "'SO2'   ");
}

TEST(Layout, NotANumberIsNeverSilent) {
  EXPECT_EQ(Layout("(F10.3)").text({std::numeric_limits<double>::quiet_NaN()}), "       NaN");
  EXPECT_EQ(free_real(std::numeric_limits<double>::infinity()), "                Infinity");
}

TEST(Layout, BadLayoutsAreRefused) {
  EXPECT_THROW(Layout("(I4"), std::invalid_argument);
  EXPECT_THROW(Layout("(Q4)"), std::invalid_argument);
  EXPECT_THROW(Layout("('x')").text({1}), std::invalid_argument);  // no descriptor for the item
  EXPECT_THROW(Layout("(I4)").text({1.5}), std::invalid_argument);
}

}  // namespace
}  // namespace quelmar::io
