# The signed DLL and probe (made by the checks on the built files, in
# $build/signed) on the real loader: a signature changes nothing a host sees.
if [ -d "$build/signed" ]; then
  prefix winxp
  cp "$build/signed/"* "$app/"
  check "signed: winxp without a flash disk refuses as before" 1 "probe: morvalith-probe.exe $version
machine: Windows 5.1, platform 2
[LIB] Can not find Alcor flash disk
load: Morvalith.dll refused to load (error 1114)
  file: APP\\Morvalith.dll, version $version" morvalith-probe.exe
  finish
  prefix win98
  cp "$build/signed/"* "$app/"
  export WINEDLLOVERRIDES="$base_overrides;wnaspi32=n"
  check "signed: win98 binds to the flash disk as before" 0 "probe: morvalith-probe.exe $version
machine: Windows 4.10, platform 1
[LIB] Exec Vendor SCSI command, 0x82, SUCCEED.
load: Morvalith.dll loaded
  file: APP\\Morvalith.dll, version $version
GetUSBDriveLetter: 0 (none)
GetIDKey: 0
unload: done" morvalith-probe.exe
  finish
else
  failed=$((failed + 1)); echo "FAIL signed: no signed files in $build/signed (run tests/windows/run.sh first)"
fi
