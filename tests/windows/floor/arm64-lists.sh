#!/usr/bin/env bash
# Makes the ARM64 export lists (win10arm64/) from mingw-w64's import-library
# definitions, as Debian's source package mingw-w64 10.0.0-3 holds them
# (`apt-get source mingw-w64`): each definition preprocessed for ARM64
# (DEF_ARM64), its export names without decoration, comments or aliases,
# sorted and unique. SOURCES.md says what they are worth.
# usage: arm64-lists.sh <mingw-w64 source folder> [output folder]
set -euo pipefail
src=$1/mingw-w64-crt; out=${2:-$(dirname "$0")/win10arm64}
mkdir -p "$out"
for def in kernel32.def.in advapi32.def.in msvcrt.def.in setupapi.def user32.def.in version.def; do
  clang-14 -E -P -x c -DDEF_ARM64 -I"$src/def-include" "$src/lib-common/$def" |
    sed 's/;.*//' | awk '/^[ \t]*EXPORTS/ { e = 1; next } e && NF { print $1 }' |
    sed 's/@[0-9]*$//; s/==.*//' | LC_ALL=C sort -u >"$out/${def%%.*}.txt"
done
