# Host build: the library's sources on Linux against the simulated machine,
# with the GoogleTest suites under AddressSanitizer and UBSan. Two of them:
# - native (the default, preset host): the build machine's own 64-bit ABI,
#   where the simulated machine is 64-bit Windows (its layouts, no ASPI);
# - 32-bit (preset host32: -m32 in the compiler flags, so that the
#   compiler checks see it too): the shipped DLL's own ABI (stdcall, 32-bit
#   layouts, the Windows 9x road). On a machine that runs no 32-bit code,
#   scripts/test.sh has it built for qemu-user (MORVALITH_EMULATOR) without
#   AddressSanitizer, which does not run there.
set(MORVALITH_SANITIZERS "address,undefined" CACHE STRING "Sanitizers, comma-separated; empty for none")
set(MORVALITH_EMULATOR "" CACHE STRING "Runs the built programs (qemu-i386-static where no 32-bit code runs)")
if(CMAKE_SIZEOF_VOID_P EQUAL 4 AND NOT CMAKE_CXX_FLAGS MATCHES "-m32")
    message(FATAL_ERROR "a 32-bit host build is the host32 preset's (-m32 on x86)")
endif()
if(MORVALITH_SANITIZERS)
    add_compile_options(-fsanitize=${MORVALITH_SANITIZERS} -fno-sanitize-recover=all -fno-omit-frame-pointer)
    add_link_options(-fsanitize=${MORVALITH_SANITIZERS})
endif()
# CTest runs every program through the emulator, the suites' discovery
# included: add_test and gtest_discover_tests honour the property.
if(MORVALITH_EMULATOR)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${MORVALITH_EMULATOR})
endif()

find_package(nlohmann_json 3 REQUIRED)

add_library(morvalith_sim STATIC sim/win32.cpp sim/process.cpp sim/devices.cpp sim/os.cpp sim/description.cpp
            sim/scenario.cpp sim/text.cpp)
target_include_directories(morvalith_sim PUBLIC sim/include)
target_link_libraries(morvalith_sim PUBLIC nlohmann_json::nlohmann_json Threads::Threads)
target_compile_options(morvalith_sim PRIVATE -Wall -Wextra)
find_package(Threads REQUIRED)

# The library, and the helper program's own work (its Windows entry aside),
# which the simulated machine runs when the library starts the helper.
add_library(morvalith_core STATIC ${LIBRARY_SOURCES} src/lifecycle/helper.cpp)
target_compile_options(morvalith_core PRIVATE ${LIBRARY_FLAGS})
target_include_directories(morvalith_core PUBLIC include src)
target_link_libraries(morvalith_core PUBLIC morvalith_sim)

# The field tools' parts that the program and the suites share, compiled once.
add_library(morvalith_tools STATIC tools/host_run.cpp tools/diagnosis.cpp tools/explain.cpp tools/output.cpp
            tools/shared.cpp tools/lang.cpp)
target_include_directories(morvalith_tools PUBLIC tools)
target_link_libraries(morvalith_tools PUBLIC morvalith_core)

# The library on the simulated machine, and its explanation: the program the
# Windows build ships as morvalith-sim.exe.
add_executable(morvalith-sim tools/probe.cpp)
target_link_libraries(morvalith-sim PRIVATE morvalith_tools)
target_compile_definitions(morvalith-sim PRIVATE MORVALITH_VERSION="${PROJECT_VERSION}")

# The contract probes on the simulated machine (the same source runs under
# Wine as conformance.exe).
add_executable(morvalith-conformance tests/conformance/probes.c tests/conformance/sim_machine.cpp)
target_link_libraries(morvalith-conformance PRIVATE morvalith_sim)

add_executable(morvalith-bench tools/bench.cpp)
target_link_libraries(morvalith-bench PRIVATE morvalith_tools)

enable_testing()
# The quick loop: ctest --preset host (the native suites); the 32-bit
# build's are labelled host32.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set_property(DIRECTORY APPEND PROPERTY LABELS host32)
else()
    set_property(DIRECTORY APPEND PROPERTY LABELS host)
