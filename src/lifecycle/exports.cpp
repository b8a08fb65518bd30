#define MORVALITH_BUILDING
#include "../../include/morvalith.h"

#include <string.h>

#include "../discovery/resolver.h"
#include "../platform.h"
#include "state.h"
#include "vendor.h"

typedef int(WINAPI *VendorProductInfoFn)(char driveLetter, char *chipModel, BYTE *productInfo);
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

#if MORVALITH_64BIT
// The vendor call through the 32-bit helper, with the in-process road's
// boxes: the library not loaded by either road, or its entry point missing.
static int KeyThroughHelper(char driveLetter, unsigned char *key)
{
    VendorHelperRecord record;
    DWORD outcome = CallVendorThroughHelper(driveLetter, &record);
    int ok = 0;
    if (outcome == kHelperNotStarted || outcome == kHelperNoLibrary) {
        ShowErrorBox(MORVALITH_NO_VENDOR_LIBRARY_BOX);
    } else if (outcome == kHelperNoEntryPoint) {
        ShowErrorBox(MORVALITH_NO_VENDOR_ENTRY_POINT_BOX);
    } else if (outcome == kHelperCalled && record.result == 0) {
        memcpy(key, record.key, kKeySize);
        ok = 1;
    }
    WipeBytes(&record, sizeof(record));
    return ok;
}
#endif

extern "C" int MORVALITH_STDCALL GetIDKey(unsigned char *key)
{
    // Writing a key through a null pointer would crash the host.
    if (!key) return 0;
    char driveLetter = GetUSBDriveLetter();
    if (!driveLetter) return 0;

    // The vendor library is handed the model text past its five-byte tag.
    char chipModel[260] = "<tag>" MORVALITH_CHIP_MODEL;
    HMODULE vendor = LoadLibraryA(MORVALITH_VENDOR_LIBRARY);
    if (!vendor) {
#if MORVALITH_64BIT
        // A 32-bit vendor library, which this process cannot load.
        if (GetLastError() == ERROR_BAD_EXE_FORMAT) return KeyThroughHelper(driveLetter, key);
#endif
        ShowErrorBox(MORVALITH_NO_VENDOR_LIBRARY_BOX);
        return 0;
    }
    VendorProductInfoFn getProductInfo =
        (VendorProductInfoFn)(void *)GetProcAddress(vendor, MORVALITH_VENDOR_ENTRY_POINT);
    if (!getProductInfo) {
        ShowErrorBox(MORVALITH_NO_VENDOR_ENTRY_POINT_BOX);
        return 0;
    }
    // Zeroed so that a vendor call that claims success without writing the
    // record cannot hand the host stale stack bytes.
    BYTE productInfo[kProductInfoSize];
    memset(productInfo, 0, sizeof(productInfo));
    if (getProductInfo(driveLetter, chipModel + 5, productInfo) != 0) return 0;
    memcpy(key, productInfo + kKeyOffset, kKeySize);
    return 1;
}
