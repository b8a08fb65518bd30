#include <stdarg.h>
#include <stdio.h>
#include <string.h>

#include "../discovery/locator.h"
#include "../transport/passthrough.h"
#include "state.h"

// Zero when the module is mapped; the Windows build keeps it in .bss (see
// cmake/windows.cmake), so it takes no room in the file.
LibraryState g_library;


void LibLine(const char *format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    vprintf(format, arguments);
    va_end(arguments);
    // All streams: the host's earlier lines stay before this one. (stdout
    // itself would link MinGW's __iob_func wrapper into the DLL.)
    fflush(NULL);
}

static int DeviceHandleHeld(void)
{
    return g_library.deviceHandle != NULL && g_library.deviceHandle != INVALID_HANDLE_VALUE;
}

static BOOL AttachProcess(HINSTANCE module)
{
#if MORVALITH_64BIT
    g_library.module = (HMODULE)module;
#endif
    memset(g_library.vendorSector, 0, sizeof(g_library.vendorSector));
    g_library.osVersion.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
    GetVersionExA(&g_library.osVersion);

    if (g_library.osVersion.dwMajorVersion >= 5) {
        g_library.deviceHandle = OpenFlashDisk(1);
        if (!DeviceHandleHeld()) {
            g_library.deviceHandle = NULL;
            LibLine("[LIB] Can not find Alcor flash disk\n");
            return FALSE;
        }
        PassThroughRequest request;
        if (SendPassThroughCommand(g_library.deviceHandle, &request, kVendorReadOpcode, SCSI_IOCTL_DATA_IN,
                                   g_library.vendorSector, kVendorSectorSize, NULL)) {
            return TRUE;
        }
        LibLine("[LIB] Get Vendor 512bytes sector FAILED\n");
        CloseHandle(g_library.deviceHandle);
        g_library.deviceHandle = NULL;
        return FALSE;
    }
#if !MORVALITH_64BIT
    if (g_library.osVersion.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS) {
        // The binding holds WNASPI32 for the process; no thread needs telling.
        DisableThreadLibraryCalls((HMODULE)module);
        return AspiBind();
    }
#endif
    return FALSE;
}

static void DetachProcess(void)
{
    if (g_library.osVersion.dwMajorVersion >= 5) {
        if (DeviceHandleHeld()) CloseHandle(g_library.deviceHandle);
        g_library.deviceHandle = NULL;
    } else {
#if !MORVALITH_64BIT
        AspiClose();
#endif
    }
}

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID reserved)
{
    (void)reserved;
    switch (reason) {
    case DLL_PROCESS_ATTACH:
        return AttachProcess(module);
    case DLL_PROCESS_DETACH:
        DetachProcess();
        return TRUE;
    default:
        return FALSE;
    }
}
