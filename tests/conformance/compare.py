#!/usr/bin/env python3
"""Compares a transcript of the contract probes with what Windows answers.

usage: compare.py VERSION EXPECTED TRANSCRIPT [WINE_DIFFERENCES] [--label TEXT]

VERSION (winxp, win7) picks the lines tagged for it. With WINE_DIFFERENCES the
transcript is Wine's: each listed line replaces the expected line of its
probe ("absent": Wine prints no such line). Prints one line per probe that
differs, then a summary; exits 1 when any differs."""
import sys


def entries(path, version):
    """(probe name, line, settled) in file order, for this version."""
    found = []
    settled = True
    for raw in open(path, encoding="utf-8"):
        line = raw.rstrip("\n")
        if line.startswith("# source:"):
            settled = True
        elif line.startswith("# unsettled:") or line.startswith("# unsettled,"):
            settled = False
        if not line or line.startswith("#"):
            continue
        if line.startswith("["):
            tag, _, line = line.partition("] ")
            if tag[1:] != version:
                continue
        found.append((line.split(": ", 1)[0], line, settled))
    return found


def main(argv):
    label = None
    if "--label" in argv:
        i = argv.index("--label")
        label = argv[i + 1]
        del argv[i:i + 2]
    if len(argv) not in (3, 4):
        sys.exit(__doc__.split("\n\n")[1])
    version, expected_path, transcript_path = argv[:3]
    expected = entries(expected_path, version)
    differences = {name: line for name, line, _ in entries(argv[3], version)} if len(argv) == 4 else {}
    got = {}
    for raw in open(transcript_path, encoding="utf-8", errors="replace"):
        line = raw.rstrip("\r\n")
        if ": " in line:
            got.setdefault(line.split(": ", 1)[0], line)
    bad = 0
    names = set()
    for name, line, _ in expected:
        names.add(name)
        want = differences.get(name, line)
        have = got.get(name)
        if want.endswith(": absent") and have is None:
            continue
        if have != want:
            bad += 1
            print("FAIL %s\n     expected %s\n     got      %s" % (name, want, have if have is not None else "(no line)"))
    for name in sorted(set(got) - names):
        bad += 1
        print("FAIL %s: not in the expected answers: %s" % (name, got[name]))
    settled = sum(1 for _, _, s in expected if s)
    summary = "%s %s: %d probes, %d differ; %d settled by a source, %d a stated choice" % (
        label or "conformance", version, len(expected), bad, settled, len(expected) - settled)
    if differences:
        summary += "; %d Wine differences listed" % len(differences)
    print(summary)
    return 1 if bad else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
