#!/usr/bin/env bash
# Installs what is missing, builds both builds and runs every test: the host
# suites (sanitized, against the simulated machine), the checks on the built
# DLL (and a second build in another folder, which must give the same
# bytes), and the end-to-end suite under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)
bash scripts/install-deps.sh all
cmake -S . -B build/host -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build build/host -j"$jobs"
cmake -S . -B build/win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_INSTALL_PREFIX="$PWD/build/sdk" >/dev/null
cmake --build build/win -j"$jobs"
ctest --test-dir build/host --output-on-failure -j"$jobs"
# The checks on the built files first; then the second build and the Wine
# suites, side by side.
ctest --test-dir build/win --output-on-failure -j"$jobs"
