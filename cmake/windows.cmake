# Windows build: Morvalith.dll with its import libraries, and the programs
# that load it under a real Win32 loader. Three builds of one tree: x86
# (PE32, preset windows), x64 (PE32+, preset windows64, MORVALITH_X64) and
# ARM64 (PE32+, preset windows-arm64, MORVALITH_ARM64: clang and lld; the
# DLL, its import libraries and its test programs only).
enable_language(RC)
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "ARM64")
    set(MORVALITH_ARM64 ON)
    set(MORVALITH_X64 OFF)
    enable_language(ASM)
elseif(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(MORVALITH_ARM64 OFF)
    set(MORVALITH_X64 ON)
else()
    set(MORVALITH_ARM64 OFF)
    set(MORVALITH_X64 OFF)
endif()

# Every shipped binary starts on Windows 98 SE and on Windows 2000/XP (the
# import-floor check in tests/windows proves it). The SDK headers are held to
# NT 5.0, so that a call of a newer system fails to compile; a newer call worth
# having is resolved at run time with a fallback.
# The x64 build's floor is 64-bit XP and Server 2003, NT 5.2; the ARM64
# build's is Windows 10, the first Windows on ARM64.
if(MORVALITH_ARM64)
    set(MORVALITH_FLOOR_DEFINES -D_WIN32_WINNT=0x0A00 -DWINVER=0x0A00)
elseif(MORVALITH_X64)
    set(MORVALITH_FLOOR_DEFINES -D_WIN32_WINNT=0x0502 -DWINVER=0x0502)
else()
    set(MORVALITH_FLOOR_DEFINES -D_WIN32_WINNT=0x0500 -DWINVER=0x0500)
endif()
add_compile_options(${MORVALITH_FLOOR_DEFINES})

# Reproducible bytes: two builds of one commit in any two folders give the
# same files. No build paths (assertion texts and the like name files by
# their place in the tree) and no time stamp in the PE headers (zero).
set(MORVALITH_REPRODUCIBLE -ffile-prefix-map=${CMAKE_SOURCE_DIR}=. -ffile-prefix-map=${CMAKE_BINARY_DIR}=build)
add_compile_options(${MORVALITH_REPRODUCIBLE})
add_link_options(-Wl,--no-insert-timestamp)
# The installed tree beside the build unless a prefix is given: a Windows
# build has nothing to put under /usr/local.
if(CMAKE_INSTALL_PREFIX_INITIALIZED_TO_DEFAULT)
    set(CMAKE_INSTALL_PREFIX ${CMAKE_BINARY_DIR}/sdk CACHE PATH "Install prefix" FORCE)
endif()

# The version block is made from the project version.
configure_file(src/lifecycle/version.rc.in ${CMAKE_BINARY_DIR}/version.rc @ONLY)
# The library's sources compile once: the DLL is linked from these objects,
# and the field programs take them from an archive of the same objects.
add_library(morvalith_objects OBJECT ${LIBRARY_SOURCES})
add_library(Morvalith SHARED $<TARGET_OBJECTS:morvalith_objects> ${CMAKE_BINARY_DIR}/version.rc)
set_target_properties(Morvalith PROPERTIES PREFIX "" OUTPUT_NAME Morvalith IMPORT_PREFIX "lib"
                                           IMPORT_SUFFIX ".dll.a")

# A lean DLL (16 KiB or less), safe on every system from Windows 98 up:
# - __USE_MINGW_ANSI_STDIO=0: printf is msvcrt.dll's own, which every one of
#   those systems has and which prints the [LIB] lines ("%02x") identically;
#   C++ mode would otherwise link MinGW's own printf engine into the DLL.
#   -nostdinc++ keeps libstdc++'s header wrappers (which force that engine
#   on) out: the library uses the C headers only.
# - -Os, no unwind tables (the library has no exceptions), unused sections
#   dropped, symbols stripped; the stack kept at the 4-byte alignment the
#   Windows x86 ABI promises, not GCC's 16 (the library uses no SSE), which
#   saves the padding in every frame.
# - No C runtime start-up code: DllMain is the entry point itself. The
#   library has no static constructors or destructors, no thread-local data,
#   nothing that needs pseudo-relocations and no atexit; the checks on the
#   built DLL prove there is no .CRT, .tls or .ctors section to run. msvcrt.dll
#   initialises itself as the DLL it is, so printf works as before.
#   x64 and ARM64 keep the 16-byte alignment their ABIs require, and their
#   unwind tables (.pdata/.xdata): there the system unwinds every frame by
#   them, so an exception raised in the vendor library and handled by the
#   host would otherwise stop at the library's frames.
set(MORVALITH_LEAN_COMPILE -Os -D__USE_MINGW_ANSI_STDIO=0 $<$<COMPILE_LANGUAGE:CXX>:-nostdinc++>
                           -ffunction-sections -fdata-sections)
# The x64 DLL's objects keep their functions together: PE's 16-byte section
# alignment would pad each function's own section, some 300 bytes in all,
# which the 12 KiB DLL has no room for.
if(MORVALITH_X64)
    list(REMOVE_ITEM MORVALITH_LEAN_COMPILE -ffunction-sections)
endif()
if(MORVALITH_X64 OR MORVALITH_ARM64)
    set(MORVALITH_64 ON)
else()
    set(MORVALITH_64 OFF)
    list(APPEND MORVALITH_LEAN_COMPILE -mpreferred-stack-boundary=2 -fno-asynchronous-unwind-tables -fno-unwind-tables)
endif()
# The entry point's symbol: decorated for stdcall on x86, plain on 64-bit.
if(MORVALITH_64)
    set(MORVALITH_DLLMAIN DllMain)
else()
    set(MORVALITH_DLLMAIN _DllMain@12)
endif()
set(MORVALITH_LEAN_LINK -nostdlib -Wl,--entry,${MORVALITH_DLLMAIN} -Wl,--gc-sections -s)
# MinGW GCC with -fdata-sections stores a zero-initialised variable as zeros
# in a .data$ section; without it the library state goes to .bss and the
# file is 1 KiB smaller.
set_source_files_properties(src/lifecycle/dllmain.cpp PROPERTIES COMPILE_OPTIONS -fno-data-sections)
target_compile_options(morvalith_objects PRIVATE ${MORVALITH_LEAN_COMPILE} ${LIBRARY_FLAGS})
target_include_directories(morvalith_objects PUBLIC include src)
# Exports come from the .def alone, undecorated. x64 and ARM64 have no
# stdcall decoration: their .def is the same list without the @4.
if(MORVALITH_64)
    if(MORVALITH_ARM64)
        set(MORVALITH_SIZE_NAME ARM64)
        set(MORVALITH_DLLTOOL_MACHINE arm64)
    else()
        set(MORVALITH_SIZE_NAME x64)
        set(MORVALITH_DLLTOOL_MACHINE i386:x86-64)
    endif()
    file(READ ${CMAKE_SOURCE_DIR}/src/lifecycle/Morvalith.def MORVALITH_DEF)
    string(REPLACE "GetIDKey@4" "GetIDKey" MORVALITH_DEF "${MORVALITH_DEF}")
    string(REGEX REPLACE "^(;[^\n]*\n)+" "; The exports of the ${MORVALITH_SIZE_NAME} Morvalith.dll, by ordinal (one calling convention:\n; no decoration).\n" MORVALITH_DEF "${MORVALITH_DEF}")
    file(WRITE ${CMAKE_BINARY_DIR}/Morvalith.def "${MORVALITH_DEF}")
    set(MORVALITH_DEF_FILE ${CMAKE_BINARY_DIR}/Morvalith.def)
else()
    set(MORVALITH_DEF_FILE ${CMAKE_SOURCE_DIR}/src/lifecycle/Morvalith.def)
    set(MORVALITH_DLLTOOL_MACHINE i386)
endif()
target_link_options(Morvalith PRIVATE ${MORVALITH_DEF_FILE} -Wl,--kill-at ${MORVALITH_LEAN_LINK})
find_program(LLVM_DLLTOOL NAMES llvm-dlltool llvm-dlltool-14 REQUIRED)
if(MORVALITH_ARM64)
    # The system DLLs' import libraries, the stack probe and the loader's
    # versions (cmake/windows-arm64.cmake).
    include(cmake/windows-arm64.cmake)
else()
    # Only system DLLs; libgcc for the stack probe of frames over a page.
    target_link_libraries(Morvalith PRIVATE msvcrt kernel32 setupapi advapi32 gcc)
    # The linker's import library drops the @4 of GetIDKey along with the export
    # decoration; a caller compiled against the header references _GetIDKey@4,
    # so the import library is made from the .def instead, mapping it to the
    # undecorated export.
    if(MORVALITH_X64)
        find_program(MINGW_DLLTOOL NAMES x86_64-w64-mingw32-dlltool REQUIRED)
    else()
        find_program(MINGW_DLLTOOL NAMES i686-w64-mingw32-dlltool REQUIRED)
    endif()
    # (Run in the build folder with names of their own: the members' names then
    # carry no build path.)
    add_custom_command(TARGET Morvalith POST_BUILD
        COMMAND ${MINGW_DLLTOOL} -k -D Morvalith.dll -d ${MORVALITH_DEF_FILE}
                -l $<TARGET_LINKER_FILE_NAME:Morvalith> --temp-prefix morvalith
        WORKING_DIRECTORY $<TARGET_LINKER_FILE_DIR:Morvalith>
        VERBATIM)
endif()

# The MSVC-format import library for Visual C++ and clang-cl callers, from
# the same .def: -k maps the _GetIDKey@4 a caller references to the
# undecorated export (without it the import names GetIDKey@4 and the load fails).
add_custom_command(TARGET Morvalith POST_BUILD
    COMMAND ${LLVM_DLLTOOL} -m ${MORVALITH_DLLTOOL_MACHINE} -k -D Morvalith.dll -d ${MORVALITH_DEF_FILE}
            -l Morvalith.lib
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
    VERBATIM)
# The ARM64 build ends here: the field programs need a C++ runtime, which
# Debian has not for ARM64 Windows (its test programs: cmake/windows-arm64.cmake).
if(MORVALITH_ARM64)
    morvalith_arm64_tests()
    return()
endif()

# The field programs: the archive of the library's objects (the capture runs
# the library's own searches), the machine description with its format and
# the parts the programs share (each compiled once, for all of them), and the
# description's JSON writer (nlohmann/json, header-only; its headers are
# reached through a folder of their own so that no other host header is).
add_library(morvalith_code STATIC $<TARGET_OBJECTS:morvalith_objects>)
target_include_directories(morvalith_code PUBLIC include src)
find_path(NLOHMANN_JSON_DIR nlohmann/json.hpp PATHS /usr/include NO_CMAKE_FIND_ROOT_PATH REQUIRED)
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/json-include)
file(CREATE_LINK ${NLOHMANN_JSON_DIR}/nlohmann ${CMAKE_BINARY_DIR}/json-include/nlohmann SYMBOLIC)
# Unused sections dropped at each program's link: what the C++ runtime does
# not need stays out of the import table.
set(MORVALITH_PROGRAM_COMPILE -ffunction-sections -fdata-sections)
add_library(morvalith_description STATIC sim/description.cpp sim/scenario.cpp sim/text.cpp tools/output.cpp
            tools/shared.cpp)
