// The MinGW runtime's locks (libgcc's unwinder and emutls, libstdc++'s
// mutexes and static-initialisation guard) make their semaphores with
// CreateSemaphoreW. Windows 98 exports that name only as a stub that fails
// with ERROR_CALL_NOT_IMPLEMENTED: an uncontended lock still works, a
// contended one waits on NULL and fails. This object defines both the
// function and its import slot, so the linker takes them from here instead
// of KERNEL32's import library, and the programs call CreateSemaphoreA,
// which every Windows has. The runtime's semaphores are unnamed.
#include <windows.h>

extern "C" HANDLE WINAPI AnsiCreateSemaphoreW(LPSECURITY_ATTRIBUTES security, LONG initial, LONG maximum,
                                              LPCWSTR name) __asm__("_CreateSemaphoreW@16");

extern "C" HANDLE WINAPI AnsiCreateSemaphoreW(LPSECURITY_ATTRIBUTES security, LONG initial, LONG maximum,
                                              LPCWSTR name)
{
    char ansi[MAX_PATH];
    if (name && !WideCharToMultiByte(CP_ACP, 0, name, -1, ansi, sizeof ansi, NULL, NULL)) return NULL;
    return CreateSemaphoreA(security, initial, maximum, name ? ansi : NULL);
}

// What a caller compiled with the header's dllimport reads through.
extern "C" void *const AnsiCreateSemaphoreWImport __asm__("__imp__CreateSemaphoreW@16") =
    (void *)AnsiCreateSemaphoreW;
