. "$here/check.sh"
prefix winxp
sample "winxp, no flash disk" "Sample host: the flash disk library did not load" \
  'Morvalith.dll refused to load (error 1114): "Can not find Alcor flash disk". Run morvalith-check.exe to find out why and to save a report for support.'
finish
prefix win98
export WINEDLLOVERRIDES="$base_overrides;wnaspi32=n"
sample "win98, the stand-in flash disk" "Sample host" "Morvalith.dll loaded; the flash disk has no drive letter."
finish
stop_display
