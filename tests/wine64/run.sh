#!/usr/bin/env bash
# The x64 Morvalith.dll under the real 64-bit loader (64-bit Wine, which runs
# natively on every x86_64 machine): its exports, its binding and refusal
# lines on 64-bit XP/Server 2003 (5.2) and Windows 7 (6.1), the pass-through
# block the device is sent, and GetIDKey with a 64-bit stand-in vendor
# library in process and a 32-bit one through morvalith-vendor32.exe, with
# both boxes. The host answers for the flash disk as the 32-bit suites' does.
# The x64 check window, in English on 5.2 and 7, and in each of its eight
# languages in that language's locale (here, where 64-bit Wine runs natively
# on every machine, rather than on the 32-bit road).
# usage: tests/wine64/run.sh <x64 build directory> <x86 build directory>
#   MORVALITH_WINE64_PREFIX=dir  keeps the 64-bit prefix there between runs
#   MORVALITH_NO_32BIT=reason    the 32-bit vendor road is not run here (a
#                                64-bit prefix runs 32-bit programs only on
#                                a machine that runs 32-bit code)
#   MORVALITH_ONLY_32BIT=1       that road alone (tests/wine/emulated.sh runs
#                                it in the emulated machine)
#   MORVALITH_WINE_COW=1         copy-on-write views of the base prefix (root)
set -u
build=$(cd "$1" && pwd)
build32=$(cd "$2" 2>/dev/null && pwd)
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d /tmp/morvalith-wine64.XXXXXX)
cleanup() {
  stop_display
  release_prefixes
  rm -rf "$work"
}
trap cleanup EXIT
export WINEDEBUG=-all WINEARCH=win64 DISPLAY= WINEDLLOVERRIDES="mscoree,mshtml="
WINE=$(command -v wine64 || echo /usr/lib/wine/wine64)
export MORVALITH_BITS=64
. "$here/../wine/common.sh"
base=${MORVALITH_WINE64_PREFIX:-$work/base}
if [ ! -f "$base/system.reg" ]; then
  rm -rf "$base"
  WINEPREFIX=$base "$WINE" wineboot -i >/dev/null 2>&1
  WINEPREFIX=$base wineserver -w
  [ -f "$base/system.reg" ] || { echo "FAIL wineboot made no 64-bit prefix in $base"; exit 1; }
fi
version=$(sed -n 's/^project(Morvalith VERSION \([0-9.]*\).*/\1/p' "$here/../../CMakeLists.txt")
passed=0; failed=0; n=0
prefix() {  # <Windows version as Wine names it>
  n=$((n + 1))
  export WINEPREFIX=$work/p$n
  copy_prefix "$base" "$WINEPREFIX"
  set_version "$1"
  serve
  app=$work/app$n
  mkdir -p "$app"
  cp "$build"/Morvalith.dll "$build"/morvalith-probe.exe "$build"/morvalith-check.exe "$build"/morvalith-sim.exe \
     "$build"/e2e-host.exe "$build"/window-reader.exe "$build"/load-host-gui.exe "$app"/
  [ -z "$build32" ] || cp "$build32"/morvalith-vendor32.exe "$app"/
}
vendor() {  # <build> <double>: the stand-in vendor library in the app's Vendor folder
  mkdir -p "$app/Vendor" && cp "$1/$2-double/VendorUFDAPI.dll" "$app/Vendor/"
}
finish() { wineserver -k >/dev/null 2>&1; wineserver -w; }

start_display wine64
# The key from a 32-bit vendor library, through morvalith-vendor32.exe under
# WoW64, on 5.2 with the flash disk's removable volume under E:.
vendor32_road() {
  prefix win2003
  register_flash_disk
  register_removable_volume
  vendor "$build32" vendor
  check "x64: the key from a 32-bit vendor library, through morvalith-vendor32.exe" 0 \
    "GetIDKey: 1; key the stand-in's for E: and ChipsbankCBM2076" e2e-host.exe key volume
  check "x64: the 32-bit vendor library's failure is GetIDKey's" 0 "GetIDKey: 0; key untouched" \
    MORVALITH_VENDOR_RESULT=5 e2e-host.exe key volume
  # The helper inherits the pipe alone, though the host holds an inheritable
  # handle of its own: Wine exports the handle list whatever version it
  # reports, and honours it.
  check "x64: the helper inherits none of the host's own inheritable handles" 0 \
    "GetIDKey: 1; key the stand-in's for E: and ChipsbankCBM2076" MORVALITH_INHERITABLE=1 e2e-host.exe key volume
  vendor "$build32" vendor-noentry
  check "x64: a 32-bit vendor library without its entry point: the helper reports it, the same box" 0 \
    'message box "Error": Load Dll Error! [OK]
GetIDKey: 0; key untouched' e2e-host.exe key volume
  vendor "$build32" vendor
  rm "$app/morvalith-vendor32.exe"
  check "x64: a 32-bit vendor library and no helper: the box of a library that cannot be loaded" 0 \
    'message box "Error": Load VendorUFDAPI.dll failed! [OK]
GetIDKey: 0; key untouched' e2e-host.exe key volume
  finish
}
if [ -n "${MORVALITH_ONLY_32BIT:-}" ]; then
  vendor32_road
  stop_display
  echo "wine64: $passed passed, $failed failed"
  [ "$failed" -eq 0 ]
  exit
