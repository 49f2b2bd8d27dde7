#!/usr/bin/env python3
"""Runs 50 cases of the program twice, as it is and with glibc told to take its
code paths for a CPU without FMA and AVX2, and counts the output files that
differ. With correctly rounded elementary functions none may differ.

Usage: tools/same_files_check.py PROGRAM [WORKDIR]

The cases: the five shipped examples and 45 more built from them and from the
Houston year in data/met (both model paths, user sequences, vessel blowdowns,
the three decays, assist streams, flame-outs, debug logs, AERMET, time-series
and fixed meteorology). Every output file is compared byte for byte, the list
file without its CPU time and clock time. WORKDIR (a temporary folder by default) keeps
the outputs of both runs under plain/ and tunable/ for a closer look.
Prints one line per case that differs and a summary; exits 1 when any file
differs or a run fails.
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile

TUNABLE = "glibc.cpu.hwcaps=-AVX2,-FMA,-AVX512F"
REPO = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

EXAMPLES = [
    ("steady_fixed", "steady.inp"),
    ("sequence_aermet", "sequence.inp"),
    ("vessel_timeseries", "vessel.inp"),
    ("aermod_steady", "steady_am.inp"),
    ("aermod_vessel", "vessel_am.inp"),
]

COMMON = {
    "LCFILES": "T", "OUTPATH": "", "MDIST": "1", "MFGR": "2", "MTGAS": "1", "HS": "40", "DF": "0.5",
    "DS": "0.5", "ZCOORD": "10", "XCOORD": "300", "YCOORD": "3300", "PMAP": "UTM", "UTMHEM": "N",
    "IUTMZN": "15", "ABTZ": "UTC-0600", "DATUM": "NAR-C", "NSPEC": "2", "CHEMLST": "SO2,H2S",
    "MW": "64.0638,34.0809", "EMIT": "0,0", "RAW_C1": "0.88", "RAW_C2": "0.04", "RAW_C3": "0.01",
    "RAW_N2": "0.02", "RAW_CO2": "0.02", "RAW_H2S": "0.03", "TIMEINC": "3600", "SSS": "0", "SSE": "0",
    "RECINC": "receptors.inc",
}

# Houston has no profile file here: the AERMOD cases name one that AERMOD would need.
HOUSTON = {"MMET": "2", "METDAT": "houston.sfc", "METDAT2": "houston.pfl", "YYS": "1996", "MMS": "1",
           "DDS": "1", "HHS": "0", "YYE": "1996", "MME": "12", "DDE": "31", "HHE": "23"}
AERMET2 = {"MMET": "2", "METDAT": "aermet2.sfc", "METDAT2": "aermet2.pfl", "YYS": "1988", "MMS": "3",
           "DDS": "1", "HHS": "0", "YYE": "1988", "MME": "3", "DDE": "4", "HHE": "23"}
TSF = {"MMET": "1", "METDAT": "vessel.tsf", "YYS": "2021", "MMS": "3", "DDS": "1", "HHS": "0",
       "YYE": "2021", "MME": "3", "DDE": "3", "HHE": "23", "ABTZ": "UTC-0700"}
FIXED = {"MMET": "3", "WINDSP": "4.5", "WINDDR": "250", "TAMB": "281.5", "PGCLASS": "4", "ZREF": "10",
         "YYS": "2020", "MMS": "6", "DDS": "1", "HHS": "0", "YYE": "2020", "MME": "6", "DDE": "2", "HHE": "23"}


def months(m1, m2):
    days = [31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31]
    return {"MMS": str(m1), "DDS": "1", "MME": str(m2), "DDE": str(days[m2 - 1])}


STEADY = {"MINPUT": "1", "MBLOWDOWN": "0", "QMAX": "100", "PUFFDUR": "3600"}
VESSEL = {"MINPUT": "1", "MBLOWDOWN": "1", "PRESSINIT": "5000", "TEMPINIT": "290", "PRESSFINAL": "50",
          "VESSELDIA": "2.0", "VESSELLEN": "12.0", "ORIFICEDIA": "50", "DISCHARGECOEF": "0.8",
          "PUFFDUR": "900", "NPUFFS": "4", "NSEP": "24"}
DECAY = {"MINPUT": "1", "QMAX": "800", "FREL": "0.9", "TEMPINIT": "310", "DURATION": "4", "PUFFDUR": "600",
         "NPUFFS": "6", "PRATIO": "0.25", "TDEP": "45.5", "QTOTAL": "2000", "NSEP": "24"}
STEAM = {"MFASSIST": "1", "MFASSISTSTEAM": "1", "STM_IMASSVOL": "1", "STM_PRESS": "350", "STM_TEMP": "420.5",
         "STM_FLOW": "0.75", "RAIRSTEAM": "0.4"}
AIR = {"MFASSIST": "1", "MFASSISTAIR": "1", "AIR_FLOW": "12.5", "RAIRAIR": "0.5"}
HPFUEL = {"MFASSIST": "1", "MFASSISTHPFUEL": "1", "HPFUEL_FLOW": "30", "RAIRFUEL": "0.5"}


def seq(rows, rate=20, secs=3600):
    lines = [f"! SEQ = {rate * (i + 1)}, {secs}, -1, -1 !" for i in range(rows)]
    return {"MINPUT": "2", "NSEQ": str(rows), "_SEQ": lines}


def aermod(sources):
    return {"MDSPMOD": "2", "NSOURCES": str(sources)}


def calpuff():
    return {"MDSPMOD": "1"}


def debug():
    return {"MDEBUG": "1", "LOGDAT": "run.log"}


def merge(*parts):
    out = {}
    for p in parts:
        out.update(p)
    return out


# The 45 built cases: name, keywords, meteorological files to copy.
CASES = [
    ("houston_am_steady", merge(HOUSTON, aermod(32), STEADY), ["houston.sfc"]),
    ("houston_am_seq10", merge(HOUSTON, months(1, 3), aermod(32), seq(10)), ["houston.sfc"]),
    ("houston_am_seq3_h2s", merge(HOUSTON, months(4, 6), aermod(10), seq(3, 50), {"MSTRIP": "1"}), ["houston.sfc"]),
    ("houston_am_odour", merge(HOUSTON, months(7, 9), aermod(16), seq(4, 35), {"MSTRIP": "4", "ODOURPPB": "4.7"}),
     ["houston.sfc"]),
    ("houston_am_sour", merge(HOUSTON, months(10, 12), aermod(8), STEADY, {"RAW_H2S": "0.2", "RAW_C1": "0.71",
                                                                           "QMAX": "350"}), ["houston.sfc"]),
    ("houston_am_small", merge(HOUSTON, months(1, 2), aermod(4), STEADY, {"QMAX": "2", "HS": "12"}), ["houston.sfc"]),
    ("houston_am_big", merge(HOUSTON, months(5, 6), aermod(32), STEADY, {"QMAX": "5000", "DF": "1.2", "DS": "1.2"}),
     ["houston.sfc"]),
    ("houston_am_steam", merge(HOUSTON, months(2, 3), aermod(12), STEADY, STEAM), ["houston.sfc"]),
    ("houston_am_air", merge(HOUSTON, months(8, 9), aermod(12), seq(2, 60), AIR), ["houston.sfc"]),
    ("houston_am_vessel", merge(HOUSTON, months(3, 3), aermod(8), VESSEL, {"MDIST": "2", "MSTRIP": "1"}),
     ["houston.sfc"]),
    ("houston_cp_steady", merge(HOUSTON, calpuff(), STEADY), ["houston.sfc"]),
    ("houston_cp_q1", merge(HOUSTON, calpuff(), STEADY, {"QMAX": "1"}), ["houston.sfc"]),
    ("houston_cp_q1000", merge(HOUSTON, calpuff(), STEADY, {"QMAX": "1000", "HS": "80"}), ["houston.sfc"]),
    ("houston_cp_seq", merge(HOUSTON, months(1, 4), calpuff(), seq(3, 70, 1800), {"NSEP": "24"}), ["houston.sfc"]),
    ("houston_cp_h2s", merge(HOUSTON, months(6, 8), calpuff(), STEADY, {"MSTRIP": "1", "RAW_H2S": "0.1",
                                                                      "RAW_C1": "0.81"}), ["houston.sfc"]),
    ("houston_cp_debug", merge(HOUSTON, {"MME": "1", "DDE": "7"}, calpuff(), STEADY, debug()), ["houston.sfc"]),
    ("houston_cp_debug_seq", merge(HOUSTON, {"MMS": "7", "DDS": "1", "MME": "7", "DDE": "3"}, calpuff(),
                                   seq(3, 40, 1800), {"NSEP": "24"}, debug()), ["houston.sfc"]),
    ("houston_cp_steam", merge(HOUSTON, months(1, 6), calpuff(), STEADY, STEAM), ["houston.sfc"]),
    ("houston_cp_hpfuel", merge(HOUSTON, months(7, 12), calpuff(), STEADY, HPFUEL), ["houston.sfc"]),
    ("houston_cp_vessel", merge(HOUSTON, {"MME": "1", "DDE": "10"}, calpuff(), VESSEL), ["houston.sfc"]),
    ("aermet2_am_seq", merge(AERMET2, aermod(6), seq(3, 45)), ["aermet2.sfc", "aermet2.pfl"]),
    ("aermet2_am_vessel", merge(AERMET2, aermod(8), VESSEL, {"ORIFICEDIA": "80"}), ["aermet2.sfc", "aermet2.pfl"]),
    ("aermet2_am_decay2", merge(AERMET2, aermod(6), DECAY, {"MBLOWDOWN": "2"}), ["aermet2.sfc", "aermet2.pfl"]),
    ("aermet2_cp_decay3", merge(AERMET2, calpuff(), DECAY, {"MBLOWDOWN": "3"}), ["aermet2.sfc", "aermet2.pfl"]),
    ("aermet2_cp_decay4", merge(AERMET2, calpuff(), DECAY, {"MBLOWDOWN": "4"}), ["aermet2.sfc", "aermet2.pfl"]),
    ("aermet2_cp_debug", merge(AERMET2, calpuff(), seq(2, 90, 1800), {"NSEP": "24"}, debug()),
     ["aermet2.sfc", "aermet2.pfl"]),
    ("aermet2_cp_air", merge(AERMET2, calpuff(), STEADY, AIR, debug()), ["aermet2.sfc", "aermet2.pfl"]),
    ("aermet2_am_flameout", merge(AERMET2, aermod(4), STEADY, {"MFLAMEOUT": "1", "QMAX": "20"}),
     ["aermet2.sfc", "aermet2.pfl"]),
    ("aermet2_am_flameout2", merge(AERMET2, aermod(4), STEADY, {"MFLAMEOUT": "2", "QMAX": "20"}),
     ["aermet2.sfc", "aermet2.pfl"]),
    ("tsf_cp_vessel", merge(TSF, calpuff(), VESSEL, {"PRESSINIT": "9000", "VESSELDIA": "3.2"}), ["vessel.tsf"]),
    ("tsf_cp_vessel_debug", merge(TSF, calpuff(), VESSEL, debug()), ["vessel.tsf"]),
    ("tsf_cp_decay2", merge(TSF, calpuff(), DECAY, {"MBLOWDOWN": "2"}), ["vessel.tsf"]),
    ("tsf_cp_decay3", merge(TSF, calpuff(), DECAY, {"MBLOWDOWN": "3", "TDEP": "20"}), ["vessel.tsf"]),
    ("tsf_cp_steam", merge(TSF, calpuff(), seq(4, 25, 900), {"NSEP": "24"}, STEAM), ["vessel.tsf"]),
    ("tsf_cp_odour", merge(TSF, calpuff(), STEADY, {"MSTRIP": "5", "ODOURPPB": "2.5"}), ["vessel.tsf"]),
    ("fixed_cp_steady", merge(FIXED, calpuff(), STEADY), []),
    ("fixed_cp_debug", merge(FIXED, calpuff(), STEADY, debug(), {"QMAX": "55"}), []),
    ("fixed_cp_vessel", merge(FIXED, calpuff(), VESSEL, {"NPUFFS": "12"}), []),
    ("fixed_cp_decay2", merge(FIXED, calpuff(), DECAY, {"MBLOWDOWN": "2"}, debug()), []),
    ("fixed_cp_decay4", merge(FIXED, calpuff(), DECAY, {"MBLOWDOWN": "4", "MSTRIP": "2"}), []),
    ("fixed_cp_hpfuel", merge(FIXED, calpuff(), STEADY, HPFUEL, {"TAMB": "255"}), []),
    ("fixed_cp_stable", merge(FIXED, calpuff(), STEADY, {"PGCLASS": "6", "WINDSP": "1.5"}), []),
    ("fixed_cp_point", merge(FIXED, calpuff(), {"MINPUT": "3", "PSHS": "25", "PSDS": "1.5", "PSUS": "12",
                                                  "PSTS": "420", "QMAX": "10"}), []),
    ("fixed_am_steady", merge(FIXED, aermod(8), STEADY, {"WINDSP": "8"}), []),
    ("fixed_am_seq", merge(FIXED, aermod(12), seq(5, 30), debug()), []),
]


def control_text(keys):
    lines = ["QUELMAR 1", "A case of the same-files check.", ""]
    for k, v in merge(COMMON, {"OUTNAME": "run", "LSTDAT": "run.lst"}, keys).items():
        if k == "_SEQ":
            continue
        lines.append(f"! {k} = {v} !")
    lines += keys.get("_SEQ", [])
    return "\n".join(lines) + "\n"


MET_SOURCES = {
    "houston.sfc": os.path.join(REPO, "data", "met", "HOUSTON_ADJU.SFC"),
    "aermet2.sfc": os.path.join(REPO, "examples", "met", "aermet2.sfc"),
    "aermet2.pfl": os.path.join(REPO, "examples", "met", "aermet2.pfl"),
    "vessel.tsf": os.path.join(REPO, "examples", "met", "vessel.tsf"),
    "receptors.inc": os.path.join(REPO, "examples", "aermod_steady", "receptors.inc"),
}


def lay_out(root):
    """Writes the 50 case folders under root; returns [(name, folder, control)]."""
    cases = []
    shutil.copytree(os.path.join(REPO, "examples", "met"), os.path.join(root, "met"))
    for d, control in EXAMPLES:
        shutil.copytree(os.path.join(REPO, "examples", d), os.path.join(root, d))
        cases.append((d, os.path.join(root, d), control))
    for name, keys, mets in CASES:
        folder = os.path.join(root, name)
        os.makedirs(folder)
        for m in mets + ["receptors.inc"]:
            shutil.copy(MET_SOURCES[m], os.path.join(folder, m))
        with open(os.path.join(folder, "run.inp"), "w", newline="\r\n") as f:
            f.write(control_text(keys))
        cases.append((name, folder, "run.inp"))
    return cases


def outputs(folder, inputs):
    names = sorted(n for n in os.listdir(folder) if n not in inputs)
    result = {}
    for n in names:
        with open(os.path.join(folder, n), "rb") as f:
            data = f.read()
        if n.lower().endswith(".lst"):
            # The CPU time, and the clock time of a run that ends with errors.
            data = re.sub(rb" CPU Time [^\r\n]*", b" CPU Time", data)
            data = re.sub(rb"(?m)^ \d\d:\d\d:\d\d\r$", b" hh:mm:ss\r", data)
        result[n] = data
    return result


def main():
    if len(sys.argv) not in (2, 3):
        sys.exit(__doc__)
    program = os.path.abspath(sys.argv[1])
    work = sys.argv[2] if len(sys.argv) == 3 else tempfile.mkdtemp(prefix="same-files-")
    os.makedirs(work, exist_ok=True)
    runs = {}
    for label, env_extra in (("plain", {}), ("tunable", {"GLIBC_TUNABLES": TUNABLE})):
        root = os.path.join(work, label)
        if os.path.exists(root):
            shutil.rmtree(root)
        os.makedirs(root)
        cases = lay_out(root)
        env = dict(os.environ)
        env.pop("GLIBC_TUNABLES", None)
        env.update(env_extra)
        for name, folder, control in cases:
            inputs = set(os.listdir(folder))
            p = subprocess.run([program, control], cwd=folder, env=env, stdout=subprocess.DEVNULL,
                               stderr=subprocess.PIPE)
            runs.setdefault(name, {})[label] = (p.returncode, outputs(folder, inputs))
    files = differ = failed = 0
    for name, r in runs.items():
        (s1, o1), (s2, o2) = r["plain"], r["tunable"]
        if s1 != 0 or s2 != 0:
            failed += 1
            print(f"{name}: exit status {s1} and {s2}")
        names = sorted(set(o1) | set(o2))
        files += len(names)
        bad = [n for n in names if o1.get(n) != o2.get(n)]
        differ += len(bad)
        if bad:
            print(f"{name}: {len(bad)} of {len(names)} files differ: {' '.join(bad)}")
    print(f"{len(runs)} cases, {files} output files, {differ} differ, {failed} runs failed")
    if len(sys.argv) == 2:
        shutil.rmtree(work)
    return 1 if differ or failed else 0


if __name__ == "__main__":
    sys.exit(main())
