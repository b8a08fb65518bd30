# find_package(Morvalith CONFIG) gives the imported target Morvalith::Morvalith:
# Morvalith.dll, the import library that fits the consumer's toolchain and
# the include directory; and Morvalith::Headers, the include directory only,
# for a program that loads the DLL itself (LoadLibraryA and the header's
# function types) so that it can handle a refused load. Everything is found relative to this file, so an
# installed tree or an unpacked archive can live anywhere.
# The consumer's own size picks the files: bin/ and lib/ for a 32-bit
# build, bin/x64/ and lib/x64/ for a 64-bit one (the same file names).
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(_morvalith_arch "")
elseif(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(_morvalith_arch "/x64")
else()
    set(Morvalith_FOUND FALSE)
    set(Morvalith_NOT_FOUND_MESSAGE "Morvalith.dll comes for 32-bit (x86) and 64-bit (x64) Windows programs only.")
    return()
endif()

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
