#pragma once
#include <string.h>

#include "../platform.h"
#include "../transport/aspi.h"

// The one process-wide record; zero when the module is mapped. Besides the
// attach and detach, two parts reach it, as the design has them: the
// locator's OpenFlashDisk reads the version the attach was told (it must take
// the attach's road), and the ASPI transport keeps WNASPI32, its entry points
// and the found unit's address here for the life of the binding.
struct LibraryState {
#if MORVALITH_64BIT
    HMODULE module;  // the library's own, for the helper's path beside it
#endif
    OSVERSIONINFOA osVersion;
    HANDLE deviceHandle;
    BYTE vendorSector[512];
#if !MORVALITH_64BIT
    HMODULE aspiModule;
    AspiEntryPoints aspi;
    BYTE aspiHostAdapter;
    BYTE aspiTarget;
    BYTE aspiLun;
#endif
};

extern LibraryState g_library;

// The state as the loader maps it into a fresh process: all zero. For the
// tools, which run the library's attach more than once in one process
// (inline: the DLL itself never needs it).
inline void ResetLibraryState(void) { memset(&g_library, 0, sizeof(g_library)); }

// The entry point the loader calls (attach, detach); the simulated machine's
// hosts call it as the loader would.
extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID reserved);

// Prints one "[LIB] " line and writes it out at once: a host whose output
// goes to a file or a pipe may be ended by the loader (a refused load-time
// link) before the C runtime's buffer would be written.
void LibLine(const char *format, ...);

// Texts the devices and the vendor library are given or answer with (macros,
// so that the library's own buffers are initialised from them as before):
// the INQUIRY vendor and product text of the flash disk under ASPI, and the
// chip model the vendor library is asked about.
#define MORVALITH_FLASH_DISK_ID "Generic Flash Disk"
#define MORVALITH_CHIP_MODEL "ChipsbankCBM2076"
// The vendor library GetIDKey loads, its entry point, and the texts of the
// boxes it shows when either is missing.
#define MORVALITH_VENDOR_LIBRARY "Vendor\\VendorUFDAPI.dll"
#define MORVALITH_VENDOR_ENTRY_POINT "VGetUFDProductInfo"
#define MORVALITH_NO_VENDOR_LIBRARY_BOX "Load VendorUFDAPI.dll failed!"
#define MORVALITH_NO_VENDOR_ENTRY_POINT_BOX "Load Dll Error!"

// The vendor call's record, and the key in it.
const DWORD kProductInfoSize = 268;
const DWORD kKeyOffset = 202;
const DWORD kKeySize = 32;

const BYTE kVendorReadOpcode = 0x82;
const DWORD kVendorSectorSize = 512;
