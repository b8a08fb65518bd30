#!/usr/bin/env bash
# Configures a preset's build folder, quietly: scripts/configure.sh <preset>
# [cmake arguments...]. A folder configured by an older checkout with
# another generator (Unix Makefiles, before the presets named Ninja) is
# configured afresh, which CMake otherwise refuses to do.
set -uo pipefail
cd "$(dirname "$0")/.."
out=$(cmake --preset "$@" 2>&1) && exit 0
if grep -q "Does not match the generator used previously" <<<"$out"; then
  out=$(cmake --preset "$@" --fresh 2>&1) && exit 0
fi
printf '%s\n' "$out" >&2
exit 1
