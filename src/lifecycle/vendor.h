#pragma once
#include "../platform.h"

// The vendor library's one call for GetIDKey, through the 32-bit helper
// program beside the 64-bit library: a 64-bit process cannot load a 32-bit
// DLL (ERROR_BAD_EXE_FORMAT), and the vendor's library may exist only so.
// The helper, started with the drive letter as its only argument, loads the
// library by the same relative path, makes the same call and writes this
// record to its standard output, an anonymous pipe the library reads.
#define MORVALITH_VENDOR_HELPER "morvalith-vendor32.exe"

// What the helper did (the record's outcome), and what the library saw of it.
const DWORD kHelperCalled = 0;       // the call was made: result and key follow
const DWORD kHelperNoLibrary = 1;    // the vendor library could not be loaded
const DWORD kHelperNoEntryPoint = 2; // it lacks the entry point
const DWORD kHelperNotStarted = 3;   // the helper could not be started
const DWORD kHelperFailed = 4;       // no whole record in time (hung, crashed, short)

struct VendorHelperRecord {
    DWORD outcome;
    LONG result;    // the vendor call's result; 0: the key is valid
    BYTE key[32];
};
static_assert(sizeof(VendorHelperRecord) == 40, "the helper's record is 40 bytes in both sizes");

// How long the library waits for the helper: it makes one call of the
// vendor's, which may talk to the disk, but a host must not hang on it.
const DWORD kVendorHelperTimeoutMs = 60000;

// Clears a buffer that held a key, in a way the compiler cannot drop.
void WipeBytes(void *buffer, size_t size);

#if MORVALITH_64BIT
// Starts the helper for the letter and reads its record; returns the
// outcome (one of the constants above), the record filled only for
// kHelperCalled. Every handle is closed on every road.
DWORD CallVendorThroughHelper(char driveLetter, VendorHelperRecord *record);
#endif
