# The x64 build's checks: the built files (PE32+ for the 64-bit loader, the
# exports, the imports, the size) and the real DLL under 64-bit Wine, which
# runs natively on any x86_64 machine, 32-bit code or not.
morvalith_test_hosts()
enable_testing()
add_test(NAME windows64-checks COMMAND bash ${CMAKE_SOURCE_DIR}/tests/windows/run64.sh ${CMAKE_BINARY_DIR})
set_tests_properties(windows64-checks PROPERTIES LABELS windows64)
# The 32-bit build beside this one gives the helper and the 32-bit stand-in.
set(MORVALITH_WIN32_BUILD ${CMAKE_SOURCE_DIR}/build/win CACHE PATH "The x86 Windows build (morvalith-vendor32.exe)")
add_test(NAME wine64-binding COMMAND bash ${CMAKE_SOURCE_DIR}/tests/wine64/run.sh ${CMAKE_BINARY_DIR}
         ${MORVALITH_WIN32_BUILD})
set_tests_properties(wine64-binding PROPERTIES LABELS wine64)
