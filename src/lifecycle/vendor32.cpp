// morvalith-vendor32.exe: the 64-bit library's helper for a 32-bit vendor
// library. Started by GetIDKey with the drive letter as its only argument
// and the write end of a pipe as its standard output, it loads the vendor
// library by the library's own relative path from the folder it was started
// in, makes the one call with the chip model and a 268-byte record, writes
// the 40-byte answer to the pipe and ends. It shows nothing and writes no
// file: the key goes to the pipe alone. Our code only, without the C
// runtime's start-up, so that it runs wherever the library does.
#include <windows.h>

#include "state.h"
#include "vendor.h"

typedef int(WINAPI *VendorProductInfoFn)(char driveLetter, char *chipModel, BYTE *productInfo);

// The letter: the first argument after the program's (quoted) name.
static char LetterArgument(const char *line)
{
    if (*line == '"') {
        ++line;
        while (*line && *line != '"') ++line;
        if (*line) ++line;
    } else {
        while (*line && *line != ' ' && *line != '\t') ++line;
    }
    while (*line == ' ' || *line == '\t') ++line;
    char letter = line[0];
    bool alone = line[1] == 0 || line[1] == ' ' || line[1] == '\t';
    return letter >= 'A' && letter <= 'Z' && alone ? letter : 0;
}

static void Answer(const VendorHelperRecord *record)
{
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD written = 0;
    if (out && out != INVALID_HANDLE_VALUE) WriteFile(out, record, sizeof(*record), &written, NULL);
}

extern "C" void WINAPI Vendor32Main(void)
{
    // No box of the system's for a missing disk or DLL: nobody would see it.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    char letter = LetterArgument(GetCommandLineA());
    if (!letter) ExitProcess(2);
    VendorHelperRecord record;
    WipeBytes(&record, sizeof(record));
    // The same call as the library's in-process road: the model text past
    // its five-byte tag, a zeroed record.
    char chipModel[260] = "<tag>" MORVALITH_CHIP_MODEL;
    BYTE productInfo[kProductInfoSize];
    WipeBytes(productInfo, sizeof(productInfo));
    HMODULE vendor = LoadLibraryA(MORVALITH_VENDOR_LIBRARY);
    VendorProductInfoFn getProductInfo =
        vendor ? (VendorProductInfoFn)(void *)GetProcAddress(vendor, MORVALITH_VENDOR_ENTRY_POINT) : NULL;
    if (!vendor) {
        record.outcome = kHelperNoLibrary;
    } else if (!getProductInfo) {
        record.outcome = kHelperNoEntryPoint;
    } else {
        record.outcome = kHelperCalled;
        record.result = getProductInfo(letter, chipModel + 5, productInfo);
        if (record.result == 0)
            for (DWORD i = 0; i < kKeySize; ++i) record.key[i] = productInfo[kKeyOffset + i];
    }
    Answer(&record);
    WipeBytes(&record, sizeof(record));
    WipeBytes(productInfo, sizeof(productInfo));
    ExitProcess(0);
}
