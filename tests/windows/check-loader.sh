# What the Windows 98 SE and XP loaders and processors demand beyond import
# names (pe_loader.py says each rule and why): the headers, the directories,
# no Unicode call that 98 only stubs, and for the DLL, which runs inside any
# host on any processor, no instruction newer than the 486. The programs
# hold the P6 instructions of Debian's MinGW runtime; their processor floor is
# stated in the README instead.
loader_waivers="$(dirname "$0")/floor/unicode-waivers.txt"
loader_check() {  # loader_check [--486] <binary>
  local out
  out=$(python3 "$(dirname "$0")/pe_loader.py" "$loader_waivers" "$@") && return 0
  printf '%s\n' "$out" | sed 's/^/     /'
  return 1
}
expect "Morvalith.dll meets the 98 SE and XP loaders and runs on a 486" \
  loader_check --486 "$build/Morvalith.dll"
# The helper runs under WoW64 only, but is held to the DLL's own floor.
expect "morvalith-vendor32.exe meets the 98 SE and XP loaders and runs on a 486" \
  loader_check --486 "$build/morvalith-vendor32.exe"
for binary in morvalith-probe.exe morvalith-sim.exe morvalith-check.exe; do
  expect "$binary meets the 98 SE and XP loaders (headers, no Unicode stub)" \
    loader_check "$build/$binary"
done
semaphores=$(i686-w64-mingw32-objdump -p "$build/morvalith-probe.exe" "$build/morvalith-sim.exe" "$build/morvalith-check.exe" | grep -c 'CreateSemaphoreW$')
expect "no program imports CreateSemaphoreW ($semaphores found)" test "$semaphores" = 0

# The check catches each fault: a copy of the DLL changed in one field, a
# program importing a stubbed call, DLLs built for the Pentium and the
# Pentium Pro.
bad=$(mktemp -d /tmp/morvalith-loader.XXXXXX)
python3 - "$build/Morvalith.dll" "$bad" "$(dirname "$0")" <<'PY'
import struct, sys
sys.path.insert(0, sys.argv[3])
from pe import Pe
f = Pe(sys.argv[1]); o = f.optional
def write(name, patches=(), cut=0):
    d = bytearray(f.data)
    for offset, fmt, value in patches:
        struct.pack_into(fmt, d, offset, *value)
    open("%s/%s.dll" % (sys.argv[2], name), "wb").write(d[:len(d) - cut] if cut else d)
dirs = lambda i: o + 96 + 8 * i
write("amd64", [(o - 20, "<H", (0x8664,))])
write("subsystem6", [(o + 48, "<HH", (6, 0))])
write("os5", [(o + 40, "<HH", (5, 1))])
write("win32version", [(o + 52, "<I", (1,))])
write("sectionalign", [(o + 32, "<I", (0x200,))])
write("filealign", [(o + 36, "<I", (0x100,))])
write("truncated", cut=0x200)
write("norelocs", [(dirs(5), "<II", (0, 0))])
for name, index in (("tls", 9), ("loadconfig", 10), ("bound", 11), ("delay", 13)):
    write(name, [(dirs(index), "<II", (0x1000, 0x40))])
PY
printf '#include <windows.h>\nint main(void) { WCHAR folder[MAX_PATH]; return GetWindowsDirectoryW(folder, MAX_PATH) != 0; }\n' >"$bad/wide.c"
printf 'int __declspec(dllexport) Smaller(int a, int b) { return a < b ? a : b; }\n' >"$bad/p6.c"
printf 'unsigned __declspec(dllexport) Ticks(void) { return (unsigned)__builtin_ia32_rdtsc(); }\n' >"$bad/p5.c"
i686-w64-mingw32-gcc "$bad/wide.c" -o "$bad/wide.exe" &&
  i686-w64-mingw32-gcc -O2 -march=i686 -shared "$bad/p6.c" -o "$bad/p6.dll" &&
  i686-w64-mingw32-gcc -O2 -march=pentium -shared "$bad/p5.c" -o "$bad/p5.dll"
printf 'GetWindowsDirectoryW: waived for this check\n' >"$bad/waived.txt"
while IFS='|' read -r file options want; do
  out=$(python3 "$(dirname "$0")/pe_loader.py" $options "$loader_waivers" "$bad/$file"); rc=$?
  expect "the loader check fails $file: $want" bash -c '[ "$0" = 1 ] && grep -qF -- "$1" <<<"$2"' "$rc" "$want" "$out"
done <<'TABLE'
amd64.dll||machine 0x8664, not i386
subsystem6.dll||subsystem version 6.00, not 3.10 to 4.x
os5.dll||operating-system version 5.1, above 4.x
win32version.dll||Win32VersionValue 1, not 0
sectionalign.dll||SectionAlignment 0x200, not 0x1000
filealign.dll||FileAlignment 0x100, below 0x200
truncated.dll||past the end of the file
norelocs.dll||a DLL without base relocations
tls.dll||a DLL with a TLS directory
loadconfig.dll||a load-config directory
bound.dll||a bound-import directory
delay.dll||a delay-load directory
wide.exe||KERNEL32.dll!GetWindowsDirectoryW is only a stub on Windows 98
p6.dll|--486|cmov
p5.dll|--486|rdtsc, newer than the 486
TABLE
# A waiver needs a reason, and with one the name passes.
expect "a waived Unicode import passes" python3 "$(dirname "$0")/pe_loader.py" "$bad/waived.txt" "$bad/wide.exe"
printf 'GetWindowsDirectoryW\n' >"$bad/unreasoned.txt"
expect "a waiver without a reason is refused" bash -c \
  '! python3 "$0" "$1" "$2" >/dev/null' "$(dirname "$0")/pe_loader.py" "$bad/unreasoned.txt" "$bad/wide.exe"
rm -rf "$bad"
