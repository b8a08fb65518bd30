#!/usr/bin/env bash
# The x64 Morvalith.dll under the real 64-bit loader (64-bit Wine, which runs
# natively on every x86_64 machine): the binding's refusal lines exactly, on
# 64-bit XP/Server 2003 (5.2), Windows 7 (6.1) and an NT 4 machine, as the
# x64 morvalith-probe.exe beside it reports them.
# usage: tests/wine64/run.sh <x64 build directory>
#   MORVALITH_WINE64_PREFIX=dir  keeps the 64-bit prefix there between runs
#                                (a new one takes minutes)
set -u
build=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d /tmp/morvalith-wine64.XXXXXX)
trap 'rm -rf "$work"' EXIT
export WINEDEBUG=-all WINEARCH=win64 DISPLAY= WINEDLLOVERRIDES="mscoree,mshtml="
wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
base=${MORVALITH_WINE64_PREFIX:-$work/base}
if [ ! -f "$base/system.reg" ]; then
  rm -rf "$base"
  WINEPREFIX=$base "$wine" wineboot -i >/dev/null 2>&1
  WINEPREFIX=$base wineserver -w
  [ -f "$base/system.reg" ] || { echo "FAIL wineboot made no 64-bit prefix in $base"; exit 1; }
fi
version=$(sed -n 's/^project(Morvalith VERSION \([0-9.]*\).*/\1/p' "$here/../../CMakeLists.txt")
passed=0; failed=0; n=0
prefix() {  # <Windows version as Wine names it>
  n=$((n + 1))
  export WINEPREFIX=$work/p$n
  cp -a "$base" "$WINEPREFIX"
  "$wine" reg add 'HKCU\Software\Wine' /v Version /d "$1" /f >/dev/null 2>&1
  wineserver -w
  app=$work/app$n
  mkdir -p "$app"
  cp "$build"/Morvalith.dll "$build"/morvalith-probe.exe "$app"/
}
finish() { wineserver -k >/dev/null 2>&1; wineserver -w; }
check() {  # <name> <expected exit> <expected output> <program> [args...]
  local name=$1 want_rc=$2 want=$3 out rc; shift 3
  (cd "$app" && timeout 120 "$wine" "$@" >"$work/out" 2>/dev/null); rc=$?
  out=$(cat "$work/out"); out=${out//"Z:${app//\//\\}"/APP}
  if [ "$rc" = "$want_rc" ] && [ "$out" = "$want" ]; then
    passed=$((passed + 1)); echo "ok   $name"
  else
    failed=$((failed + 1)); echo "FAIL $name (exit $rc, expected $want_rc)"
    diff <(printf '%s\n' "$want") <(printf '%s\n' "$out") | sed 's/^/     /'
  fi
}
for os in "win2003 5.2" "win7 6.1"; do
  set -- $os
  prefix "$1"
  check "x64 on $1 without a flash disk" 1 "probe: morvalith-probe.exe $version
machine: Windows $2, platform 2
[LIB] Can not find Alcor flash disk
load: Morvalith.dll refused to load (error 1114)
  file: APP\\Morvalith.dll, version $version" morvalith-probe.exe
  finish
done
# Below version 5 the x64 library refuses without a word, as NT 4 is
# refused by the x86 one (there is no 64-bit Windows 9x, so no ASPI road).
prefix nt40
check "x64 on nt40 is refused silently" 1 "probe: morvalith-probe.exe $version
machine: Windows 4.0, platform 2
load: Morvalith.dll refused to load (error 1114)
  file: APP\\Morvalith.dll, version $version" morvalith-probe.exe
finish
echo "wine64: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
