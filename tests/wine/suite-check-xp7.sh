# The check window on XP and 7 without a flash disk: verdict, cause, remedy,
# the DLL and Windows lines, Copy, Save report (explained by morvalith-sim.exe)
# and Close.
. "$here/check.sh"
for version in "winxp|Windows XP (version 5.1 build 2600, Service Pack 3)" \
               "win7|Windows 7 (version 6.1 build 7601, Service Pack 1)"; do
  prefix "${version%%|*}"
  check_window "${version%%|*}, no flash disk" "Morvalith.dll refuses to load on this PC." "${version#*|}"
  finish
done
stop_display
