# find_package(Morvalith CONFIG) gives the imported target Morvalith::Morvalith:
# Morvalith.dll, the import library that fits the consumer's toolchain and
# the include directory; and Morvalith::Headers, the include directory only,
# for a program that loads the DLL itself (LoadLibraryA and the header's
# function types) so that it can handle a refused load. Everything is found relative to this file, so an
# installed tree or an unpacked archive can live anywhere.
# The consumer's own size and processor pick the files: bin/ and lib/ for a
# 32-bit build, bin/x64/ and lib/x64/ for an x64 one (and for ARM64EC, whose
# programs load x64 DLLs), bin/arm64/ and lib/arm64/ for an ARM64 one (the
# same file names). The processor is the compiler's target where CMake
# knows it (Visual C++, a Visual Studio platform), else the system's.
if(CMAKE_C_COMPILER_ARCHITECTURE_ID)
    set(_morvalith_processor "${CMAKE_C_COMPILER_ARCHITECTURE_ID}")
elseif(CMAKE_CXX_COMPILER_ARCHITECTURE_ID)
    set(_morvalith_processor "${CMAKE_CXX_COMPILER_ARCHITECTURE_ID}")
elseif(CMAKE_GENERATOR_PLATFORM)
    set(_morvalith_processor "${CMAKE_GENERATOR_PLATFORM}")
else()
    set(_morvalith_processor "${CMAKE_SYSTEM_PROCESSOR}")
endif()
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(_morvalith_arch "")
elseif(CMAKE_SIZEOF_VOID_P EQUAL 8 AND _morvalith_processor MATCHES "^([Aa][Rr][Mm]64|aarch64)$")
    set(_morvalith_arch "/arm64")
elseif(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(_morvalith_arch "/x64")
else()
    set(Morvalith_FOUND FALSE)
    set(Morvalith_NOT_FOUND_MESSAGE "Morvalith.dll comes for 32-bit (x86), x64 and ARM64 Windows programs only.")
    return()
endif()
unset(_morvalith_processor)

get_filename_component(_morvalith_prefix "${CMAKE_CURRENT_LIST_DIR}/../../.." ABSOLUTE)
if(NOT TARGET Morvalith::Morvalith)
    add_library(Morvalith::Morvalith SHARED IMPORTED)
    # Visual C++ and clang-cl link against the MSVC-format library, MinGW
    # against its own.
    if(MSVC OR CMAKE_C_SIMULATE_ID STREQUAL "MSVC" OR CMAKE_CXX_SIMULATE_ID STREQUAL "MSVC")
        set(_morvalith_implib "${_morvalith_prefix}/lib${_morvalith_arch}/Morvalith.lib")
    else()
        set(_morvalith_implib "${_morvalith_prefix}/lib${_morvalith_arch}/libMorvalith.dll.a")
    endif()
    set_target_properties(Morvalith::Morvalith PROPERTIES
        IMPORTED_LOCATION "${_morvalith_prefix}/bin${_morvalith_arch}/Morvalith.dll"
        IMPORTED_IMPLIB "${_morvalith_implib}"
        INTERFACE_INCLUDE_DIRECTORIES "${_morvalith_prefix}/include")
    unset(_morvalith_implib)
endif()
if(NOT TARGET Morvalith::Headers)
    add_library(Morvalith::Headers INTERFACE IMPORTED)
    set_target_properties(Morvalith::Headers PROPERTIES INTERFACE_INCLUDE_DIRECTORIES "${_morvalith_prefix}/include")
endif()
unset(_morvalith_prefix)
unset(_morvalith_arch)