target_include_directories(morvalith_description PUBLIC sim/include tools ${CMAKE_BINARY_DIR}/json-include)
# -O2: the JSON code inlined at -O3 adds some 40 KiB to every program.
target_compile_options(morvalith_description PRIVATE -O2 ${MORVALITH_PROGRAM_COMPILE})
# The Windows probe's parts: the capture and the probe itself, which
# morvalith-check.exe and the test host run in their own process.
add_library(morvalith_field STATIC tools/probe_win.cpp tools/capture_win.cpp)
target_link_libraries(morvalith_field PUBLIC morvalith_description morvalith_code setupapi advapi32 version)
target_compile_definitions(morvalith_field PRIVATE MORVALITH_VERSION="${PROJECT_VERSION}")
target_compile_options(morvalith_field PRIVATE ${MORVALITH_PROGRAM_COMPILE})
# Every program linked with the runtime's locks takes tools/ansi_semaphore.cpp
# as an object: the locks then make their semaphores with CreateSemaphoreA,
# since Windows 98 only stubs the Unicode call that the runtime names.
# (x64: no Windows 98, and no stand-in.)
if(MORVALITH_X64)
    add_library(morvalith_ansi_semaphore INTERFACE)
else()
    add_library(morvalith_ansi_semaphore OBJECT tools/ansi_semaphore.cpp)
