/*
 * Morvalith.dll: drive letter and identification key of the attached USB
 * flash disk. The library binds to the disk when it is loaded; a process
 * without a matching disk cannot load it.
 *
 * Link with the import library (libMorvalith.dll.a) or resolve the two
 * functions with GetProcAddress, by name or by ordinal (GetIDKey 1,
 * GetUSBDriveLetter 2). The calling conventions below are part of the
 * interface: declaring them otherwise corrupts the caller's stack.
 */
#ifndef MORVALITH_H
#define MORVALITH_H

#ifdef __cplusplus
extern "C" {
#endif

#if defined(_WIN32)
#  define MORVALITH_STDCALL __stdcall
#  define MORVALITH_CDECL __cdecl
#  if defined(MORVALITH_BUILDING) || defined(MORVALITH_STATIC)
#    define MORVALITH_API
#  else
#    define MORVALITH_API __declspec(dllimport)
#  endif
#elif defined(__i386__)
#  define MORVALITH_STDCALL __attribute__((stdcall))
#  define MORVALITH_CDECL __attribute__((cdecl))
#  define MORVALITH_API
#else
#  define MORVALITH_STDCALL
#  define MORVALITH_CDECL
#  define MORVALITH_API
#endif

/*
 * The drive letter ('A'..'Z') of the flash disk's removable volume: the
 * lowest letter of the first matching disk, in enumeration order, that has
 * one; 0 when there is none. cdecl, no arguments. Only the low 8 bits of
 * the result register are defined.
 */
MORVALITH_API char MORVALITH_CDECL GetUSBDriveLetter(void);

/*
 * Writes the disk's 32-byte identification key to key (at least 32 bytes)
 * and returns 1; returns 0 and leaves key untouched when there is no disk,
 * no vendor library or the vendor library fails (the two load failures are
 * shown in a message box). A null key returns 0. __stdcall, one argument.
 */
MORVALITH_API int MORVALITH_STDCALL GetIDKey(unsigned char *key);

/*
 * The two functions' types with their conventions, for a program that loads
 * the DLL itself (LoadLibraryA, then GetProcAddress "GetIDKey" and
 * "GetUSBDriveLetter"), so that it can handle a refused load:
 *   MorvalithGetIDKeyFn getKey = (MorvalithGetIDKeyFn)GetProcAddress(dll, "GetIDKey");
 */
typedef int(MORVALITH_STDCALL *MorvalithGetIDKeyFn)(unsigned char *key);
typedef char(MORVALITH_CDECL *MorvalithGetUSBDriveLetterFn)(void);

#ifdef __cplusplus
}
#endif

#endif
