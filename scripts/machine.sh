#!/usr/bin/env bash
# The one place that decides how this machine runs 32-bit x86 code, sourced
# by the scripts (or run: it prints the road). Two roads:
#   native    the machine runs a 32-bit program itself: the 32-bit host
#             suites and the 32-bit Wine suites run directly;
#   emulated  it does not (a kernel without 32-bit support, another
#             processor): the 32-bit host suites run through qemu-user,
#             the 32-bit Wine suites in a software-emulated machine.
# The answer comes from what the machine does, not from its name: a 32-bit
# program is built and run, and must report the machine as x86_64. Under a
# registered qemu-user handler the same program runs too, but reports i686.
# MORVALITH_EMULATE_32=1 forces the emulated road on any machine.

# morvalith_road_of <program> [args]: the road, from what a 32-bit program
# that prints uname()'s machine field says when run.
morvalith_road_of() {
  local seen
  seen=$("$@" 2>/dev/null) || { echo emulated; return; }
  if [ "$seen" = x86_64 ]; then echo native; else echo emulated; fi
}

# morvalith_32bit_road: this machine's road (needs gcc's -m32, g++-multilib).
morvalith_32bit_road() {
  if [ "${MORVALITH_EMULATE_32:-0}" = 1 ]; then echo emulated; return; fi
  local dir road
  dir=$(mktemp -d)
  printf '#include <stdio.h>\n#include <sys/utsname.h>\nint main(void) { struct utsname u; if (uname(&u)) return 1; puts(u.machine); return 0; }\n' >"$dir/uname.c"
  if gcc -m32 -o "$dir/uname32" "$dir/uname.c" 2>/dev/null; then
    road=$(morvalith_road_of "$dir/uname32")
  else
    road=emulated
  fi
  rm -rf "$dir"
  echo "$road"
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  morvalith_32bit_road
fi
