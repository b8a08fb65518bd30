# Cross-compiles the 64-bit Windows build with Debian's MinGW-w64 x86_64 toolchain.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
# The win32 thread model by name, whatever the system's alternative points
# at: the POSIX model's thread library imports calls XP lacks.
find_program(MORVALITH_MINGW_GCC NAMES x86_64-w64-mingw32-gcc-win32 x86_64-w64-mingw32-gcc REQUIRED)
find_program(MORVALITH_MINGW_GXX NAMES x86_64-w64-mingw32-g++-win32 x86_64-w64-mingw32-g++ REQUIRED)
set(CMAKE_C_COMPILER ${MORVALITH_MINGW_GCC})
set(CMAKE_CXX_COMPILER ${MORVALITH_MINGW_GXX})
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
