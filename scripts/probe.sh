#!/usr/bin/env bash
# Installs what the native host build needs, builds it and runs the probe on the
# built-in simulated machine (or on the scenario or capture file given, a
# path relative to the folder it is run from).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/install-deps.sh" host
bash "$root/scripts/configure.sh" host
cmake --build "$root/build/host" -j"$(nproc)" --target morvalith-sim
exec "$root/build/host/morvalith-sim" "$@"
