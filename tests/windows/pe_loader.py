#!/usr/bin/env python3
"""Checks that a PE32 file meets what the Windows 98 SE and XP loaders and the
processors they run on demand, beyond the names it imports.

usage: pe_loader.py [--486] WAIVERS BINARY

- i386 PE32; subsystem version 3.10 to 4.x and operating-system version 4.x
  or lower (98 refuses a higher subsystem version: "requires a newer version
  of Windows"); Win32VersionValue 0 (the NT loader overwrites the version it
  reports to the process with it);
- SectionAlignment 0x1000 (the 9x loader maps sections by 4 KiB pages) and
  FileAlignment of at least 0x200; every section's data inside the file;
- for a DLL: base relocations (9x loads every DLL into the shared arena,
  rarely at its preferred base) and no TLS directory (a DLL loaded with
  LoadLibrary gets no TLS slot on 98 or XP);
- no load-config, bound-import or delay-load directory (2000/XP check a
  load-config's size against their own; bound imports name the exact system
  DLL time stamps of the build machine; delay-loads add a helper the 9x
  loader never runs);
- no ...W import of KERNEL32, USER32, GDI32 or ADVAPI32 that Windows 98 only
  stubs (ERROR_CALL_NOT_IMPLEMENTED), except names waived in WAIVERS;
- with --486: no instruction newer than the 486DX that Windows 98 SE runs on
  in executable sections: none of the Pentium's own (CPUID, RDTSC,
  CMPXCHG8B, RDMSR/WRMSR) nor the Pentium Pro's and later (CMOVcc, FCMOVcc,
  FCOMI and its kin, MMX, SSE, FXSAVE, SYSENTER).

Prints one line per finding and exits 1 when any rule fails."""
import os
import re
import struct
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from pe import Pe  # noqa: E402
from pe_floor import imports  # noqa: E402

# The Unicode calls that Windows 98 implements (the Microsoft Layer for Unicode
# documentation, "Unicode APIs already supported on Windows 95/98/Me"; Richter,
# Programming Applications for Microsoft Windows, chapter 2).
IMPLEMENTED_ON_98 = {
    "EnumResourceLanguagesW", "EnumResourceNamesW", "EnumResourceTypesW", "ExtTextOutW", "FindResourceW",
    "FindResourceExW", "GetCharWidthW", "GetCommandLineW", "GetTextExtentPoint32W", "GetTextExtentPointW",
    "lstrlenW", "MessageBoxExW", "MessageBoxW", "MultiByteToWideChar", "TextOutW", "WideCharToMultiByte",
}
STUBBED_DLLS = {"kernel32", "user32", "gdi32", "advapi32"}

# Mnemonics of the Pentium and later (objdump's AT&T spelling), and the MMX
# and SSE registers, which no earlier instruction names.
NEWER_MNEMONIC = re.compile(r"^(cpuid|rdtsc|cmpxchg8b|rdmsr|wrmsr|rsm|"
                            r"cmov[a-z]+|fcmov[a-z]+|f(u)?comip?|emms|fxsave|fxrstor|sysenter|sysexit|"
                            r"[lsm]fence|prefetch[a-z0-9]*|movnti|clflush|ldmxcsr|stmxcsr)$")
SIMD_REGISTER = re.compile(r"%x?mm[0-9]")

IMAGE_FILE_DLL = 0x2000
DIR_RELOC, DIR_TLS, DIR_LOAD_CONFIG, DIR_BOUND, DIR_DELAY = 5, 9, 10, 11, 13


