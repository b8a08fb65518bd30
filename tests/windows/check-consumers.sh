# Consumers beyond MinGW: the MSVC import library with a clang-cl/lld-link
# host, the CMake package (installed and from the release archive), and the
# declarations for C#, Free Pascal/Delphi and Python.
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
out_dir=$(cd "$build" && pwd)
sdk=$out_dir/sdk-check
[ -d "$sdk" ] || cmake --install "$build" --prefix "$sdk" >/dev/null
work=$out_dir/consumers
clang_cl=$(command -v clang-cl || command -v clang-cl-14)
rm -rf "$work"; mkdir -p "$work"

# Morvalith.lib maps the decorated names a Visual C++ caller references.
imp=$(llvm-nm "$sdk/lib/Morvalith.lib" 2>/dev/null | grep -o '__imp__Get[A-Za-z@0-9]*' | sort | tr '\n' ' ')
expect "Morvalith.lib maps _GetIDKey@4 and _GetUSBDriveLetter ($imp)" test "$imp" = "__imp__GetIDKey@4 __imp__GetUSBDriveLetter "

# The MSVC-ABI host, as C and as C++, against Morvalith.lib only.
llvm-dlltool -m i386 -k -d "$here/msvc/kernel32.def" -l "$work/kernel32.lib"
for lang in c cxx; do
  mode=/TC; [ "$lang" = cxx ] && mode=/TP
  exe=$build/consumer-msvc-$lang.exe
  rm -f "$exe"
  "$clang_cl" --target=i686-pc-windows-msvc /nologo /c /O1 /GS- /Zl /W3 /WX $mode -I"$sdk/include" \
    /Fo"$work/consumer-$lang.obj" -- "$here/msvc/consumer.c" &&
  lld-link /nologo /entry:start /subsystem:console,4.0 /nodefaultlib /out:"$exe" \
    "$work/consumer-$lang.obj" "$sdk/lib/Morvalith.lib" "$work/kernel32.lib" >/dev/null
  names=$(i686-w64-mingw32-objdump -p "$exe" 2>/dev/null | sed -n '/DLL Name: Morvalith.dll/,/^$/p' | grep -oE 'Get[A-Za-z@0-9]+' | sort | tr '\n' ' ')
  expect "clang-cl ($lang) and lld-link build a host that imports both functions undecorated ($names)" \
    test "$names" = "GetIDKey GetUSBDriveLetter "
done
# The same host for x64, against the x64 Morvalith.lib (one convention: no
# decoration to map; kernel32's import library from the same names, undecorated).
sed 's/@[0-9]*$//' "$here/msvc/kernel32.def" >"$work/kernel32-x64.def"
llvm-dlltool -m i386:x86-64 -d "$work/kernel32-x64.def" -l "$work/kernel32-x64.lib"
exe=$build/consumer-msvc-x64.exe
rm -f "$exe"
"$clang_cl" --target=x86_64-pc-windows-msvc /nologo /c /O1 /GS- /Zl /W3 /WX /TC -I"$sdk/include" \
  /Fo"$work/consumer-x64.obj" -- "$here/msvc/consumer.c" &&
lld-link /nologo /entry:start /subsystem:console,5.02 /nodefaultlib /out:"$exe" \
  "$work/consumer-x64.obj" "$sdk/lib/x64/Morvalith.lib" "$work/kernel32-x64.lib" >/dev/null
names=$(x86_64-w64-mingw32-objdump -p "$exe" 2>/dev/null | sed -n '/DLL Name: Morvalith.dll/,/^$/p' | grep -oE 'Get[A-Za-z@0-9]+' | sort | tr '\n' ' ')
expect "clang-cl and lld-link build an x64 host against lib/x64/Morvalith.lib that imports both ($names)" \
  test "$names" = "GetIDKey GetUSBDriveLetter "
