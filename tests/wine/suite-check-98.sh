# The check window on 98, without a flash disk and with the stand-in one.
. "$here/check.sh"
win98="Windows 98 SE (version 4.10 build 2222, A)"
prefix win98
rm -f "$app/WNASPI32.dll"
check_window "win98, no flash disk" "Morvalith.dll refuses to load on this PC." "$win98"
finish
prefix win98
export WINEDLLOVERRIDES="$base_overrides;wnaspi32=n"
check_window "win98, the stand-in flash disk" "Morvalith.dll loads on this PC." "$win98"
finish
stop_display
