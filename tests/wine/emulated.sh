#!/usr/bin/env bash
# What needs 32-bit code under Wine, inside the emulated machine
# (scripts/vm.sh) where the build machine runs none, in one boot: the 32-bit
# Wine suites, and the x64 DLL's road to a 32-bit vendor library through
# morvalith-vendor32.exe under WoW64. What differs from a native run: the
# base prefix is made in the machine's memory (Wine's first start does not
# complete on the shared folder), each suite's prefixes are copy-on-write
# views of it (a copy would cost minutes and memory), and the suites run
# side by side, each keeping its own wineserver warm.
# usage: tests/wine/emulated.sh [ctest arguments...]
set -u
cd "$(dirname "$0")/../.."
base=build/win/wine-base
mkdir -p "$base" /tmp/wine-base
mount --bind /tmp/wine-base "$base" || { echo "FAIL no memory-backed base prefix"; exit 1; }
trap 'umount "$base" 2>/dev/null' EXIT
# The helper's road meanwhile, with a 64-bit prefix of its own.
MORVALITH_WINE_COW=1 MORVALITH_ONLY_32BIT=1 MORVALITH_TIME_SCALE=10 bash tests/wine64/run.sh build/win64 build/win \
  >/tmp/wine64-vendor32.log 2>&1 &
helper=$!
# Everything takes some ten times as long here: the suites' time-outs too.
export MORVALITH_TIME_SCALE=${MORVALITH_TIME_SCALE:-10}
MORVALITH_WINE_COW=1 ctest --preset windows -L wine -FS built-files "$@"
suites=$?
wait "$helper"
road=$?
echo "x64 DLL through morvalith-vendor32.exe (64-bit Wine with WoW64):"
cat /tmp/wine64-vendor32.log
[ "$suites" = 0 ] && [ "$road" = 0 ]
