# morvalith-check.exe as a customer meets it: started as Explorer starts it
# (through the shell: a GUI program with no console, no standard handles
# and no arguments) on XP, 7 and 98 prefixes, its
# window read from its controls and photographed (build/win/screenshots),
# its report saved and explained by morvalith-sim.exe, and with
# morvalith-sim.exe missing.
Xvfb -displayfd 1 -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb-check.display" 2>/dev/null &
check_xvfb=$!
for _ in $(seq 50); do [ -s "$work/xvfb-check.display" ] && break; sleep 0.1; done
check_display=:$(head -1 "$work/xvfb-check.display")
# Every Wine process of this suite gets the display: the first one of a
# prefix to need a desktop starts the prefix's desktop process, which keeps
# the display it had.
export DISPLAY=$check_display
shots=$build/screenshots
mkdir -p "$shots"
# start_check: morvalith-check.exe started as Explorer starts it, in the
# background (its pid in check_pid).
start_check() {
  (cd "$app" && timeout 180 wine start /wait /unix "$app/morvalith-check.exe" >/dev/null 2>&1) &
  check_pid=$!
}
# reader <output file> <window-reader arguments...>
reader() { local out=$1; shift; (cd "$app" && timeout 120 wine window-reader.exe "$@" 2>/dev/null | tr -d '\r' >"$work/$out"); }
# The report's path as the window shows it after Save report (save.txt).
saved_report() { sed -n 's/^report: Report saved: \(.*\) (send this file.*/\1/p' "$work/save.txt"; }
field() { sed -n "s/^$1: //p" "$work/window.txt"; }
# Capitalised, with a full stop: how the window words a line of the explanation.
sentence() { local t; t=$(sed -n "s/^$1: //p" "$work/explain.txt" | tr -d '\r'); printf '%s%s.' "$(tr 'a-z' 'A-Z' <<<"${t:0:1}")" "${t:1}"; }
# check_window <name> <expected verdict> <expected Windows line>
check_window() {
  local name=$1 verdict=$2 windows=$3
  (cd "$app" && timeout 120 wine morvalith-probe.exe --explain >"$work/explain.txt" 2>&1)
  start_check
  reader window.txt read
  import -window root "$shots/check-${name// /-}.png" 2>/dev/null
  expect "check window ($name): the verdict reads \"$verdict\"" test "$(field verdict)" = "$verdict"
  expect "check window ($name): cause and remedy are the probe's --explain" \
    test "$(field cause)|$(field remedy)" = "Cause: $(sentence cause)|What to do: $(sentence remedy)"
  expect "check window ($name): the DLL's path and version, and the Windows version" \
    test "$(field library | sed 's/ (.*//')|$(field windows)" = \
      "Morvalith.dll: Z:${app//\//\\}\\Morvalith.dll, version $(sed -n 's/^probe: morvalith-probe.exe //p' "$work/explain.txt" | tr -d '\r')|Windows: $windows"
  expect "check window ($name): no offer to repeat the check elevated" test "$(field elevate)" = hidden
  reader copy.txt copy
  expect "check window ($name): Copy puts the whole text on the clipboard, the verdict first" \
    test "$(sed -n 's/^clipboard first line: //p' "$work/copy.txt")" = "$verdict"
  reader save.txt save
  local shown; shown=$(saved_report)
  local unix=""; [ -n "$shown" ] && unix=$(WINEDEBUG=-all winepath -u "$shown" 2>/dev/null)
  expect "check window ($name): Save report writes the file whose full path it shows" test -n "$unix" -a -f "$unix"
  if [ -n "$unix" ] && [ -f "$unix" ]; then
    cp "$unix" "$work/report.json"
    (cd "$app" && timeout 120 wine morvalith-sim.exe --explain "$(WINEDEBUG=-all winepath -w "$work/report.json")" >"$work/report.txt" 2>&1)
    expect "check window ($name): morvalith-sim.exe --explain on the report gives the same cause" \
      test "$(sed -n 's/^cause: //p' "$work/report.txt" | tr -d '\r')" = "$(sed -n 's/^cause: //p' "$work/explain.txt" | tr -d '\r')"
    expect "check window ($name): the report holds no sector contents" bash -c '! grep -q 00070e151c23 "$0"' "$unix"
  fi
  reader close.txt close
  wait "$check_pid"
  expect "check window ($name): Close ends the program" grep -q '^closed' "$work/close.txt"
}

