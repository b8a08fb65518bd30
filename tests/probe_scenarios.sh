#!/usr/bin/env bash
# Runs the probe on every scenario file: each must parse, and its outcome must
# match the word in its file name (...-loads.json / ...-refused.json). Where
# tests/probe/<scenario>.out exists, the probe's output must be exactly that.
# The third argument is the build's pointer size (32 or 64): a 64-bit build
# turns a Windows 9x machine away, which only the 32-bit library serves.
# MORVALITH_EMULATOR, where set, runs the program (qemu-user).
set -u
dir=$2; bits=$3; failed=0; n=0
probe_program=$1
probe() { ${MORVALITH_EMULATOR:-} "$probe_program" "$@"; }
expected_dir=$(cd "$(dirname "$0")" && pwd)/probe
for f in "$dir"/*.json; do
  n=$((n + 1))
  if [ "$bits" = 64 ] && grep -q '"platform": *1\|"os": *"win9' "$f"; then
    err=$(probe "$f" 2>&1 >/dev/null); rc=$?
    if [ "$rc" != 2 ] || [[ $err != "morvalith-sim: $f: a Windows 9x machine, which only the 32-bit Morvalith.dll serves (through ASPI): run the 32-bit morvalith-sim" ]]; then
      echo "FAIL $f: exit $rc, expected 2 and the 32-bit build named: $err"; failed=$((failed + 1))
    fi
    continue
  fi
  out=$(probe "$f" 2>&1); rc=$?
  case "$f" in
    *-loads.json) want=0 ;;
    *-refused.json) want=1 ;;
    *) want=$rc ;;
  esac
  if [ "$rc" -gt 2 ]; then echo "FAIL $f: exit $rc: a sanitizer report or a crash, not an outcome"; echo "$out"; failed=$((failed + 1)); continue; fi
  if [ "$rc" != "$want" ]; then echo "FAIL $f: exit $rc, expected $want"; echo "$out"; failed=$((failed + 1)); continue; fi
  exp="$expected_dir/$(basename "$f" .json).out"
  if [ -f "$exp" ] && ! diff <(sed "s|^machine: .*/|machine: |" <<<"$out") "$exp"; then
    echo "FAIL $f: output differs from $exp"; failed=$((failed + 1))
  fi
  # The explanation ends in the same outcome, and reads as recorded where a
  # record exists.
  n=$((n + 1))
  explained=$(probe --explain "$f" 2>&1); erc=$?
  exp="$expected_dir/$(basename "$f" .json).explain"
  if [ "$erc" != "$rc" ]; then
    echo "FAIL $f --explain: exit $erc, the plain probe's was $rc"; failed=$((failed + 1))
  elif [ -f "$exp" ] && ! diff <(sed "s|^machine: .*/|machine: |" <<<"$explained") "$exp"; then
    echo "FAIL $f --explain: output differs from $exp"; failed=$((failed + 1))
  fi
done
# --calls lists the platform calls with their arguments and results.
n=$((n + 1))
calls=$(probe --explain "$dir/vista-autorun-loads.json" --calls 2>&1)
if ! grep -qF 'CreateFileA("\\\\.\\F:", 0xc0000000, 3, NULL, 3, 0x80, NULL) = 0x' <<<"$calls" ||
   ! grep -qF 'RegQueryValueExA(' <<<"$calls"; then
  echo "FAIL --calls: the open of the autorun volume is not listed"; failed=$((failed + 1))
fi

# Files that cannot be used: exit 2 and one line naming the file and the field.
tmp=$(mktemp -d); trap 'rm -rf "$tmp"' EXIT
printf '{"os": {"major": 1e999}}' >"$tmp/overflow.json"
printf '{"disks": [{"path": "a", "x\\ny": 1}]}' >"$tmp/newline.json"
for f in "$tmp/overflow.json" "$tmp/newline.json" "$tmp"; do
  for mode in "" --explain; do
  n=$((n + 1))
  err=$(probe $mode "$f" 2>&1 >/dev/null); rc=$?
  if [ "$rc" != 2 ] || [ "$(printf '%s\n' "$err" | wc -l)" != 1 ] || [[ $err != "morvalith-sim: $f: "* ]]; then
    echo "FAIL $f $mode: exit $rc, expected 2 and one line: $err"; failed=$((failed + 1))
  fi
  done
