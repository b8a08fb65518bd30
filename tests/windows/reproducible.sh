#!/usr/bin/env bash
# Reproducible bytes: the source tree copied to another folder and built
# there gives the same release files, byte for byte, as the build given.
# A difference fails and names the file.
# usage: tests/windows/reproducible.sh <windows build directory>
set -u
build=$(cd "$1" && pwd)
root=$(cd "$(dirname "$0")/../.." && pwd)
other=$(mktemp -d /tmp/morvalith-again.XXXXXX)
trap 'rm -rf "$other"' EXIT
(cd "$root" && git ls-files -z --cached --others --exclude-standard | tar -c --null -T - -f -) | (mkdir -p "$other/tree" && tar -x -C "$other/tree" -f -)
cmake -S "$other/tree" -B "$other/build" -DCMAKE_TOOLCHAIN_FILE="$other/tree/cmake/mingw-i686.cmake" \
  -DCMAKE_BUILD_TYPE=Release >/dev/null &&
  cmake --build "$other/build" -j"$(nproc)" --target archive >/dev/null 2>&1 &&
  (cd "$build" && cmake --build . --target archive >/dev/null 2>&1) || { echo "FAIL reproducible: the second build failed"; exit 1; }
version=$(sed -n 's/^project(Morvalith VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
failed=0
for f in Morvalith.dll libMorvalith.dll.a Morvalith.lib morvalith-probe.exe morvalith-sim.exe morvalith-check.exe \
         "Morvalith-$version-win32.zip" SHA256SUMS; do
  if cmp -s "$build/$f" "$other/build/$f"; then echo "ok   reproducible: $f"
  else echo "FAIL reproducible: $f differs between two builds ($(cmp "$build/$f" "$other/build/$f" 2>&1 | head -1))"; failed=1; fi
done
exit $failed
