#!/usr/bin/env python3
"""Checks that an x64 DLL meets what the 64-bit Windows loader (XP x64 and
Server 2003, NT 5.2, and later) demands: PE32+ for AMD64, a DLL; subsystem
version 5.2 or lower and Win32VersionValue 0; SectionAlignment 0x1000 and
FileAlignment of at least 0x200; base relocations (a DLL is not always loaded
at its preferred base); no TLS directory (a DLL loaded with LoadLibrary gets
no TLS slot on XP and 2003); no load-config, bound-import or delay-load
directory; an exception directory (x64 unwinds every frame by its tables).

With --arm64, what the ARM64 loader of Windows 10 and later demands instead:
PE32+ for ARM64 (0xAA64); subsystem and operating-system versions from 6.2,
the lowest that Microsoft's linker gives an ARM64 image, up to 10.0 (a newer
one is refused by Windows 10); relocatable (ASLR, which ARM64 Windows
requires of every image, with the relocations to do it); the rest as for x64
(ARM64 unwinds by .pdata/.xdata too).

usage: pe_x64.py [--arm64] BINARY. Prints one line per finding, exits 1 when
any fails."""
import os
import struct
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from pe import Pe  # noqa: E402

arm64 = sys.argv[1] == "--arm64"
path = sys.argv[-1]
try:
    f = Pe(path, plus=True)
except ValueError as e:
    print("FAIL %s: %s" % (path, e))
    sys.exit(1)
d = f.data
coff = f.optional - 20
machine, characteristics = struct.unpack_from("<H", d, coff)[0], struct.unpack_from("<H", d, coff + 18)[0]
section_alignment, file_alignment = struct.unpack_from("<II", d, f.optional + 32)
os_version = struct.unpack_from("<HH", d, f.optional + 40)
subsystem_version = struct.unpack_from("<HH", d, f.optional + 48)
dll_characteristics = struct.unpack_from("<H", d, f.optional + 70)[0]
win32_version = struct.unpack_from("<I", d, f.optional + 52)[0]
findings = []
if arm64:
    if machine != 0xAA64:
        findings.append("machine 0x%x, not ARM64" % machine)
    for name, version in (("subsystem", subsystem_version), ("operating-system", os_version)):
        if not (6, 2) <= version <= (10, 0):
            findings.append("%s version %d.%d: outside 6.2 to 10.0" % ((name,) + version))
    if not dll_characteristics & 0x40:
        findings.append("not relocatable (no DYNAMIC_BASE): ARM64 Windows loads only images it can move")
elif machine != 0x8664:
    findings.append("machine 0x%x, not AMD64" % machine)
if not characteristics & 0x2000:
    findings.append("not a DLL")
if not arm64 and subsystem_version > (5, 2):
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
