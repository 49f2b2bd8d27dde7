#!/usr/bin/env python3
"""Writes the expected list-file echoes echo_*.lst of the control files echo_*.inp.

The run configuration of each control file is written out by hand below (what the
control-file reader leaves: values read, values not looked up at their start
value, the reader's own settings such as STM_PRESS -1 and ZREF 10), and the echo
lines are built from the column notation: Iw right-justified, Fw.d fixed with a
zero before the point when there is room and w asterisks when the value does not
fit, texts in their own length. Every record ends with CR LF.

Run from this folder: python3 echo_expected.py
"""

SUFFIX = ["H2O", "H2", "HE", "N2", "CO2", "H2S", "C1", "C2", "C3", "IC4", "NC4", "IC5", "NC5", "NC6", "C7",
          "CO", "NH3", "AR", "O2"]


def I(v, w=12):
    s = str(v)
    return "*" * w if len(s) > w else s.rjust(w)


def F(v, w=25, d=16):
    s = "%.*f" % (d, v)
    if len(s) > w and s.startswith("0."):
        s = s[1:]
    elif len(s) > w and s.startswith("-0."):
        s = "-" + s[2:]
    return "*" * w if len(s) > w else s.rjust(w)


def base():
    c = dict(STITLE="", SNAME="", OUTNAME="", OUTPATH="", METDAT="", METDAT2="", RECINC="", LSTDAT="",
             LOGDAT="", LCFILES=False, IUTMZN=0, UTMHEM="", PMAP="", DATUM="", ABTZ="", NSPEC=0, CHEMLST=[],
             MW=[], EMIT=[], NSEQ=0, SEQ=[], FGR=0.0, QLIFTGAS=0.0, STM_IMASSVOL=0, STM_PRESS=-1.0,
             STM_TEMP=-1.0, STM_FLOW=0.0, AIR_FLOW=0.0, HPFUEL_FLOW=0.0, RAIRAIR=0.0, RAIRSTEAM=0.0,
             RAIRFUEL=0.0, RAW={}, FUEL={}, LIFT={}, WINDSP=0.0, WINDDR=0.0, TAMB=0.0, PGCLASS=0, ZREF=10.0)
    for k in ["MDSPMOD", "MINPUT", "MBLOWDOWN", "MDIST", "MSTRIP", "MMET", "MFUELGAS", "MFGR", "MLIFTGAS",
              "MFASSIST", "MFASSISTSTEAM", "MFASSISTAIR", "MFASSISTHPFUEL", "MTGAS", "MSCREENING", "MDEBUG",
              "NSEP", "NSOURCES", "MNONSEQ", "MSCREEN", "MFLAMEOUT", "YYS", "MMS", "DDS", "HHS", "SSS", "YYE",
              "MME", "DDE", "HHE", "SSE", "TIMEINC", "NPUFFS", "PUFFDUR"]:
        c[k] = 0
    for k in ["XCOORD", "YCOORD", "ZCOORD", "HS", "DF", "DS", "RH2S", "TGINIT", "QMAX", "QTOTAL", "FREL",
              "PRESSINIT", "TEMPINIT", "PRESSFINAL", "VESSELDIA", "VESSELLEN", "ORIFICEDIA", "DISCHARGECOEF",
              "DURATION", "PRATIO", "TDEP", "PSHS", "PSDS", "PSTS", "PSUS"]:
        c[k] = 0.0
    return c


def cfg(**kw):
    c = base()
    c.update(kw)
    return c


