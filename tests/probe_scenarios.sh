#!/usr/bin/env bash
# Runs the probe on every scenario file: each must parse, and its outcome must
# match the word in its file name (...-loads.json / ...-refused.json). Where
# tests/probe/<scenario>.out exists, the probe's output must be exactly that.
set -u
probe=$1; dir=$2; failed=0; n=0
expected_dir=$(cd "$(dirname "$0")" && pwd)/probe
for f in "$dir"/*.json; do
  n=$((n + 1))
  out=$("$probe" "$f" 2>&1); rc=$?
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
  explained=$("$probe" --explain "$f" 2>&1); erc=$?
  exp="$expected_dir/$(basename "$f" .json).explain"
  if [ "$erc" != "$rc" ]; then
    echo "FAIL $f --explain: exit $erc, the plain probe's was $rc"; failed=$((failed + 1))
  elif [ -f "$exp" ] && ! diff <(sed "s|^machine: .*/|machine: |" <<<"$explained") "$exp"; then
    echo "FAIL $f --explain: output differs from $exp"; failed=$((failed + 1))
  fi
done
# --calls lists the platform calls with their arguments and results.
n=$((n + 1))
calls=$("$probe" --explain "$dir/vista-autorun-loads.json" --calls 2>&1)
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
  err=$("$probe" $mode "$f" 2>&1 >/dev/null); rc=$?
  if [ "$rc" != 2 ] || [ "$(printf '%s\n' "$err" | wc -l)" != 1 ] || [[ $err != "morvalith-probe: $f: "* ]]; then
    echo "FAIL $f $mode: exit $rc, expected 2 and one line: $err"; failed=$((failed + 1))
  fi
  done
done
echo "$((n - failed)) passed, $failed failed"
[ "$failed" -eq 0 ]
