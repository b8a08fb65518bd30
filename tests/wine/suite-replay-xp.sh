# XP without a flash disk, and with a registered one that answers or rejects.
. "$here/replay.sh"
prefix winxp
replay "winxp without a flash disk" morvalith-probe.exe --capture capture.json -- morvalith-probe.exe \
  -- morvalith-probe.exe --explain
register_flash_disk
replay "winxp with a registered flash disk that answers" e2e-host.exe capture capture.json good \
  -- e2e-host.exe outcome good -- e2e-host.exe explain good
replay "winxp with a registered flash disk that rejects the command" \
  e2e-host.exe capture capture.json reject -- e2e-host.exe outcome reject -- e2e-host.exe explain reject
finish
