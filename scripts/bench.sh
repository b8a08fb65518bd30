#!/usr/bin/env bash
# The DLL's size and the platform calls per exported function on generated
# machines (1 to 26 flash disks by as many removable volumes, Windows XP and
# Windows 7); then, under Wine, what a load costs against empty DLLs that
# refuse to load as well. Builds what it needs; prints tables.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh host
bash scripts/configure.sh host
cmake --build build/host -j"$(nproc)" --target morvalith-bench >/dev/null
if command -v i686-w64-mingw32-g++ >/dev/null; then
  bash scripts/configure.sh windows
  cmake --build build/win -j"$(nproc)" --target Morvalith load-time empty-0 empty-1 empty-2 >/dev/null
fi
build/host/morvalith-bench build/win/Morvalith.dll
command -v wine >/dev/null && [ -f build/win/load-time.exe ] || { echo "load time: skipped (no Wine or no Windows build)"; exit 0; }

# Load time: the median of many loads, each in a fresh process on a plain
# prefix (no flash disk, so Morvalith.dll refuses, as the empty DLLs do).
# Almost all of a load is the system DLLs it imports: a new import shows
# here as a cost.
runs=${BENCH_LOAD_RUNS:-21}
work=$(mktemp -d /tmp/morvalith-bench.XXXXXX)
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEARCH=win32 DISPLAY= WINEDLLOVERRIDES="mscoree,mshtml="
trap 'wineserver -k >/dev/null 2>&1; rm -rf "$work"' EXIT
wineboot -i >/dev/null 2>&1; wineserver -w
cp build/win/load-time.exe build/win/Morvalith.dll build/win/bench-empty-*.dll "$work/"
median() {  # median <dll>: microseconds
  for _ in $(seq "$runs"); do (cd "$work" && wine load-time.exe "$1" 2>/dev/null | tr -d "\r" | grep -E "^[0-9]+$"); done |
    sort -n | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}'
}
wine "$work/load-time.exe" "$work/bench-empty-0.dll" >/dev/null 2>&1  # warm the prefix
morvalith=$(median Morvalith.dll); same=$(median bench-empty-1.dll)
user32=$(median bench-empty-2.dll); none=$(median bench-empty-0.dll)
echo
echo "load time under Wine, median of $runs loads in fresh processes (microseconds):"
printf '  %-58s %8s\n' "Morvalith.dll (refuses: no flash disk)" "$morvalith" \
  "empty DLL, Morvalith.dll's imports" "$same" \
  "empty DLL, Morvalith.dll's imports and USER32" "$user32" \
  "empty DLL, no imports" "$none"
awk -v m="$morvalith" -v s="$same" -v u="$user32" -v n="$none" 'BEGIN {
  printf "  Morvalith.dll / empty with the same imports: %.2f\n", m / s
  printf "  Morvalith.dll / empty with no imports:       %.2f\n", m / n
  printf "  what USER32 would add (empty with it / without): %.2f\n", u / s }'
