#!/usr/bin/env bash
# Checks on the ARM64 build's files: Morvalith.dll as the ARM64 loader needs
# it, with the same exports as the other sizes, system imports only and each
# among ARM64 Windows' exports, no start-up code, a version block; its
# import libraries; and that the loader rules fail files that break them.
# usage: tests/windows/run-arm64.sh <ARM64 build directory>
set -u
build=$1; here=$(cd "$(dirname "$0")" && pwd)
passed=0; failed=0
expect() {  # expect <name> <condition command...>
  local name=$1; shift
  if "$@"; then passed=$((passed + 1)); echo "ok   $name"; else failed=$((failed + 1)); echo "FAIL $name"; fi
}
dll=$build/Morvalith.dll
expect "PE32+ ARM64 DLL" grep -q 'PE32+ executable (DLL).*Aarch64' <(file "$dll")
loader=$(python3 "$here/pe_x64.py" --arm64 "$dll")
expect "the ARM64 loader's rules (0xAA64, versions 6.2 to 10.0, relocatable, no TLS, unwind tables)" test -z "$loader"
printf '%s\n' "$loader" | sed '/^$/d; s/^/     /'
exports=$(python3 "$here/pe_exports.py" --plus "$dll")
expect "exports GetIDKey at 1 and GetUSBDriveLetter at 2, undecorated" test "$exports" = "dll Morvalith.dll
1 GetIDKey
2 GetUSBDriveLetter"
dump=$(llvm-objdump-14 -p "$dll")
imports=$(printf '%s\n' "$dump" | sed -n 's/^\s*DLL Name: //p' | tr 'a-z' 'A-Z' | sort | tr '\n' ' ')
expect "imports only system DLLs, no USER32 ($imports)" test "$imports" = "ADVAPI32.DLL KERNEL32.DLL MSVCRT.DLL SETUPAPI.DLL "
startup=$(printf '%s\n' "$dump" | grep -cE '\b(_initterm|_onexit|__dllonexit|atexit|_amsg_exit|__mingw[a-z_]*|__chkstk)$')
expect "imports none of a runtime's start-up, printf engine or stack probe ($startup found)" test "$startup" = 0
sections=$(llvm-objdump-14 -h "$dll" | awk '$1 ~ /^[0-9]+$/ {print $2}' | tr '\n' ' ')
expect "no start-up sections ($sections)" bash -c '! grep -qE "\.(CRT|tls|ctors|dtors)" <<<"$0"' "$sections"
# The library state takes no room in the file: lld keeps it at the end of
# .data, beyond the section's bytes in the file.
state=$(llvm-readobj-14 --sections "$dll" | python3 -c '
import re, sys
t = sys.stdin.read().split("Name: .data ")[1]
v, r = (int(re.search(k + r": (\S+)", t).group(1), 0) for k in ("VirtualSize", "RawDataSize"))
print("beyond" if v > r else "stored")')
expect "the library state is not stored in the file" test "$state" = beyond
# 12,288 bytes now (ARM64's fixed-size instructions, and its unwind
# tables): at the limit the other sizes are held to, with no room left.
size=$(stat -c %s "$dll")
expect "Morvalith.dll (ARM64) is 12 KiB or less ($size bytes)" test "$size" -le 12288
version=$(sed -n 's/^project(Morvalith VERSION \([0-9.]*\).*/\1/p' "$here/../../CMakeLists.txt")
fixed=$(python3 - "$dll" <<'PY'
import struct, sys
d = open(sys.argv[1], "rb").read()
at = d.find(struct.pack("<I", 0xFEEF04BD))  # VS_FIXEDFILEINFO's signature
if at >= 0:
    ms, ls = struct.unpack_from("<II", d, at + 8)
    print("%d.%d.%d.%d" % (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF))
PY
)
expect "version block ($fixed)" test "$fixed" = "$version"
for lib in libMorvalith.dll.a Morvalith.lib; do
  names=$(llvm-nm-14 "$build/$lib" 2>/dev/null | grep -o '__imp_Get[A-Za-z@0-9]*' | sort | tr '\n' ' ')
  formats=$(llvm-readobj-14 "$build/$lib" 2>/dev/null | sed -n 's/^Format: //p' | sort -u | tr '\n' ' ')
  expect "$lib names GetIDKey and GetUSBDriveLetter for ARM64 ($names; $formats)" \
    test "$names/$formats" = "__imp_GetIDKey __imp_GetUSBDriveLetter /COFF-ARM64 COFF-import-file "
done
# The DLL starts on ARM64 Windows: each import among the exports of that
# system DLL (floor/win10arm64, SOURCES.md), the lists its import libraries
# were made from.
floor=$(python3 "$here/pe_floor.py" "$here/floor" "$dll" win10arm64); floor_rc=$?
expect "ARM64 Morvalith.dll starts on ARM64 Windows 10 (every import in its export lists)" test "$floor_rc" = 0
printf '%s\n' "$floor" | grep -E '^(FAIL|note)' | sed 's/^/     /'
late=$(printf '%s\n' "$dump" | grep -cE '\b(GetVolumeNameForVolumeMountPointA|CM_Get_Parent|CM_Get_Device_IDA|MessageBoxA)$')
expect "ARM64: calls resolved at run time are not imported ($late found)" test "$late" = 0

# The checks catch their faults: a program importing a KERNEL32 call that
# x64 Windows alone has (user-mode scheduling) fails the floor, and a copy
# of the DLL broken in each rule fails the loader's check, naming the rule.
bad=$(mktemp -d /tmp/morvalith-arm64.XXXXXX)
printf 'LIBRARY kernel32.dll\nEXPORTS\nCreateUmsThreadContext\n' >"$bad/ums.def"
printf 'int __stdcall CreateUmsThreadContext(void *);\nvoid Start(void) { CreateUmsThreadContext(0); }\n' >"$bad/ums.c"
llvm-dlltool-14 -m arm64 -d "$bad/ums.def" -l "$bad/libums.a" &&
  clang-14 --target=aarch64-w64-mingw32 -fuse-ld=lld -nostdlib -Wl,--entry,Start "$bad/ums.c" "$bad/libums.a" \
    -o "$bad/ums.exe" 2>/dev/null
ums=$(python3 "$here/pe_floor.py" "$here/floor" "$bad/ums.exe" win10arm64); ums_rc=$?
expect "the ARM64 floor fails a program importing CreateUmsThreadContext (x64 only)" \
  test "$ums_rc/$(grep '^FAIL' <<<"$ums")" = "1/FAIL ums.exe: win10arm64: kernel32.dll lacks CreateUmsThreadContext"
broken() {  # broken <name> <python statement on bytearray d, PE header at pe, optional header at o> <finding>
  python3 - "$dll" "$bad/broken.dll" "$2" <<'PY'
import struct, sys
d = bytearray(open(sys.argv[1], "rb").read())
pe = struct.unpack_from("<I", d, 0x3C)[0]
o = pe + 24
exec(sys.argv[3])
open(sys.argv[2], "wb").write(d)
PY
  local out; out=$(python3 "$here/pe_x64.py" --arm64 "$bad/broken.dll")
  expect "the ARM64 loader check fails a DLL with $1" grep -qF "$3" <<<"$out"
}
while IFS='|' read -r name change finding; do
  broken "$name" "$change" "$finding"
done <<'TABLE'
the x64 machine|struct.pack_into("<H", d, pe + 4, 0x8664)|machine 0x8664, not ARM64
subsystem version 10.1|struct.pack_into("<HH", d, o + 48, 10, 1)|subsystem version 10.1: outside 6.2 to 10.0
operating-system version 6.0|struct.pack_into("<HH", d, o + 40, 6, 0)|operating-system version 6.0: outside 6.2 to 10.0
no DYNAMIC_BASE|struct.pack_into("<H", d, o + 70, struct.unpack_from("<H", d, o + 70)[0] & ~0x40)|not relocatable
no exception directory|struct.pack_into("<II", d, o + 112 + 8 * 3, 0, 0)|no exception directory
a TLS directory|struct.pack_into("<II", d, o + 112 + 8 * 9, 0x1000, 40)|a TLS directory
TABLE
rm -rf "$bad"
echo "windows-arm64: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
