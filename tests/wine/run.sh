#!/usr/bin/env bash
# End-to-end: the real Morvalith.dll loaded by real 32-bit hosts under Wine.
# usage: tests/wine/run.sh <windows build directory>
set -u
build=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d /tmp/morvalith-wine.XXXXXX)
trap 'WINEPREFIX=$work/base wineserver -k >/dev/null 2>&1; rm -rf "$work"' EXIT
export WINEDEBUG=-all WINEARCH=win32 DISPLAY=
base_overrides="mscoree,mshtml="
export WINEDLLOVERRIDES=$base_overrides

# One prefix made once, copied for every scenario.
WINEPREFIX=$work/base wineboot -i >/dev/null 2>&1
WINEPREFIX=$work/base wineserver -w

passed=0; failed=0; n=0
# prefix <version>: a fresh copy of the base prefix reporting that Windows version.
prefix() {
  n=$((n + 1))
  export WINEPREFIX=$work/p$n
  cp -a "$work/base" "$WINEPREFIX"
  wine reg add 'HKCU\Software\Wine' /v Version /d "$1" /f >/dev/null 2>&1
  wineserver -w
  app=$work/app$n
  mkdir -p "$app"
  cp "$build"/*.exe "$build"/*.dll "$app"/
}
finish() { wineserver -k >/dev/null 2>&1; wineserver -w; export WINEDLLOVERRIDES=$base_overrides; }
# check <name> <expected exit> <expected output> [VAR=value...] <program> [args...]
# The output is compared byte for byte (the hosts put stdout in binary mode).
check() {
  local name=$1 want_rc=$2 want=$3; shift 3
  local vars=() out rc
  while [ $# -gt 0 ] && [[ $1 == *=* ]]; do vars+=("$1"); shift; done
  # A host that hangs fails its check instead of the whole run.
  (cd "$app" && env "${vars[@]}" timeout 120 wine "$@" >"$work/out" 2>/dev/null); rc=$?
  if [ -n "${text_mode:-}" ]; then out=$(tr -d '\r' <"$work/out"); else out=$(cat "$work/out"); fi
  if [ "$rc" = "$want_rc" ] && [ "$out" = "$want" ]; then
    passed=$((passed + 1)); echo "ok   $name"
  else
    failed=$((failed + 1)); echo "FAIL $name (exit $rc, expected $want_rc)"
    diff <(printf '%s\n' "$want") <(printf '%s\n' "$out") | sed 's/^/     /'
  fi
}

# A disk interface registered the way Wine's SetupAPI enumerates it.
register_flash_disk() {
  local inst='USBSTOR\Disk&Ven_Generic&Prod_Flash_Disk&Rev_8.01\7&1a2b3c4d&0'
  local guid='{53f56307-b6bf-11d0-94f2-00a0c91efb8b}'
  local classes="HKLM\\System\\CurrentControlSet\\Control\\DeviceClasses\\$guid"
  local link="##?#USBSTOR#Disk&Ven_Generic&Prod_Flash_Disk&Rev_8.01#7&1a2b3c4d&0#$guid"
  wine reg add "HKLM\\System\\CurrentControlSet\\Enum\\$inst" /v ClassGUID /d '{4d36e967-e325-11ce-bfc1-08002be10318}' /f
  wine reg add "$classes\\$link" /v DeviceInstance /d "$inst" /f
  wine reg add "$classes\\$link\\#" /v SymbolicLink /d "\\\\?\\usbstor#disk&ven_generic&prod_flash_disk&rev_8.01#7&1a2b3c4d&0#$guid" /f
  wine reg add "$classes\\$link\\#\\Control" /v Linked /t REG_DWORD /d 1 /f
  wineserver -w
} >/dev/null 2>&1

# The flash disk's volume interface, registered the same way: Wine's SetupAPI
# lists it and answers for its device identifier.
register_removable_volume() {
  local disk='USBSTOR#Disk&Ven_Generic&Prod_Flash_Disk&Rev_8.01#7&1a2b3c4d&0#{53f56307-b6bf-11d0-94f2-00a0c91efb8b}'
  local inst="STORAGE\\Volume\\_??_$disk"
  local guid='{53f5630d-b6bf-11d0-94f2-00a0c91efb8b}'
  local classes="HKLM\\System\\CurrentControlSet\\Control\\DeviceClasses\\$guid"
  local link="##?#STORAGE#Volume#_??_$disk#$guid"
  local lower
  lower=$(tr 'A-Z' 'a-z' <<<"storage#volume#_??_$disk")
  wine reg add "HKLM\\System\\CurrentControlSet\\Enum\\$inst" /v ClassGUID /d '{71a27cdd-812a-11d0-bec7-08002be2092f}' /f
  wine reg add "$classes\\$link" /v DeviceInstance /d "$inst" /f
  wine reg add "$classes\\$link\\#" /v SymbolicLink /d "\\\\?\\$lower#$guid" /f
  wine reg add "$classes\\$link\\#\\Control" /v Linked /t REG_DWORD /d 1 /f
  wineserver -w
} >/dev/null 2>&1

# MORVALITH_WINE_SUITES=name runs one suite (suite-name.sh) alone.
for suite in "$here"/suite-${MORVALITH_WINE_SUITES:-*}.sh; do . "$suite"; done

echo "wine: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
