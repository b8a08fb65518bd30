# Load-time binding on the real loader: without a flash disk the load fails
# with ERROR_DLL_INIT_FAILED and the library's line, or silently on NT 4.
prefix winxp
check "winxp without a flash disk" 1 "probe: morvalith-probe.exe $version
machine: Windows 5.1, platform 2
[LIB] Can not find Alcor flash disk
load: Morvalith.dll refused to load (error 1114)
  file: APP\Morvalith.dll, version $version" morvalith-probe.exe
finish

prefix nt40
check "nt40 is refused silently" 1 "probe: morvalith-probe.exe $version
machine: Windows 4.0, platform 2
load: Morvalith.dll refused to load (error 1114)
  file: APP\Morvalith.dll, version $version" morvalith-probe.exe
finish

prefix vista
check "vista without an autorun volume" 1 "probe: morvalith-probe.exe $version
machine: Windows 6.0, platform 2
[LIB] Can not find Alcor flash disk
load: Morvalith.dll refused to load (error 1114)
  file: APP\Morvalith.dll, version $version" morvalith-probe.exe
finish

prefix win10
check "win10 without an autorun volume" 1 "probe: morvalith-probe.exe $version
machine: Windows 6.2, platform 2
[LIB] Can not find Alcor flash disk
load: Morvalith.dll refused to load (error 1114)
  file: APP\Morvalith.dll, version $version" morvalith-probe.exe
finish