for version in "winxp|Windows XP (version 5.1 build 2600, Service Pack 3)" \
               "win7|Windows 7 (version 6.1 build 7601, Service Pack 1)"; do
  prefix "${version%%|*}"
  check_window "${version%%|*}, no flash disk" "Morvalith.dll refuses to load on this PC." "${version#*|}"
  finish
done
win98="Windows 98 SE (version 4.10 build 2222, A)"
prefix win98
rm -f "$app/WNASPI32.dll"
check_window "win98, no flash disk" "Morvalith.dll refuses to load on this PC." "$win98"
finish
prefix win98
export WINEDLLOVERRIDES="$base_overrides;wnaspi32=n"
check_window "win98, the stand-in flash disk" "Morvalith.dll loads on this PC." "$win98"
finish

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
wine reg add 'HKLM\Software\Wine\Drives' /v f: /d cdrom /f >/dev/null 2>&1
wineserver -w
(cd "$app" && timeout 240 wine window-reader.exe wait 200 >/dev/null 2>&1) &
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
kill "$holder" 2>/dev/null; wait "$holder" 2>/dev/null
finish

# A file missing beside it: the window says which, and where to put it.
prefix winxp
missing() {  # missing <file>
  rm "$app/$1"
  start_check
  reader window.txt read
  import -window root "$shots/check-winxp-missing-$1.png" 2>/dev/null
  expect "check window without $1: the verdict names the missing file" \
    test "$(field verdict)" = "The check cannot run: $1 is missing."
  expect "check window without $1: the remedy says where to put it" \
    test "$(field remedy | sed 's/ (.*//')" = "What to do: put $1 in Z:${app//\//\\}, beside morvalith-check.exe"
  reader close.txt close
  wait "$check_pid"
}
missing morvalith-sim.exe
cp "$build/morvalith-sim.exe" "$app/"
missing Morvalith.dll
finish

# A folder that cannot take the report (here: a folder in the report's
# place): the report goes to the user's documents folder, and the window
# says so.
prefix winxp
mkdir "$app/morvalith-report.json"
start_check
reader window.txt read
reader save.txt save
shown=$(saved_report)
unix=""; [ -n "$shown" ] && unix=$(WINEDEBUG=-all winepath -u "$shown" 2>/dev/null)
expect "check window: a folder that cannot take the report sends it to My Documents ($shown)" \
  bash -c '[[ $0 == *"\\My Documents\\morvalith-report.json" || $0 == *"\\Documents\\morvalith-report.json" ]] && test -f "$1"' \
  "$shown" "$unix"
reader close.txt close
wait "$check_pid"
finish
# The sample GUI host as the users' README's CMake snippet built it against
# the unpacked archive (the checks on the built files), started as Explorer
# starts it (no standard output): the reason of a refusal in its message
# box, with the library's own line, or the load.
sample() {  # sample <name> <box title> <expected box text>
  cp "$build/consumers/snippet/build/gui-host.exe" "$build/consumers/snippet/build/Morvalith.dll" "$app/"
  (cd "$app" && timeout 120 wine start /wait /unix "$app/gui-host.exe" >/dev/null 2>&1) &
  local pid=$!
  (cd "$app" && timeout 60 wine window-reader.exe box "$2" 2 2>/dev/null | tr -d '\r' >"$work/box.txt") &
  local box_reader=$!
  sleep 1.5
  import -window root "$shots/sample-${1// /-}.png" 2>/dev/null
  wait "$box_reader"; wait "$pid"
  expect "the sample GUI host ($1): its box reads \"$3\"" test "$(sed -n 's/^text: //p' "$work/box.txt")" = "$3"
}
prefix winxp
sample "winxp, no flash disk" "Sample host: the flash disk library did not load" \
  'Morvalith.dll refused to load (error 1114): "Can not find Alcor flash disk". Run morvalith-check.exe to find out why and to save a report for support.'
finish
prefix win98
export WINEDLLOVERRIDES="$base_overrides;wnaspi32=n"
sample "win98, the stand-in flash disk" "Sample host" "Morvalith.dll loaded; the flash disk has no drive letter."
finish
kill "$check_xvfb" 2>/dev/null; wait "$check_xvfb" 2>/dev/null
export DISPLAY=
