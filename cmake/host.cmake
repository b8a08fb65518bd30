# Host build: the library's sources on Linux, -m32, against the simulated
# machine, with the GoogleTest suites under AddressSanitizer and UBSan.
option(MORVALITH_SANITIZE "Build with AddressSanitizer and UBSan" ON)
add_compile_options(-m32)
add_link_options(-m32)
if(MORVALITH_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
endif()

find_package(nlohmann_json 3 REQUIRED)

add_library(morvalith_sim STATIC sim/win32.cpp sim/process.cpp sim/devices.cpp sim/os.cpp sim/description.cpp
            sim/scenario.cpp sim/text.cpp)
target_include_directories(morvalith_sim PUBLIC sim/include)
target_link_libraries(morvalith_sim PUBLIC nlohmann_json::nlohmann_json Threads::Threads)
target_compile_options(morvalith_sim PRIVATE -Wall -Wextra)
find_package(Threads REQUIRED)

add_library(morvalith_core STATIC ${LIBRARY_SOURCES})
target_compile_options(morvalith_core PRIVATE ${LIBRARY_FLAGS})
target_include_directories(morvalith_core PUBLIC include src)
target_link_libraries(morvalith_core PUBLIC morvalith_sim)

# The field tools' parts that the program and the suites share, compiled once.
add_library(morvalith_tools STATIC tools/host_run.cpp tools/diagnosis.cpp tools/explain.cpp tools/output.cpp
            tools/shared.cpp)
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
target_link_libraries(morvalith-bench PRIVATE morvalith_core)

enable_testing()
# The quick loop: ctest --test-dir build/host -L host
set_property(DIRECTORY APPEND PROPERTY LABELS host)
set(GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources (Debian package googletest)")
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(${GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

file(GLOB HOST_TESTS CONFIGURE_DEPENDS tests/host/*.cpp)
add_executable(morvalith-tests ${HOST_TESTS})
target_include_directories(morvalith-tests PRIVATE tests/host)
target_link_libraries(morvalith-tests PRIVATE morvalith_tools GTest::gtest_main)
target_compile_definitions(morvalith-tests PRIVATE MORVALITH_SCENARIOS="${CMAKE_SOURCE_DIR}/scenarios"
                           MORVALITH_SOURCE="${CMAKE_SOURCE_DIR}")
include(GoogleTest)
gtest_discover_tests(morvalith-tests DISCOVERY_MODE PRE_TEST)

# The simulated machine answers the contract probes as Windows does, and the
# check fails when it does not (HeapFree of NULL failed, as it once did).
foreach(version IN ITEMS winxp win7)
    add_test(NAME conformance-${version} COMMAND bash -c
             "\"$0\" ${version} | python3 \"$1/compare.py\" ${version} \"$1/expected.txt\" /dev/stdin"
             $<TARGET_FILE:morvalith-conformance> ${CMAKE_SOURCE_DIR}/tests/conformance)
endforeach()
add_test(NAME conformance-catches-a-wrong-answer COMMAND bash -c
         "out=$(\"$0\" winxp --fail HeapFree:3 | python3 \"$1/compare.py\" winxp \"$1/expected.txt\" /dev/stdin); [ $? = 1 ] && grep -q '^FAIL HeapFree.null$' <<<\"$out\""
         $<TARGET_FILE:morvalith-conformance> ${CMAKE_SOURCE_DIR}/tests/conformance)
add_test(NAME probe-default COMMAND morvalith-sim)
add_test(NAME bench-runs COMMAND morvalith-bench)
add_test(NAME probe-scenarios COMMAND ${CMAKE_SOURCE_DIR}/tests/probe_scenarios.sh $<TARGET_FILE:morvalith-sim>
         ${CMAKE_SOURCE_DIR}/scenarios)
