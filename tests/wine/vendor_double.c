/* A stand-in for the disk vendor's product-information library: its one
 * entry point fills the 268-byte record (0xA5, the key at 202) with a key
 * made from the letter and the chip model it was given, and returns the
 * number in MORVALITH_VENDOR_RESULT (0 when unset). Built with
 * -DNO_ENTRY_POINT it lacks the entry point. Built for both sizes: a 32-bit
 * one is what the 64-bit library reaches through its helper. */
#include <windows.h>
#include <stdlib.h>

#include "vendor_double.h"

#ifndef NO_ENTRY_POINT
__declspec(dllexport) int WINAPI VGetUFDProductInfo(char letter, char *chipModel, BYTE *record)
{
    char result[16], handle[32];
    DWORD n = GetEnvironmentVariableA("MORVALITH_VENDOR_RESULT", result, sizeof(result));
    /* A handle of the host's that the process calling here must not hold
     * (the helper inherits the pipe alone): failing with 99 shows it does. */
    DWORD flags;
    if (GetEnvironmentVariableA("MORVALITH_HOST_HANDLE", handle, sizeof(handle)) &&
        GetHandleInformation((HANDLE)(ULONG_PTR)strtoul(handle, NULL, 16), &flags))
        return 99;
    for (int i = 0; i < 268; ++i) record[i] = 0xA5;
    StandInKey(letter, chipModel, record + 202);
    return n && n < sizeof(result) ? atoi(result) : 0;
}
#else
__declspec(dllexport) int WINAPI VGetOtherInfo(void) { return 0; }
#endif
