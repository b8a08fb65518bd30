# The export table and version block as the Windows loader and version API
# see them (no load needed: the DLL is mapped without running DllMain).
prefix winxp
check "GetProcAddress by name and by ordinal agree" 0 "GetIDKey: ordinal 1
GetUSBDriveLetter: ordinal 2
GetIDKey@4: absent
ordinal 3: absent" e2e-host.exe exports
check "GetFileVersionInfoA and VerQueryValueA read the version block" 0 "file version $version
product version $version
translation 0804 1200
Comments=[]
CompanyName=[ ]
FileDescription=[Morvalith]
FileVersion=[1, 0, 2, 1]
InternalName=[Morvalith]
LegalTrademarks=[]
OriginalFilename=[Morvalith.dll]
PrivateBuild=[]
ProductName=[  Morvalith]
ProductVersion=[1, 0, 2, 1]
SpecialBuild=[]" e2e-host.exe version
finish