fi

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

prefix win2003
check "x64: GetProcAddress by name and by ordinal agree" 0 "GetIDKey: ordinal 1
GetUSBDriveLetter: ordinal 2
GetIDKey@4: absent
ordinal 3: absent" e2e-host.exe exports
register_flash_disk
# The block the device is sent, in the x64 layout: a 56-byte header with the
# buffer's address at 24, the sense area at 60, 96 bytes in all.
check "x64 on win2003 binds to a flash disk that answers 0x82" 0 "opened: \\\\?\\$flash_disk
access c0000000 share 3 disposition 3 flags 00000080
request:
  3800000001000a080100000000020000
  9600000000000000................
  3c000000820000000000000000000000
  00000000000000000000000000000000
  00000000000000000000000000000000
  00000000000000000000000000000000
load: loaded; data buffer inside Morvalith.dll
disk handle after unload: closed" e2e-host.exe scsi good
register_removable_volume
check "x64: no vendor library: its box, and GetIDKey returns 0" 0 'message box "Error": Load VendorUFDAPI.dll failed! [OK]
GetIDKey: 0; key untouched' e2e-host.exe key volume
vendor "$build" vendor-noentry
check "x64: a 64-bit vendor library without its entry point: the other box" 0 'message box "Error": Load Dll Error! [OK]
GetIDKey: 0; key untouched' e2e-host.exe key volume
vendor "$build" vendor
check "x64: the key from a 64-bit vendor library, in process" 0 "GetIDKey: 1; key the stand-in's for E: and ChipsbankCBM2076" \
  e2e-host.exe key volume
check "x64: the vendor library's failure is GetIDKey's" 0 "GetIDKey: 0; key untouched" \
  MORVALITH_VENDOR_RESULT=5 e2e-host.exe key volume
# In process the stand-in sees the host's inheritable handle: the check of
# the helper's inheritance below can fail.
check "x64: in process the vendor library sees the host's own handles" 0 "GetIDKey: 0; key untouched" \
  MORVALITH_INHERITABLE=1 e2e-host.exe key volume
check "x64: the drive letter and the key on 5.2, as a host sees them" 0 "load: Morvalith.dll loaded
GetUSBDriveLetter: E
GetIDKey: 1 (the 32-byte key is not shown)" e2e-host.exe outcome volume
finish
# A 32-bit vendor library: the call through morvalith-vendor32.exe.
if [ -n "${MORVALITH_NO_32BIT:-}" ]; then
  echo "skip x64: the key from a 32-bit vendor library through morvalith-vendor32.exe: $MORVALITH_NO_32BIT"
else
  vendor32_road
fi

# MorvalithLoadLibrary (include/morvalith_load.h) in a 64-bit GUI host: the
# library's own reason caught (msvcrt's 64-bit stdout record), and the x86
# DLL in its place named for what it is.
prefix win7
text_mode=1
check "x64 load-host-gui: a refusal gives the library's reason" 1 'host: before the load
host: not loaded: Morvalith.dll refused to load (error 1114): "Can not find Alcor flash disk". Run morvalith-check.exe to find out why and to save a report for support.
host: after the load' load-host-gui.exe
[ -z "$build32" ] || cp "$build32/Morvalith.dll" "$app/Morvalith.dll"
[ -z "$build32" ] || check "x64 load-host-gui: the 32-bit DLL in its place gives error 193" 1 "host: before the load
host: not loaded: Morvalith.dll is not a 64-bit Windows DLL (error 193)
host: after the load" load-host-gui.exe
text_mode=
finish

# The x64 check window, as the customer of a 64-bit program meets it.
. "$here/../wine/check.sh"
for os in "win2003|Windows Server 2003 (version 5.2 build 3790, Service Pack 2)" \
          "win7|Windows 7 (version 6.1 build 7601, Service Pack 1)"; do
  prefix "${os%%|*}"
  check_window "x64 ${os%%|*}, no flash disk" "Morvalith.dll refuses to load on this PC." "${os#*|}"
  finish
done
# The x64 check window in every language, each in its own locale, on
# Windows 7 without a flash disk (the screenshots: check-<language>.png).
prefix win7
for language in en zh-CN zh-TW ja ko de fr es; do
  check_language "x64 win7, no flash disk" "$language" "$language" refuses 7 6 1 7601 "Service Pack 1"
  finish
done

prefix win7
register_flash_disk
register_removable_volume
vendor "$build" vendor
check "x64 on win7: the autorun volume binds, the letter and the key" 0 "load: Morvalith.dll loaded
GetUSBDriveLetter: E
GetIDKey: 1 (the 32-byte key is not shown)" e2e-host.exe outcome autorun+volume
finish
stop_display

echo "wine64: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
