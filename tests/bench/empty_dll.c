/* A DLL that does nothing and refuses to load, as Morvalith.dll does on a
 * machine without the flash disk: the yardstick of the load-time benchmark.
 * IMPORTS=1 gives it Morvalith.dll's imports (one function of each DLL: the
 * loader's cost is per DLL), IMPORTS=2 those and USER32, IMPORTS=0 none. */
#include <windows.h>
#if IMPORTS
#include <setupapi.h>
#include <stdio.h>

volatile int never;
#endif

BOOL WINAPI EmptyDllMain(HINSTANCE module, DWORD reason, LPVOID reserved)
{
    (void)module;
    (void)reserved;
#if IMPORTS
    if (never) {
        OSVERSIONINFOA version;
        GetVersionExA(&version);
        RegCloseKey(NULL);
        SetupDiDestroyDeviceInfoList(NULL);
        printf("%d", never);
#if IMPORTS == 2
        MessageBoxA(NULL, "", "", MB_OK);
#endif
    }
#endif
    return reason != DLL_PROCESS_ATTACH;
}
