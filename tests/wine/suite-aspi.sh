# Windows 9x binding through ASPI on the real loader. Wine's own WNASPI32
# finds no host adapter here; the stand-in manager (tests/wine/wnaspi32_double.c)
# is taken instead when it lies beside the host and wnaspi32 is set to native.
prefix win98
rm -f "$app/WNASPI32.dll"
check "win98 with the system's WNASPI32 and no adapters" 1 "probe: morvalith-probe.exe $version
machine: Windows 4.10, platform 1
[LIB] Can not find Alcor flash disk
load: Morvalith.dll refused to load (error 1114)
  file: APP\Morvalith.dll, version $version" morvalith-probe.exe
finish

prefix win98
export WINEDLLOVERRIDES="$base_overrides;wnaspi32=n"
check "win98 binds to the flash disk found by the scan" 0 "probe: morvalith-probe.exe $version
machine: Windows 4.10, platform 1
[LIB] Exec Vendor SCSI command, 0x82, SUCCEED.
load: Morvalith.dll loaded
  file: APP\Morvalith.dll, version $version
GetUSBDriveLetter: 0 (none)
GetIDKey: 0
unload: done" morvalith-probe.exe
check "exports callable after an ASPI binding, with the stack balanced; WNASPI32 released at unload" 0 "[LIB] Exec Vendor SCSI command, 0x82, SUCCEED.
load: loaded
GetUSBDriveLetter: 0, stack balanced
GetIDKey: 0, stack balanced, key untouched
GetIDKey called as cdecl: stack MOVED
WNASPI32 while loaded: held
WNASPI32 after unload: released" e2e-host.exe call
check "a request finished later by another thread is waited for" 0 "worker: started
[LIB] Exec Vendor SCSI command, 0x82, SUCCEED.
load: loaded
GetUSBDriveLetter: 0, stack balanced
GetIDKey: 0, stack balanced, key untouched
GetIDKey called as cdecl: stack MOVED
WNASPI32 while loaded: held
WNASPI32 after unload: held" MORVALITH_ASPI_DOUBLE=pending e2e-host.exe call --pending
# A plain host keeps stdout in text mode, where the CRT writes "\r\n".
text_mode=1
check "a host linked against the import library starts and calls both functions" 0 \
  "[LIB] Exec Vendor SCSI command, 0x82, SUCCEED.
consumer: letter 0, key result 0" consumer.exe
text_mode=
check "a unit that rejects the vendor command fails the load" 1 "probe: morvalith-probe.exe $version
machine: Windows 4.10, platform 1
[LIB] Exec Vendor SCSI command, 0x82, FAILED.
[LIB] Get Vendor 512bytes sector FAILED
load: Morvalith.dll refused to load (error 1114)
  file: APP\Morvalith.dll, version $version" MORVALITH_ASPI_DOUBLE=reject morvalith-probe.exe
check "a manager without adapters" 1 "probe: morvalith-probe.exe $version
machine: Windows 4.10, platform 1
[LIB] Can not find Alcor flash disk
load: Morvalith.dll refused to load (error 1114)
  file: APP\Morvalith.dll, version $version" MORVALITH_ASPI_DOUBLE=none morvalith-probe.exe
finish
