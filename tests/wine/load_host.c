/* MorvalithLoadLibrary in a host. Built twice: a MinGW GUI program (-mwindows,
 * its output through the MinGW runtime's printf; for ARM64, msvcrt.dll's
 * printf behind tests/arm64/start.c) and, with NO_CRT, a program
 * with no C runtime at all (its own entry point, its output by WriteFile to
 * the standard output handle, as a runtime other than msvcrt writes). Each
 * prints a line before the load, the reason, and a line after it: the
 * library's own line must not reach the host's output, and the host's own
 * lines must. */
#include "morvalith_load.h"

#ifdef NO_CRT
static void Out(const char *text)
{
    DWORD written;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text, (DWORD)lstrlenA(text), &written, NULL);
}
#define FLUSH()
#else
#include <stdio.h>
static void Out(const char *text) { printf("%s", text); }
#define FLUSH() fflush(stdout)
#endif

static int Run(void)
{
    char reason[512];
    HMODULE dll;
    Out("host: before the load\n");
    FLUSH();
    dll = MorvalithLoadLibrary(reason, sizeof(reason));
    Out(dll ? "host: loaded, reason \"" : "host: not loaded: ");
    Out(reason);
    Out(dll ? "\"\n" : "\n");
    if (dll) FreeLibrary(dll);
    Out("host: after the load\n");
    FLUSH();
    return dll ? 0 : 1;
}

#ifdef NO_CRT
void __stdcall Start(void) { ExitProcess((UINT)Run()); }
#else
int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR command, int show)
{
    (void)instance; (void)previous; (void)command; (void)show;
    return Run();
}
#endif