CONFIGS = {
    # LCFILES T: the main program has turned the file names to lower case.
    "steady": cfg(STITLE="Gas plant flare, steady release", SNAME="FLARE1", OUTNAME="steady",
                  OUTPATH="out\\run1", METDAT="met\\site.tsf", LSTDAT="steady.lst", LOGDAT="steady.log",
                  LCFILES=True, MDSPMOD=1, MINPUT=1, MBLOWDOWN=0, MDIST=1, MSTRIP=0, MMET=1, MFUELGAS=1, MFGR=1,
                  MLIFTGAS=0, MFASSIST=1, MFASSISTSTEAM=1, MFASSISTAIR=1, MFASSISTHPFUEL=0, MTGAS=0, MDEBUG=1,
                  NSEP=24, NSOURCES=0, MFLAMEOUT=1, IUTMZN=11, UTMHEM="N", PMAP="UTM", DATUM="NAR-C",
                  ABTZ="UTC-0700", NSPEC=2, CHEMLST=["SO2", " H2"], MW=[64.06, 34.08], EMIT=[0.0, 0.02],
                  YYS=2021, MMS=1, DDS=1, HHS=0, SSS=0, YYE=2021, MME=1, DDE=2, HHE=23, SSE=0, TIMEINC=3600,
                  XCOORD=512.345, YCOORD=5712.5, ZCOORD=850.0, HS=30.0, DF=0.6, DS=0.5, RH2S=0.005,
                  TGINIT=293.15, QMAX=250.0, TEMPINIT=288.0, DURATION=12.0, PUFFDUR=3600, NPUFFS=1, FGR=0.1,
                  STM_IMASSVOL=1, STM_PRESS=350.0, STM_TEMP=420.5, STM_FLOW=0.75, RAIRSTEAM=0.4, AIR_FLOW=12.5,
                  RAW={"H2S": 0.005, "C1": 0.85, "C2": 0.1, "CO2": 0.045}, FUEL={"C1": 0.95, "N2": 0.05}),
    "vessel": cfg(STITLE="Vessel blowdown to AERMOD", SNAME="V-101", OUTNAME="VBLOW", OUTPATH="OUT",
                  METDAT="MET\\SITE.SFC", METDAT2="MET\\SITE.PFL", RECINC="REC.INC", LSTDAT="VBLOW.LST",
                  MDSPMOD=2, MINPUT=1, MBLOWDOWN=1, MDIST=2, MSTRIP=1, MMET=2, MFGR=2, MLIFTGAS=1, MTGAS=2,
                  NSOURCES=8, MNONSEQ=1, MSCREEN=1, IUTMZN=55, UTMHEM="S", PMAP="UTM", DATUM="WGS-84",
                  ABTZ="UTC+1000", NSPEC=1, CHEMLST=["H2S"], MW=[34.08], EMIT=[0.0], YYS=2020, MMS=2, DDS=28,
                  HHS=22, YYE=2020, MME=3, DDE=1, HHE=3, TIMEINC=600, XCOORD=-12.5, YCOORD=6100.25, ZCOORD=3.5,
                  HS=45.5, DF=0.3, DS=0.3, RH2S=-1.0, TGINIT=-1.0, QMAX=1234.5, PRESSINIT=6500.0, TEMPINIT=-1.0,
                  PRESSFINAL=50.0, VESSELDIA=3.2, VESSELLEN=18.0, ORIFICEDIA=75.0, DISCHARGECOEF=0.62,
                  PUFFDUR=300, NPUFFS=24, QLIFTGAS=2.5,
                  RAW={"H2O": 0.01, "H2S": 0.2, "C1": 0.75, "N2": 0.04}, LIFT={"N2": 0.79, "O2": 0.21}),
    # MFASSIST 0 with MFASSISTSTEAM 1: steam lines active with the values of no assist.
    "decay2": cfg(STITLE="Exponential decay from volume", MDSPMOD=1, MINPUT=1, MBLOWDOWN=2, MDIST=1, MSTRIP=4,
                  MMET=1, MFGR=2, MTGAS=1, NSEP=48, IUTMZN=12, UTMHEM="N", PMAP="UTM", ABTZ="UTC-0600",
                  MFASSISTSTEAM=1, HS=20.0, DF=0.25, DS=0.2, QMAX=5000.0, QTOTAL=120.75, FREL=0.8,
                  TEMPINIT=300.0, DURATION=2.0, PUFFDUR=900, NPUFFS=12, RAW={"C1": 1.0}),
    # Ten species (names cut to 3 characters as stored, NULs included), a molar
    # mass too wide for F25.16, a mole fraction too wide for F6.4, fixed weather.
    "decay3": cfg(STITLE="Exponential decay from pressure, ten species, fixed weather",
                  SNAME="A name that is longer than thirt", MDSPMOD=1, MINPUT=1, MBLOWDOWN=3, MDIST=2, MSTRIP=2,
                  MMET=3, MFGR=2, MTGAS=0, NSEP=1, MFASSIST=1, MFASSISTHPFUEL=1, UTMHEM="N", PMAP="UTM",
                  ABTZ="UTC-0500", NSPEC=10,
                  CHEMLST=["SO2", "H2S", "NOX", "CO\0", "PM1", " CO", "C1\0", "C2\0", "BEN", "X\0\0"],
                  MW=[64.06, 34.08, 46.0, 28.01, 1.0, 44.01, 16.04, 30.07, 78.11, 123456789.0],
                  EMIT=[0.0, 0.5, 1.25, -2.0, 0.001, 1e-20, -0.75, 3.0, 4.0, 5.0], XCOORD=100.0, HS=15.0,
                  DF=0.4, DS=0.4, TGINIT=280.0, QMAX=800.0, FREL=0.9, TEMPINIT=310.0, DURATION=4.0,
                  PUFFDUR=600, NPUFFS=6, PRATIO=0.25, TDEP=45.5, HPFUEL_FLOW=30.0, RAIRFUEL=0.5,
                  RAW={"C1": 0.9, "C3": 0.05, "O2": 0.05, "H2": 12.5}, WINDSP=3.5, WINDDR=270.0, TAMB=268.15,
                  PGCLASS=5, ZREF=8.0),
    # QTOTAL and DURATION lines in the file are not read for this release.
    "decay4": cfg(MDSPMOD=1, MINPUT=1, MBLOWDOWN=4, MDIST=1, MMET=1, MFGR=2, QMAX=100.0, FREL=0.5,
                  DURATION=3.0, PUFFDUR=60, NPUFFS=10, PRATIO=0.1, TDEP=10.0),
    "other": cfg(MINPUT=1, MBLOWDOWN=7, MMET=1),
    "sequence": cfg(STITLE="User sequence", MDSPMOD=1, MINPUT=2, MBLOWDOWN=0, MDIST=1, MMET=1, MFGR=2,
                    MFUELGAS=1, FGR=0.05, NSEQ=3, NPUFFS=3,
                    SEQ=[(100.0, 3600.0, 0.02, -1.0), (50.5, 1800.0, 0.0, 0.0), (0.0, 7200.0, -1.0, 0.25)],
                    FUEL={"H2O": 0.01, "C1": 0.99}),
    # MMET 3 without a ZREF line: ZREF keeps its start value 0.
    "point": cfg(STITLE="Point source", MDSPMOD=1, MINPUT=3, MDIST=1, MMET=3, MFGR=2, NSPEC=2,
                 CHEMLST=["SO2", " NO"], MW=[64.06, 46.01], EMIT=[2.5, 1.0], NPUFFS=1, PUFFDUR=3600,
                 PSHS=25.0, PSDS=1.2, PSTS=450.5, PSUS=18.25, WINDSP=2.0, WINDDR=45.0, TAMB=300.0, PGCLASS=4,
                 ZREF=0.0),
    "minimal": cfg(MMET=1, HS=10.0),
}


