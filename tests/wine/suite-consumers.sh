# Consumers beyond MinGW on the real loader, where the DLL loads (Windows 98
# with the stand-in ASPI manager): the clang-cl/lld-link hosts linked against
# Morvalith.lib, and the CMake package's consumer built from the unpacked
# release archive, run from its own folder with the DLL its build copied.
prefix win98
export WINEDLLOVERRIDES="$base_overrides;wnaspi32=n"
# msvcrt's stdout (the [LIB] line) is in text mode and flushed at exit, after
# the host's own WriteFile lines.
text_mode=1
for lang in c cxx; do
  check "an MSVC-ABI host ($lang) calls both functions through Morvalith.lib with the stack balanced" 0 \
"msvc consumer: GetUSBDriveLetter 0, stack balanced
msvc consumer: GetIDKey 0, stack balanced, key untouched
[LIB] Exec Vendor SCSI command, 0x82, SUCCEED." consumer-msvc-$lang.exe
done
text_mode=
app=$work/package-app
mkdir -p "$app"
cp "$build/consumers/package-archive/package-consumer.exe" "$build/consumers/package-archive/Morvalith.dll" \
   "$build/WNASPI32.dll" "$app/"
text_mode=1
check "the CMake package's consumer runs with the DLL copied beside it" 0 \
"[LIB] Exec Vendor SCSI command, 0x82, SUCCEED.
consumer: letter 0, key result 0" package-consumer.exe
text_mode=
finish