def header_findings(f, size):
    o = f.optional
    d = f.data
    machine = struct.unpack_from("<H", d, o - 20)[0]
    characteristics = struct.unpack_from("<H", d, o - 2)[0]
    section_align, file_align = struct.unpack_from("<II", d, o + 32)
    os_ver = struct.unpack_from("<HH", d, o + 40)
    sub_ver = struct.unpack_from("<HH", d, o + 48)
    win32_version = struct.unpack_from("<I", d, o + 52)[0]
    directories = struct.unpack_from("<I", d, o + 92)[0]

    def directory(i):
        return struct.unpack_from("<II", d, o + 96 + 8 * i) if i < directories else (0, 0)

    found = []
    if machine != 0x14C:
        found.append("machine 0x%x, not i386" % machine)
    if not ((3, 10) <= sub_ver < (5, 0)):
        found.append("subsystem version %d.%02d, not 3.10 to 4.x" % sub_ver)
    if os_ver >= (5, 0):
        found.append("operating-system version %d.%d, above 4.x" % os_ver)
    if win32_version:
        found.append("Win32VersionValue %d, not 0" % win32_version)
    if section_align != 0x1000:
        found.append("SectionAlignment 0x%x, not 0x1000" % section_align)
    if file_align < 0x200:
        found.append("FileAlignment 0x%x, below 0x200" % file_align)
    for name, raw, rawsize in f.section_data:
        if raw + rawsize > size:
            found.append("section %s ends at 0x%x, past the end of the file (0x%x)" % (name, raw + rawsize, size))
    if characteristics & IMAGE_FILE_DLL:
        if directory(DIR_RELOC)[1] == 0:
            found.append("a DLL without base relocations")
        if directory(DIR_TLS)[0]:
            found.append("a DLL with a TLS directory")
    for index, what in ((DIR_LOAD_CONFIG, "load-config"), (DIR_BOUND, "bound-import"), (DIR_DELAY, "delay-load")):
        if directory(index)[0]:
            found.append("a %s directory" % what)
    return found


def unicode_findings(path, waivers):
    found = []
    for dll, name, _ in imports(path):
        key = dll.lower().removesuffix(".dll")
        if (name and key in STUBBED_DLLS and re.search(r"[a-z0-9]W$", name)
                and name not in IMPLEMENTED_ON_98 and name not in waivers):
            found.append("%s!%s is only a stub on Windows 98" % (dll, name))
    return found


def instruction_findings(path):
    out = subprocess.run(["i686-w64-mingw32-objdump", "-d", "--no-show-raw-insn", path],
                         capture_output=True, text=True, check=True).stdout
    counts = {}
    for line in out.splitlines():
        parts = line.split("\t")
        if len(parts) < 2 or not parts[0].rstrip().endswith(":"):
            continue
        words = parts[1].split()
        if not words:
            continue
        mnemonic = words[0]
        if NEWER_MNEMONIC.match(mnemonic) or SIMD_REGISTER.search(parts[1]):
            counts[mnemonic] = counts.get(mnemonic, 0) + 1
    return ["%d %s, newer than the 486" % (n, m) for m, n in sorted(counts.items())]


def read_waivers(path):
    """Waived names, one a line before a colon and its reason; # starts a comment."""
    waived = set()
    for line in open(path):
        line = line.split("#", 1)[0].strip()
        if line:
            name, _, reason = line.partition(":")
            if not reason.strip():
                raise ValueError("%s: %s is waived without a reason" % (path, name.strip()))
            waived.add(name.strip())
    return waived


def main():
    args = sys.argv[1:]
    older = "--486" in args
    args = [a for a in args if a != "--486"]
    if len(args) != 2:
        sys.exit(__doc__.split("\n\n")[1])
    waivers, binary = args
    shown = os.path.basename(binary)
    try:
        waived = read_waivers(waivers)
    except (OSError, ValueError) as e:
        print("FAIL %s" % e)
        return 2
    try:
        f = Pe(binary)
        found = header_findings(f, len(f.data)) + unicode_findings(binary, waived)
        if older:
            found += instruction_findings(binary)
    except (OSError, ValueError, struct.error, subprocess.CalledProcessError) as e:
        print("FAIL %s: cannot be read: %s" % (shown, e))
        return 1
    for line in found:
        print("FAIL %s: %s" % (shown, line))
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
