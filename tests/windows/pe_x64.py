#!/usr/bin/env python3
"""Checks that an x64 DLL meets what the 64-bit Windows loader (XP x64 and
Server 2003, NT 5.2, and later) demands: PE32+ for AMD64, a DLL; subsystem
version 5.2 or lower and Win32VersionValue 0; SectionAlignment 0x1000 and
FileAlignment of at least 0x200; base relocations (a DLL is not always loaded
at its preferred base); no TLS directory (a DLL loaded with LoadLibrary gets
no TLS slot on XP and 2003); no load-config, bound-import or delay-load
directory; an exception directory (x64 unwinds every frame by its tables).

usage: pe_x64.py BINARY. Prints one line per finding, exits 1 when any fails."""
import os
import struct
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from pe import Pe  # noqa: E402

path = sys.argv[1]
try:
    f = Pe(path, plus=True)
except ValueError as e:
    print("FAIL %s: %s" % (path, e))
    sys.exit(1)
d = f.data
coff = f.optional - 20
machine, characteristics = struct.unpack_from("<H", d, coff)[0], struct.unpack_from("<H", d, coff + 18)[0]
section_alignment, file_alignment = struct.unpack_from("<II", d, f.optional + 32)
subsystem_version = struct.unpack_from("<HH", d, f.optional + 48)
win32_version = struct.unpack_from("<I", d, f.optional + 52)[0]
findings = []
if machine != 0x8664:
    findings.append("machine 0x%x, not AMD64" % machine)
if not characteristics & 0x2000:
    findings.append("not a DLL")
if subsystem_version > (5, 2):
    findings.append("subsystem version %d.%d: XP x64 and 2003 refuse above 5.2" % subsystem_version)
if win32_version:
    findings.append("Win32VersionValue %d" % win32_version)
if section_alignment != 0x1000 or file_alignment < 0x200:
    findings.append("alignment 0x%x/0x%x" % (section_alignment, file_alignment))
if not f.directory(5) or not f.directory_size(5):
    findings.append("no base relocations")
if not f.directory(3):
    findings.append("no exception directory (.pdata): the system cannot unwind through the DLL's frames")
for index, name in ((9, "TLS"), (10, "load-config"), (11, "bound-import"), (13, "delay-load")):
    if f.directory(index):
        findings.append("a %s directory" % name)
for line in findings:
    print("FAIL %s: %s" % (os.path.basename(path), line))
sys.exit(1 if findings else 0)
