#pragma once
#include "../platform.h"
#include "../transport/aspi.h"

// The one process-wide record; zero when the module is mapped.
struct LibraryState {
    OSVERSIONINFOA osVersion;
    HANDLE deviceHandle;
    BYTE vendorSector[512];
    HMODULE aspiModule;
    AspiSupportInfoFn aspiSupportInfo;
    AspiSendCommandFn aspiSendCommand;
    BYTE aspiHostAdapter;
    BYTE aspiTarget;
    BYTE aspiLun;
};

extern LibraryState g_library;

const BYTE kVendorReadOpcode = 0x82;
const DWORD kVendorSectorSize = 512;