# And for ARM64, against lib/arm64/Morvalith.lib.
llvm-dlltool -m arm64 -d "$work/kernel32-x64.def" -l "$work/kernel32-arm64.lib"
exe=$build/consumer-msvc-arm64.exe
rm -f "$exe"
"$clang_cl" --target=aarch64-pc-windows-msvc /nologo /c /O1 /GS- /Zl /W3 /WX /TC -I"$sdk/include" \
  /Fo"$work/consumer-arm64.obj" -- "$here/msvc/consumer.c" &&
lld-link /nologo /entry:start /subsystem:console,6.02 /nodefaultlib /out:"$exe" \
  "$work/consumer-arm64.obj" "$sdk/lib/arm64/Morvalith.lib" "$work/kernel32-arm64.lib" >/dev/null
names=$(llvm-objdump-14 -p "$exe" 2>/dev/null | sed -n '/DLL Name: Morvalith.dll/,/^$/p' | grep -oE 'Get[A-Za-z@0-9]+' | sort | tr '\n' ' ')
expect "clang-cl and lld-link build an ARM64 host against lib/arm64/Morvalith.lib that imports both ($names)" \
  test "$names" = "GetIDKey GetUSBDriveLetter "

# The release archive: its name from the one version, its contents.
(cd "$build" && rm -f Morvalith-*.zip SHA256SUMS && cmake --build . --target archive >/dev/null)
version=$(sed -n 's/^project(Morvalith VERSION \([0-9.]*\).*/\1/p' "$here/../CMakeLists.txt")
zip=$out_dir/Morvalith-$version-win32.zip
expect "the archive target makes Morvalith-$version-win32.zip" test -f "$zip"
top=Morvalith-$version-win32
listing=$(python3 -c 'import sys, zipfile; print(" ".join(n for n in zipfile.ZipFile(sys.argv[1]).namelist()))' "$zip" 2>/dev/null)
expect "the archive holds one folder $top, and in it the DLL, the programs, both import libraries, the .def, the package, the headers, the sample, the users' README, the change log, the declarations and FILES.sha256, in order" \
  test "$listing" = "$(printf "$top/%s " CHANGES FILES.sha256 README.md bin/Morvalith.dll bin/arm64/Morvalith.dll bin/morvalith-check.exe bin/morvalith-probe.exe bin/morvalith-sim.exe bin/x64/Morvalith.dll bin/x64/morvalith-check.exe bin/x64/morvalith-probe.exe bin/x64/morvalith-sim.exe bin/x64/morvalith-vendor32.exe bindings/csharp/Morvalith.cs bindings/pascal/Morvalith.pas bindings/pascal/MorvalithDynamic.pas bindings/python/morvalith.py bindings/vb/Morvalith.bas include/morvalith.h include/morvalith_load.h lib/Morvalith.def lib/Morvalith.lib lib/arm64/Morvalith.def lib/arm64/Morvalith.lib lib/arm64/libMorvalith.dll.a lib/cmake/Morvalith/MorvalithConfig.cmake lib/cmake/Morvalith/MorvalithConfigVersion.cmake lib/libMorvalith.dll.a lib/x64/Morvalith.def lib/x64/Morvalith.lib lib/x64/libMorvalith.dll.a samples/CMakeLists.txt samples/gui_host.c | sed 's/ $//')"
