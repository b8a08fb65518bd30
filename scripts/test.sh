#!/usr/bin/env bash
# Installs what is missing, builds both builds and runs every test: the host
# suites (sanitized, against the simulated machine), the checks on the built
# DLL (and a second build in another folder, which must give the same
# bytes), and the end-to-end suite under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)
# stage <what> <command...>: runs it and says how long it took, so that the
# time the command takes can be read off its end.
times=()
stage() {
  local what=$1 start=$SECONDS; shift
  "$@"
  times+=("$(printf '%-34s %4d s' "$what" $((SECONDS - start)))")
}
stage "packages" bash scripts/install-deps.sh all
stage "host build" eval 'cmake --preset host >/dev/null && cmake --build --preset host -j"$jobs"'
stage "Windows build" eval 'cmake --preset windows >/dev/null && cmake --build --preset windows -j"$jobs"'
stage "host suites" ctest --preset host -j"$jobs"
# The checks on the built files first; then the second build and the Wine
# suites, side by side: six at a time (the preset's), as a Wine suite mostly
# waits on Wine's processes and windows, not on a processor.
stage "checks, second build, Wine suites" ctest --preset windows
printf '%s\n' "${times[@]}"
