#!/usr/bin/env bash
# Installs what the host build needs, builds it and runs the probe on the
# built-in simulated machine (or on the scenario file given).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh host
cmake -S . -B build/host -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build build/host -j"$(nproc)" --target morvalith-probe
exec build/host/morvalith-probe "$@"
