#!/usr/bin/env bash
# Installs what is missing, builds both builds and runs every test: the host
# suites (sanitized, against the simulated machine), the checks on the built
# DLL (and a second build in another folder, which must give the same
# bytes), and the end-to-end suite under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)
bash scripts/install-deps.sh all
cmake --preset host >/dev/null
cmake --build --preset host -j"$jobs"
cmake --preset windows >/dev/null
cmake --build --preset windows -j"$jobs"
ctest --preset host -j"$jobs"
# The checks on the built files first; then the second build and the Wine
# suites, side by side: six at a time (the preset's), as a Wine suite mostly
# waits on Wine's processes and windows, not on a processor.
ctest --preset windows
