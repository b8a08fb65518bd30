#!/usr/bin/env python3
"""Checks that a PE32 or PE32+ file starts on the Windows releases it claims: every
function it imports by name must be among the exports of that release's
system DLL (one name a line in FLOOR/<release>/<dll>.txt).

usage: pe_floor.py FLOOR BINARY RELEASE...

Prints one line per finding and exits 1 when any import is missing or taken by
ordinal. Imports from a DLL with no list for a release are listed, not failed:
nothing records what that release's DLL exported."""
import os
import struct
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from pe import Pe  # noqa: E402


def imports(path):
    """(dll, name or None, ordinal or None) for every import of a PE32 or
    PE32+ file (8-byte thunks, the ordinal flag in the top bit)."""
    try:
        f, width, flag = Pe(path), 4, 0x80000000
    except ValueError:
        f, width, flag = Pe(path, plus=True), 8, 1 << 63
    found = []
    import_rva = f.directory(1)
    if import_rva == 0:
        return found
    d = f.offset(import_rva)
    while True:
        lookup, _, _, name_rva, thunk = struct.unpack_from("<IIIII", f.data, d)
        if name_rva == 0:
            break
        dll = f.text(name_rva)
        t = f.offset(lookup or thunk)
        while True:
            entry = struct.unpack_from("<Q" if width == 8 else "<I", f.data, t)[0]
            if entry == 0:
                break
            if entry & flag:
                found.append((dll, None, entry & 0xFFFF))
            else:
                found.append((dll, f.text((entry & 0x7FFFFFFF) + 2), None))
            t += width
        d += 20
    return found


def main():
    if len(sys.argv) < 4:
        sys.exit(__doc__.split("\n\n")[1])
    floor, binary, releases = sys.argv[1], sys.argv[2], sys.argv[3:]
    shown = os.path.basename(binary)
    try:
        table = imports(binary)
    except (OSError, ValueError, struct.error) as e:
        print("FAIL %s: cannot be read: %s" % (shown, e))
        return 1
    bad = 0
    for release in releases:
        lists = {}
        for dll, name, ordinal in table:
            key = dll.lower().removesuffix(".dll")
            if key not in lists:
                path = os.path.join(floor, release, key + ".txt")
                lists[key] = set(open(path).read().split()) if os.path.exists(path) else None
                if lists[key] is None:
                    print("note %s: %s: no list of %s's exports; its imports are not checked" % (shown, release, dll))
            if name is None:
                bad += 1
                print("FAIL %s: %s: %s imported by ordinal %d" % (shown, release, dll, ordinal))
            elif lists[key] is None:
                print("note %s: %s: unchecked %s!%s" % (shown, release, dll, name))
            elif name not in lists[key]:
                bad += 1
                print("FAIL %s: %s: %s lacks %s" % (shown, release, dll, name))
    return 1 if bad else 0


if __name__ == "__main__":
    sys.exit(main())
