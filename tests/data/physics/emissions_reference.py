#!/usr/bin/env python3
"""Reference numbers of the flare step, computed independently of the C++ code.

Everything the flare step needs is written out again here from the flare
model's formulas: the species table (descriptive columns, NASA 9-coefficient
sets read from the coefficient file, the table's own rows for methane, helium,
krypton, the constant low range of argon, neon and xenon, and the built-in dry
air), the start-up of the table, the mixture sums, heat capacities and
enthalpies, the temperature solve, the real-gas factor, the speed of sound,
the wind profile, the three flare correlations and the step itself. The
arithmetic follows the formulas as written, left to right, with whole-number
powers as products and pow() only for fractional exponents, so that the
numbers agree with an implementation that does the same to the last bits.
The elementary functions (pow, exp, log, sin, cos, atan, atan2, cbrt) are
correctly rounded here, as in the program: the exact value from mpmath
(Debian python3-mpmath) at 300 bits, rounded to the nearest double, ties to
even; square roots and the arithmetic are IEEE operations already.

Run:  /usr/bin/python3 emissions_reference.py            prints the expected values
      /usr/bin/python3 emissions_reference.py --log DIR   also writes the expected debug
                                                 log of the logged case to DIR
The cases and their inputs are the same as in tests/physics/emissions_test.cpp.
"""
import csv
import math
import os
import sys

import mpmath

HERE = os.path.dirname(os.path.abspath(__file__))
NASA_CSV = os.environ.get("NASA9_CSV", os.path.join(HERE, "..", "..", "..", "data", "nasa9", "nasa9.csv"))

R = 8.31446261815324
G = 9.80665
PI = 3.141592653589793
NS = 29
H2O, H2, HE, N2, CO2, H2S, CH4 = 1, 2, 3, 4, 5, 6, 7
CO, AR, O2, NE, KR, N2O, XE, SO2, AIR = 16, 18, 19, 20, 21, 22, 23, 24, 29


# ---- correctly rounded elementary functions ----

mpmath.mp.prec = 300


def _rn(v):
    """The double nearest to the mpmath number v (normal range), ties to even."""
    if v == 0:
        return 0.0
    m, e = mpmath.frexp(v)  # v = m 2^e, 1/2 <= |m| < 1
    q = mpmath.ldexp(m, 53)
    f = mpmath.floor(q)
    r = q - f
    if r > 0.5 or (r == 0.5 and int(f) % 2 == 1):
        f += 1
    return float(mpmath.ldexp(f, e - 53))


class crm:
    """pow, exp, log, sin, cos, atan, atan2 and cbrt, correctly rounded."""

    @staticmethod
    def pow(x, y):
        return _rn(mpmath.power(mpmath.mpf(x), mpmath.mpf(y)))

    @staticmethod
    def exp(x):
        return _rn(mpmath.exp(mpmath.mpf(x)))

    @staticmethod
    def log(x):
        return _rn(mpmath.log(mpmath.mpf(x)))

    @staticmethod
    def sin(x):
        return _rn(mpmath.sin(mpmath.mpf(x)))

    @staticmethod
    def cos(x):
        return _rn(mpmath.cos(mpmath.mpf(x)))

    @staticmethod
    def atan(x):
        return _rn(mpmath.atan(mpmath.mpf(x)))

    @staticmethod
    def atan2(y, x):
        return _rn(mpmath.atan2(mpmath.mpf(y), mpmath.mpf(x)))

    @staticmethod
    def cbrt(x):
        return math.copysign(_rn(mpmath.cbrt(abs(mpmath.mpf(x)))), x)

NO = -9999.0
# columns 1, 2, 3, 6, 7, 8, 9, 10, 11, 12, 13, 32, 33, 34, 35 of the species table
DESC_COLS = [1, 2, 3, 6, 7, 8, 9, 10, 11, 12, 13, 32, 33, 34, 35]
DESC = [
    [18.0153, 0, 0, 0, 0, 0, 1, 1, 1000000, 0, 0, 1, NO, 1, NO],
    [2.01588, 10.223, 12.102, 5e-7, 0.5, 0, 1, 1, 4, 1, 400, 1, NO, NO, 1],
    [4.0026, 0, 0, 5.2e-6, 0, 0, 1, 0, 1000000, 0, 0, 1, NO, NO, 1],
    [28.01348, 0, 0, 0.7808509, 0, 0, 1, 0, 1000000, 0, 0, 1, NO, 1, 1],
    [44.0095, 0, 0, 0.0004, 0, 1, 1, 0, 1000000, 0, 0, 1, NO, 1, 1],
    [34.0809, 21.905, 23.784, 0, 1.5, 0, 2, 1, 4.3, 1, 260, 1, NO, NO, NO],
    [16.0425, 33.95, 37.706, 1.5e-6, 2, 1, 3, 2, 5, 1, 537, 1, 1, NO, 1],
    [30.069, 60.43, 66.067, 0, 3.5, 2, 5, 3, 2.9, 1, 515, 1, 1, NO, NO],
    [44.0956, 86.42, 93.934, 0, 5, 3, 7, 4, 2, 1, 466, 1, 1, NO, NO],
    [58.1222, 112, 121.4, 0, 6.5, 4, 9, 5, 1.8, 1, 405, 1, 1, NO, NO],
    [58.1222, 112.4, 121.79, 0, 6.5, 4, 9, 5, 1.5, 1, 405, 1, 1, NO, NO],
    [72.1488, 138.1, 149.36, 0, 8, 5, 11, 6, 1.3, 1, 258, 1, 1, NO, NO],
    [72.1488, 138.4, 149.65, 0, 8, 5, 11, 6, 1.4, 1, 258, 1, 1, NO, NO],
    [86.1754, 164.39, 177.55, 0, 9.5, 6, 13, 7, 1.1, 1, 223, 1, 1, NO, NO],
    [100.2019, 190.39, 205.42, 0, 11, 7, 15, 8, 1, 1, 223, 1, 1, NO, NO],
    [28.0101, 11.965, 11.965, 2e-7, 0.5, 1, 1, 0, 12.5, 1, 609, 1, NO, NO, 1],
    [17.0305, 13.401, 16.22, 0, 0.75, 0, 2, 1.5, 15.5, 1, 630, 1, NO, NO, NO],
    [39.948, 0, 0, 0.009332, 0, 0, 1, 0, 1000000, 0, 0, 1, NO, 1, 1],
    [31.9988, 0, 0, 0.20939, 0, 0, 0, 0, 1000000, 0, 0, 1, NO, 1, NO],
    [20.1797, 0, 0, 1.82e-5, 0, 0, 1, 0, 1000000, 0, 0, 1, NO, 1, 1],
    [83.8, 0, 0, 1.1e-6, 0, 0, 1, 0, 1000000, 0, 0, 1, NO, 1, 1],
    [44.0128, 0, 0, 3e-7, 0, 0, 1, 0, 1000000, 0, 0, 1, NO, 1, 1],
    [131.293, 0, 0, 1e-7, 0, 0, 1, 0, 1000000, 0, 0, 1, NO, 1, 1],
    [64.0638, 0, 0, 0, 0, 0, 0, 0, 1000000, 0, 0, 1, NO, NO, NO],
    [32.066, 0, 0, 0, 0, 0, 0, 0, 1000000, 0, 0, NO, NO, NO, NO],
    [60.0751, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, NO, NO, NO],
    [76.1407, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, NO, NO, NO],
    [70.906, 23.967, 23.967, 0, 0, 0, 0, 0, 0, 0, 0, 1, NO, NO, NO],
    [28.965191095, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, NO, 1, NO],
]


