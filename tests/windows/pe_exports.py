#!/usr/bin/env python3
"""Prints a PE file's export table as 'ordinal name' lines, one per exported
name, and 'ordinal (no name)' for entries exported by ordinal only."""
import os
import struct
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from pe import Pe  # noqa: E402

# --plus: a PE32+ (x64) file.
plus = sys.argv[1] == "--plus"
f = Pe(sys.argv[-1], plus)
data = f.data
export_rva = f.directory(0)
if export_rva == 0:
    sys.exit("no export table")
e = f.offset(export_rva)
base, functions, names, functions_rva, names_rva, ordinals_rva = struct.unpack_from("<IIIIII", data, e + 16)
named = {}
for i in range(names):
    name_rva = struct.unpack_from("<I", data, f.offset(names_rva) + 4 * i)[0]
    index = struct.unpack_from("<H", data, f.offset(ordinals_rva) + 2 * i)[0]
    named[index] = f.text(name_rva)
print("dll %s" % f.text(struct.unpack_from("<I", data, e + 12)[0]))
for index in range(functions):
    if struct.unpack_from("<I", data, f.offset(functions_rva) + 4 * index)[0]:
        print("%d %s" % (base + index, named.get(index, "(no name)")))
