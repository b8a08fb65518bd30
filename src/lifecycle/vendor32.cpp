// morvalith-vendor32.exe: the 64-bit library's helper for a 32-bit vendor
// library. Started by GetIDKey with the drive letter as its only argument
// and the write end of a pipe as its standard output; the work is the
// library's own (RunVendorHelper), this is only its Windows entry. It shows
// nothing and writes no file: the key goes to the pipe alone. Our code only,
// without the C runtime's start-up, so that it runs wherever the library does.
#include <windows.h>

#include "vendor.h"

extern "C" void WINAPI Vendor32Main(void)
{
    // No box of the system's for a missing disk or DLL: nobody would see it.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    ExitProcess(RunVendorHelper(GetCommandLineA(), GetStdHandle(STD_OUTPUT_HANDLE)));
}
