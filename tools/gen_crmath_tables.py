#!/usr/bin/env python3
"""Writes src/common/crmath_tables.cpp, the tables of the correctly rounded
elementary functions (src/common/crmath.cpp).

Usage: tools/gen_crmath_tables.py [OUTPUT_CPP]

Needs python3-gmpy2 (MPFR). Every value is computed with 400-bit MPFR
arithmetic and written as C++ hexadecimal floating literals, so that the
compiler reads each double exactly. A value in two parts is hi = RN(v) and
lo = RN(v - hi), round to nearest. The test tests/common/crmath_test.cpp checks
the committed file against MPFR entry by entry, so this script is only needed
to make the file anew.
"""
import sys

import gmpy2
from gmpy2 import mpfr

gmpy2.get_context().precision = 400
gmpy2.get_context().round = gmpy2.RoundToNearest

PI = gmpy2.const_pi()
LN2 = gmpy2.const_log2()


def rn(v, bits=53):
    """v rounded to nearest to `bits` significant bits, as a Python float."""
    return float(mpfr(v, bits))


def hx(d):
    if d == 0:
        return "0.0"
    return d.hex()


def split2(v):
    hi = rn(v)
    lo = rn(v - mpfr(hi))
    return hi, lo


def split3(v, bits):
    """Two parts of `bits` bits (so that an integer of 53 - bits bits times
    either is exact) and a third rounded to 53 bits."""
    p1 = rn(v, bits)
    p2 = rn(v - mpfr(p1), bits)
    p3 = rn(v - mpfr(p1) - mpfr(p2))
    return p1, p2, p3


def log_table():
    """For the 10 bits of the significand m in [1, 2) after its leading bit:
    C = 2048/m rounded at the middle of the interval, and ln(2048/C). The
    first interval takes C = 2048 (factor 1), the last C = 1024 (factor 1/2)
    with ln 2 in the parts LN2_HI + LN2_LO, so that next to 1 the logarithm is
    formed from x - 1 alone."""
    ln2_hi = rn(LN2, 42)
    ln2_lo = rn(LN2 - mpfr(ln2_hi))
    rows = []
    for i in range(1024):
        mid = 1 + (mpfr(i) + 0.5) / 1024
        c = int(gmpy2.rint(2048 / mid))
        if i == 0:
            c = 2048
        if i == 1023:
            rows.append((1024, ln2_hi, ln2_lo))
            continue
        hi, lo = split2(gmpy2.log(mpfr(2048) / c))
        rows.append((c, hi, lo))
    # Every significand of an interval is brought within 2^-10 of 1.
    from fractions import Fraction as F
    for i, (c, _, _) in enumerate(rows):
        for m in (1 + F(i, 1024), 1 + F(i + 1, 1024) - F(1, 2**52)):
            assert abs(m * F(c, 2048) - 1) < F(1, 1024), i
    return rows


def main():
    out = []
    w = out.append
    w("// Tables of the correctly rounded elementary functions: written by")
    w("// tools/gen_crmath_tables.py, checked against MPFR by tests/common/crmath_test.cpp.")
    w("// Do not edit by hand.")
    w('#include "common/crmath_tables.hpp"')
    w("")
    w("namespace quelmar::crmath::tables {")
    w("")
    rows = log_table()
    w("// log: for the 10 bits of the significand after its leading bit, the factor")
    w("// C/2048 that brings it within 2^-10 of 1, and ln(2048/C) (the last is ln 2")
    w("// in the parts LN2_HI + LN2_LO).")
    w("const std::uint16_t LOG_C[1024] = {")
    for k in range(0, 1024, 12):
        w("    " + " ".join(f"{c}," for c, _, _ in rows[k:k + 12]))
    w("};")
    def dd_table(comment, name, pairs):
        w(comment)
        w(f"const DD {name}[{len(pairs)}] = {{")
        for hi, lo in pairs:
            w(f"    {{{hx(hi)}, {hx(lo)}}},")
        w("};")
        w("")

    w("const DD LOG[1024] = {")
    for c, hi, lo in rows:
        w(f"    {{{hx(hi)}, {hx(lo)}}},")
    w("};")
    w("")
    dd_table("// exp: 2^(j/128), j = 0..127.", "EXP2", [split2(gmpy2.exp2(mpfr(j) / 128)) for j in range(128)])
    # sin(j pi/256) is exactly 0 for j = 0 and 256.
    dd_table("// sin and cos: sin(j*pi/256), j = 0..511 (cos is sin a quarter turn on).", "SIN",
             [(0.0, 0.0) if j % 256 == 0 else split2(gmpy2.sin(PI * j / 256)) for j in range(512)])
    dd_table("// atan: atan(j/256), j = 0..256.", "ATAN", [split2(gmpy2.atan(mpfr(j) / 256)) for j in range(257)])
    ln2_1 = rn(LN2, 42)
    w("// ln 2 in a 42-bit head (times an exponent of up to 11 bits it is exact) and a tail.")
    w(f"const double LN2_HI = {hx(ln2_1)};")
    w(f"const double LN2_LO = {hx(rn(LN2 - mpfr(ln2_1)))};")
    e1 = rn(LN2 / 128, 35)
    e2 = rn(LN2 / 128 - mpfr(e1))
    w("// ln(2)/128 in a 35-bit head and a tail; 128/ln 2 rounded.")
    w(f"const double LN2_128[2] = {{{hx(e1)}, {hx(e2)}}};")
    w(f"const double INV_LN2_128 = {hx(rn(128 / LN2))};")
    p1, p2, p3 = split3(PI / 256, 30)
    w("// pi/256 in two 30-bit parts and a third; 256/pi rounded.")
    w(f"const double PI_256[3] = {{{hx(p1)}, {hx(p2)}, {hx(p3)}}};")
    w(f"const double INV_PI_256 = {hx(rn(256 / PI))};")
    h, l = split2(PI)
    w(f"const DD PI = {{{hx(h)}, {hx(l)}}};")
    h, l = split2(PI / 2)
    w(f"const DD PI_HALF = {{{hx(h)}, {hx(l)}}};")
    w("")
    w("}  // namespace quelmar::crmath::tables")
    text = "\n".join(out) + "\n"
    if len(sys.argv) > 1:
        with open(sys.argv[1], "w") as f:
            f.write(text)
    else:
        sys.stdout.write(text)


if __name__ == "__main__":
    main()
