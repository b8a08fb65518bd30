#!/usr/bin/env bash
# End-to-end: the real Morvalith.dll loaded by real 32-bit hosts under Wine.
# usage: tests/wine/run.sh <windows build directory>
#   MORVALITH_WINE_SUITES=name  runs one suite (suite-name.sh) alone
#   MORVALITH_WINE_BASE=dir     copies its prefixes from a base prefix made
#                               before (tests/wine/base.sh), as CTest runs
#                               the suites side by side
set -u
build=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d /tmp/morvalith-wine.XXXXXX)
trap '[ -n "${MORVALITH_KEEP:-}" ] || rm -rf "$work"' EXIT
export WINEDEBUG=-all WINEARCH=win32 DISPLAY=
base_overrides="mscoree,mshtml="
export WINEDLLOVERRIDES=$base_overrides

# One prefix made once, copied for every scenario.
base=${MORVALITH_WINE_BASE:-$work/base}
if [ -z "${MORVALITH_WINE_BASE:-}" ]; then
  bash "$here/base.sh" "$base"
elif [ ! -f "$base/system.reg" ]; then
  echo "FAIL no base prefix in $base (tests/wine/base.sh makes it)"; exit 1
fi

# The one version (CMakeLists.txt), as the programs and the DLL print it.
version=$(sed -n 's/^project(Morvalith VERSION \([0-9.]*\).*/\1/p' "$here/../../CMakeLists.txt")
passed=0; failed=0; n=0
# prefix <version>: a fresh copy of the base prefix reporting that Windows version.
prefix() {
  n=$((n + 1))
  export WINEPREFIX=$work/p$n
  cp -a "$base" "$WINEPREFIX"
  wine reg add 'HKCU\Software\Wine' /v Version /d "$1" /f >/dev/null 2>&1
  wineserver -w
  app=$work/app$n
  mkdir -p "$app"
  cp "$build"/*.exe "$build"/*.dll "$app"/
}
finish() { wineserver -k >/dev/null 2>&1; wineserver -w; export WINEDLLOVERRIDES=$base_overrides; }
# start_display <name>: a virtual display for one suite, given to every Wine
# process of it (the first one of a prefix to need a desktop starts the
# prefix's desktop process, which keeps the display it had); stop_display.
start_display() {
  Xvfb -displayfd 1 -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb-$1.display" 2>/dev/null &
  xvfb_pid=$!
  for _ in $(seq 50); do [ -s "$work/xvfb-$1.display" ] && break; sleep 0.1; done
  export DISPLAY=:$(head -1 "$work/xvfb-$1.display")
}
stop_display() { kill "$xvfb_pid" 2>/dev/null; wait "$xvfb_pid" 2>/dev/null; export DISPLAY=; }
# expect <name> <condition command...>: one check that a command decides.
expect() {
  local name=$1; shift
  if "$@"; then passed=$((passed + 1)); echo "ok   $name"; else failed=$((failed + 1)); echo "FAIL $name"; fi
}
# check <name> <expected exit> <expected output> [VAR=value...] <program> [args...]
# The output is compared byte for byte (the hosts put stdout in binary mode).
check() {
  local name=$1 want_rc=$2 want=$3; shift 3
  local vars=() out rc
  while [ $# -gt 0 ] && [[ $1 == *=* ]]; do vars+=("$1"); shift; done
  # A host that hangs fails its check instead of the whole run.
  (cd "$app" && env "${vars[@]}" timeout 120 wine "$@" >"$work/out" 2>/dev/null); rc=$?
  if [ -n "${text_mode:-}" ]; then out=$(tr -d '\r' <"$work/out"); else out=$(cat "$work/out"); fi
  # The folder the programs run from, as Windows names it, reads APP.
  out=${out//"Z:${app//\//\\}"/APP}
  if [ "$rc" = "$want_rc" ] && [ "$out" = "$want" ]; then
    passed=$((passed + 1)); echo "ok   $name"
  else
    failed=$((failed + 1)); echo "FAIL $name (exit $rc, expected $want_rc)"
    diff <(printf '%s\n' "$want") <(printf '%s\n' "$out") | sed 's/^/     /'
  fi
}

# register_interface <interface class> <device instance> <setup class> <device path>:
# a device interface registered the way Wine's SetupAPI enumerates it.
register_interface() {
  local classes="HKLM\\System\\CurrentControlSet\\Control\\DeviceClasses\\$1"
  local link="##?#${4#\\\\?\\}"
  wine reg add "HKLM\\System\\CurrentControlSet\\Enum\\$2" /v ClassGUID /d "$3" /f
  wine reg add "$classes\\$link" /v DeviceInstance /d "$2" /f
  wine reg add "$classes\\$link\\#" /v SymbolicLink /d "$4" /f
  wine reg add "$classes\\$link\\#\\Control" /v Linked /t REG_DWORD /d 1 /f
  wineserver -w
} >/dev/null 2>&1
disk_class='{53f56307-b6bf-11d0-94f2-00a0c91efb8b}'
flash_disk='usbstor#disk&ven_generic&prod_flash_disk&rev_8.01#7&1a2b3c4d&0#{53f56307-b6bf-11d0-94f2-00a0c91efb8b}'
# The flash disk, and its removable volume (Wine answers for its own device
# identifier; the test host answers the rest).
register_flash_disk() {
  register_interface "$disk_class" 'USBSTOR\Disk&Ven_Generic&Prod_Flash_Disk&Rev_8.01\7&1a2b3c4d&0' \
    '{4d36e967-e325-11ce-bfc1-08002be10318}' "\\\\?\\$flash_disk"
}
register_removable_volume() {  # [disk]: another USB disk's volume instead of the flash disk's
  local volume_class='{53f5630d-b6bf-11d0-94f2-00a0c91efb8b}' disk=${1:-$flash_disk}
  register_interface "$volume_class" "STORAGE\\Volume\\_??_$(tr 'a-z' 'A-Z' <<<"$disk")" \
    '{71a27cdd-812a-11d0-bec7-08002be2092f}' "\\\\?\\storage#volume#_??_$disk#$volume_class"
}
# Another USB stick, whose volume sorts (and so enumerates) ahead of the flash disk's.
other_disk='usbstor#disk&ven_another&prod_stick&rev_1.00#5&0&0#{53f56307-b6bf-11d0-94f2-00a0c91efb8b}'

for suite in "$here"/suite-${MORVALITH_WINE_SUITES:-*}.sh; do . "$suite"; done

echo "wine: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