def mono(b2, b1=-745.375):
    return [0.0, 0.0, 2.5, 0.0, 0.0, 0.0, 0.0, b1, b2]


OWN_ROWS = {  # species: (low range or None, high range or None)
    CH4: ([-176685.0998, 2786.18102, -12.0257785, 0.0391761929, -3.61905443e-5, 2.026853043e-8,
           -4.97670549e-12, -23313.1436, 89.0432275],
          [3730042.76, -13835.01485, 20.49107091, -0.001961974759, 4.72731304e-7, -3.72881469e-11,
           1.623737207e-15, 75320.6691, -121.9124889]),
    HE: (mono(0.928723974), mono(0.928723974)),
    KR: (mono(5.49095651), mono(5.48439715, -740.348894)),
    AR: (mono(4.37967491), None),
    NE: (mono(3.35532272), None),
    XE: (mono(6.164454205), None),
    AIR: ([10106.332909, -196.91805911, 5.0094900186, -0.005761147458, 1.0668611586e-5, -7.9401668737e-9,
           2.1851598841e-12, -180.19894259, -4.4905906159],
          [241631.90567, -1258.2576423, 5.1451269667, -0.00021398036607, 7.0673632125e-8, -1.0716971258e-11,
           6.5791170497e-16, 6460.7641549, -8.7183368481]),
}


class Const:
    pass


def build_table():
    P = [[0.0] * (NS + 1) for _ in range(36)]  # P[j][i], 1-based
    for i in range(1, NS + 1):
        for m, j in enumerate(DESC_COLS):
            P[j][i] = float(DESC[i - 1][m])
    with open(NASA_CSV) as f:
        rows = [r for r in csv.reader(line for line in f if not line.startswith("#"))]
    for r in rows[1:]:
        i = int(r[0])
        base = 13 if r[2] == "low" else 22
        for k in range(9):
            P[base + 1 + k][i] = float(r[5 + k])
    for i, (low, high) in OWN_ROWS.items():
        if low is not None:
            for k in range(9):
                P[14 + k][i] = low[k]
        if high is not None:
            for k in range(9):
                P[23 + k][i] = high[k]
    return P


PROP = build_table()
C = Const()


def in_mix(i):
    return PROP[32][i] > 0


def byprop(mix, ip, iflag, ip2=None):
    s = 0.0
    for i in range(1, NS + 1):
        if PROP[iflag][i] > 0:
            if ip2 is None:
                s = s + mix[i] * PROP[ip][i]
            else:
                s = s + mix[i] * PROP[ip][i] * PROP[ip2][i]
    return s


def molarmass(m):
    return byprop(m, 1, 32)


def irenormalize(m):
    s = 0.0
    for i in range(1, NS + 1):
        if in_mix(i):
            s = s + m[i]
    for i in range(1, NS + 1):
        if in_mix(i):
            m[i] = m[i] / s


def inormalize(a, b, r, out):
    for i in range(1, NS + 1):
        if in_mix(i):
            out[i] = (r * b[i] + a[i]) / (r + 1)


def calc_lfl(m):
    s = t = 0.0
    for i in range(1, NS + 1):
        if PROP[11][i] > 0:
            s = s + m[i] / PROP[11][i] * PROP[12][i]
            t = t + m[i] * PROP[12][i]
    return 0.01 / (s / t) if s > 0 else s


def calc_autoig(m):
    s = t = 0.0
    for i in range(1, NS + 1):
        if PROP[13][i] > 0:
            s = s + m[i] * PROP[13][i] * PROP[12][i]
            t = t + m[i] * PROP[12][i]
    return s / t + 273.15 if t > 0 else s + 273.15


def mk_coeff(m):
    c = [0.0] * 19
    for k in range(1, 19):
        s = 0.0
        for i in range(1, NS + 1):
            s = s + m[i] * PROP[13 + k][i]
        c[k] = s
    return c


def species_coeff(i):
    return [0.0] + [PROP[13 + k][i] for k in range(1, 19)]


def cp_coeff(c, T):
    o = 9 if T > 1000.0 else 0
    s = 0.0
    for k in range(1, 8):
        s = s + c[k + o] * crm.pow(T, float(k - 3))
    return s * R


def hf1_coeff(c, T):
    o = 9 if T > 1000.0 else 0
    a1, a2, a3, a4, a5, a6, a7, b1 = (c[o + k] for k in range(1, 9))
    d = 0.0
    d = d - 1.0 / (T * T) * a1
    d = d + crm.log(T) * a2 / T
    d = d + a3
    d = d + T * a4 / 2
    d = d + T * T * a5 / 3
    d = d + T * T * T * a6 / 4
    d = d + T * T * T * T * a7 / 5
    return (d + b1 / T) * R * T


def calc_cp(i, T):
    return cp_coeff(species_coeff(i), T)


def calc_hf(i, T):
    c = species_coeff(i)
    return hf1_coeff(c, T) - hf1_coeff(c, C.TREF)


def hfbar(m, T):
    s = 0.0
    for i in range(1, NS + 1):
        s = s + calc_hf(i, T) * m[i]
    return s


def hf1mix(m, T):
    return hf1_coeff(mk_coeff(m), T)


def cpmix(T, m):
    return cp_coeff(mk_coeff(m), T)


def cp_ave_mix(T1, T2, m):
    if T2 == T1:
        return cpmix(T1, m)
    return (hf1mix(m, T2) - hf1mix(m, T1)) / (T2 - T1)


