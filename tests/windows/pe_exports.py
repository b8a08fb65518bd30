#!/usr/bin/env python3
"""Prints a PE file's export table as 'ordinal name' lines, one per exported
name, and 'ordinal (no name)' for entries exported by ordinal only."""
import struct
import sys

data = open(sys.argv[1], "rb").read()
pe = struct.unpack_from("<I", data, 0x3C)[0]
assert data[pe:pe + 4] == b"PE\0\0", "not a PE file"
sections_count = struct.unpack_from("<H", data, pe + 6)[0]
optional_size = struct.unpack_from("<H", data, pe + 20)[0]
optional = pe + 24
assert struct.unpack_from("<H", data, optional)[0] == 0x10B, "not PE32"
export_rva = struct.unpack_from("<I", data, optional + 96)[0]
sections = []
for i in range(sections_count):
    s = optional + optional_size + 40 * i
    vsize, va, rawsize, raw = struct.unpack_from("<IIII", data, s + 8)
    sections.append((va, max(vsize, rawsize), raw))


def offset(rva):
    for va, size, raw in sections:
        if va <= rva < va + size:
            return raw + rva - va
    raise ValueError("rva %x outside every section" % rva)


def text(rva):
    o = offset(rva)
    return data[o:data.index(b"\0", o)].decode("ascii")


if export_rva == 0:
    sys.exit("no export table")
e = offset(export_rva)
base, functions, names, functions_rva, names_rva, ordinals_rva = struct.unpack_from("<IIIIII", data, e + 16)
named = {}
for i in range(names):
    name_rva = struct.unpack_from("<I", data, offset(names_rva) + 4 * i)[0]
    index = struct.unpack_from("<H", data, offset(ordinals_rva) + 2 * i)[0]
    named[index] = text(name_rva)
print("dll %s" % text(struct.unpack_from("<I", data, e + 12)[0]))
for index in range(functions):
    if struct.unpack_from("<I", data, offset(functions_rva) + 4 * index)[0]:
        print("%d %s" % (base + index, named.get(index, "(no name)")))