sizes=$(python3 -c 'import sys, zipfile, struct
z = zipfile.ZipFile(sys.argv[1])
for n in sorted(z.namelist()):
    if n.endswith((".dll", ".exe")):
        d = z.read(n); pe = struct.unpack_from("<I", d, 0x3C)[0]
        print(n.split("/", 1)[1], {0x14C: "x86", 0x8664: "x64", 0xAA64: "arm64"}[struct.unpack_from("<H", d, pe + 4)[0]])' "$zip" 2>/dev/null | tr '\n' ' ')
expect "bin/ holds the x86 files, bin/x64/ the x64 ones and the 32-bit helper, bin/arm64/ the ARM64 DLL ($sizes)" test "$sizes" = \
  "bin/Morvalith.dll x86 bin/arm64/Morvalith.dll arm64 bin/morvalith-check.exe x86 bin/morvalith-probe.exe x86 bin/morvalith-sim.exe x86 bin/x64/Morvalith.dll x64 bin/x64/morvalith-check.exe x64 bin/x64/morvalith-probe.exe x64 bin/x64/morvalith-sim.exe x64 bin/x64/morvalith-vendor32.exe x86 "
# FILES.sha256 inside lists every other file with its digest; SHA256SUMS
# beside lists the archive, and unpacking the archive beside it replaces nothing.
sums=$(mktemp -d)
cp "$zip" "$out_dir/SHA256SUMS" "$sums/"
(cd "$sums" && cmake -E tar xf "$(basename "$zip")")
expect "FILES.sha256 in the archive's folder checks every file in it" bash -c \
  'cd "$1" && sha256sum --quiet -c FILES.sha256 && test "$(wc -l <FILES.sha256)" = "$(($(find . -type f | wc -l) - 1))"' _ "$sums/$top"
expect "SHA256SUMS beside the archive checks it, unpacked beside it" bash -c 'cd "$1" && sha256sum --quiet -c SHA256SUMS' _ "$sums"
expect "the archive's README is the users' (no contributors' set-up) and says this build is not signed" bash -c \
  '! grep -q "scripts/test.sh" "$1/README.md" && grep -q "What to ship with your program" "$1/README.md" &&
   grep -q "^This build is not signed: " "$1/README.md"' _ "$sums/$top"
# The users' README's CMake snippet is the shipped sample's CMakeLists.txt.
# readme_snippet <README>: the first indented block after the CMake paragraph, unindented.
readme_snippet() {
  python3 - "$1" <<'PY'
import re, sys
text = open(sys.argv[1]).read()
after = text[text.index("**CMake** (3.20 or later)"):]
block = re.search(r"\n\n((?:    .*\n|\n)+)", after).group(1)
print("\n".join(line[4:] for line in block.rstrip("\n").split("\n")))
PY
}
snippet=$(readme_snippet "$sums/$top/README.md")
expect "the users' README's CMake snippet is samples/CMakeLists.txt as shipped" \
  test "$snippet" = "$(cat "$sums/$top/samples/CMakeLists.txt")"
rm -rf "$sums"
rc_version=$(i686-w64-mingw32-windres -i "$build/Morvalith.dll" -O rc 2>/dev/null | sed -n 's/^ FILEVERSION \(.*\)/\1/p' | tr -d ' ' | tr ',' '.')
expect "the version resource carries the project version ($rc_version)" test "$rc_version" = "$version"
for program in morvalith-probe morvalith-sim morvalith-check; do
  rc=$(i686-w64-mingw32-windres -i "$build/$program.exe" -O rc 2>/dev/null)
  expect "$program.exe carries a version resource in English with the product version" bash -c \
    'grep -q "^ FILEVERSION ${2//./, }$" <<<"$1" && grep -q "BLOCK \"040904b0\"" <<<"$1" &&
     grep -q "VALUE \"ProductVersion\", \"$2\"" <<<"$1" && grep -q "VALUE \"OriginalFilename\", \"$3.exe\"" <<<"$1"' \
    _ "$rc" "$version" "$program"
done

# The CMake package, from the installed tree and from the unpacked archive
# (moved elsewhere: it must not remember where it was made).
mkdir -p "$work/unpacked"
(cd "$work/unpacked" && cmake -E tar xf "$zip")
mv "$work/unpacked" "$work/moved"
for from in installed archive; do
  prefix=$sdk; [ "$from" = archive ] && prefix=$work/moved/$top
  out=$work/package-$from
  expect "find_package(Morvalith 1.0) against the $from tree builds a program with the DLL beside it" bash -c \
    'cmake -S "$1" -B "$2" -DCMAKE_TOOLCHAIN_FILE="$3" -DCMAKE_PREFIX_PATH="$4" >/dev/null &&
     cmake --build "$2" >/dev/null && test -f "$2/package-consumer.exe" -a -f "$2/Morvalith.dll"' \
    _ "$here/package" "$out" "$here/../cmake/mingw-i686.cmake" "$prefix"
  # A 64-bit consumer gets the x64 DLL and import library.
  expect "find_package(Morvalith 1.0) in an x64 build against the $from tree gives the x64 DLL" bash -c \
    'cmake -S "$1" -B "$2" -DCMAKE_TOOLCHAIN_FILE="$3" -DCMAKE_PREFIX_PATH="$4" >/dev/null &&
     cmake --build "$2" >/dev/null && file "$2/package-consumer.exe" | grep -q "PE32+.*x86-64" &&
     file "$2/Morvalith.dll" | grep -q "PE32+ executable (DLL).*x86-64"' \
    _ "$here/package" "$out-x64" "$here/../cmake/mingw-x86_64.cmake" "$prefix"
  # An ARM64 consumer gets the ARM64 ones (configured only: there is no C
  # runtime here to link an ARM64 program with).
  picked=$(cmake -S "$here/package" -B "$out-arm64" -DCMAKE_TOOLCHAIN_FILE="$here/../cmake/clang-aarch64.cmake" \
             -DCMAKE_PREFIX_PATH="$prefix" -DMORVALITH_CONFIGURE_ONLY=ON 2>/dev/null | sed -n 's/^-- Morvalith: //p')
  expect "find_package(Morvalith 1.0) in an ARM64 build against the $from tree gives the ARM64 DLL and import library" \
    test "$picked" = "$prefix/bin/arm64/Morvalith.dll $prefix/lib/arm64/libMorvalith.dll.a"
done
# The README's snippet as printed, built against the unpacked archive with
# its sample (run under Wine by the check window's suite).
mkdir -p "$work/snippet"
readme_snippet "$work/moved/$top/README.md" >"$work/snippet/CMakeLists.txt"
cp "$work/moved/$top/samples/gui_host.c" "$work/snippet/"
expect "the users' README's CMake snippet builds the sample GUI program with Morvalith.dll beside it" bash -c \
  'cmake -S "$1" -B "$1/build" -DCMAKE_TOOLCHAIN_FILE="$2" -DCMAKE_PREFIX_PATH="$3" >/dev/null &&
   cmake --build "$1/build" >/dev/null && test -f "$1/build/gui-host.exe" -a -f "$1/build/Morvalith.dll"' \
  _ "$work/snippet" "$here/../cmake/mingw-i686.cmake" "$work/moved/$top"
expect "the same snippet builds the sample for x64, with the x64 DLL beside it" bash -c \
  'cmake -S "$1" -B "$1/build-x64" -DCMAKE_TOOLCHAIN_FILE="$2" -DCMAKE_PREFIX_PATH="$3" >/dev/null &&
   cmake --build "$1/build-x64" >/dev/null && file "$1/build-x64/gui-host.exe" | grep -q "PE32+.*x86-64" &&
   file "$1/build-x64/Morvalith.dll" | grep -q "PE32+ executable (DLL).*x86-64"' \
  _ "$work/snippet" "$here/../cmake/mingw-x86_64.cmake" "$work/moved/$top"
# MorvalithLoadLibrary in a host with no C runtime at all (clang, MinGW
# target: clang-cl cannot read the MinGW headers without the Windows SDK).
clang=$(command -v clang || command -v clang-14)
expect "a host with no C runtime builds on morvalith_load.h and imports KERNEL32 alone" bash -c \
  '"$1" --target=i686-w64-windows-gnu -O1 -Wall -Wextra -Werror -DNO_CRT -ffreestanding -fno-stack-protector \
     -I"$2/include" -c "$3" -o "$4.o" &&
   "$1" --target=i686-w64-windows-gnu -nostdlib -fuse-ld=lld -Wl,--entry=_Start@0 -Wl,--subsystem=console:4.0 \
     "$4.o" -lkernel32 -o "$4" &&
   test "$(i686-w64-mingw32-objdump -p "$4" | grep "DLL Name")" = "	DLL Name: KERNEL32.dll"' \
  _ "$clang" "$sdk" "$here/wine/load_host.c" "$build/load-host-nocrt.exe"
loader=$work/package-archive/package-loader.exe
loader_imports=$(i686-w64-mingw32-objdump -p "$loader" 2>/dev/null | grep -c 'DLL Name: Morvalith.dll')
expect "Morvalith::Headers gives a host that loads the DLL itself (no import of Morvalith.dll)" \
  test -f "$loader" -a "$loader_imports" = 0
newer=$(cmake -S "$here/package" -B "$work/package-v2" -DCMAKE_TOOLCHAIN_FILE="$here/../cmake/mingw-i686.cmake" \
  -DCMAKE_PREFIX_PATH="$sdk" -DMORVALITH_WANT=2.0 2>&1 >/dev/null)
expect "a consumer asking for version 2.0 is refused" grep -q "version: $version" <<<"$newer"

# Declarations for other languages, compiled (and for Python, exercised).
# corflags <assembly>: its CLI header's flags (1 IL only, 2 32-bit required).
corflags() {
  python3 -c 'import struct, sys
d = open(sys.argv[1], "rb").read(); pe = struct.unpack_from("<I", d, 0x3C)[0]; o = pe + 24
rva = struct.unpack_from("<I", d, o + 96 + 14 * 8)[0]; count = struct.unpack_from("<H", d, pe + 6)[0]
for i in range(count):
    s = o + struct.unpack_from("<H", d, pe + 20)[0] + 40 * i
    size, va, raw_size, raw = struct.unpack_from("<IIII", d, s + 8)
    if va <= rva < va + max(size, raw_size):
        print(struct.unpack_from("<I", d, raw + rva - va + 16)[0])' "$1"
}
for platform in x86 anycpu; do
  cs=$(mcs -platform:$platform -target:library -out:"$work/Morvalith.Bindings-$platform.dll" "$here/../bindings/csharp/Morvalith.cs" 2>&1 &&
       monodis "$work/Morvalith.Bindings-$platform.dll" | grep -o 'pinvokeimpl ("Morvalith.dll" as "[A-Za-z]*" [a-z]*' | tr '\n' ';')
  expect "C# compiles for $platform; the assembly imports GetIDKey stdcall and GetUSBDriveLetter cdecl" test "$cs" = \
    'pinvokeimpl ("Morvalith.dll" as "GetIDKey" stdcall;pinvokeimpl ("Morvalith.dll" as "GetUSBDriveLetter" cdecl;'
done
expect "the x86 C# assembly requires a 32-bit process, the AnyCPU one does not" test \
  "$(corflags "$work/Morvalith.Bindings-x86.dll")/$(corflags "$work/Morvalith.Bindings-anycpu.dll")" = "3/1"
expect "the Pascal unit and a program using it compile (Free Pascal, Delphi mode)" bash -c \
  'fpc -Mdelphi -FE"$1" -Fu"$2" "$3" >/dev/null && fpc -Mdelphi -Cn -FE"$1" -Fu"$2" "$4" >/dev/null' \
  _ "$work" "$here/../bindings/pascal" "$here/../bindings/pascal/Morvalith.pas" "$here/bindings/use_morvalith.pas"
expect "the run-time loading Pascal unit compiles, links and reports a missing DLL without crashing" bash -c \
  'fpc -Mdelphi -FE"$1" -Fu"$2" "$3" >/dev/null && test "$(cd "$1" && ./use_morvalith_dynamic)" = "Morvalith.dll is missing or refused to load"' \
  _ "$work" "$here/../bindings/pascal" "$here/bindings/use_morvalith_dynamic.pas"
expect "the Python declarations compile and take each function from the loader of its convention" bash -c \
  'python3 -B -c "import sys; compile(open(sys.argv[1]).read(), sys.argv[1], \"exec\")" "$1/morvalith.py" &&
   python3 -B "$2" "$1" >/dev/null' _ "$here/../bindings/python" \
  "$here/bindings/check_python.py"