def rtsafe(funcd, x1, x2, xacc):
    fl, _ = funcd(x1)
    fh, _ = funcd(x2)
    if fl * fh >= 0:
        return -1.0
    if fl < 0:
        xl, xh = x1, x2
    else:
        xh, xl = x1, x2
    rts = 0.5 * (x1 + x2)
    dxold = abs(x2 - x1)
    dx = dxold
    f, df = funcd(rts)
    for _ in range(100):
        if ((rts - xh) * df - f) * ((rts - xl) * df - f) >= 0 or abs(2.0 * f) > abs(dxold * df):
            dxold = dx
            dx = 0.5 * (xh - xl)
            rts = xl + dx
            if rts == xl:
                return rts
        else:
            dxold = dx
            dx = f / df
            r0 = rts
            rts = rts - dx
            if rts == r0:
                return rts
        if abs(dx) < xacc:
            return rts
        f, df = funcd(rts)
        if f < 0:
            xl = rts
        else:
            xh = rts
    return -1.0


def flametemp(m, H):
    c = mk_coeff(m)

    def funcd(T):
        return hf1_coeff(c, T) - hf1_coeff(c, C.TREF) - H, cp_coeff(c, T)

    return rtsafe(funcd, 200.0, 3000.0, 1e-5)


def rmcroot(a0, a1, a2, a3):
    third = 0.3333333333333333
    a, b, c = a1 / a0, a2 / a0, a3 / a0
    Q = (b - a * a * third) * third
    Rr = (9 * a * b - 2 * (a * a * a) - 27 * c) / 54
    D = Rr * Rr + Q * Q * Q
    if D > 0:
        S = Rr + math.sqrt(D)
        s = math.copysign(crm.pow(abs(S), third), S)
        return s - Q / s - a * third
    phi = math.pi / 2 if Rr == 0 else crm.atan(math.sqrt(-D) / Rr)
    h = crm.cos(phi * third)
    if Rr < 0:
        h = (h - crm.sin(phi * third) * 1.7320508075688772) * 0.5
    x1 = 2 * math.sqrt(-Q) * h - a * third
    p = a + x1
    q = b + p * x1
    best = x1
    if p * p - 4 * q >= 0:
        best = max(best, (-p + math.sqrt(p * p - 4 * q)) / 2, (-p - math.sqrt(p * p - 4 * q)) / 2)
    return best


def fnz(T, P, TC, PC):
    Tr = T / TC
    Pr = P / PC
    A = 0.42747 * Pr / (math.sqrt(Tr) * Tr * Tr)
    B = 0.08664 * Pr / Tr
    return rmcroot(1.0, -1.0, -(B * B + B - A), -(A * B))


def sonic(cp, mw, T, Z):
    return math.sqrt(cp / (cp - R) * R * T * Z * 1000 / mw)


def entrainment(rair, dr, T, P):
    return 2 * rair / (math.sqrt(dr) * (dr + 1)) * (T / C.TREF) * (C.PREF / P)


def carbeff(lhv, U, D, V):
    a = C.CARBA / (lhv * lhv * lhv)
    s = crm.cbrt(G * V * D)
    eta = 1 - a * crm.exp(C.CARBB * U / s)
    return max(C.CCEMIN, eta)


def degrees(x):
    return x * 180 / PI


def calc_xll(x0, sl):
    x = x0
    for _ in range(100):
        r = 1.04 * (x * x) + 2.05 * crm.pow(x, 0.28) - sl
        d = 2.08 * x + 0.574 * crm.pow(x, -0.72)
        x = x - r / d
        if abs(r) < 1e-5:
            break
    return x


def brzflare(m, DJ, UJ, UA, RHOJ, RHOA):
    combfrac = byprop(m, 12, 32)
    CL = calc_lfl(m) / combfrac if combfrac > 0 else 0
    Rv = 110.0 if UA == 0 else min(110.0, UJ / UA)
    P = CL * Rv * (molarmass(m) / PROP[1][AIR])
    SL = 2.04 * crm.pow(P, -1.03) if P < 0.5 else 2.51 * crm.pow(P, -0.625)
    if P < 0.5 or SL > 2.35:
        xb = SL - 1.65
    else:
        xb = calc_xll(crm.pow(SL / 2.05, 3.571428571428571), SL)
    zb = 2.05 * crm.pow(xb, 0.28)
    L = DJ * math.sqrt(RHOJ / RHOA * (Rv * Rv))
    XL = xb * L
    ZL = zb * L
    return XL, ZL, degrees(crm.atan2(ZL, XL))


PLX0 = [0.07, 0.07, 0.10, 0.15, 0.35, 0.55]


def wsstkht(uref, zref, ipg, hs):
    if hs >= 10:
        return uref * crm.pow(hs / zref, PLX0[ipg - 1])
    if zref > 10:
        return uref * crm.pow(10 / zref, PLX0[ipg - 1])
    return uref


def setup():
    C.ETATARGET, C.CCEMIN, C.FRAD = 0.98, 0.5, 0.25
    C.TGAS = C.TAMBH = 278.15
    C.CARBA, C.CARBB = 133.3, 0.317
    C.TREF, C.PREF, C.LAPSE, C.UEMIN = 288.15, 101.325, 0.0065, 1e-5
    C.VM = 8.31446261815324 * C.TREF / C.PREF
    for i in range(1, NS + 1):
        PROP[5][i] = calc_cp(i, C.TREF)
        PROP[4][i] = PROP[5][i] / PROP[1][i]
    air = [0.0] + [PROP[6][i] for i in range(1, NS + 1)]
    irenormalize(air)
    PROP[1][AIR] = molarmass(air)
    c = mk_coeff(air)
    for k in range(1, 19):
        PROP[13 + k][AIR] = c[k]


def plocal(z):
    base = 1 - C.LAPSE * z / C.TREF
    expo = 0.0011794688905797492 * PROP[1][AIR] / C.LAPSE
    return C.PREF * crm.pow(base, expo)


setup()

# ------------------------------------------------------------------ records


def free_real(v):
    if v != 0:
        mant, ex = ("%.14e" % abs(v)).split("e")
        x = int(ex)
        if -1 <= x <= 14:
            return ("%.*f" % (14 - x, v)).rjust(19) + "     "
        mant, ex = ("%.15e" % abs(v)).split("e")
        x = int(ex)
        digits = mant.replace(".", "")
    else:
        digits = "0" * 16
        x = 0
    s = ("-" if v < 0 else "") + digits[0] + "." + digits[1:] + ("E-" if x < 0 else "E+") + "%03d" % abs(x)
    return s.rjust(24)