endif()
set(MORVALITH_PROGRAM_LINK -static-libgcc -static-libstdc++ -Wl,--gc-sections -s)

# Each field program carries a version block (English, the product
# version); morvalith_program_resource(<name> <description> [manifest]).
function(morvalith_program_resource name description)
    set(PROGRAM_NAME ${name})
    set(PROGRAM_DESCRIPTION ${description})
    set(PROGRAM_MANIFEST "")
    if(ARGC GREATER 2)
        set(PROGRAM_MANIFEST "1 24 \"${ARGV2}\"")
    endif()
    configure_file(${CMAKE_SOURCE_DIR}/tools/program.rc.in ${CMAKE_BINARY_DIR}/${name}.rc @ONLY)
endfunction()

# morvalith-sim.exe: the library on the simulated machine, and its
# explanation (the host build's morvalith-sim), built for Windows, so that
# morvalith-probe.exe --explain can explain the live machine it captures.
# The library's sources compile here once more, against the simulated
# machine instead of Windows. The toolchain's g++ is the win32 thread model:
# the simulated machine's one background thread is a plain CreateThread
# (sim/os.cpp); the POSIX model's thread library would import calls that
# Windows 98 and XP lack. The simulated calls take names of their own there
# (see sim/include/win32.h).
morvalith_program_resource(morvalith-sim "Morvalith: the library on a simulated machine, and its explanation")
add_executable(morvalith-sim tools/probe.cpp tools/host_run.cpp tools/diagnosis.cpp tools/explain.cpp tools/lang.cpp sim/win32.cpp
               sim/process.cpp sim/devices.cpp sim/os.cpp ${LIBRARY_SOURCES} src/lifecycle/helper.cpp
               ${CMAKE_BINARY_DIR}/morvalith-sim.rc)
