# Cross-compiles the Windows build with Debian's MinGW-w64 i686 toolchain.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
# The win32 thread model by name, whatever the system's alternative points
# at: the POSIX model's thread library imports calls Windows 98 and XP lack.
find_program(MORVALITH_MINGW_GCC NAMES i686-w64-mingw32-gcc-win32 i686-w64-mingw32-gcc REQUIRED)
find_program(MORVALITH_MINGW_GXX NAMES i686-w64-mingw32-g++-win32 i686-w64-mingw32-g++ REQUIRED)
set(CMAKE_C_COMPILER ${MORVALITH_MINGW_GCC})
set(CMAKE_CXX_COMPILER ${MORVALITH_MINGW_GXX})
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