def free_record(items, width=80):
    out, cur, after_num = [], " ", False
    for it in items:
        if isinstance(it, str):
            text, sep = it, (" " if after_num else "")
        elif isinstance(it, int):
            text, sep = str(it).rjust(12), ""
        else:
            text, sep = free_real(it), ""
        if len(cur) + len(sep) + len(text) <= width:
            cur += sep + text
        else:
            out.append(cur)
            cur = " " + text
        after_num = not isinstance(it, str)
    out.append(cur)
    return out


def fmt_e(v, w, d):
    if v == 0:
        s = "0." + "0" * d + "E+00"
    else:
        # 0.dddd E+xx: the mantissa below 1
        m, ex = ("%.*e" % (d - 1, abs(v))).split("e")
        x = int(ex) + 1
        s = ("-" if v < 0 else "") + "0." + m.replace(".", "") + ("E-" if x < 0 else "E+") + "%02d" % abs(x)
    return s.rjust(w) if len(s) <= w else "*" * w


def fmt_g(v, w, d):
    if isinstance(v, int):
        return str(v).rjust(w)
    if v == 0:
        return ("%.*f" % (d - 1, 0.0)).rjust(w - 4) + "    "
    m, ex = ("%.*e" % (d - 1, abs(v))).split("e")
    x = int(ex)  # rounded value = m * 10^x
    if -1 <= x <= d - 1:
        return ("%.*f" % (d - 1 - x, v)).rjust(w - 4) + "    "
    return fmt_e(v, w, d)


# ------------------------------------------------------------------ the step


