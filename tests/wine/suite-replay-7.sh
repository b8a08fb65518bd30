# Windows 7 with the autorun volume, and without one.
. "$here/replay.sh"
prefix win7
register_flash_disk
replay "win7 with the flash disk's autorun CD-ROM volume" e2e-host.exe capture capture.json autorun \
  -- e2e-host.exe outcome autorun -- e2e-host.exe explain autorun
finish

prefix win7
replay "win7 without an autorun volume" morvalith-probe.exe --capture capture.json -- morvalith-probe.exe \
  -- morvalith-probe.exe --explain
finish
