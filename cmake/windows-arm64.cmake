# The ARM64 build's parts beside the shared DLL recipe of cmake/windows.cmake:
# the system DLLs' import libraries, made from the project's own ARM64
# export lists (the lists the floor check reads, so that what the DLL links
# against and what it is checked against are one source), the stack probe,
# the loader's versions, and the test programs that the ARM64 Wine tier runs.
set(MORVALITH_ARM64_FLOOR ${CMAKE_SOURCE_DIR}/tests/windows/floor/win10arm64)
set(MORVALITH_IMPLIB_DIR ${CMAKE_BINARY_DIR}/implib)
file(MAKE_DIRECTORY ${MORVALITH_IMPLIB_DIR})
set(MORVALITH_ARM64_IMPLIBS "")
foreach(dll IN ITEMS kernel32 advapi32 msvcrt setupapi user32 version)
    set(list ${MORVALITH_ARM64_FLOOR}/${dll}.txt)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${list})
    file(STRINGS ${list} names)
    list(JOIN names "\n" names)
    file(WRITE ${MORVALITH_IMPLIB_DIR}/${dll}.def "LIBRARY ${dll}.dll\nEXPORTS\n${names}\n")
    add_custom_command(OUTPUT ${MORVALITH_IMPLIB_DIR}/lib${dll}.a
        COMMAND ${LLVM_DLLTOOL} -m arm64 -d ${dll}.def -l lib${dll}.a
        DEPENDS ${MORVALITH_IMPLIB_DIR}/${dll}.def
        WORKING_DIRECTORY ${MORVALITH_IMPLIB_DIR}
        VERBATIM)
    list(APPEND MORVALITH_ARM64_IMPLIBS ${MORVALITH_IMPLIB_DIR}/lib${dll}.a)
    set(MORVALITH_IMPLIB_${dll} ${MORVALITH_IMPLIB_DIR}/lib${dll}.a)
endforeach()
add_custom_target(morvalith-arm64-implibs DEPENDS ${MORVALITH_ARM64_IMPLIBS})
# Each program names what it links: CMake's default list of system
# libraries would be looked for among MinGW's, which ARM64 has not.
set(CMAKE_C_STANDARD_LIBRARIES "")
set(CMAKE_CXX_STANDARD_LIBRARIES "")

# The oldest ARM64 Windows, Windows 10, in the loader's fields: subsystem and
# operating-system version 6.2, what Microsoft's linker gives ARM64 images
# as their lowest (lld would write 6.0).
set(MORVALITH_ARM64_VERSIONS -Wl,--major-subsystem-version,6 -Wl,--minor-subsystem-version,2
                             -Wl,--major-os-version,6 -Wl,--minor-os-version,2)
target_sources(Morvalith PRIVATE src/lifecycle/stack_probe_arm64.S)
target_link_options(Morvalith PRIVATE ${MORVALITH_ARM64_VERSIONS})
add_dependencies(Morvalith morvalith-arm64-implibs)
target_link_libraries(Morvalith PRIVATE ${MORVALITH_IMPLIB_msvcrt} ${MORVALITH_IMPLIB_kernel32}
                      ${MORVALITH_IMPLIB_setupapi} ${MORVALITH_IMPLIB_advapi32})
# Both import libraries of the DLL from its .def, by LLVM's dlltool: there
# is no ARM64 binutils. lld reads the same short-import format either way.
add_custom_command(TARGET Morvalith POST_BUILD
    COMMAND ${LLVM_DLLTOOL} -m arm64 -D Morvalith.dll -d ${MORVALITH_DEF_FILE} -l $<TARGET_LINKER_FILE_NAME:Morvalith>
    WORKING_DIRECTORY $<TARGET_LINKER_FILE_DIR:Morvalith>
    VERBATIM)