def emissions(case):
    inp = dict(case["inp"])
    C.TGAS, C.TAMBH, C.PLOCAL = case["TGAS"], case["TAMBH"], plocal(case["ZCOORD"])
    LOGREC = []
    log = lambda *items: LOGREC.extend(free_record(list(items)))
    CONSOLE = []
    res = {}
    Q, FGR, UREF, IPG = case["Q"], case["FGR"], case["UREF"], case["IPG"]
    MIX = [0.0] * (NS + 1)
    for s, v in case["RAW"].items():
        MIX[s] = v
    FUEL = [0.0] * (NS + 1)
    for s, v in case.get("FUEL", {}).items():
        FUEL[s] = v
    LIFT = [0.0] * (NS + 1)
    for s, v in case.get("LIFT", {}).items():
        LIFT[s] = v
    TREF, PREF, VM, PLOC, TAMBH, TGAS = C.TREF, C.PREF, C.VM, C.PLOCAL, C.TAMBH, C.TGAS
    g = lambda k: inp.get(k, 0)

    # 1
    STEAMMIX = [0.0] * (NS + 1)
    STEAMMIX[H2O] = 1.0
    GCAIR = [0.0] + [PROP[6][i] for i in range(1, NS + 1)]
    irenormalize(GCAIR)
    XINERT = 0.0
    for i in range(1, NS + 1):
        if PROP[35][i] > 0:
            XINERT = XINERT + GCAIR[i]
    O2AIR = 1 - XINERT
    wsST = wsstkht(UREF, g("ZREF"), IPG, g("HS"))
    M_MIX, M_STEAM, M_AIR, M_LIFT, M_FUEL = (molarmass(x) for x in (MIX, STEAMMIX, GCAIR, LIFT, FUEL))
    RHOA = PLOC * M_AIR / (R * TAMBH)
    CPA_MOL = cp_ave_mix(TAMBH, TREF, GCAIR)
    CPA = CPA_MOL / M_AIR
    # 2
    cpa = cpmix(TAMBH, GCAIR)
    k = cpa / (cpa - R)
    Tat = TAMBH * 2 / (k + 1)
    Za = fnz(Tat, PLOC, 132.63, 3785.8)
    C_AIR = sonic(cpa, M_AIR, TAMBH, Za)
    ER_AIR = entrainment(g("RAIRAIR"), 1.0, TAMBH, PLOC)
    steam_on = g("MFASSIST") == 1 and g("MFASSISTSTEAM") == 1
    C_STEAM = ER_STEAM = 0.0
    if steam_on:
        cps = cpmix(g("STM_TEMP"), STEAMMIX)
        ks = cps / (cps - R)
        Tst = g("STM_TEMP") * 2 / (ks + 1)
        Pst = g("STM_PRESS") * crm.pow(2 / (ks + 1), ks / (ks - 1))
        Zs = fnz(Tst, Pst, 647.096, 22064)
        C_STEAM = sonic(cps, M_STEAM, Tst, Zs)
        rhos = PLOC * M_STEAM / (R * Tst * Zs)
        ER_STEAM = entrainment(g("RAIRSTEAM"), RHOA / rhos, Tst, PLOC)
    ER_FUEL = C_FUEL = C_LIFT = 0.0
    if M_FUEL > 0:
        rhof = PLOC * M_FUEL / (R * TGAS)
        ER_FUEL = entrainment(g("RAIRFUEL"), RHOA / rhof, TGAS, PLOC)
        C_FUEL = sonic(cpmix(TREF, FUEL), M_FUEL, TGAS, 1)
    if M_LIFT > 0:
        C_LIFT = sonic(cpmix(TREF, LIFT), M_LIFT, TGAS, 1)
    if g("MLIFTGAS") == 0:
        inp["QLIFTGAS"] = 0
    if g("MFASSIST") == 0:
        inp["STM_FLOW"] = 0
        inp["HPFUEL_FLOW"] = 0
        AIRTOT0 = 0.0
    else:
        AIRTOT0 = g("AIR_FLOW") * (1 + ER_AIR) if g("MFASSISTAIR") == 1 else 0.0
        if g("MFASSISTSTEAM") == 1:
            inp["MFASSISTAIR"] = 1
            AIRTOT0 = AIRTOT0 + ER_STEAM * g("STM_FLOW")
        else:
            inp["STM_FLOW"] = 0
        if g("MFASSISTHPFUEL") == 1:
            inp["MFASSISTAIR"] = 1
            AIRTOT0 = AIRTOT0 + ER_FUEL * g("HPFUEL_FLOW")
        else:
            inp["HPFUEL_FLOW"] = 0
    air_on = g("MFASSIST") == 1 and g("MFASSISTAIR") == 1
    log("wspd10m = ", UREF, "  tamb=", TAMBH, "  zref=", g("ZREF"))
    log("wsST = ", wsST, "   hs=", g("HS"))
    res["config"] = (g("QLIFTGAS"), g("STM_FLOW"), g("HPFUEL_FLOW"), g("MFASSISTAIR"))

    # 3..13
    ENTRAINED = 0.0
    npass = 2 if air_on else 1
    for p in range(1, npass + 1):
        if p == 1:
            AIRTOT, AIREXCESS = 0.0, 0.0
        else:
            AIRTOT = AIRTOT0
            AIREXCESS = max(AIRTOT - 86.4 * ENTRAINED, 0.0)
        # 4
        z = lambda: [0.0] * (NS + 1)
        MIXFUEL, MIXHPFUEL, MIXLIFT, MIXSTEAM, MIXFLARED, MIXASSIST = z(), z(), z(), z(), z(), z()
        if g("MFUELGAS") == 1:
            inormalize(MIX, FUEL, FGR, MIXFUEL)
            QRUN = Q * (FGR + 1)
        else:
            MIXFUEL = list(MIX)
            QRUN = Q
        if g("MFASSISTHPFUEL") == 1:
            inormalize(MIXFUEL, FUEL, g("HPFUEL_FLOW") / QRUN, MIXHPFUEL)
            QRUN = QRUN + g("HPFUEL_FLOW")
        else:
            MIXHPFUEL = list(MIXFUEL)
        if g("MLIFTGAS") == 1:
            inormalize(MIXHPFUEL, LIFT, g("QLIFTGAS") / QRUN, MIXLIFT)
            QRUN = QRUN + g("QLIFTGAS")
        else:
            MIXLIFT = list(MIXHPFUEL)
        if steam_on:
            inormalize(MIXLIFT, STEAMMIX, g("STM_FLOW") / QRUN, MIXSTEAM)
            QRUN = QRUN + g("STM_FLOW")
        else:
            MIXSTEAM = list(MIXLIFT)
        if air_on:
            inormalize(MIXSTEAM, GCAIR, AIREXCESS / QRUN, MIXFLARED)
            QRUN = QRUN + AIREXCESS
            inormalize(MIXSTEAM, GCAIR, AIRTOT / QRUN, MIXASSIST)
        else:
            MIXFLARED = list(MIXSTEAM)
            MIXASSIST = list(MIXSTEAM)
        QFLARE = QRUN
        y = MIXFLARED
        M_FL, M_MS, M_AS = molarmass(MIXFLARED), molarmass(MIXSTEAM), molarmass(MIXASSIST)
        # 5
        vol = lambda q: q * 1000 / 86400
        V_RAW = vol(Q); W_RAW = V_RAW / VM * M_MIX
        V_FUEL = vol((FGR / (FGR + 1)) * (Q * (FGR + 1))); W_FUEL = V_FUEL / VM * M_FUEL
        V_LIFT = vol(g("QLIFTGAS")); W_LIFT = V_LIFT / VM * M_LIFT
        V_STEAM = vol(g("STM_FLOW")); W_STEAM = V_STEAM / VM * M_STEAM
        V_AIR = vol(AIRTOT); W_AIR = V_AIR / VM * M_AIR
        V_XAIR = vol(AIREXCESS); W_XAIR = V_XAIR / VM * M_AIR
        V_HPFUEL = vol(g("HPFUEL_FLOW")); W_HPFUEL = V_HPFUEL / VM * M_FUEL
        QTOT = QFLARE * 1000 / 86400
        W_FLARED = QTOT * M_FL / VM
        # 6
        NHV, GHV = byprop(y, 2, 32), byprop(y, 3, 32)
        LHV = NHV / M_FL * VM
        E_H2SRAW = QTOT * y[H2S] * PROP[1][H2S] / VM * 1000
        ODOUR_FULL = QTOT * (y[H2S] / g("ODOURPPB") * 1e9)
        SO2TPD = QFLARE * y[H2S] / VM * PROP[1][SO2]
        E_SO2FULL = SO2TPD * 1000 * 1000 / 86400
        CO2_GAS = y[CO2] * PROP[1][CO2] / VM * QFLARE
        CO2_FORMED = (byprop(y, 8, 33) + y[CO] * PROP[8][CO]) * PROP[1][CO2] / VM * QFLARE
        log("NHV (MJ/m3)=", NHV)
        log("GHV (MJ/m3)=", GHV)
        # 7
        C_GAS = sonic(cpmix(TREF, MIXFLARED), M_FL, TGAS, 1)
        V_TIP = V_RAW
        if g("MDLIFT") == 0:
            V_TIP = V_TIP + V_LIFT
        if g("MDFUEL") == 0:
            V_TIP = V_TIP + V_FUEL
        U_MAIN = min(V_TIP * 4 / PI / (g("DF") * g("DF")) * TGAS / TREF * PREF / PLOC, C_GAS)
        U_LIFT = U_MAIN
        if g("MDLIFT") == 1:
            U_LIFT = min(V_LIFT * 4 / PI / (g("DLIFT") * g("DLIFT")) * (TGAS / TREF) * (PREF / PLOC), C_LIFT)
        U_FUEL = U_MAIN
        if g("MDFUEL") == 1:
            U_FUEL = min(V_FUEL * 4 / PI / (g("DFUEL") * g("DFUEL")) * (TGAS / TREF) * (PREF / PLOC), C_FUEL)
        U_STEAM = C_STEAM if V_STEAM > 0 else 0.0
        U_AIR = C_AIR if V_AIR > 0 else 0.0
        U_HPFUEL = C_FUEL if V_HPFUEL > 0 else 0.0
        FMTOT = (U_MAIN * W_RAW / (RHOA * PI) + U_LIFT * W_LIFT / (RHOA * PI) + U_FUEL * W_FUEL / (RHOA * PI)
                 + U_STEAM * W_STEAM / (RHOA * PI) + U_AIR * W_AIR / (RHOA * PI)
                 + U_HPFUEL * W_HPFUEL / (RHOA * PI))
        # 8
        combfrac = byprop(y, 12, 32)
        rLFLcomb = calc_lfl(y)
        rLFLflared = rLFLcomb / combfrac if combfrac > 0 else 0
        O2DEM = byprop(y, 7, 32, 12)
        O2LFL = rLFLcomb * O2DEM / combfrac
        REST = 1 - rLFLcomb - O2LFL
        ISFLAMMABLE = 0 if 1 - combfrac > REST else 1
        log("combfrac=", combfrac)
        log("rLFLcomb=", rLFLcomb)
        log("rLFLflared=", rLFLflared)
        log("isFlammable(1=y,0=n)=", ISFLAMMABLE)
        # 9
        N_O2 = (O2LFL - y[O2]) / (O2AIR - O2LFL)
        N_DIL = (1 - rLFLflared) / rLFLflared
        NAIR = max(N_O2, N_DIL)
        O2NET = byprop(y, 7, 32) - y[O2]
        NSTOI = O2NET / O2AIR
        EA = (NAIR - NSTOI) / NSTOI
        NPROD = byprop(y, 9, 32)
        WATER = byprop(y, 10, 32)

        def exhaust(NA, E):
            P = NPROD + NA / (E + 1) * (XINERT + E) + NA * GCAIR[H2]
            D = P - WATER - NA * GCAIR[H2]
            n = [0.0] * (NS + 1)
            n[H2O] = P - D + NA * GCAIR[H2]
            n[O2] = NA * O2AIR + y[O2] - O2NET
            for s in (AR, N2, HE, NE, KR, N2O, XE):
                n[s] = y[s] + NA * GCAIR[s]
            n[CO2] = byprop(y, 8, 32) + NA * (GCAIR[CO2] + GCAIR[CH4] + GCAIR[CO])
            n[SO2] = y[H2S]
            return P, [v / P for v in n]

        PRODUCTS, MIX_EXHAUST = exhaust(NAIR, EA)
        PRODUCTS_X, XX = exhaust(max(N_O2, NSTOI), 0.0)
        QEXH = QTOT * PRODUCTS if NHV > 0 else QTOT
        MWEXH = molarmass(MIX_EXHAUST) if NHV > 0 else M_FL
        MR = PRODUCTS * MWEXH / M_FL
        AIRM = N_DIL * PROP[1][AIR] / M_MS
        MWX = molarmass(XX)
        MRX = PRODUCTS_X * MWX / M_MS
        # 10
        def hflow(W, X, T):
            return W / molarmass(X) * (hf1mix(X, T) - hf1mix(X, TREF))

        h = [hflow(W_RAW, MIX, TGAS)]
        h.append(hflow(W_LIFT, LIFT, TGAS) if g("MLIFTGAS") == 1 else 0.0)
        h.append(hflow(W_FUEL, FUEL, TGAS) if g("MFUELGAS") == 1 else 0.0)
        st = xa = hp = 0.0
        if g("MFASSIST") == 1:
            if g("MFASSISTSTEAM") == 1:
                st = hflow(W_STEAM, STEAMMIX, g("STM_TEMP"))
            if g("MFASSISTAIR") == 1:
                xa = hflow(W_XAIR, GCAIR, TAMBH)
            if g("MFASSISTHPFUEL") == 1:
                hp = hflow(W_HPFUEL, FUEL, TGAS)
        H_STREAMS = h[0] + h[1] + h[2] + st + xa + hp
        T_MIX = flametemp(MIXFLARED, H_STREAMS / W_FLARED * M_FL)
        assert T_MIX > 0
        # 11
        DEN_MIX = PLOC * M_AS / (R * T_MIX)
        total_m = W_RAW + W_FUEL + W_LIFT + W_STEAM + W_AIR + W_HPFUEL
        A = g("DS") * g("DS")
        if g("MDLIFT") == 1:
            A = A + g("DLIFT") * g("DLIFT")
        if g("MDFUEL") == 1:
            A = A + g("DFUEL") * g("DFUEL")
        ue = total_m / DEN_MIX * 4 / (PI * A)
        C_MIX = sonic(cpmix(TREF, MIXFLARED), M_AS, T_MIX, 1)
        ue = min(ue, C_MIX)
        dia_eff = math.sqrt(total_m * 4 / (PI * ue * DEN_MIX))
        log("total_m=", total_m)
        log("ue=", ue)
        log("den_mix=", DEN_MIX)
        log("dia_eff=", dia_eff)
        # 12
        CCE = carbeff(LHV, wsST, dia_eff, ue)
        RV = min(110.0, ue / wsST) if wsST != 0 else 110.0
        FS = min(0.9, max(0.1, 0.5 - 0.0869 * crm.log(DEN_MIX / RHOA * (RV * RV))))
        FS_CLAMPED = FS
        FSTRIP = (1 - CCE) * FS
        FRESID = (1 - CCE) * (1 - FS)
        if g("MSTRIP") in (3, 5):
            FS = 1.0
        COMBEFF = CCE / (CCE + FSTRIP + FRESID)
        log("conv eff=", CCE)
        log("comb eff=", COMBEFF)
        log("cold fraction,fs=", FS)
        # 13
        ENTRAINED = QTOT * N_DIL * (PREF / PLOC) * (TAMBH / TREF) * COMBEFF
    # 14
    FM_STRIP = FMTOT * FSTRIP
    FM = FMTOT - FM_STRIP
    e_co2 = CO2_GAS + CO2_FORMED * CCE + (1 - CCE) * y[CH4] * QFLARE * PROP[1][CH4] / VM * 25
    e_h2s = FSTRIP * E_H2SRAW
    e_so2 = E_SO2FULL * (CCE + FRESID)
    e_ou = QTOT * FSTRIP * (y[H2S] / g("ODOURPPB") * 1e9)
    log("e_co2=", e_co2, " t/d")
    log("e_so2=", e_so2, E_SO2FULL, " g/s")
    log("e_h2s=", e_h2s, " g/s as unoxydized raw H2S stripped")
    log("e_ou=", e_ou, " OU/s stripped")
    # 15
    if T_MIX != TREF:
        CPG_MOL = (hfbar(MIXFLARED, T_MIX) - hfbar(MIXFLARED, TREF)) / (T_MIX - TREF)
    else:
        CPG_MOL = byprop(MIXFLARED, 5, 32)
    CPG = CPG_MOL / M_FL
    # 16
    W_STRIP = W_FLARED * FSTRIP
    W_STRIPAIR = W_STRIP * AIRM
    W_STRIPTOT = W_STRIP + W_STRIPAIR
    AIT = calc_autoig(MIXFLARED) if W_FLARED > 0 else 10000
    TSTRIP = 0.5 * (AIT + TGAS)
    dh = hf1mix(MIXFLARED, TSTRIP) - hf1mix(MIXFLARED, TAMBH)
    cg = dh / (TSTRIP - TAMBH) if (dh > 0 and TSTRIP != TAMBH) else cpmix(TREF, MIXFLARED)
    cg = cg / M_MS
    da = calc_hf(AIR, TSTRIP) - calc_hf(AIR, TAMBH)
    ca = da / (TSTRIP - TAMBH) if (da > 0 and TSTRIP != TAMBH) else cpmix(TREF, GCAIR)
    ca = ca / M_AIR
    CP_STRIP = (W_STRIP * cg + W_STRIPAIR * ca) / W_STRIPTOT
    MW_STRIP = (M_MS + M_AIR * N_DIL) / (N_DIL + 1)
    FB_STRIPPED = (81.53702483431246 / (PI * PLOC * M_AIR)
                   * ((CP_STRIP / CPA) * (TSTRIP - TAMBH) - (1 - M_AIR / MW_STRIP) * TAMBH) * W_STRIPTOT)
    Q_STRIP = CP_STRIP * (TSTRIP - TAMBH) * W_STRIPTOT
    # 17
    KE = 0.5 * ((ue + wsST) * (ue + wsST)) * (W_FLARED / QTOT) * 1e-6
    NHVC = NHV - (1 - COMBEFF) * NHV
    E_FLAME = (NHVC + CPG_MOL * (T_MIX - TREF) / VM / 1000 + KE + N_DIL * CPA_MOL * (TAMBH - TREF) / VM / 1000
               - Q_STRIP / (QTOT * 1000) - C.FRAD * COMBEFF * NHV)
    T_FLAME = flametemp(MIX_EXHAUST, E_FLAME * 1000 * VM / PRODUCTS)
    if E_FLAME < 0:
        T_FLAME = TAMBH
    T_FLAME = max(T_FLAME, TAMBH)
    EXTEMP = T_FLAME
    if NHV > 0:
        CPEXH = cp_ave_mix(TREF, T_FLAME, MIX_EXHAUST) / MWEXH
    else:
        CPEXH = cp_ave_mix(TREF, T_FLAME, MIXFLARED) / MWEXH
    CPX = CPA * ((CPEXH / CPA - 1) * MR / MRX + 1)
    # 18
    KFB = 81.53702483431246 / (M_AIR * PI * PLOC) * W_FLARED
    f = (NHVC + KE - Q_STRIP / (QTOT * 1000) - C.FRAD * COMBEFF * NHV) / NHV
    FB = KFB * (LHV * max(f, 0.0) / CPA * 1000 + 0.5 * ((ue + wsST) * (ue + wsST)) / 1000 / CPA
                + CPG / CPA * (T_MIX - TREF) + MRX * (M_AIR / MWX - 1) * TAMBH
                - MRX * (CPX / CPA - 1) * (TAMBH - TREF) - (TAMBH - TREF))
    FB = max(FB, 0.0)
    # 19
    XL, ZL, FA = brzflare(MIXFLARED, g("DS"), ue, wsST, DEN_MIX, RHOA)
    UV = ue / MR
    UU = AIRM * wsST / MR
    PLANGLE = degrees(crm.atan2(UV, UU))
    log("XL=", XL)
    log("ZL=", ZL)
    log("FA=", FA)
    log("uu,uv=", UU, UV)
    log("plume angle (deg)=", PLANGLE)
    log("exhaust rate (m3/s)=", QEXH * (T_FLAME / TREF) * (PREF / PLOC))
    # 20
    e_ou = QTOT * (1 - CCE) * (y[H2S] / g("ODOURPPB") * 1e9) * FS
    e_h2s = (1 - CCE) * FS * E_H2SRAW
    # 21
    MFO = g("MFLAMEOUT")
    if MFO in (1, 2):
        FB = max(KFB * (0.5 * ((ue + wsST) * (ue + wsST)) / 1000 / CPA + CPG / CPA * (T_MIX - TREF)
                        + (M_AIR / M_FL - 1) * TAMBH - (CPG / CPA - 1) * (TAMBH - TREF) - (TAMBH - TREF)), 0.0)
        TSTRIP = T_MIX
        XL = ZL = 0.0
        FA = 90.0
        if MFO == 1:
            FM = FMTOT - FM_STRIP
            E_SO2FULL = E_H2SRAW
            e_h2s = E_H2SRAW
            e_ou = ODOUR_FULL
            FB_STRIPPED = FB
            FM_STRIP = FM
            LOGREC.append("FM,FB,fm_strip,FB_stripped".rjust(82))
            LOGREC.append("".join(fmt_g(v, 15, 4) for v in (FM, FB, FM_STRIP, FB_STRIPPED)))
        else:
            FM = FMTOT + FM_STRIP
            E_SO2FULL = W_FLARED * 1000
    MSTRIP = g("MSTRIP")
    UEMIN = C.UEMIN
    HS, DS = g("HS"), g("DS")
    lower = min(DS * (ue / wsST - 1.5), 0.0) if wsST != 0 else 0.0
    if MSTRIP in (0, 2):
        QEMIT = E_SO2FULL if MSTRIP == 0 else E_SO2FULL * CCE
        RF = TAMBH / TREF
        V = QEXH if MFO == 0 else QTOT
        RG = PI * (PLOC / PREF) * FB / (G * V)
        RH = FB / FM
        HS_X = max(HS + 2 * lower, 0.0)
        if MFO == 0 and ISFLAMMABLE == 1:
            HS_X = HS_X + ZL
        EXTEMP = (RG + RF) * TREF
        if FB == 0 or EXTEMP == TAMBH:
            DE_X = dia_eff
        else:
            DE_X = 2 * RH * math.sqrt(FM) / (G * RG) * math.sqrt(RF * (RF + RG))
        if FB == 0:
            UE_X = max(UEMIN, min(C_GAS, ue))
        else:
            UE_X = max(UEMIN, min(C_GAS, G * RG / (RH * RF)))
        FM_check = 0.25 * TAMBH / EXTEMP * (UE_X * UE_X) * (DE_X * DE_X)
        FB_check = 2.4516625 * (EXTEMP - TAMBH) / EXTEMP * UE_X * (DE_X * DE_X)
    else:
        EXTEMP = TSTRIP
        FBS = FB_STRIPPED
        FMS = max(FM_STRIP, 0.0)
        DT = max(TSTRIP - TAMBH, 0.0)
        UE_X = ue
        if FBS != 0 and DT != 0:
            UE_X = G * FMS / FBS * DT / TAMBH
        UE_X = min(C_MIX, UE_X)
        if UE_X < UEMIN:
            UE_X, DE_X, EXTEMP, FM, FB, FBS = UEMIN, DS, TAMBH, 0.0, 0.0, 0.0
        HS_X = max(HS + 2 * lower + 0.5 * ZL, 0.0)
        DE_X = DS
        if FBS != 0 and DT != 0:
            DE_X = 2 * math.sqrt(FB_STRIPPED * TSTRIP / (DT * G * UE_X))
        elif FM != 0:
            DE_X = math.sqrt(FM / (0.25 * TAMBH / EXTEMP * (UE_X * UE_X)))
        EXTEMP = TAMBH * (FBS / FMS * UE_X / G + 1) if FMS != 0 else TAMBH
        assert EXTEMP > 0
        DT = max(EXTEMP - TAMBH, 0.0)
        QEMIT = e_h2s if MSTRIP in (1, 3) else e_ou
        FB = 2.4516625 * DT / EXTEMP * UE_X * (DE_X * DE_X)
        FM = 0.25 * TAMBH / EXTEMP * (UE_X * UE_X) * (DE_X * DE_X)
    LOGREC.append("XOUTHDRX,wspd10m,wsST,ipgIN,tamb,FM,FB,hs_x,de_x,ue_x,extemp,tstrip,carb,e_so2,e_h2s,e_OU"[:82])
    LOGREC.append("XOUTX " + "".join(fmt_g(v, 15, 4) for v in (UREF, wsST, IPG, TAMBH, FM, FB, HS_X, DE_X, UE_X,
                                                                  EXTEMP, TSTRIP, CCE, e_so2, e_h2s, e_ou)))
    if MSTRIP == 0:
        if FM != 0 and abs(FM_check - FM) > 1e-5 * FM:
            CONSOLE += ["*** ERROR *** bad calc in FM", ("FM_check :", FM_check), ("      FM :", FM)]
        if FB != 0 and abs(FB_check - FB) > 1e-5 * FB:
            CONSOLE += ["*** ERROR *** bad calc in FB", ("FB_check :", FB_check), ("      FB :", FB)]
    res.update(QEMIT=QEMIT, HS_X=HS_X, UE_X=UE_X, DE_X=DE_X, EXTEMP=EXTEMP, FB=FB, FM=FM, XL=XL, ZL=ZL,
               ISFLAMMABLE=ISFLAMMABLE, FS=FS_CLAMPED, CCE=CCE, passes=npass, E_H2SRAW=E_H2SRAW,
               ODOUR_FULL=ODOUR_FULL, W_FLARED=W_FLARED, T_MIX=T_MIX, T_FLAME=T_FLAME, AIREXCESS=AIREXCESS,
               DEN_MIX=DEN_MIX, RHOA=RHOA)
    res["log"] = LOGREC
    res["console"] = CONSOLE
    return res


