/* The start-up of the ARM64 test programs: Debian has no C runtime for ARM64
 * Windows, so they call msvcrt.dll's own start-up call for the arguments and
 * leave through its exit, which writes what printf buffered. A stand-in
 * vendor library has an entry point that does nothing. */
#include <windows.h>
#include <stdlib.h>

typedef struct {
    int newMode;
} MorvalithStartupInfo;
int __cdecl __getmainargs(int *argc, char ***argv, char ***env, int expand, MorvalithStartupInfo *info);
char *__cdecl __iob_func(void);

/* mingw-w64's headers reach stdin, stdout and stderr through
 * __acrt_iob_func, declared as an import, which its runtime provides on top
 * of msvcrt's __iob_func: msvcrt's FILE records, 48 bytes each in a 64-bit
 * process. Here the import's pointer is ours. */
static void *__cdecl IobRecord(unsigned index) { return __iob_func() + 48 * index; }
void *(__cdecl *__imp___acrt_iob_func)(unsigned) = IobRecord;

#if defined(MORVALITH_TEST_DLL)
BOOL WINAPI MorvalithTestDllStart(HINSTANCE module, DWORD reason, LPVOID reserved)
{
    (void)module;
    (void)reason;
    (void)reserved;
    return TRUE;
}
#elif defined(MORVALITH_TEST_WINMAIN)
void __cdecl MorvalithTestStart(void)
{
    exit(WinMain(GetModuleHandleA(NULL), NULL, GetCommandLineA(), SW_SHOWDEFAULT));
}
#else
int main(int argc, char **argv);

void __cdecl MorvalithTestStart(void)
{
    int argc;
    char **argv, **env;
    MorvalithStartupInfo info = {0};
    if (__getmainargs(&argc, &argv, &env, 0, &info) < 0) ExitProcess(255);
    exit(main(argc, argv));
}
#endif
