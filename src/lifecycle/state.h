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

// Prints one "[LIB] " line and writes it out at once: a host whose output
// goes to a file or a pipe may be ended by the loader (a refused load-time
// link) before the C runtime's buffer would be written.
void LibLine(const char *format, ...);

const BYTE kVendorReadOpcode = 0x82;
const DWORD kVendorSectorSize = 512;
