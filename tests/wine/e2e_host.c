/* A 32-bit host for the end-to-end suite: what a real program sees of
 * Morvalith.dll through the Win32 loader.
 *   e2e-host exports   by-name and by-ordinal look-ups agree
 *   e2e-host version   the version block as GetFileVersionInfoA reads it
 *   e2e-host call [--pending]
 *                      load, call both exports checking the stack pointer,
 *                      unload, and whether WNASPI32 went with it */
#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <stdio.h>
#include <string.h>

/* Calls fn in assembly so that the stack pointer around the call alone is
 * compared: a callee with the wrong convention leaves it moved. */
static int CallStdcall1(void *fn, void *arg, int *balanced)
{
    int result;
    unsigned before, after;
    __asm__ volatile("movl %%esp, %%esi\n\t"
                     "pushl %3\n\t"
                     "call *%4\n\t"
                     "movl %%esp, %%edi\n\t"
                     "movl %%esi, %%esp\n\t"
                     : "=&a"(result), "=&S"(before), "=&D"(after)
                     : "m"(arg), "b"(fn)
                     : "ecx", "edx", "memory", "cc");
    *balanced = before == after;
    return result;
}

static int CallCdecl0(void *fn, int *balanced)
{
    int result;
    unsigned before, after;
    __asm__ volatile("movl %%esp, %%esi\n\t"
                     "call *%3\n\t"
                     "movl %%esp, %%edi\n\t"
                     "movl %%esi, %%esp\n\t"
                     : "=&a"(result), "=&S"(before), "=&D"(after)
                     : "b"(fn)
                     : "ecx", "edx", "memory", "cc");
    *balanced = before == after;
    return result;
}

static int Exports(void)
{
    HMODULE m = LoadLibraryExA("Morvalith.dll", NULL, DONT_RESOLVE_DLL_REFERENCES);
    if (!m) {
        printf("map failed: %lu\n", GetLastError());
        return 1;
    }
    FARPROC byName1 = GetProcAddress(m, "GetIDKey"), byOrd1 = GetProcAddress(m, MAKEINTRESOURCEA(1));
    FARPROC byName2 = GetProcAddress(m, "GetUSBDriveLetter"), byOrd2 = GetProcAddress(m, MAKEINTRESOURCEA(2));
    printf("GetIDKey: %s\n", byName1 && byName1 == byOrd1 ? "ordinal 1" : "MISMATCH");
    printf("GetUSBDriveLetter: %s\n", byName2 && byName2 == byOrd2 ? "ordinal 2" : "MISMATCH");
    printf("GetIDKey@4: %s\n", GetProcAddress(m, "GetIDKey@4") ? "exported" : "absent");
    printf("ordinal 3: %s\n", GetProcAddress(m, MAKEINTRESOURCEA(3)) ? "exported" : "absent");
    FreeLibrary(m);
    return 0;
}

static int Version(void)
{
    static const char *names[] = {"Comments", "CompanyName", "FileDescription", "FileVersion", "InternalName",
                                  "LegalTrademarks", "OriginalFilename", "PrivateBuild", "ProductName",
                                  "ProductVersion", "SpecialBuild"};
    DWORD ignored, size = GetFileVersionInfoSizeA("Morvalith.dll", &ignored);
    static char block[65536];
    if (!size || size > sizeof(block) || !GetFileVersionInfoA("Morvalith.dll", 0, size, block)) {
        printf("no version block\n");
        return 1;
    }
    VS_FIXEDFILEINFO *fixed;
    UINT length;
    if (VerQueryValueA(block, "\\", (void **)&fixed, &length)) {
        printf("file version %u.%u.%u.%u\n", HIWORD(fixed->dwFileVersionMS), LOWORD(fixed->dwFileVersionMS),
               HIWORD(fixed->dwFileVersionLS), LOWORD(fixed->dwFileVersionLS));
        printf("product version %u.%u.%u.%u\n", HIWORD(fixed->dwProductVersionMS),
               LOWORD(fixed->dwProductVersionMS), HIWORD(fixed->dwProductVersionLS),
               LOWORD(fixed->dwProductVersionLS));
    }
    WORD *translation;
    if (VerQueryValueA(block, "\\VarFileInfo\\Translation", (void **)&translation, &length) && length >= 4)
        printf("translation %04x %u\n", translation[0], translation[1]);
    for (size_t i = 0; i < sizeof(names) / sizeof(names[0]); ++i) {
        char path[128];
        char *value;
        snprintf(path, sizeof(path), "\\StringFileInfo\\080404b0\\%s", names[i]);
        if (VerQueryValueA(block, path, (void **)&value, &length)) printf("%s=[%s]\n", names[i], value);
        else printf("%s missing\n", names[i]);
    }
    return 0;
}

static int Call(int pending)
{
    if (pending) {
        /* The double's worker must run before Morvalith.dll loads: a thread
         * started during a DllMain would wait for the loader. */
        HMODULE aspi = LoadLibraryA("WNASPI32");
        int (*start)(void) = aspi ? (int (*)(void))(void *)GetProcAddress(aspi, "AspiDoubleStartWorker") : NULL;
        if (!start || !start()) {
            printf("worker: not started\n");
            return 1;
        }
        printf("worker: started\n");
    }
    fflush(stdout);
    HMODULE m = LoadLibraryA("Morvalith.dll");
    fflush(stdout);
    if (!m) {
        printf("load: refused (error %lu)\n", GetLastError());
        return 1;
    }
    printf("load: loaded\n");
    int balanced;
    char letter = (char)CallCdecl0((void *)GetProcAddress(m, "GetUSBDriveLetter"), &balanced);
    printf("GetUSBDriveLetter: %d, stack %s\n", letter, balanced ? "balanced" : "MOVED");
    unsigned char key[40];
    memset(key, 0xCC, sizeof(key));
    int ok = CallStdcall1((void *)GetProcAddress(m, "GetIDKey"), key, &balanced);
    int untouched = 1;
    for (size_t i = 0; i < sizeof(key); ++i) untouched &= key[i] == 0xCC;
    printf("GetIDKey: %d, stack %s, key %s\n", ok, balanced ? "balanced" : "MOVED", untouched ? "untouched" : "written");
    /* Control: the same check notices a caller that gets the convention wrong. */
    CallCdecl0((void *)GetProcAddress(m, "GetIDKey"), &balanced);
    printf("GetIDKey called as cdecl: stack %s\n", balanced ? "balanced" : "MOVED");
    printf("WNASPI32 while loaded: %s\n", GetModuleHandleA("WNASPI32") ? "held" : "not held");
    FreeLibrary(m);
    printf("WNASPI32 after unload: %s\n", GetModuleHandleA("WNASPI32") ? "held" : "released");
    return 0;
}

int main(int argc, char **argv)
{
    _setmode(_fileno(stdout), _O_BINARY);
    if (argc >= 2 && !strcmp(argv[1], "exports")) return Exports();
    if (argc >= 2 && !strcmp(argv[1], "version")) return Version();
    if (argc >= 2 && !strcmp(argv[1], "call")) return Call(argc >= 3 && !strcmp(argv[2], "--pending"));
    fprintf(stderr, "usage: e2e-host exports|version|call [--pending]\n");
    return 2;
}