# ------------------------------------------------------------------ the cases
# Common inputs; each case lists what differs. Compositions by species number.
SOUR = {H2S: 0.05, CH4: 0.80, 8: 0.05, 9: 0.02, CO2: 0.03, N2: 0.05}
BASE_INP = dict(HS=30.0, DF=0.3, DS=0.25, ZREF=10.0, ODOURPPB=0.47, MSTRIP=0, MFLAMEOUT=0)


def case(**kw):
    c = dict(RAW=SOUR, Q=50.0, FGR=0.0, UREF=5.0, IPG=4, TGAS=300.0, TAMBH=283.15, ZCOORD=500.0)
    inp = dict(BASE_INP)
    inp.update(kw.pop("inp", {}))
    c.update(kw)
    c["inp"] = inp
    return c


STEAM = dict(MFASSIST=1, MFASSISTSTEAM=1, STM_TEMP=438.0, STM_PRESS=700.0, STM_FLOW=20.0, RAIRSTEAM=0.35)
AIRA = dict(MFASSIST=1, MFASSISTAIR=1, AIR_FLOW=1000.0, RAIRAIR=0.35)
STREAMS = dict(MFUELGAS=1, MLIFTGAS=1, QLIFTGAS=5.0, MDLIFT=1, DLIFT=0.05, MDFUEL=1, DFUEL=0.08,
               MFASSIST=1, MFASSISTHPFUEL=1, HPFUEL_FLOW=10.0, RAIRFUEL=0.35)
