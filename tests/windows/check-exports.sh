# The export table and the version block, read back from the built DLL.
exports=$(python3 "$(dirname "$0")/pe_exports.py" "$build/Morvalith.dll")
expect "exports GetIDKey at 1 and GetUSBDriveLetter at 2, undecorated" test "$exports" = "dll Morvalith.dll
1 GetIDKey
2 GetUSBDriveLetter"
version=$(i686-w64-mingw32-windres -i "$build/Morvalith.dll" -O rc 2>/dev/null | sed -n '/VERSIONINFO/,$p')
language=$(i686-w64-mingw32-windres -i "$build/Morvalith.dll" -O rc 2>/dev/null | grep -c '^LANGUAGE 4, 2$')
expect "version resource in language 0x0804" test "$language" = 1
expect "version block reads back exactly" test "$version" = '1 VERSIONINFO
 FILEVERSION 1, 0, 2, 1
 PRODUCTVERSION 1, 0, 2, 1
 FILEFLAGSMASK 0x3f
 FILEOS 0x4
 FILETYPE 0x2
BEGIN
  BLOCK "StringFileInfo"
  BEGIN
    BLOCK "080404b0"
    BEGIN
      VALUE "Comments", ""
      VALUE "CompanyName", " "
      VALUE "FileDescription", "Morvalith"
      VALUE "FileVersion", "1, 0, 2, 1"
      VALUE "InternalName", "Morvalith"
      VALUE "LegalTrademarks", ""
      VALUE "OriginalFilename", "Morvalith.dll"
      VALUE "PrivateBuild", ""
      VALUE "ProductName", "  Morvalith"
      VALUE "ProductVersion", "1, 0, 2, 1"
      VALUE "SpecialBuild", ""
    END
  END
  BLOCK "VarFileInfo"
  BEGIN
    VALUE "Translation", 0x804, 1200
  END
END'
imp=$(i686-w64-mingw32-nm "$build/libMorvalith.dll.a" 2>/dev/null | grep -o '__imp__Get[A-Za-z@0-9]*' | sort | tr '\n' ' ')
expect "import library maps _GetIDKey@4 and _GetUSBDriveLetter ($imp)" test "$imp" = "__imp__GetIDKey@4 __imp__GetUSBDriveLetter "
