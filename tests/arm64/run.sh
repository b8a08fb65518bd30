#!/usr/bin/env bash
# The ARM64 Morvalith.dll under a real ARM64 loader: Debian's 64-bit ARM Wine
# (scripts/arm64-wine.sh: qemu-user on this x86_64 machine), with the ARM64
# test host of tests/wine/e2e_host.c. Its exports and version block; the
# refusal without the disk (the one [LIB] line, error 1114), the reason
# morvalith_load.h gives an ARM64 host; the pass-through block it sends; the
# binding through the autorun volume, the letter and the key from an ARM64
# stand-in vendor library; both boxes; and what a vendor library of another
# processor gets. Run inside scripts/arm64-wine.sh run.
# usage: tests/arm64/run.sh <ARM64 build directory> [x64 build directory]
set -u
build=$(cd "$1" && pwd)
build64=$(cd "${2:-/nonexistent}" 2>/dev/null && pwd)
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d /tmp/morvalith-arm64.XXXXXX)
cleanup() {
  stop_display
  release_prefixes
  rm -rf "$work"
}
trap cleanup EXIT
[ -n "${ARM64_WINE_BASE:-}" ] || { echo "FAIL run me inside scripts/arm64-wine.sh run"; exit 1; }
export WINEDEBUG=-all WINEARCH=win64 DISPLAY= WINEDLLOVERRIDES="mscoree,mshtml="
WINE=wine64
# Everything runs under qemu: a host is given more time.
export MORVALITH_TIME_SCALE=${MORVALITH_TIME_SCALE:-3}
. "$here/../wine/common.sh"
version=$(sed -n 's/^project(Morvalith VERSION \([0-9.]*\).*/\1/p' "$here/../../CMakeLists.txt")
passed=0; failed=0; n=0
prefix() {  # <Windows version as Wine names it>
  n=$((n + 1))
  export WINEPREFIX=$work/p$n
  copy_prefix "$ARM64_WINE_BASE" "$WINEPREFIX"
  set_version "$1"
  serve
  app=$work/app$n
  mkdir -p "$app"
  cp "$build"/Morvalith.dll "$build"/e2e-host.exe "$build"/load-host-gui.exe "$build"/consumer-load-time.exe "$app"/
}
vendor() {  # <build> <double>: the stand-in vendor library in the app's Vendor folder
  mkdir -p "$app/Vendor" && cp "$1/$2-double/VendorUFDAPI.dll" "$app/Vendor/"
}
finish() { wineserver -k >/dev/null 2>&1; wineserver -w; }
machine=$(python3 -c 'import struct,sys; d=open(sys.argv[1],"rb").read(); print(hex(struct.unpack_from("<H", d, struct.unpack_from("<I", d, 0x3C)[0] + 4)[0]))' "$build/e2e-host.exe")
expect "the test host is an ARM64 program ($machine)" test "$machine" = 0xaa64

start_display arm64
# ARM64 Windows is Windows 10 and later.
prefix win10
check "ARM64: GetProcAddress by name and by ordinal agree" 0 "GetIDKey: ordinal 1
GetUSBDriveLetter: ordinal 2
GetIDKey@4: absent
ordinal 3: absent" e2e-host.exe exports
check "ARM64: GetFileVersionInfoA and VerQueryValueA read the version block" 0 "file version $version
product version $version
translation 0804 1200
Comments=[]
CompanyName=[ ]
FileDescription=[Morvalith]
FileVersion=[1, 0, 2, 1]
InternalName=[Morvalith]
LegalTrademarks=[]
OriginalFilename=[Morvalith.dll]
PrivateBuild=[]
ProductName=[  Morvalith]
ProductVersion=[1, 0, 2, 1]
SpecialBuild=[]" e2e-host.exe version
check "ARM64 on win10 without a flash disk: the one [LIB] line, error 1114" 1 "[LIB] Can not find Alcor flash disk
load: Morvalith.dll refused to load (error 1114)" e2e-host.exe outcome autorun+volume
# A program linked at load time against the ARM64 import library: the
# loader binds both imports and runs the library's attach, whose refusal
# stops the program before it starts (STATUS_DLL_INIT_FAILED, 0xC0000142,
# of which the exit status keeps the low byte).
# (msvcrt's stdout, the [LIB] line, is in text mode.)
text_mode=1
check "ARM64: a program linked at load time is stopped by the refusal" 66 "[LIB] Can not find Alcor flash disk" \
  consumer-load-time.exe
