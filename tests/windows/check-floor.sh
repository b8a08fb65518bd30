# Every shipped binary starts on each Windows it claims: each import must be
# among the exports of that release's system DLL (export lists and their
# sources in tests/windows/floor). Wine exports everything whatever version
# it reports, so only this check can tell.
floor_dir="$(dirname "$0")/floor"
floor_check() {  # floor_check <binary> <release...>
  local out
  out=$(python3 "$(dirname "$0")/pe_floor.py" "$floor_dir" "$@") && return 0
  printf '%s\n' "$out" | grep '^FAIL' | sed 's/^/     /'
  return 1
}
for binary in Morvalith.dll morvalith-probe.exe morvalith-sim.exe morvalith-check.exe morvalith-vendor32.exe; do
  expect "$binary starts on Windows 98 SE and XP (every import in their export lists)" \
    floor_check "$build/$binary" win98 winxp
done
# The run-time-resolved calls stay out of the library's import table.
late=$(printf '%s\n' "$dump" | grep -cE '\b(GetVolumeNameForVolumeMountPointA|CM_Get_Parent|CM_Get_Device_IDA|MessageBoxA)$')
expect "calls resolved at run time are not imported ($late found)" test "$late" = 0

# The check catches its faults: a program importing GetTickCount64 (Vista)
# fails it on XP and names the DLL and the function; one importing by
# ordinal fails it.
bad=$(mktemp -d /tmp/morvalith-floor.XXXXXX)
cat >"$bad/vista.c" <<'C'
#include <windows.h>
int main(void) { return (int)GetTickCount64(); }
C
printf 'LIBRARY wnaspi32.dll\nEXPORTS\nAspiByNumber @5 NONAME\n' >"$bad/ordinal.def"
printf 'int AspiByNumber(void);\nint main(void) { return AspiByNumber(); }\n' >"$bad/ordinal.c"
i686-w64-mingw32-gcc -D_WIN32_WINNT=0x0600 "$bad/vista.c" -o "$bad/vista.exe" &&
  i686-w64-mingw32-dlltool -d "$bad/ordinal.def" -l "$bad/libordinal.a" &&
  i686-w64-mingw32-gcc "$bad/ordinal.c" "$bad/libordinal.a" -o "$bad/ordinal.exe"
vista=$(python3 "$(dirname "$0")/pe_floor.py" "$floor_dir" "$bad/vista.exe" winxp); vista_rc=$?
expect "the check fails a binary importing GetTickCount64 on XP" \
  test "$vista_rc/$(grep '^FAIL' <<<"$vista")" = "1/FAIL vista.exe: winxp: KERNEL32.dll lacks GetTickCount64"
ordinal=$(python3 "$(dirname "$0")/pe_floor.py" "$floor_dir" "$bad/ordinal.exe" win98); ordinal_rc=$?
expect "the check fails an import by ordinal" \
  test "$ordinal_rc/$(grep '^FAIL' <<<"$ordinal")" = "1/FAIL ordinal.exe: win98: wnaspi32.dll imported by ordinal 5"
rm -rf "$bad"