# The test programs of the ARM64 Wine tier (tests/arm64/run.sh), C only and
# with tests/arm64/start.c as their start-up: the end-to-end host without the
# Windows probe (C++), the stand-in vendor libraries of both sizes' source,
# MorvalithLoadLibrary in a GUI host, and a program linked at load time.
function(morvalith_arm64_tests)
    set(start ${CMAKE_SOURCE_DIR}/tests/arm64/start.c)
    # msvcrt.dll's own printf: MinGW's printf engine is not there to link.
    add_compile_definitions(__USE_MINGW_ANSI_STDIO=0)
    set(runtime ${MORVALITH_IMPLIB_msvcrt} ${MORVALITH_IMPLIB_kernel32} ${MORVALITH_IMPLIB_user32}
                ${MORVALITH_IMPLIB_setupapi} ${MORVALITH_IMPLIB_advapi32} ${MORVALITH_IMPLIB_version})
    add_executable(e2e-host tests/wine/e2e_host.c ${start})
    target_include_directories(e2e-host PRIVATE tests/wine)
    target_compile_definitions(e2e-host PRIVATE MORVALITH_E2E_NO_PROBE snprintf=_snprintf)
    target_link_options(e2e-host PRIVATE -nostdlib -Wl,--entry,MorvalithTestStart ${MORVALITH_ARM64_VERSIONS})
    target_link_libraries(e2e-host PRIVATE ${runtime})
    add_dependencies(e2e-host morvalith-arm64-implibs)
    foreach(variant IN ITEMS vendor vendor-noentry)
        add_library(${variant}-double SHARED tests/wine/vendor_double.c ${start})
        target_include_directories(${variant}-double PRIVATE tests/wine)
        set_target_properties(${variant}-double PROPERTIES PREFIX "" OUTPUT_NAME VendorUFDAPI
                              RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/${variant}-double
                              ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/${variant}-double)
        target_link_options(${variant}-double PRIVATE -nostdlib -Wl,--entry,MorvalithTestDllStart
                            ${MORVALITH_ARM64_VERSIONS})
        target_link_libraries(${variant}-double PRIVATE ${runtime})
        add_dependencies(${variant}-double morvalith-arm64-implibs)
        target_compile_definitions(${variant}-double PRIVATE MORVALITH_TEST_DLL)
    endforeach()
    target_compile_definitions(vendor-noentry-double PRIVATE NO_ENTRY_POINT)
    # A program linked at load time against the DLL's own import library
    # (the MSVC-ABI consumer's source, with its own entry point).
    add_executable(consumer-load-time tests/msvc/consumer.c)
    target_include_directories(consumer-load-time PRIVATE include)
    target_link_options(consumer-load-time PRIVATE -nostdlib -Wl,--entry,start ${MORVALITH_ARM64_VERSIONS})
    target_link_libraries(consumer-load-time PRIVATE Morvalith ${MORVALITH_IMPLIB_kernel32})
    add_executable(load-host-gui WIN32 tests/wine/load_host.c ${start})
    target_include_directories(load-host-gui PRIVATE include)
    target_compile_definitions(load-host-gui PRIVATE MORVALITH_TEST_WINMAIN)
    target_link_options(load-host-gui PRIVATE -nostdlib -Wl,--entry,MorvalithTestStart ${MORVALITH_ARM64_VERSIONS})
    target_link_libraries(load-host-gui PRIVATE ${runtime})
    add_dependencies(load-host-gui morvalith-arm64-implibs)
endfunction()

# The ARM64 build's checks: the built files (label windows-arm64), and the
# DLL under ARM64 Wine, emulated on this machine (label wine-arm64). The x64
# build beside this one, when built, gives the x64 DLL and vendor library
# that an ARM64 process must turn down.
enable_testing()
add_test(NAME windows-arm64-checks COMMAND bash ${CMAKE_SOURCE_DIR}/tests/windows/run-arm64.sh ${CMAKE_BINARY_DIR})
set_tests_properties(windows-arm64-checks PROPERTIES LABELS windows-arm64)
set(MORVALITH_X64_BUILD ${CMAKE_SOURCE_DIR}/build/win64 CACHE PATH "The x64 Windows build (its DLL and vendor library)")
add_test(NAME wine-arm64 COMMAND bash ${CMAKE_SOURCE_DIR}/scripts/arm64-wine.sh run
         bash ${CMAKE_SOURCE_DIR}/tests/arm64/run.sh ${CMAKE_BINARY_DIR} ${MORVALITH_X64_BUILD})
set_tests_properties(wine-arm64 PROPERTIES LABELS wine-arm64 SKIP_RETURN_CODE 125)
