#!/usr/bin/env python3
"""Makes the expected files of the tests anew from a build and says what changed.

Usage: tools/regen_expected.py PROGRAM [--write]

1. Runs each shipped example (examples/*) with PROGRAM in a temporary copy and
   compares every model file it writes with tests/data/examples/<example>/,
   record by record.
2. Runs the independent transcription of the flare step
   (tests/data/physics/emissions_reference.py, correctly rounded functions from
   mpmath: needs /usr/bin/python3 with python3-mpmath) and compares the debug
   log it writes with tests/data/physics/emissions_step.log, and the source
   line of the steady example it prints (steady_reference.py) with the one in
   tests/data/examples/steady_fixed/steady_01.dat.

Prints each changed record (expected, then new) and a summary of files and
records changed; with --write the new files replace the expected ones (the
reference's debug log from the transcription, the examples' files from the
program). Exits 1 when anything differs and --write is not given.
"""
import os
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from same_files_check import EXAMPLES, REPO  # noqa: E402  (the shipped examples and their control files)

REFERENCE_PYTHON = "/usr/bin/python3"


def records(path):
    with open(path, "rb") as f:
        return f.read().split(b"\r\n")


def compare(label, want_path, got_path, changes):
    want = records(want_path) if os.path.exists(want_path) else []
    got = records(got_path)
    changed = [(i + 1, a, b) for i, (a, b) in enumerate(zip(want, got)) if a != b]
    extra = abs(len(want) - len(got))
    if changed or extra:
        changes.append((label, len(changed) + extra))
        print(f"{label}: {len(changed) + extra} records differ")
        for n, a, b in changed[:20]:
            print(f"  {n:6d} - {a.decode(errors='replace')}")
            print(f"  {n:6d} + {b.decode(errors='replace')}")
        if len(changed) > 20:
            print(f"  ... {len(changed) - 20} more")


def main():
    args = [a for a in sys.argv[1:] if a != "--write"]
    write = "--write" in sys.argv[1:]
    if len(args) != 1:
        sys.exit(__doc__)
    program = os.path.abspath(args[0])
    changes = []
    with tempfile.TemporaryDirectory(prefix="regen-") as tmp:
        shutil.copytree(os.path.join(REPO, "examples", "met"), os.path.join(tmp, "met"))
        for d, control in EXAMPLES:
            run = os.path.join(tmp, d)
            shutil.copytree(os.path.join(REPO, "examples", d), run)
            before = set(os.listdir(run))
            p = subprocess.run([program, control], cwd=run, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
            if p.returncode != 0:
                sys.exit(f"{d}: the program ended with status {p.returncode}: {p.stderr.decode()}")
            expected_dir = os.path.join(REPO, "tests", "data", "examples", d)
            for name in sorted(set(os.listdir(run)) - before):
                if not name.endswith((".dat", ".inx")):
                    continue
                want = os.path.join(expected_dir, name)
                got = os.path.join(run, name)
                compare(f"tests/data/examples/{d}/{name}", want, got, changes)
                if write:
                    shutil.copy(got, want)

        ref_dir = os.path.join(REPO, "tests", "data", "physics")
        subprocess.run([REFERENCE_PYTHON, "emissions_reference.py", "--log", tmp], cwd=ref_dir, check=True,
                       stdout=subprocess.DEVNULL)
        want = os.path.join(ref_dir, "emissions_step.log")
        compare("tests/data/physics/emissions_step.log", want, os.path.join(tmp, "emissions_step.log"), changes)
        if write:
            shutil.copy(os.path.join(tmp, "emissions_step.log"), want)

        line = subprocess.run([REFERENCE_PYTHON, "steady_reference.py"], check=True, capture_output=True,
                              cwd=os.path.join(REPO, "tests", "data", "examples")).stdout.decode().strip("\n")
        steady = records(os.path.join(REPO, "tests", "data", "examples", "steady_fixed", "steady_01.dat"))
        if line.encode() not in steady:
            changes.append(("steady_reference.py", 1))
            print("steady_reference.py: its source line is not in steady_01.dat:")
            print(f"  {line}")

    records_changed = sum(n for _, n in changes)
    print(f"{len(changes)} files differ, {records_changed} records")
    return 1 if changes and not write else 0


if __name__ == "__main__":
    sys.exit(main())
