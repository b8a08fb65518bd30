# find_package(Morvalith CONFIG) gives the imported target Morvalith::Morvalith:
# Morvalith.dll, the import library that fits the consumer's toolchain and
# the include directory; and Morvalith::Headers, the include directory only,
# for a program that loads the DLL itself (LoadLibraryA and the header's
# function types) so that it can handle a refused load. Everything is found relative to this file, so an
# installed tree or an unpacked archive can live anywhere.
if(NOT CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(Morvalith_FOUND FALSE)
    set(Morvalith_NOT_FOUND_MESSAGE
        "Morvalith.dll is a 32-bit (x86) Windows library and cannot be loaded by a ${CMAKE_SIZEOF_VOID_P}-byte-pointer \
build: configure a 32-bit build (Visual C++: -A Win32; MinGW: an i686 toolchain).")
    return()
endif()

get_filename_component(_morvalith_prefix "${CMAKE_CURRENT_LIST_DIR}/../../.." ABSOLUTE)
if(NOT TARGET Morvalith::Morvalith)
    add_library(Morvalith::Morvalith SHARED IMPORTED)
    # Visual C++ and clang-cl link against the MSVC-format library, MinGW
    # against its own.
    if(MSVC OR CMAKE_C_SIMULATE_ID STREQUAL "MSVC" OR CMAKE_CXX_SIMULATE_ID STREQUAL "MSVC")
        set(_morvalith_implib "${_morvalith_prefix}/lib/Morvalith.lib")
    else()
        set(_morvalith_implib "${_morvalith_prefix}/lib/libMorvalith.dll.a")
    endif()
    set_target_properties(Morvalith::Morvalith PROPERTIES
        IMPORTED_LOCATION "${_morvalith_prefix}/bin/Morvalith.dll"
        IMPORTED_IMPLIB "${_morvalith_implib}"
        INTERFACE_INCLUDE_DIRECTORIES "${_morvalith_prefix}/include")
    unset(_morvalith_implib)
endif()
if(NOT TARGET Morvalith::Headers)
    add_library(Morvalith::Headers INTERFACE IMPORTED)
    set_target_properties(Morvalith::Headers PROPERTIES INTERFACE_INCLUDE_DIRECTORIES "${_morvalith_prefix}/include")
endif()
unset(_morvalith_prefix)
