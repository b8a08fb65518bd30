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
# The ANSI road: Japanese where the code page is Japanese (932), and English
# where the code page (1252) cannot show the language asked for.
prefix win98
rm -f "$app/WNASPI32.dll"
shot_suffix=win98 check_language "win98, no flash disk" ja ja refuses 98se 4 10 2222 A
MORVALITH_LANG=zh-TW shot_suffix=win98 check_language "win98, no flash disk, Chinese asked for" de en refuses 98se 4 10 2222 A
finish
stop_display
