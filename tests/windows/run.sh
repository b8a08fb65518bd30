#!/usr/bin/env bash
# Checks on the built Windows files themselves: PE32 DLL, system imports only.
# usage: tests/windows/run.sh <windows build directory>
set -u
build=$1
passed=0; failed=0
expect() {  # expect <name> <condition command...>
  local name=$1; shift
  if "$@"; then passed=$((passed + 1)); echo "ok   $name"; else failed=$((failed + 1)); echo "FAIL $name"; fi
}
dump=$(i686-w64-mingw32-objdump -p "$build/Morvalith.dll")
imports=$(printf '%s\n' "$dump" | sed -n 's/^\s*DLL Name: //p' | tr 'a-z' 'A-Z' | sort | tr '\n' ' ')
expect "PE32 i386 DLL" grep -q 'PE32 executable (DLL).*Intel 80386' <(file "$build/Morvalith.dll")
# USER32 is loaded only when GetIDKey has an error box to show: a console
# host must not pay for it at every load.
expect "imports only system DLLs, no USER32 ($imports)" test "$imports" = "ADVAPI32.DLL KERNEL32.DLL MSVCRT.DLL SETUPAPI.DLL "
# The lean build: small, and without the C runtime's start-up code (nothing
# may need static constructors, TLS, atexit or pseudo-relocations). 11,776
# bytes now; 12 KiB leaves one file-alignment step of room, so a library
# state stored as zeros in the file (1 KiB) or any new bulk fails here.
size=$(stat -c %s "$build/Morvalith.dll")
expect "Morvalith.dll is 12 KiB or less ($size bytes)" test "$size" -le 12288
bss=$(i686-w64-mingw32-objdump -h "$build/Morvalith.dll" | awk '$2 == ".bss" && $6 == "00000000" {print "uninitialised"}')
expect "the library state is in .bss, not stored in the file" test "$bss" = uninitialised
sections=$(i686-w64-mingw32-objdump -h "$build/Morvalith.dll" | awk '$1 ~ /^[0-9]+$/ {print $2}' | tr '\n' ' ')
expect "no start-up sections ($sections)" bash -c '! grep -qE "\.(CRT|tls|ctors|dtors|eh_fram)" <<<"$0"' "$sections"
startup=$(printf '%s\n' "$dump" | grep -cE '\b(_initterm|_onexit|__dllonexit|atexit|_amsg_exit|__mingw[a-z_]*)$')
expect "imports none of the runtime's start-up or printf engine ($startup found)" test "$startup" = 0
for suite in "$(dirname "$0")"/check-*.sh; do [ -e "$suite" ] && . "$suite"; done
echo "windows: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
