#!/usr/bin/env bash
# The DLL's size and the platform calls per exported function on generated
# machines (1 to 26 flash disks by as many removable volumes, Windows XP and
# Windows 7). Builds what it needs; prints a table.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh host
cmake -S . -B build/host -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build build/host -j"$(nproc)" --target morvalith-bench >/dev/null
if command -v i686-w64-mingw32-g++ >/dev/null; then
  cmake -S . -B build/win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build build/win -j"$(nproc)" --target Morvalith >/dev/null
fi
exec build/host/morvalith-bench build/win/Morvalith.dll