target_include_directories(morvalith-sim PRIVATE sim/include src include tools)
target_link_libraries(morvalith-sim PRIVATE morvalith_description morvalith_ansi_semaphore)
target_compile_definitions(morvalith-sim PRIVATE MORVALITH_SIMULATED MORVALITH_STATIC
                           MORVALITH_PROGRAM="morvalith-sim.exe" MORVALITH_VERSION="${PROJECT_VERSION}")
target_compile_options(morvalith-sim PRIVATE -O2 ${MORVALITH_PROGRAM_COMPILE})
target_link_options(morvalith-sim PRIVATE -static -Wl,--gc-sections -s)

morvalith_program_resource(morvalith-probe "Morvalith: loads the real DLL, captures and explains this PC")
add_executable(morvalith-probe tools/probe_main.cpp ${CMAKE_BINARY_DIR}/morvalith-probe.rc)
target_link_libraries(morvalith-probe PRIVATE morvalith_field morvalith_ansi_semaphore)
target_link_options(morvalith-probe PRIVATE ${MORVALITH_PROGRAM_LINK})

# morvalith-check.exe: the Windows probe's --explain in a window, for a
# customer with Explorer alone. GUI subsystem; runs as the host would (as
# invoker) on Vista and later.
morvalith_program_resource(morvalith-check "Morvalith check: why Morvalith.dll loads or refuses on this PC"
                           ${CMAKE_SOURCE_DIR}/tools/check.manifest)