text_mode=
# MorvalithLoadLibrary (include/morvalith_load.h) in an ARM64 GUI host: the
# library's own reason caught, and the x64 DLL in its place named for what
# it is not.
text_mode=1
check "ARM64 load-host-gui: a refusal gives the library's reason" 1 'host: before the load
host: not loaded: Morvalith.dll refused to load (error 1114): "Can not find Alcor flash disk". Run morvalith-check.exe to find out why and to save a report for support.
host: after the load' load-host-gui.exe
if [ -n "$build64" ]; then
  cp "$build64/Morvalith.dll" "$app/Morvalith.dll"
  check "ARM64 load-host-gui: the x64 DLL in its place gives error 193" 1 "host: before the load
host: not loaded: Morvalith.dll is not an ARM64 Windows DLL (error 193)
host: after the load" load-host-gui.exe
fi
text_mode=
finish

# The block the device is sent, in the 64-bit layout (a 56-byte header with
# the buffer's address at 24, the sense area at 60, 96 bytes in all), on the
# pass-through road that Wine reaches when it says 5.2.
prefix win2003
register_flash_disk
check "ARM64 binds to a flash disk that answers 0x82" 0 "opened: \\\\?\\$flash_disk
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
finish

# Vista and later: the autorun volume binds; the letter and the key.
prefix win10
register_flash_disk
register_removable_volume
check "ARM64: no vendor library: its box, and GetIDKey returns 0" 0 'message box "Error": Load VendorUFDAPI.dll failed! [OK]
GetIDKey: 0; key untouched' e2e-host.exe key autorun+volume
vendor "$build" vendor-noentry
check "ARM64: an ARM64 vendor library without its entry point: the other box" 0 'message box "Error": Load Dll Error! [OK]
GetIDKey: 0; key untouched' e2e-host.exe key autorun+volume
vendor "$build" vendor
check "ARM64 on win10: the autorun volume binds, the letter and the key" 0 "load: Morvalith.dll loaded
GetUSBDriveLetter: E
GetIDKey: 1 (the 32-byte key is not shown)" e2e-host.exe outcome autorun+volume
check "ARM64: the key from an ARM64 vendor library, in process" 0 \
  "GetIDKey: 1; key the stand-in's for E: and ChipsbankCBM2076" e2e-host.exe key autorun+volume
check "ARM64: the vendor library's failure is GetIDKey's" 0 "GetIDKey: 0; key untouched" \
  MORVALITH_VENDOR_RESULT=5 e2e-host.exe key autorun+volume
# A vendor library of another processor cannot be loaded in an ARM64
# process (ERROR_BAD_EXE_FORMAT): the call goes to morvalith-vendor32.exe,
# which on Windows runs under its x86 emulation and loads a 32-bit library
# only. An x64 library therefore gets the box of a library that cannot be
# loaded, helper or not. (This Wine has no x86 emulation: the helper does
# not start here, and the 32-bit road itself runs in the x64 tier.)
if [ -n "$build64" ]; then
  vendor "$build64" vendor
  check "ARM64: an x64 vendor library, no helper: the box of a library that cannot be loaded" 0 \
    'message box "Error": Load VendorUFDAPI.dll failed! [OK]
GetIDKey: 0; key untouched' e2e-host.exe key autorun+volume
fi
finish
stop_display

echo "arm64: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
