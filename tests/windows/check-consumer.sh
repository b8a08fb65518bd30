# A host compiled as C and as C++ against the installed header and import
# library links, and its imports name the two functions of Morvalith.dll.
sdk=$build/sdk-check
rm -rf "$sdk"
cmake --install "$build" --prefix "$sdk" >/dev/null
expect "install lays out bin, lib and include" test -f "$sdk/bin/Morvalith.dll" -a -f "$sdk/lib/libMorvalith.dll.a" \
  -a -f "$sdk/lib/Morvalith.def" -a -f "$sdk/include/morvalith.h"
consumer=$(dirname "$0")/../consumer/consumer.c
expect "a C host builds against the SDK" i686-w64-mingw32-gcc -Wall -Werror -I"$sdk/include" "$consumer" \
  -L"$sdk/lib" -lMorvalith -o "$build/consumer.exe"
expect "a C++ host builds against the SDK" i686-w64-mingw32-g++ -Wall -Werror -x c++ -I"$sdk/include" "$consumer" \
  -L"$sdk/lib" -lMorvalith -static-libgcc -static-libstdc++ -o "$build/consumer-cxx.exe"
names=$(i686-w64-mingw32-objdump -p "$build/consumer.exe" | sed -n '/DLL Name: Morvalith.dll/,/^$/p' | grep -oE 'Get[A-Za-z@0-9]+' | sort | tr '\n' ' ')
expect "the consumer imports both functions by their undecorated names ($names)" test "$names" = "GetIDKey GetUSBDriveLetter "