add_executable(morvalith-check WIN32 tools/check_win.cpp tools/lang.cpp ${CMAKE_BINARY_DIR}/morvalith-check.rc)
target_compile_definitions(morvalith-check PRIVATE MORVALITH_VERSION="${PROJECT_VERSION}")
target_link_libraries(morvalith-check PRIVATE morvalith_field morvalith_ansi_semaphore shell32)
target_compile_options(morvalith-check PRIVATE ${MORVALITH_PROGRAM_COMPILE})
target_link_options(morvalith-check PRIVATE ${MORVALITH_PROGRAM_LINK})

# morvalith-vendor32.exe: the 64-bit library's helper for a 32-bit vendor
# library (it ships in the x64 folder, but is 32-bit itself). Built like the
# DLL: our code only, no C runtime start-up, kernel32 alone, and the GUI
# subsystem, so that no console appears when a program's key is fetched.
if(NOT MORVALITH_X64)
    morvalith_program_resource(morvalith-vendor32 "Morvalith: calls a 32-bit vendor library for the 64-bit Morvalith.dll")
    add_executable(morvalith-vendor32 WIN32 src/lifecycle/vendor32.cpp src/lifecycle/vendor.cpp src/lifecycle/helper.cpp
                   ${CMAKE_BINARY_DIR}/morvalith-vendor32.rc)
    target_include_directories(morvalith-vendor32 PRIVATE src/lifecycle src)
    target_compile_options(morvalith-vendor32 PRIVATE ${MORVALITH_LEAN_COMPILE} ${LIBRARY_FLAGS})
    target_link_options(morvalith-vendor32 PRIVATE -nostdlib -Wl,--entry,_Vendor32Main@0 -Wl,--gc-sections -s)
    target_link_libraries(morvalith-vendor32 PRIVATE kernel32 gcc)
endif()

# The test programs both sizes build: the end-to-end host, and stand-ins for
# the vendor library (Vendor\VendorUFDAPI.dll with and without its entry
# point, in folders of their own).
function(morvalith_test_hosts)
    add_executable(e2e-host tests/wine/e2e_host.c)
    target_include_directories(e2e-host PRIVATE tests/wine)
    target_link_libraries(e2e-host PRIVATE morvalith_field)
    target_link_options(e2e-host PRIVATE -static-libgcc -static-libstdc++)
    set_target_properties(e2e-host PROPERTIES LINKER_LANGUAGE CXX)
    foreach(variant IN ITEMS vendor vendor-noentry)
        add_library(${variant}-double SHARED tests/wine/vendor_double.c)
        target_include_directories(${variant}-double PRIVATE tests/wine)
        set_target_properties(${variant}-double PROPERTIES PREFIX "" OUTPUT_NAME VendorUFDAPI
                              RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/${variant}-double
                              ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/${variant}-double)
        target_link_options(${variant}-double PRIVATE -static-libgcc -Wl,--kill-at)
    endforeach()
    target_compile_definitions(vendor-noentry-double PRIVATE NO_ENTRY_POINT)
    # Reads another program's window for the checks (the check window, a box).
    # It words what it expects from the check's own string table.
    add_executable(window-reader tests/wine/window_reader.c tools/lang.cpp)
    target_link_options(window-reader PRIVATE -static-libgcc -static-libstdc++)
    # MorvalithLoadLibrary in a GUI host built by MinGW (-mwindows).
    add_executable(load-host-gui WIN32 tests/wine/load_host.c)
    target_include_directories(load-host-gui PRIVATE include)
    target_link_options(load-host-gui PRIVATE -static-libgcc)
endfunction()

# The x64 build: the DLL, its import libraries and the programs, with their
# checks under 64-bit Wine; the release archive is the x86 build's.
if(MORVALITH_X64)
    include(cmake/windows64.cmake)
    return()
endif()

install(TARGETS Morvalith RUNTIME DESTINATION bin ARCHIVE DESTINATION lib)
install(FILES src/lifecycle/Morvalith.def DESTINATION lib)
install(FILES include/morvalith.h include/morvalith_load.h DESTINATION include)
install(FILES samples/gui_host.c samples/CMakeLists.txt DESTINATION samples)
install(TARGETS morvalith-probe morvalith-check RUNTIME DESTINATION bin)
install(TARGETS morvalith-sim RUNTIME DESTINATION bin)
install(FILES ${CMAKE_BINARY_DIR}/Morvalith.lib DESTINATION lib)
# The x64 files, from the x64 build (preset windows64, built first): the
# same names in folders of their own, as hidapi and libusb ship theirs. The
# helper for a 32-bit vendor library is this build's, beside the x64 DLL.
set(MORVALITH_X64_BUILD ${CMAKE_SOURCE_DIR}/build/win64 CACHE PATH
    "The x64 Windows build whose files the release holds in bin/x64 and lib/x64")
