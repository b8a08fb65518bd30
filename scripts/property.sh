#!/usr/bin/env bash
# Runs the random-machine property test on fresh seeds for as long as asked
# (default 60 s). A failure prints its seed; replay it with
#   bash scripts/property.sh --seed N
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh host
bash scripts/configure.sh host
cmake --build build/host -j"$(nproc)" --target morvalith-tests >/dev/null
if [ "${1:-}" = "--seed" ]; then
  export MORVALITH_PROPERTY_SEED=$2
else
  export MORVALITH_PROPERTY_SECONDS=${1:-60}
fi
exec build/host/morvalith-tests --gtest_filter='Property.*' --gtest_brief=1
