# Cross-compiles the ARM64 Windows build with Debian's LLVM: clang for
# aarch64-w64-mingw32, lld, llvm-windres and llvm-dlltool, with mingw-w64's
# headers (mingw-w64-common). Debian has no ARM64 Windows C runtime or
# import libraries: the build makes the import libraries it links with from
# the project's own export lists (tests/windows/floor/win10arm64) and links
# no C runtime, so only what the build makes itself can link.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ARM64)
set(MORVALITH_CLANG_TARGET aarch64-w64-mingw32)
find_program(MORVALITH_CLANG NAMES clang-14 clang REQUIRED)
find_program(MORVALITH_CLANGXX NAMES clang++-14 clang++ REQUIRED)
find_program(MORVALITH_LLVM_WINDRES NAMES llvm-windres-14 llvm-windres REQUIRED)
set(CMAKE_C_COMPILER ${MORVALITH_CLANG})
set(CMAKE_CXX_COMPILER ${MORVALITH_CLANGXX})
set(CMAKE_ASM_COMPILER ${MORVALITH_CLANG})
set(CMAKE_C_COMPILER_TARGET ${MORVALITH_CLANG_TARGET})
set(CMAKE_CXX_COMPILER_TARGET ${MORVALITH_CLANG_TARGET})
set(CMAKE_ASM_COMPILER_TARGET ${MORVALITH_CLANG_TARGET})
set(CMAKE_RC_COMPILER ${MORVALITH_LLVM_WINDRES})
set(CMAKE_RC_FLAGS_INIT "--target=${MORVALITH_CLANG_TARGET} -I/usr/share/mingw-w64/include")
# mingw-w64's headers serve every processor; the sysroot holds no libraries.
set(MORVALITH_MINGW_HEADERS /usr/share/mingw-w64/include)
set(CMAKE_C_STANDARD_INCLUDE_DIRECTORIES ${MORVALITH_MINGW_HEADERS})
set(CMAKE_CXX_STANDARD_INCLUDE_DIRECTORIES ${MORVALITH_MINGW_HEADERS})
set(CMAKE_EXE_LINKER_FLAGS_INIT "-fuse-ld=lld")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-fuse-ld=lld")
# Without a C runtime a test program cannot link: the compilers are checked
# by compiling alone.
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)
set(CMAKE_FIND_ROOT_PATH /usr/share/mingw-w64)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