install(FILES ${MORVALITH_X64_BUILD}/Morvalith.dll ${MORVALITH_X64_BUILD}/morvalith-check.exe
              ${MORVALITH_X64_BUILD}/morvalith-probe.exe ${MORVALITH_X64_BUILD}/morvalith-sim.exe DESTINATION bin/x64)
install(TARGETS morvalith-vendor32 RUNTIME DESTINATION bin/x64)
install(FILES ${MORVALITH_X64_BUILD}/libMorvalith.dll.a ${MORVALITH_X64_BUILD}/Morvalith.lib
              ${MORVALITH_X64_BUILD}/Morvalith.def DESTINATION lib/x64)
# The ARM64 files, from the ARM64 build (preset windows-arm64, built first):
# the DLL alone in bin/arm64 (an ARM64 program's check program is the x86 or
# x64 one, under emulation), its import libraries and .def in lib/arm64.
set(MORVALITH_ARM64_BUILD ${CMAKE_SOURCE_DIR}/build/win-arm64 CACHE PATH
    "The ARM64 Windows build whose files the release holds in bin/arm64 and lib/arm64")
install(FILES ${MORVALITH_ARM64_BUILD}/Morvalith.dll DESTINATION bin/arm64)
install(FILES ${MORVALITH_ARM64_BUILD}/libMorvalith.dll.a ${MORVALITH_ARM64_BUILD}/Morvalith.lib
              ${MORVALITH_ARM64_BUILD}/Morvalith.def DESTINATION lib/arm64)
include(CMakePackageConfigHelpers)
# Architecture-independent: the package serves 32- and 64-bit consumers,
# each from its own folders.
write_basic_package_version_file(${CMAKE_BINARY_DIR}/MorvalithConfigVersion.cmake
    VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion ARCH_INDEPENDENT)
install(FILES cmake/MorvalithConfig.cmake ${CMAKE_BINARY_DIR}/MorvalithConfigVersion.cmake
        DESTINATION lib/cmake/Morvalith)
# The users' README and the change log; the contributors' README stays in
# the source tree.
install(FILES release/README.md release/CHANGES DESTINATION .)
install(DIRECTORY bindings/ DESTINATION bindings PATTERN __pycache__ EXCLUDE)

# The release archive, Morvalith-<version>-win32.zip, and SHA256SUMS beside
# it: `cmake --build build/win --target archive`. Made from the installed
# tree by cmake/archive.py, the same bytes on every build of one commit.
set(MORVALITH_ARCHIVE ${CMAKE_BINARY_DIR}/Morvalith-${PROJECT_VERSION}-win32.zip)
find_package(Python3 COMPONENTS Interpreter REQUIRED)
add_custom_target(archive
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${CMAKE_BINARY_DIR}/archive-tree
    COMMAND ${CMAKE_COMMAND} --install ${CMAKE_BINARY_DIR} --prefix ${CMAKE_BINARY_DIR}/archive-tree
    COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/cmake/archive.py ${CMAKE_BINARY_DIR}/archive-tree
            ${MORVALITH_ARCHIVE}
    DEPENDS Morvalith morvalith-probe morvalith-sim morvalith-check morvalith-vendor32
    COMMENT "Making ${MORVALITH_ARCHIVE}"
    VERBATIM)

