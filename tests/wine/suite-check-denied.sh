. "$here/check.sh"
# Access denied on Windows 7: the autorun volume F: (a CD-ROM drive whose
# MountedDevices value names the autorun disk) opens as a folder, which
# Windows refuses with error 5. Wine's mount manager writes F:'s value when
# it starts: the test's value is written after it, while a program holds
# the prefix up.
prefix win7
register_flash_disk
mkdir -p "$work/autorun-root" "$work/autorun-device"
ln -s "$work/autorun-root" "$WINEPREFIX/dosdevices/f:"
ln -s "$work/autorun-device" "$WINEPREFIX/dosdevices/f::"
reg_import '[HKEY_LOCAL_MACHINE\Software\Wine\Drives]
"f:"="cdrom"' >/dev/null 2>&1
# The mount manager reads the drives when the prefix's server starts.
wineserver -k; wineserver -w; serve
(cd "$app" && timeout "$(scaled 240)" wine window-reader.exe wait 200 >/dev/null 2>&1) &
holder=$!
for _ in $(seq 100); do
  WINEDEBUG=-all wine reg query 'HKLM\SYSTEM\MountedDevices' /v '\DosDevices\F:' >/dev/null 2>&1 && break; sleep 0.2
done
autorun=$(printf '%s' '\??\USBSTOR#CdRom&Ven_Generic&Prod_AutoRun_Disk&Rev_8.01#6&2&1#{53f5630d-b6bf-11d0-94f2-00a0c91efb8b}' |
          iconv -t UTF-16LE | od -An -tx1 | tr -d ' \n')
wine reg add 'HKLM\SYSTEM\MountedDevices' /v '\DosDevices\F:' /t REG_BINARY /d "$autorun" /f >/dev/null 2>&1
start_check
reader window.txt read
import -window root "$shots/check-win7-access-denied.png" 2>/dev/null
expect "check window (win7, access denied): the cause is access denied" \
  test "$(field cause)" = "Cause: The flash disk was found but could not be opened: access denied (error 5)."
expect "check window (win7, access denied): it says the host must run elevated and offers to repeat the check so" \
  bash -c 'grep -q "^remedy: .* A program that uses Morvalith.dll must run as administrator on this PC" "$0" &&
           grep -q "^elevate: shown$" "$0"' "$work/window.txt"
reader elevate.txt elevate
wait "$check_pid"
reader window.txt read
expect "check window (win7, access denied): the button repeats the check in a new window" \
  test "$(cat "$work/elevate.txt")|$(field cause)" = \
       "repeated|Cause: The flash disk was found but could not be opened: access denied (error 5)."
reader close.txt close
# The same machine in German, through the wide functions (NT).
shot_suffix=win7-access-denied check_language "win7, access denied" de de refuses 7 6 1 7601 "Service Pack 1" elevated
kill "$holder" 2>/dev/null; wait "$holder" 2>/dev/null
finish
stop_display
