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
# The first build's generator: another's programs differ in bytes (the
# unwind tables), which is no leak.
generator=$(sed -n 's/^CMAKE_GENERATOR:INTERNAL=//p' "$build/CMakeCache.txt")
# Every kind: the archive holds the x64 and ARM64 builds' files too.
x64=$(cd "$build/.." && pwd)/win64
arm64=$(cd "$build/.." && pwd)/win-arm64
cmake -G "$generator" -S "$other/tree" -B "$other/build64" -DCMAKE_TOOLCHAIN_FILE="$other/tree/cmake/mingw-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release >/dev/null &&
  cmake --build "$other/build64" -j"$(nproc)" --target Morvalith morvalith-probe morvalith-sim morvalith-check >/dev/null 2>&1 &&
cmake -G "$generator" -S "$other/tree" -B "$other/build-arm64" -DCMAKE_TOOLCHAIN_FILE="$other/tree/cmake/clang-aarch64.cmake" \
  -DCMAKE_BUILD_TYPE=Release >/dev/null &&
  cmake --build "$other/build-arm64" -j"$(nproc)" --target Morvalith >/dev/null 2>&1 &&
cmake -G "$generator" -S "$other/tree" -B "$other/build" -DCMAKE_TOOLCHAIN_FILE="$other/tree/cmake/mingw-i686.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DMORVALITH_X64_BUILD="$other/build64" -DMORVALITH_ARM64_BUILD="$other/build-arm64" >/dev/null &&
  cmake --build "$other/build" -j"$(nproc)" --target archive >/dev/null 2>&1 &&
  (cd "$build" && cmake --build . --target archive >/dev/null 2>&1) || { echo "FAIL reproducible: the second build failed"; exit 1; }
version=$(sed -n 's/^project(Morvalith VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
failed=0
for f in Morvalith.dll libMorvalith.dll.a Morvalith.lib morvalith-probe.exe morvalith-sim.exe morvalith-check.exe \
         "Morvalith-$version-win32.zip" SHA256SUMS; do
  if cmp -s "$build/$f" "$other/build/$f"; then echo "ok   reproducible: $f"
  else echo "FAIL reproducible: $f differs between two builds ($(cmp "$build/$f" "$other/build/$f" 2>&1 | head -1))"; failed=1; fi
done
for f in Morvalith.dll libMorvalith.dll.a Morvalith.lib Morvalith.def morvalith-probe.exe morvalith-sim.exe morvalith-check.exe; do
  if cmp -s "$x64/$f" "$other/build64/$f"; then echo "ok   reproducible: x64 $f"
  else echo "FAIL reproducible: x64 $f differs between two builds ($(cmp "$x64/$f" "$other/build64/$f" 2>&1 | head -1))"; failed=1; fi
done
for f in Morvalith.dll libMorvalith.dll.a Morvalith.lib Morvalith.def; do
  if cmp -s "$arm64/$f" "$other/build-arm64/$f"; then echo "ok   reproducible: ARM64 $f"
  else echo "FAIL reproducible: ARM64 $f differs between two builds ($(cmp "$arm64/$f" "$other/build-arm64/$f" 2>&1 | head -1))"; failed=1; fi
done
exit $failed
