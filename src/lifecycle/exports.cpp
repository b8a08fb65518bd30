#define MORVALITH_BUILDING
#include "../../include/morvalith.h"

#include <string.h>

#include "../discovery/resolver.h"
#include "../platform.h"
#include "state.h"
#include "vendor.h"

typedef int(WINAPI *MessageBoxFn)(HWND owner, LPCSTR text, LPCSTR caption, UINT style);

const DWORD kLetterBufferSize = 260;

// USER32 is loaded only to show a failure: a console host should not pay for
// loading and initialising it at every start for a box it almost never sees.
// Never called from DllMain, so the loader lock is not held here. If the box
// cannot be shown, the caller's failure result stands all the same.
static void ShowErrorBox(LPCSTR text)
{
    HMODULE user32 = LoadLibraryA("user32.dll");
    if (!user32) return;
    MessageBoxFn messageBox = (MessageBoxFn)(void *)GetProcAddress(user32, "MessageBoxA");
    if (messageBox) messageBox(NULL, text, "Error", MB_OK);
    FreeLibrary(user32);
}

extern "C" char MORVALITH_CDECL GetUSBDriveLetter(void)
{
    char letters[kLetterBufferSize];
    memset(letters, 0, sizeof(letters));
    CollectDriveLetters(kLetterBusToken, kLetterClassToken, kLetterRevisionToken, letters, sizeof(letters));
    return letters[0];
}

extern "C" int MORVALITH_STDCALL GetIDKey(unsigned char *key)
{
    // Writing a key through a null pointer would crash the host.
    if (!key) return 0;
    char driveLetter = GetUSBDriveLetter();
    if (!driveLetter) return 0;

    VendorAnswer answer;
    CallVendorLibrary(driveLetter, &answer);
    DWORD outcome = answer.outcome;
#if MORVALITH_64BIT
    // A 32-bit vendor library, which this process cannot load: the same
    // call in the helper beside the library. In an ARM64 process an x64
    // vendor library fails so too; the 32-bit helper cannot load it either
    // and answers that, so it gets the box of a library that cannot be
    // loaded (an x64 helper would run on Windows 11 on ARM alone, and an
    // ARM64 program with only an x64 vendor library is better shipped as
    // the x64 program it can be).
    if (outcome == kVendorNoLibrary && answer.result == ERROR_BAD_EXE_FORMAT)
        outcome = CallVendorThroughHelper(driveLetter, &answer);
#endif
    int ok = 0;
    if (outcome == kVendorNoLibrary || outcome == kHelperNotStarted) {
        ShowErrorBox(MORVALITH_NO_VENDOR_LIBRARY_BOX);
    } else if (outcome == kVendorNoEntryPoint) {
        ShowErrorBox(MORVALITH_NO_VENDOR_ENTRY_POINT_BOX);
    } else if (outcome == kVendorCalled && answer.result == 0) {
        memcpy(key, answer.key, kKeySize);
        ok = 1;
    }
    // No copy of the key stays behind in this frame.
    WipeBytes(&answer, sizeof(answer));
    return ok;
}
