# Consumers beyond MinGW on the real loader, where the DLL loads (Windows 98
# with the stand-in ASPI manager): the clang-cl/lld-link hosts linked against
# Morvalith.lib, and the CMake package's consumer built from the unpacked
# release archive, run from its own folder with the DLL its build copied.
prefix win98
export WINEDLLOVERRIDES="$base_overrides;wnaspi32=n"
# msvcrt's stdout (the [LIB] line) is in text mode; the library writes each
# line out at once, so it comes before the host's own WriteFile lines.
text_mode=1
for lang in c cxx; do
  check "an MSVC-ABI host ($lang) calls both functions through Morvalith.lib with the stack balanced" 0 \
"[LIB] Exec Vendor SCSI command, 0x82, SUCCEED.
msvc consumer: GetUSBDriveLetter 0, stack balanced
msvc consumer: GetIDKey 0, stack balanced, key untouched" consumer-msvc-$lang.exe
done
text_mode=
app=$work/package-app
mkdir -p "$app"
cp "$build/consumers/package-archive/package-consumer.exe" "$build/consumers/package-archive/package-loader.exe" \
   "$build/consumers/package-archive/Morvalith.dll" "$build/WNASPI32.dll" "$app/"
text_mode=1
check "the CMake package's consumer runs with the DLL copied beside it" 0 \
"[LIB] Exec Vendor SCSI command, 0x82, SUCCEED.
consumer: letter 0, key result 0" package-consumer.exe
check "a host built on Morvalith::Headers loads the DLL itself with the header's function types" 0 \
"[LIB] Exec Vendor SCSI command, 0x82, SUCCEED.
loader: letter 0, key result 0" package-loader.exe
text_mode=
finish

# Without the flash disk the header-only host handles the refusal itself.
prefix winxp
cp "$build/consumers/package-archive/package-loader.exe" "$app/"
text_mode=1
check "a host built on Morvalith::Headers handles the refusal (error 1114)" 1 "[LIB] Can not find Alcor flash disk
loader: refused (error 1114)" package-loader.exe
text_mode=
finish

# A host linked against the DLL at load time, on a machine without the flash
# disk: the loader ends it (status 0xC0000142) before its main runs, yet its
# redirected output holds the library's line.
prefix winxp
(cd "$app" && timeout "$(scaled 120)" wine consumer.exe >"$work/redirected.txt" 2>/dev/null); rc=$?
if [ "$(tr -d '\r' <"$work/redirected.txt")" = "[LIB] Can not find Alcor flash disk" ] && [ "$rc" != 0 ]; then
  passed=$((passed + 1)); echo "ok   a load-time-linked host's redirected output holds the [LIB] line (exit $rc)"
else
  failed=$((failed + 1)); echo "FAIL a load-time-linked host's redirected output: exit $rc, [$(head -c 200 "$work/redirected.txt")]"
fi
finish
