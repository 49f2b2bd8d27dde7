"""Independent numbers of the shipped steady example (examples/steady_fixed).

Uses the reference transcription of the flare step (../physics/emissions_reference.py)
for the example's gas, stack and fixed meteorology, and prints the source line
that the example's flare file must hold, formatted by the layout's own rules
(F10.5, F10.4, F10.3, F11.5, F10.5, 3 x F9.5, 2 x F15.3, G15.8). The expected
file tests/data/examples/steady_fixed/steady_01.dat was checked against it.
"""
import math
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "physics"))
import emissions_reference as ref  # noqa: E402

RAW = {ref.CH4: 0.90, 8: 0.03, 9: 0.01, ref.N2: 0.02, ref.CO2: 0.02, ref.H2S: 0.02}
c = ref.case(RAW=RAW, Q=100.0, FGR=0.0, UREF=4.0, IPG=4, TGAS=288.15, TAMBH=288.15, ZCOORD=850.0,
             inp=dict(HS=45.0, DF=0.6, DS=0.6, ZREF=10.0, ODOURPPB=1.0, MSTRIP=0, MFLAMEOUT=0))
r = ref.emissions(c)
a = 270.0 - 180.0
dx = r["XL"] * ref.crm.sin(a * math.pi / 180.0)
dy = r["XL"] * ref.crm.cos(a * math.pi / 180.0)
X, Y = 512.345 + dx * 0.001, 5987.654 + dy * 0.001


def g158(v):
    if v == 0:
        return "%11.7f    " % 0.0
    e = int(("%.7e" % abs(v)).split("e")[1])
    if -1 <= e <= 7:
        return "%11.*f    " % (8 - (e + 1), v)
    raise ValueError("E form not needed here")


line = "'FLARE1'" + " %10.5f %10.5f %10.4f %10.3f %11.5f %10.5f %9.5f %9.5f %9.5f %15.3f %15.3f" % (
    X, Y, r["HS_X"], 850.0, r["DE_X"], r["EXTEMP"], 0.0, 0.0, r["UE_X"], 0.0, 0.0)
line += " " + g158(r["QEMIT"]) + " " + g158(0.0)
print(line)