endif()
# GoogleTest as Debian builds it for this build's architecture (libgtest-dev,
# libgtest-dev:i386 for the 32-bit build): compiling it again, sanitized,
# cost each build some 14 s of processor time for code we do not test. Its
# sources are the fallback where the library is not there.
find_package(GTest CONFIG QUIET)
if(NOT GTest_FOUND)
    set(GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources (Debian package googletest)")
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    add_subdirectory(${GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
endif()

file(GLOB HOST_TESTS CONFIGURE_DEPENDS tests/host/*.cpp)
# The Windows 9x road is the 32-bit build's alone.
if(NOT CMAKE_SIZEOF_VOID_P EQUAL 4)
    list(FILTER HOST_TESTS EXCLUDE REGEX "/aspi_test\\.cpp$")
endif()
add_executable(morvalith-tests ${HOST_TESTS})
target_include_directories(morvalith-tests PRIVATE tests/host)
target_link_libraries(morvalith-tests PRIVATE morvalith_tools GTest::gtest_main)
# GoogleTest's header parsed once, not again in every suite's unit.
target_precompile_headers(morvalith-tests PRIVATE <gtest/gtest.h> <string> <vector> <map> <set>)
# Each unit instantiated the same templates (JSON's, GoogleTest's, the
# standard library's) and instrumented them again: the simulated machine,
# the tools and the suites compile as a few combined units, half the
# processor time. The Windows builds still compile every file on its own,
# so a missing include cannot hide.
set_target_properties(morvalith_sim morvalith_tools PROPERTIES UNITY_BUILD ON)
set_target_properties(morvalith-tests PROPERTIES UNITY_BUILD ON UNITY_BUILD_BATCH_SIZE 6)
target_compile_definitions(morvalith-tests PRIVATE MORVALITH_SCENARIOS="${CMAKE_SOURCE_DIR}/scenarios"
                           MORVALITH_SOURCE="${CMAKE_SOURCE_DIR}")
include(GoogleTest)
gtest_discover_tests(morvalith-tests DISCOVERY_MODE PRE_TEST)

# The simulated machine answers the contract probes as Windows does, and the
# check fails when it does not (HeapFree of NULL failed, as it once did).
# The bash-driven checks run the programs themselves: through the emulator
# where there is one.
math(EXPR MORVALITH_BITS "${CMAKE_SIZEOF_VOID_P} * 8")
set(run "${MORVALITH_EMULATOR}")
foreach(version IN ITEMS winxp win7)
    add_test(NAME conformance-${version} COMMAND bash -c
             "${run} \"$0\" ${version} | python3 \"$1/compare.py\" ${version} \"$1/expected.txt\" /dev/stdin"
             $<TARGET_FILE:morvalith-conformance> ${CMAKE_SOURCE_DIR}/tests/conformance)
endforeach()
add_test(NAME conformance-catches-a-wrong-answer COMMAND bash -c
         "out=$(${run} \"$0\" winxp --fail HeapFree:3 | python3 \"$1/compare.py\" winxp \"$1/expected.txt\" /dev/stdin); [ $? = 1 ] && grep -q '^FAIL HeapFree.null$' <<<\"$out\""
         $<TARGET_FILE:morvalith-conformance> ${CMAKE_SOURCE_DIR}/tests/conformance)
add_test(NAME probe-default COMMAND morvalith-sim)
add_test(NAME bench-runs COMMAND morvalith-bench)
add_test(NAME probe-scenarios COMMAND ${CMAKE_SOURCE_DIR}/tests/probe_scenarios.sh $<TARGET_FILE:morvalith-sim>
         ${CMAKE_SOURCE_DIR}/scenarios ${MORVALITH_BITS})
set_tests_properties(probe-scenarios PROPERTIES ENVIRONMENT "MORVALITH_EMULATOR=${MORVALITH_EMULATOR}")
# The machine's road for 32-bit code is chosen from what it does (the test
# command's own choice; the native build's check).
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    add_test(NAME machine-road COMMAND bash ${CMAKE_SOURCE_DIR}/tests/machine_road.sh)
endif()
