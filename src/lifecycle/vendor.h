#pragma once
#include "../platform.h"

// The vendor library's one call for GetIDKey, made in one place: in the
// library's own process when the vendor's DLL is of its size, and in the
// 32-bit helper program beside the 64-bit library (x64 or ARM64) when it
// is not (a 64-bit process cannot load a 32-bit DLL: ERROR_BAD_EXE_FORMAT;
// Windows on ARM runs the helper under its x86 emulation). The helper,
// started with the drive letter as its only argument, makes the same call
// and writes the answer below to its standard output, an anonymous pipe the
// library reads.
#define MORVALITH_VENDOR_HELPER "morvalith-vendor32.exe"

// What the call did (the answer's outcome), and what the library saw of the
// helper. Only the first three travel through the pipe.
const DWORD kVendorCalled = 0;       // the call was made: result and key follow
const DWORD kVendorNoLibrary = 1;    // the vendor library could not be loaded
const DWORD kVendorNoEntryPoint = 2; // it lacks the entry point
const DWORD kHelperNotStarted = 3;   // the helper could not be started
const DWORD kHelperFailed = 4;       // no whole, valid answer in time (hung, crashed, short)

struct VendorAnswer {
    DWORD outcome;
    LONG result;    // the vendor call's result (0: the key is valid), or the load's error
    BYTE key[32];
};
static_assert(sizeof(VendorAnswer) == 40, "the helper's answer is 40 bytes in both sizes");

// How long the library waits for the helper: it makes one call of the
// vendor's, which may talk to the disk, but a host must not hang on it.
const DWORD kVendorHelperTimeoutMs = 60000;

// Clears a buffer that held a key, in a way the compiler cannot drop.
void WipeBytes(void *buffer, size_t size);

// Loads the vendor library, finds its entry point and calls it for the
// letter with the chip model and a zeroed record; the key is taken from the
// record, which is wiped before return. The answer is filled on every road:
// its key only for a call that succeeded, its result the load's error when
// the library could not be loaded.
void CallVendorLibrary(char driveLetter, VendorAnswer *answer);

// The helper program's work, given its command line and its standard
// output: the call for the letter the line names, its answer written to the
// output and wiped. Returns the exit code: 0 answered, 2 no letter.
DWORD RunVendorHelper(LPCSTR commandLine, HANDLE output);

#if MORVALITH_64BIT
// Starts the helper for the letter and reads its answer into *answer (which
// the caller wipes, taken or not); returns the outcome.
// Every handle is closed on every road, and the helper does not outlive it.
DWORD CallVendorThroughHelper(char driveLetter, VendorAnswer *answer);
#endif