done
# Output is printable ASCII whatever the machine holds: a device path with
# terminal escapes (a title change, a screen clear), UTF-8 and Latin-1
# names, and a file name with an escape of its own.
odd="$tmp/odd"$'\e]0;title\a'".json"
cat >"$odd" <<'JSON'
{"os": "winxp",
 "disks": [{"path": "\\\\?\\usbstor#disk&ven_generic&prod_flash_disk&rev_8.01#7&\u001b]0;pwned\u0007\u001b[2j\u00e9&0#{53f56307}", "opens": "d"}],
 "devices": {"d": {"answers": {"0x82": {"length": 512}}}},
 "volumes": [{"path": "\\\\?\\v\u001b[2J", "deviceId": "\u001b[2J",
              "parentId": "USBSTOR\\X\\7&\u001b]0;PWNED\u0007\u001b[2J\u00e9&0", "volumeName": "%bytes%%E9\u00e9"}],
 "drives": {"E": {"type": "removable", "volumeName": "%bytes%%E9\u00e9"}}}
JSON
for mode in "" --explain "--explain --calls"; do
  n=$((n + 1))
  out=$(probe $mode "$odd" 2>&1); rc=$?
  if [ "$rc" != 0 ] || LC_ALL=C grep -q '[^ -~]' <<<"$out" || ! grep -q '^GetUSBDriveLetter: E' <<<"$out"; then
    echo "FAIL printable output ($mode): exit $rc"; LC_ALL=C grep -n '[^ -~]' <<<"$out" | head -3 | cat -v; failed=$((failed + 1))
  fi
done

# Work and output stay bounded on the largest machine the reader accepts:
# 1024 disks sharing one instance token by 16 volumes that all hold it.
big="$tmp/big.json"
bs='\\'  # one JSON-escaped backslash
{
  printf '{"os": "winxp", "devices": {"d": {"answers": {"0x82": {"length": 512}}}}, "disks": ['
  for i in $(seq 1024); do
    [ "$i" = 1 ] || printf ','
    printf '{"path": "%s%s?%susbstor#disk&ven_generic&prod_flash_disk&rev_8.01#7&aa01&0#{53f56307}", "opens": "d"}' "$bs" "$bs" "$bs"
  done
  printf '], "volumes": ['
  for i in $(seq 16); do
    [ "$i" = 1 ] || printf ','
    printf '{"path": "v%d", "deviceId": "V", "parentId": "USBSTOR%sX%s7&AA01&0", "volumeName": "Volume{%d}"}' "$i" "$bs" "$bs" "$i"
  done
  printf '], "drives": {'
  i=0; for letter in D E F G H I J K L M N O P Q R S; do
    i=$((i + 1)); [ "$i" = 1 ] || printf ','
    printf '"%s": {"type": "removable", "volumeName": "Volume{%d}"}' "$letter" "$i"
  done
  printf '}}'
} >"$big"
for mode in "" "--explain --calls"; do
  n=$((n + 1))
  # Under qemu-user the same work takes some ten times as long.
  limit=20; [ -z "${MORVALITH_EMULATOR:-}" ] || limit=200
  timeout $limit ${MORVALITH_EMULATOR:-} "$probe_program" $mode "$big" >"$tmp/big.out" 2>&1; rc=$?
  lines=$(wc -l <"$tmp/big.out")
  if [ "$rc" != 0 ] || [ "$lines" -gt 100000 ] || ! grep -q '^GetUSBDriveLetter: D' "$tmp/big.out"; then
    echo "FAIL the largest machine ($mode): exit $rc, $lines lines"; head -3 "$tmp/big.out"; failed=$((failed + 1))
  fi
done

# The usage: on standard output for --help (exit 0), on standard error for
# an unknown option (exit 2); either way it names the program.
n=$((n + 1))
help=$(probe --help 2>/dev/null); hrc=$?
wrong=$(probe --bogus 2>&1 >/dev/null); wrc=$?
if [ "$hrc" != 0 ] || [ "$wrc" != 2 ] || [[ $help != "usage: morvalith-sim [FILE]"* ]] || [[ $wrong != "$help" ]]; then
  echo "FAIL usage: --help exit $hrc, --bogus exit $wrc"; failed=$((failed + 1))
fi
# The script (which builds and runs the default, native build) takes a file
# relative to the folder it is run from.
if [ "$bits" = 64 ]; then
  n=$((n + 1))
  here=$(cd "$(dirname "$0")" && pwd)
  if ! (cd "$dir" && bash "$here/../scripts/probe.sh" --explain xp-flash-disk-loads.json 2>&1 |
        grep -q '^machine: xp-flash-disk-loads.json$'); then
    echo "FAIL scripts/probe.sh with a relative path"; failed=$((failed + 1))
  fi
fi
echo "$((n - failed)) passed, $failed failed"
[ "$failed" -eq 0 ]