FUELGAS = {CH4: 0.9, 8: 0.1}

CASES = [
    ("plain_sour_gas", case()),
    ("steam_assist_cold_h2s", case(inp=dict(STEAM, MSTRIP=1))),
    ("air_assist_excess_air", case(inp=dict(AIRA, MSTRIP=0))),
    ("air_assist_small_excess", case(inp=dict(AIRA, AIR_FLOW=722.0, MSTRIP=0))),
    ("fuel_lift_hpfuel_nozzles", case(inp=dict(STREAMS, MSTRIP=2), FGR=0.5, FUEL=FUELGAS, LIFT={N2: 1.0})),
    ("whole_unburnt_h2s", case(inp=dict(MSTRIP=3), UREF=12.0, IPG=3)),
    ("odour_stripped", case(inp=dict(MSTRIP=4), UREF=8.0, IPG=5)),
    ("odour_whole", case(inp=dict(MSTRIP=5), UREF=8.0, IPG=5)),
    ("flameout1_so2", case(inp=dict(MFLAMEOUT=1, MSTRIP=0))),
    ("flameout1_h2s", case(inp=dict(MFLAMEOUT=1, MSTRIP=1))),
    ("flameout2_so2", case(inp=dict(MFLAMEOUT=2, MSTRIP=0))),
    ("slow_jet_downwash", case(Q=2.0, UREF=10.0, IPG=4)),
    ("calm", case(UREF=0.0)),
    # a heavy, cold stripped gas sinks: its cold plume is released as a still plume
    ("still_cold_plume", case(RAW={H2S: 0.02, CO2: 0.98}, TGAS=230.0, inp=dict(MSTRIP=1))),
    # the logged case: two passes and a flame-out, so that every record 1..29 appears
    ("logged_steam_flameout", case(inp=dict(STEAM, MFLAMEOUT=1, MSTRIP=0), UREF=3.0, IPG=2)),
]
LOGGED = "logged_steam_flameout"

FIELDS = ["QEMIT", "HS_X", "UE_X", "DE_X", "EXTEMP", "FB", "FM", "XL"]


def main():
    for name, c in CASES:
        r = emissions(c)
        vals = ", ".join("%.17g" % r[k] for k in FIELDS)
        print("    {\"%s\", {%s}}," % (name, vals))
        print("      // ZL %.17g ISFLAMMABLE %d passes %d FS %.17g CCE %.17g AIREXCESS %.17g T_MIX %.17g "
              "T_FLAME %.17g console %s" % (r["ZL"], r["ISFLAMMABLE"], r["passes"], r["FS"], r["CCE"],
                                             r["AIREXCESS"], r["T_MIX"], r["T_FLAME"], r["console"]))
    if "--log" in sys.argv:
        d = sys.argv[sys.argv.index("--log") + 1]
        r = emissions(dict(CASES)[LOGGED])
        with open(os.path.join(d, "emissions_step.log"), "wb") as f:
            for line in r["log"]:
                f.write(line.encode() + b"\r\n")


if __name__ == "__main__":
    main()
