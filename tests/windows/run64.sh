#!/usr/bin/env bash
# Checks on the x64 build's files: Morvalith.dll as the 64-bit loader needs
# it, with the same exports as the x86 one, system imports only, no start-up
# code, a version block; its import libraries; the programs beside it.
# usage: tests/windows/run64.sh <x64 build directory>
set -u
build=$1; here=$(cd "$(dirname "$0")" && pwd)
passed=0; failed=0
expect() {  # expect <name> <condition command...>
  local name=$1; shift
  if "$@"; then passed=$((passed + 1)); echo "ok   $name"; else failed=$((failed + 1)); echo "FAIL $name"; fi
}
dll=$build/Morvalith.dll
expect "PE32+ x86-64 DLL" grep -q 'PE32+ executable (DLL).*x86-64' <(file "$dll")
expect "the 64-bit loader's rules (NT 5.2 subsystem, relocations, no TLS, unwind tables)" python3 "$here/pe_x64.py" "$dll"
exports=$(python3 "$here/pe_exports.py" --plus "$dll")
expect "exports GetIDKey at 1 and GetUSBDriveLetter at 2, undecorated" test "$exports" = "dll Morvalith.dll
1 GetIDKey
2 GetUSBDriveLetter"
dump=$(x86_64-w64-mingw32-objdump -p "$dll")
imports=$(printf '%s\n' "$dump" | sed -n 's/^\s*DLL Name: //p' | tr 'a-z' 'A-Z' | sort | tr '\n' ' ')
expect "imports only system DLLs, no USER32 ($imports)" test "$imports" = "ADVAPI32.DLL KERNEL32.DLL MSVCRT.DLL SETUPAPI.DLL "
startup=$(printf '%s\n' "$dump" | grep -cE '\b(_initterm|_onexit|__dllonexit|atexit|_amsg_exit|__mingw[a-z_]*)$')
expect "imports none of the runtime's start-up or printf engine ($startup found)" test "$startup" = 0
sections=$(x86_64-w64-mingw32-objdump -h "$dll" | awk '$1 ~ /^[0-9]+$/ {print $2}' | tr '\n' ' ')
expect "no start-up sections ($sections)" bash -c '! grep -qE "\.(CRT|tls|ctors|dtors)" <<<"$0"' "$sections"
# 11,264 bytes now (the unwind tables included); 12 KiB leaves one
# file-alignment step of room, as for the x86 DLL.
size=$(stat -c %s "$dll")
expect "Morvalith.dll (x64) is 12 KiB or less ($size bytes)" test "$size" -le 12288
version=$(sed -n 's/^project(Morvalith VERSION \([0-9]*\)\.\([0-9]*\)\.\([0-9]*\)\.\([0-9]*\).*/\1, \2, \3, \4/p' "$here/../../CMakeLists.txt")
expect "version block ($version)" bash -c 'x86_64-w64-mingw32-windres -i "$0" -O rc 2>/dev/null | grep -q "^ FILEVERSION $1$"' "$dll" "$version"
imp=$(x86_64-w64-mingw32-nm "$build/libMorvalith.dll.a" 2>/dev/null | grep -o '__imp_Get[A-Za-z@0-9]*' | sort | tr '\n' ' ')
expect "MinGW import library names GetIDKey and GetUSBDriveLetter ($imp)" test "$imp" = "__imp_GetIDKey __imp_GetUSBDriveLetter "
msvc=$(llvm-nm-14 "$build/Morvalith.lib" 2>/dev/null || llvm-nm "$build/Morvalith.lib" 2>/dev/null)
expect "MSVC import library for x64 names both" bash -c 'grep -q "__imp_GetIDKey$" <<<"$0" && grep -q "__imp_GetUSBDriveLetter$" <<<"$0"' "$msvc"
for program in morvalith-probe morvalith-check morvalith-sim; do
  expect "$program.exe is an x64 program" grep -q 'PE32+ executable.*x86-64' <(file "$build/$program.exe")
done
# Every x64 file starts on 64-bit XP and Server 2003: each import among the
# exports of that release's x64 system DLL (floor/winxp64, SOURCES.md).
floor_check() {  # floor_check <binary>
  local out
  out=$(python3 "$here/pe_floor.py" "$here/floor" "$1" winxp64) && return 0
  printf '%s\n' "$out" | grep '^FAIL' | sed 's/^/     /'
  return 1
}
for binary in Morvalith.dll morvalith-probe.exe morvalith-check.exe morvalith-sim.exe; do
  expect "x64 $binary starts on 64-bit XP and Server 2003 (every import in their export lists)" floor_check "$build/$binary"
done
late=$(x86_64-w64-mingw32-objdump -p "$dll" | grep -cE '\b(GetVolumeNameForVolumeMountPointA|CM_Get_Parent|CM_Get_Device_IDA|MessageBoxA)$')
expect "x64: calls resolved at run time are not imported ($late found)" test "$late" = 0
# The check catches a fault: an x64 program importing GetTickCount64 (Vista).
bad=$(mktemp -d /tmp/morvalith-floor64.XXXXXX)
printf '#include <windows.h>\nint main(void) { return (int)GetTickCount64(); }\n' >"$bad/vista.c"
x86_64-w64-mingw32-gcc -D_WIN32_WINNT=0x0600 "$bad/vista.c" -o "$bad/vista.exe" 2>/dev/null
vista=$(python3 "$here/pe_floor.py" "$here/floor" "$bad/vista.exe" winxp64); vista_rc=$?
expect "the x64 check fails a program importing GetTickCount64 on 64-bit XP" \
  test "$vista_rc/$(grep '^FAIL.*KERNEL32' <<<"$vista")" = "1/FAIL vista.exe: winxp64: KERNEL32.dll lacks GetTickCount64"
rm -rf "$bad"
echo "windows64: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
