#!/usr/bin/env bash
# The road is chosen from what the machine does with 32-bit code: a program
# that runs but reports i686 (qemu-user behind it) is the emulated road, as
# is one that cannot run at all; only a 32-bit program that runs and sees
# x86_64 makes the native road.
set -u
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../scripts/machine.sh"
failed=0; n=0
expect() {  # <want> <what> <command...>
  local want=$1 what=$2 got; shift 2
  n=$((n + 1))
  got=$(morvalith_road_of "$@")
  [ "$got" = "$want" ] || { echo "FAIL $what: $got, expected $want"; failed=$((failed + 1)); }
}
expect native "runs and sees x86_64" echo x86_64
expect emulated "runs and sees i686" echo i686
expect emulated "cannot run (Exec format error)" bash -c 'exit 126'
expect emulated "runs, prints nothing" true
tmp=$(mktemp -d); trap 'rm -rf "$tmp"' EXIT
printf '#include <stdio.h>\n#include <sys/utsname.h>\nint main(void) { struct utsname u; uname(&u); puts(u.machine); return 0; }\n' >"$tmp/u.c"
if gcc -m32 -o "$tmp/u32" "$tmp/u.c" 2>/dev/null && command -v qemu-i386-static >/dev/null; then
  # The same 32-bit program through qemu-user runs, and still is no native road.
  expect emulated "a 32-bit program through qemu-user" qemu-i386-static "$tmp/u32"
fi
n=$((n + 1))
[ "$(MORVALITH_EMULATE_32=1 morvalith_32bit_road)" = emulated ] || { echo "FAIL MORVALITH_EMULATE_32=1 is not obeyed"; failed=$((failed + 1)); }
echo "$((n - failed)) passed, $failed failed"
[ "$failed" -eq 0 ]