# Test programs only: the end-to-end host and the stand-in ASPI manager.
# It runs the Windows probe's own code behind its stand-ins.
morvalith_test_hosts()
# The contract probes of the simulated subset, run under Wine.
add_executable(conformance tests/conformance/probes.c)
target_link_libraries(conformance PRIVATE setupapi advapi32)
# MorvalithLoadLibrary in a GUI host built by MinGW (-mwindows); the sample
# GUI host of the archive, built from its shipped source.
add_executable(gui-host WIN32 samples/gui_host.c)
target_include_directories(gui-host PRIVATE include)
target_link_options(gui-host PRIVATE -static-libgcc)
# The programs' runtime locks, contended, with the semaphore stand-in.
add_executable(locks-host tests/wine/locks_host.cpp)
target_link_libraries(locks-host PRIVATE morvalith_ansi_semaphore)
target_link_options(locks-host PRIVATE -static-libgcc -static-libstdc++)
add_library(wnaspi32_double SHARED tests/wine/wnaspi32_double.c)
set_target_properties(wnaspi32_double PROPERTIES PREFIX "" OUTPUT_NAME WNASPI32)
target_link_options(wnaspi32_double PRIVATE -static-libgcc -Wl,--kill-at)

# The load-time benchmark (scripts/bench.sh): a timing host and empty DLLs
# that refuse to load, with Morvalith.dll's imports, with USER32 too, and
# with none, built as lean as the library.
add_executable(load-time tests/bench/load_time.c)
foreach(variant IN ITEMS 0 1 2)
    add_library(empty-${variant} SHARED tests/bench/empty_dll.c)
    target_compile_definitions(empty-${variant} PRIVATE IMPORTS=${variant})
    target_compile_options(empty-${variant} PRIVATE ${MORVALITH_LEAN_COMPILE})
    target_link_options(empty-${variant} PRIVATE -nostdlib -Wl,--entry,_EmptyDllMain@12 -Wl,--gc-sections -s)
    set_target_properties(empty-${variant} PROPERTIES PREFIX "" OUTPUT_NAME bench-empty-${variant})
endforeach()
target_link_libraries(empty-1 PRIVATE msvcrt kernel32 setupapi advapi32)
target_link_libraries(empty-2 PRIVATE msvcrt kernel32 setupapi advapi32 user32)

# Every check of the built files and every Wine suite as a CTest test, so
# that one can be rerun alone (ctest --test-dir build/win -R wine-check) and
# the suites run side by side: `ctest -L windows`, `ctest -L wine`. The
# checks on the built files make what some suites run (the signed files, the
# consumers, the host without a C runtime); the suites copy one base prefix.
enable_testing()
set(MORVALITH_WINE_BASE ${CMAKE_BINARY_DIR}/wine-base)
add_test(NAME windows-checks COMMAND bash ${CMAKE_SOURCE_DIR}/tests/windows/run.sh ${CMAKE_BINARY_DIR})
set_tests_properties(windows-checks PROPERTIES LABELS windows FIXTURES_SETUP built-files)
# It makes the archive again in this folder, as the checks do: after them.
add_test(NAME windows-reproducible COMMAND bash ${CMAKE_SOURCE_DIR}/tests/windows/reproducible.sh ${CMAKE_BINARY_DIR})
set_tests_properties(windows-reproducible PROPERTIES LABELS windows FIXTURES_REQUIRED built-files)
add_test(NAME wine-base-prefix COMMAND bash ${CMAKE_SOURCE_DIR}/tests/wine/base.sh ${MORVALITH_WINE_BASE})
set_tests_properties(wine-base-prefix PROPERTIES LABELS wine FIXTURES_SETUP wine-base)
file(GLOB MORVALITH_WINE_SUITES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/wine/suite-*.sh)
foreach(suite IN LISTS MORVALITH_WINE_SUITES)
    get_filename_component(name ${suite} NAME_WE)
    string(REPLACE "suite-" "" name ${name})
    add_test(NAME wine-${name} COMMAND bash ${CMAKE_SOURCE_DIR}/tests/wine/run.sh ${CMAKE_BINARY_DIR})
    set_tests_properties(wine-${name} PROPERTIES LABELS wine FIXTURES_REQUIRED "built-files;wine-base"
        ENVIRONMENT "MORVALITH_WINE_SUITES=${name};MORVALITH_WINE_BASE=${MORVALITH_WINE_BASE}")
endforeach()
