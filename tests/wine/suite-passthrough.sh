# Windows XP binding on the real loader. A disk interface registered the way
# Wine's SetupAPI enumerates it is found by the library; Wine has no SCSI
# pass-through, so the host answers CreateFileA and DeviceIoControl for it
# (register_flash_disk is in run.sh).

prefix winxp
register_flash_disk
request="request:
  2c00000001000a080100000000020000
  96000000........3000000082000000
  00000000000000000000000000000000
  00000000000000000000000000000000
  00000000000000000000000000000000"
opened="opened: \\\\?\\usbstor#disk&ven_generic&prod_flash_disk&rev_8.01#7&1a2b3c4d&0#{53f56307-b6bf-11d0-94f2-00a0c91efb8b}
access c0000000 share 3 disposition 3 flags 00000080"
check "winxp binds to a registered flash disk that answers 0x82" 0 "$opened
$request
load: loaded; data buffer inside Morvalith.dll
disk handle after unload: closed" e2e-host.exe scsi good
check "winxp: a disk that rejects 0x82 fails the load and its handle is closed" 1 "[LIB] Get Vendor 512bytes sector FAILED
$opened
$request
load: refused (error 1114)
disk handle after unload: closed" e2e-host.exe scsi reject
finish
