#!/usr/bin/env bash
# Installs what is missing, builds and runs every test, in tiers:
#   native host suites   the library on the simulated 64-bit Windows, built
#                        for this machine, under AddressSanitizer and UBSan;
#   32-bit host suites   the shipped DLL's own ABI and the Windows 9x road:
#                        directly, or through qemu-user (UBSan only) on a
#                        machine that runs no 32-bit code;
#   checks on the built files   the Windows build's files;
#   32-bit Wine suites   the real DLL under the real loader, beside the tiers
#                        after it;
#   the same bytes again a second build in another folder, which must give
#                        the same bytes;
#   x64 checks           the x64 build's files, and its DLL under 64-bit Wine
#                        (natively on any x86_64 machine);
#   ARM64                its files, and its DLL under 64-bit ARM
#                        Wine, emulated on every machine (qemu-user).
# The closing summary says of each tier how it ran, or why it did not; a
# tier that did not run is never counted as passed. The command fails when
# any tier that ran failed. scripts/machine.sh chooses the road
# (MORVALITH_EMULATE_32=1 forces the emulated one).
set -uo pipefail
cd "$(dirname "$0")/.."
source scripts/machine.sh
jobs=$(nproc)
start_all=$SECONDS
times=(); summary=(); failed=0
# stage <what> <command...>: runs a step that must work for anything to be
# tested (installing, building), and says how long it took.
stage() {
  local what=$1 start=$SECONDS; shift
  if ! "$@"; then echo "test.sh: $what failed"; exit 1; fi
  times+=("$(printf '%-34s %4d s' "$what" $((SECONDS - start)))")
}
# tier <name> <how it runs> <command...>: runs a tier of tests and records it.
tier() {
  local what=$1 how=$2 start=$SECONDS result; shift 2
  if "$@"; then result=passed; else result=FAILED; failed=1; fi
  summary+=("$(printf '%-28s %-8s %-40s %4d s' "$what" "$result" "$how" $((SECONDS - start)))")
}
# tier_start <name> <how it runs> <command...>: a tier that runs beside the
# ones after it (its output kept until tier_wait says it); tier_wait <name>.
declare -A background=()
tier_start() {
  local what=$1 how=$2 log; shift 2
  log=$(mktemp /tmp/morvalith-tier.XXXXXX)
  setsid "$@" >"$log" 2>&1 &
  background[$what]="$! $SECONDS $log $how"
}
# A background tier still running when the command ends (interrupted) ends
# too, with its processes (its own group: setsid).
trap 'for t in "${!background[@]}"; do read -r pid _ log _ <<<"${background[$t]}"; kill -- -"$pid" 2>/dev/null; rm -f "$log"; done' EXIT
tier_wait() {
  local what=$1 pid start log how result
  read -r pid start log how <<<"${background[$what]}"
  if wait "$pid"; then result=passed; else result=FAILED; failed=1; fi
  echo "== $what (beside the tiers before this line):"; cat "$log"; rm -f "$log"
  unset "background[$what]"
  summary+=("$(printf '%-28s %-8s %-40s %4d s' "$what" "$result" "$how" $((SECONDS - start)))")
}
# not_run <name> <why>
not_run() { summary+=("$(printf '%-28s %-8s %s' "$1" "not run" "$2")"); }

stage "packages" bash scripts/install-deps.sh all
# Decided once the 32-bit compiler is there.
road=$(morvalith_32bit_road)
[ "$road" = native ] || stage "packages (emulated road)" bash scripts/install-deps.sh emulated
host32=(-DMORVALITH_SANITIZERS=address,undefined -DMORVALITH_EMULATOR=)
if [ "$road" = emulated ]; then
  host32=(-DMORVALITH_SANITIZERS=undefined -DMORVALITH_EMULATOR="$(command -v qemu-i386-static)")
fi
stage "native host build" eval 'bash scripts/configure.sh host && cmake --build --preset host -j"$jobs"'
stage "32-bit host build" eval 'bash scripts/configure.sh host32 "${host32[@]}" && cmake --build --preset host32 -j"$jobs"'
stage "Windows build" eval 'bash scripts/configure.sh windows && cmake --build --preset windows -j"$jobs"'
stage "Windows build (x64)" eval 'bash scripts/configure.sh windows64 && cmake --build --preset windows64 -j"$jobs"'
# Before the checks on the built files: the release holds its DLL.
stage "Windows build (ARM64)" eval 'bash scripts/configure.sh windows-arm64 && cmake --build --preset windows-arm64 -j"$jobs"'

tier "native host suites" "natively, ASan + UBSan" ctest --preset host -j"$jobs"
if [ "$road" = native ]; then
  tier "32-bit host suites" "natively, ASan + UBSan" ctest --preset host32 -j"$jobs"
else
  tier "32-bit host suites" "under qemu-user (qemu-i386-static), UBSan" ctest --preset host32 -j"$jobs"
fi
# The checks on the built files first (the Wine suites use what they make).
tier "checks on the built files" "natively" ctest --preset windows -L windows -E reproducible
# Then the 32-bit Wine suites, beside every tier after them: they mostly wait
# on Wine's processes (natively, six suites at a time) or keep the emulated
# machine busy, and nothing after them needs what they do.
if [ "$road" = native ]; then
  tier_start "32-bit Wine suites" "natively (32-bit Wine)" ctest --preset windows -L wine -FS built-files
else
  # One boot of an emulated x86_64 machine for everything that needs 32-bit
  # Wine.
  tier_start "32-bit Wine suites" "in an emulated x86_64 machine (qemu-system-x86_64, TCG)" \
    bash scripts/vm.sh --timeout 3000 bash tests/wine/emulated.sh -j4
fi
# Run directly, not by CTest: the Wine suites' CTest is at work in that folder.
tier "the same bytes again" "a second build in another folder" bash tests/windows/reproducible.sh build/win
tier "checks on the x64 files" "natively" ctest --preset windows64 -L windows64
if [ "$(uname -m)" = x86_64 ] && [ "$road" = native ]; then
  tier "64-bit Wine suites" "natively (64-bit Wine, with WoW64)" ctest --preset windows64 -L wine64
elif [ "$(uname -m)" = x86_64 ]; then
  # A 64-bit prefix runs the 32-bit helper only where 32-bit code runs: that
  # road runs in the emulated machine, with the 32-bit Wine suites.
  tier "64-bit Wine suites" "natively (64-bit Wine); its 32-bit vendor road in the emulated machine" \
    env MORVALITH_NO_32BIT="this machine runs no 32-bit code" ctest --preset windows64 -L wine64
else
  not_run "64-bit Wine suites" "64-bit Wine runs x86_64 code, which this $(uname -m) machine does not"
fi

# ARM64: its files and its DLL under ARM64 Wine, one tier. That Wine runs
# under qemu-user on any machine (scripts/arm64-wine.sh); without qemu-user
# or a namespace of its own, the files alone are checked and the summary
# says why.
if arm64_why=$(bash scripts/arm64-wine.sh can-run 2>&1); then
  tier "ARM64 checks and suites" "Wine 8.0 arm64 under qemu-aarch64-static, root $(bash scripts/arm64-wine.sh kept)" \
    ctest --preset windows-arm64
else
  tier "ARM64 checks on the files" "natively; ARM64 Wine not run: ${arm64_why##*: }" \
    ctest --preset windows-arm64 -L windows-arm64
fi

tier_wait "32-bit Wine suites"

printf '%s\n' "${times[@]}"
echo
echo "what ran where (32-bit road: $road; $((SECONDS - start_all)) s in all):"
printf '  %s\n' "${summary[@]}"
exit "$failed"