def echo(c):
    out = []
    text = lambda label, v: out.append(label + v + "!")
    integer = lambda label, v: out.append(label + I(v) + "!")
    real = lambda label, v: out.append(label + F(v) + "!")
    mark = lambda on: "!" if on else "*"

    for label, key in [("! STITLE1 =", "STITLE"), ("! SNAME   =", "SNAME"), ("! OUTNAME=", "OUTNAME"),
                       ("! OUTPATH=", "OUTPATH"), ("! METDAT=", "METDAT"), ("! METDAT2=", "METDAT2"),
                       ("! RECINC=", "RECINC"), ("! LSTDAT=", "LSTDAT"), ("! LOGDAT=", "LOGDAT")]:
        text(label, c[key])
    out.append("! LCFILES= T !" if c["LCFILES"] else "! LCFILES= F !")
    for label, key in [("! MDSPMOD   =", "MDSPMOD"), ("! MINPUT    =", "MINPUT"), ("! MBLOWDOWN =", "MBLOWDOWN"),
                       ("! MDIST     =", "MDIST"), ("! MSTRIP    =", "MSTRIP"), ("! MMET      =", "MMET"),
                       ("! MFUELGAS  =", "MFUELGAS"), ("! MFGR      =", "MFGR"), ("! MLIFTGAS  =", "MLIFTGAS"),
                       ("! MFASSIST  =", "MFASSIST"), ("! MFASSISTSTEAM  =", "MFASSISTSTEAM"),
                       ("! MFASSISTAIR    =", "MFASSISTAIR"), ("! MFASSISTHPFUEL =", "MFASSISTHPFUEL"),
                       ("! MTGAS          =", "MTGAS"), ("! MSCREENING     =", "MSCREENING"),
                       ("! MDEBUG    =", "MDEBUG"), ("! NSEP      =", "NSEP"), ("! NSOURCES  =", "NSOURCES"),
                       ("! MNONSEQ   =", "MNONSEQ"), ("! MSCREEN   =", "MSCREEN"), ("! MFLAMEOUT =", "MFLAMEOUT")]:
        integer(label, c[key])
    integer("! IUTMZN  =", c["IUTMZN"])
    for label, key in [("! UTMHEM  =", "UTMHEM"), ("! PMAP    =", "PMAP"), ("! DATUM   =", "DATUM"),
                       ("! ABTZ    =", "ABTZ")]:
        text(label, c[key])
    integer("! NSPEC   =", c["NSPEC"])
    n = c["NSPEC"]
    if n < 1:
        # no entries: each list line is an empty value
        out += ["! CHEMLST =!", "! MW =!", "! EMIT =!"]
    else:
        seps = [","] * (n - 1) + ["!"]
        # the first three characters of each name; the NUL filling of a shorter
        # name is written as blanks, so that the list file holds only text
        out.append("! CHEMLST =" + "".join(a.replace("\0", " ") + s for a, s in zip(c["CHEMLST"], seps)))
        out.append("! MW =" + "".join(F(a) + s for a, s in zip(c["MW"], seps)))
        out.append("! EMIT =" + "".join(F(a) + s for a, s in zip(c["EMIT"], seps)))
    for label, key in [("! YYS     =", "YYS"), ("! MMS     =", "MMS"), ("! DDS     =", "DDS"),
                       ("! HHS     =", "HHS"), ("! SSS     =", "SSS"), ("! YYE     =", "YYE"),
                       ("! MME     =", "MME"), ("! DDE     =", "DDE"), ("! HHE     =", "HHE"),
                       ("! SSE     =", "SSE"), ("! TIMEINC =", "TIMEINC")]:
        integer(label, c[key])
    for label, key in [("! XCOORD  =", "XCOORD"), ("! YCOORD  =", "YCOORD"), ("! ZCOORD  =", "ZCOORD"),
                       ("! HS      =", "HS"), ("! DF      =", "DF"), ("! DS      =", "DS"),
                       ("! RH2S    =", "RH2S"), ("! TGINIT  =", "TGINIT")]:
        real(label, c[key])

    # source term: column index 0 steady, 1 vessel, 2 decay (volume), 3 decay
    # (pressure), 4 other release, 5 sequence, 6 point source
    mi, mb = c["MINPUT"], c["MBLOWDOWN"]
    col = None
    if mi == 1:
        col = {0: 0, 1: 1, 2: 2, 3: 3, 4: 3}.get(mb, 4)
    elif mi == 2:
        col = 5
    elif mi == 3:
        col = 6
    if col is not None:
        longer = col == 3
        rows = [
            (" QMAX        =", "QMAX", "!*!!-**"), (" QTOTAL      =", "QTOTAL", "**!!-**"),
            (" FREL        =", "FREL", "**!!-**"), (" PRESSINIT     =", "PRESSINIT", "*!**-**"),
            (" TEMPINIT      =", "TEMPINIT", "*!**-**"), (" PRESSFINAL    =", "PRESSFINAL", "*!**-**"),
            (" VESSELDIA     =", "VESSELDIA", "*!**-**"), (" VESSELLEN     =", "VESSELLEN", "*!**-**"),
            (" ORIFICEDIA    =", "ORIFICEDIA", "*!**-**"), (" DISCHARGECOEF =", "DISCHARGECOEF", "*!**-**"),
            (" NPUFFS       =" if longer else " NPUFFS      =", "NPUFFS", "!!!!-**"),
            (" PUFFDUR      =" if longer else " PUFFDUR     =", "PUFFDUR", "!!!!-**"),
            (" DURATION    =", "DURATION", "!!!--**"), (" PRATIO       =", "PRATIO", "***!-**"),
            (" TDEP         =", "TDEP", "***!-**"), (" PSHS      =", "PSHS", "******!"),
            (" PSDS      =", "PSDS", "******!"), (" PSTS      =", "PSTS", "******!"),
            (" PSUS      =", "PSUS", "******!"), (" NSEQ     =", "NSEQ", "*****!*"),
        ]
        for label, key, marks in rows:
            m = marks[col]
            if m == "-":
                continue
            v = c[key]
            out.append(m + label + (I(v) if isinstance(v, int) else F(v)) + m)
        if col == 5:
            for i, row in enumerate(c["SEQ"][: c["NSEQ"]], start=1):
                out.append(I(i) + "!=" + "".join(F(x) for x in row) + "!")

    m = mark(c["MFUELGAS"] == 1)
    out.append(m + " FGR         =" + F(c["FGR"]) + m)
    m = mark(c["MLIFTGAS"] == 1)
    out.append(m + " QLIFTGAS    =" + F(c["QLIFTGAS"]) + m)

    steam, air, hp = c["MFASSISTSTEAM"] == 1, c["MFASSISTAIR"] == 1, c["MFASSISTHPFUEL"] == 1
    for on, label, key in [(steam, " STM_IMASSVOL=", "STM_IMASSVOL"), (steam, " STM_PRESS   =", "STM_PRESS"),
                           (steam, " STM_TEMP    =", "STM_TEMP"), (steam, " STM_FLOW    =", "STM_FLOW"),
                           (air, " AIR_FLOW    =", "AIR_FLOW"), (hp, " HPFUEL_FLOW    =", "HPFUEL_FLOW"),
                           (air, " RAIRAIR    =", "RAIRAIR"), (steam, " RAIRSTEAM  =", "RAIRSTEAM"),
                           (hp, " RAIRFUEL   =", "RAIRFUEL")]:
        m = mark(on)
        v = c[key]
        out.append(m + label + (I(v) if isinstance(v, int) else F(v)) + m)

    for s in SUFFIX:
        out.append(("! RAW_" + s).ljust(14) + "=" + F(c["RAW"].get(s, 0.0), 6, 4) + "!")
    for gas, on in [("FUEL", c["MFUELGAS"] == 1), ("LIFT", c["MLIFTGAS"] == 1)]:
        m = mark(on)
        for s in SUFFIX:
            out.append(m + (" " + gas + "_" + s).ljust(13) + "=" + F(c[gas].get(s, 0.0), 6, 4) + m)

    m = mark(c["MMET"] == 3)
    out.append(m + " WINDSP  =" + F(c["WINDSP"]) + m)
    out.append(m + " WINDDR  =" + F(c["WINDDR"]) + m)
    out.append(m + " TAMB    =" + F(c["TAMB"]) + m)
    out.append(m + " PGCLASS =" + I(c["PGCLASS"]) + m)
    out.append(m + " ZREF    =" + F(c["ZREF"]) + m)

    # closing free-format records: a leading blank before each text
    out += ["  ---------------------------------", " end of input file", " ", " "]
    return out


if __name__ == "__main__":
    for name, c in CONFIGS.items():
        with open("echo_%s.lst" % name, "wb") as f:
            f.write("".join(line + "\r\n" for line in echo(c)).encode("latin-1"))
