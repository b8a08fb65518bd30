/* Loading Morvalith.dll with a reason a program can show its user.
 *
 * A program linked against Morvalith.dll at load time does not start on a PC
 * without the flash disk ("The application was unable to start correctly
 * (0xc0000142)"), and the library's own reason, a "[LIB] " line, goes to
 * standard output, which a GUI program does not have. This header loads the
 * DLL at run time and hands back that reason in plain words:
 *
 *     char reason[512];
 *     HMODULE dll = MorvalithLoadLibrary(reason, sizeof(reason));
 *     if (!dll) MessageBoxA(NULL, reason, "Morvalith", MB_OK | MB_ICONERROR);
 *
 * Static functions only: nothing more to link. C and C++; MinGW, Visual C++
 * and clang-cl. Whatever C runtime the program uses: the library writes
 * through msvcrt.dll's standard output, which is caught here for the length
 * of the load and then put back, and the program's own standard output is
 * left as it was. Not thread-safe with respect to other threads writing to
 * msvcrt.dll's standard output during the load. */
#ifndef MORVALITH_LOAD_H
#define MORVALITH_LOAD_H

#include <stddef.h>
#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Appends text to reason (size bytes in all, always terminated). */
static void MorvalithAppend_(char *reason, size_t size, const char *text)
{
    size_t used = 0;
    if (!reason || !size) return;
    while (used < size && reason[used]) ++used;
    while (*text && used + 1 < size) reason[used++] = *text++;
    if (used < size) reason[used] = 0;
}

static void MorvalithAppendNumber_(char *reason, size_t size, unsigned long n)
{
    char digits[12];
    int i = (int)sizeof(digits) - 1;
    digits[i] = 0;
    do {
        digits[--i] = (char)('0' + n % 10);
        n /= 10;
    } while (n && i > 0);
    MorvalithAppend_(reason, size, digits + i);
}

/* The last "[LIB] " line of what the library printed, without its prefix and
 * line end, appended to reason. */
static void MorvalithAppendLibLine_(char *reason, size_t size, const char *text, DWORD length)
{
    DWORD i, last = (DWORD)-1;
    char line[256];
    DWORD n = 0;
    for (i = 0; i + 6 <= length; ++i)
        if ((i == 0 || text[i - 1] == '\n') && text[i] == '[' && text[i + 1] == 'L' && text[i + 2] == 'I' &&
            text[i + 3] == 'B' && text[i + 4] == ']' && text[i + 5] == ' ')
            last = i + 6;
    if (last == (DWORD)-1) return;
    for (i = last; i < length && text[i] != '\n' && text[i] != '\r' && n + 1 < sizeof(line); ++i)
        line[n++] = (text[i] >= 0x20 && text[i] < 0x7F) ? text[i] : '?';
    line[n] = 0;
    MorvalithAppend_(reason, size, ": \"");
    MorvalithAppend_(reason, size, line);
    MorvalithAppend_(reason, size, "\"");
}

/* msvcrt's FILE record: 32 bytes with the descriptor at 16 in a 32-bit
 * process; 48 bytes with it at 28 in a 64-bit one (three pointers), x64 or
 * ARM64. The kind of DLL this process takes: an ARM64 process (not ARM64EC,
 * which takes the x64 one) needs the ARM64 Morvalith.dll. */
#if defined(_WIN64)
#define MORVALITH_CRT_FILE_SIZE_ 48
#define MORVALITH_CRT_FILE_DESCRIPTOR_ 28
#if (defined(_M_ARM64) || defined(__aarch64__)) && !defined(_M_ARM64EC) && !defined(__arm64ec__)
#define MORVALITH_KIND_TEXT_ "an ARM64"
#else
#define MORVALITH_KIND_TEXT_ "a 64-bit"
#endif
#else
#define MORVALITH_CRT_FILE_SIZE_ 32
#define MORVALITH_CRT_FILE_DESCRIPTOR_ 16
#define MORVALITH_KIND_TEXT_ "a 32-bit"
#endif

typedef int(__cdecl *MorvalithCrtInt_)(int);
typedef int(__cdecl *MorvalithCrtDup2_)(int, int);
typedef int(__cdecl *MorvalithCrtOpenHandle_)(INT_PTR, int);
typedef int(__cdecl *MorvalithCrtFlush_)(void *);
typedef int(__cdecl *MorvalithCrtFileno_)(void *);
typedef int(__cdecl *MorvalithCrtOpen_)(const char *, int, ...);

/* Loads Morvalith.dll with LoadLibraryA. On success returns the module and
 * an empty reason; on failure NULL and one line in plain words in reason
 * (reasonSize bytes, terminated): not found (error 126), not a DLL of the
 * program's kind (193: a 64-bit program needs the x64 Morvalith.dll, an
 * ARM64 one the ARM64 Morvalith.dll), or
 * refused to load (1114) with the library's own reason. The last
 * error is the load's. */
static HMODULE MorvalithLoadLibrary(char *reason, size_t reasonSize)
{
    HMODULE crt = LoadLibraryA("msvcrt.dll");
    MorvalithCrtInt_ dup_ = crt ? (MorvalithCrtInt_)(void *)GetProcAddress(crt, "_dup") : NULL;
    MorvalithCrtDup2_ dup2_ = crt ? (MorvalithCrtDup2_)(void *)GetProcAddress(crt, "_dup2") : NULL;
    MorvalithCrtInt_ close_ = crt ? (MorvalithCrtInt_)(void *)GetProcAddress(crt, "_close") : NULL;
    MorvalithCrtOpenHandle_ open_ = crt ? (MorvalithCrtOpenHandle_)(void *)GetProcAddress(crt, "_open_osfhandle") : NULL;
    MorvalithCrtFlush_ flush_ = crt ? (MorvalithCrtFlush_)(void *)GetProcAddress(crt, "fflush") : NULL;
    MorvalithCrtFileno_ fileno_ = crt ? (MorvalithCrtFileno_)(void *)GetProcAddress(crt, "_fileno") : NULL;
    MorvalithCrtOpen_ openName_ = crt ? (MorvalithCrtOpen_)(void *)GetProcAddress(crt, "_open") : NULL;
    /* msvcrt's stdout, the library's: _iob[1]. */
    char *iob = crt ? (char *)(void *)GetProcAddress(crt, "_iob") : NULL;
    void *crtStdout = iob ? iob + MORVALITH_CRT_FILE_SIZE_ : NULL;
    int out = -1;
    HANDLE standard = GetStdHandle(STD_OUTPUT_HANDLE);
    HANDLE caught = INVALID_HANDLE_VALUE, writer = NULL;
    int saved = -1, redirected = 0;
    char folder[MAX_PATH], file[MAX_PATH];
    HMODULE dll;
    DWORD error;

    if (reason && reasonSize) reason[0] = 0;
    /* The library's lines, caught in a temporary file of this process's own
     * while the load runs. */
    if (dup_ && dup2_ && close_ && open_ && flush_ && fileno_ && openName_ && crtStdout) {
        /* A GUI program started from Explorer has no standard output, and
         * msvcrt then ties stdout to no descriptor (-2) and drops what is
         * printed to it: tie it to NUL, where it went before, through the
         * descriptor field of msvcrt's FILE record (freopen refuses such
         * a stream). */
        out = fileno_(crtStdout);
        if (out < 0) {
            out = openName_("NUL", 0x8001 /* _O_WRONLY | _O_BINARY */);
            if (out >= 0) *(int *)((char *)crtStdout + MORVALITH_CRT_FILE_DESCRIPTOR_) = out;
        }
    }
    if (out >= 0 && GetTempPathA(sizeof(folder), folder) && GetTempFileNameA(folder, "mvl", 0, file)) {
        caught = CreateFileA(file, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                             NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, NULL);
        if (caught == INVALID_HANDLE_VALUE) DeleteFileA(file);
    }
    if (caught != INVALID_HANDLE_VALUE &&
        DuplicateHandle(GetCurrentProcess(), caught, GetCurrentProcess(), &writer, 0, FALSE, DUPLICATE_SAME_ACCESS)) {
        int fd = open_((INT_PTR)writer, 0);
        if (fd >= 0) {
            flush_(NULL);
            saved = dup_(out); /* -1 when the program has no standard output */
            redirected = dup2_(fd, out) == 0;
            close_(fd);
        } else {
            CloseHandle(writer);
        }
    }

    dll = LoadLibraryA("Morvalith.dll");
    error = GetLastError();

    if (redirected) {
        flush_(NULL);
        if (saved >= 0) dup2_(saved, out);
        else close_(out);
    }
    if (saved >= 0) close_(saved);
    /* msvcrt's _dup2 on descriptor 1 sets the process's standard output
     * handle as well: the program's own, whatever its runtime, comes back. */
    SetStdHandle(STD_OUTPUT_HANDLE, standard);

    if (!dll && reason && reasonSize) {
        if (error == ERROR_MOD_NOT_FOUND) {
            MorvalithAppend_(reason, reasonSize,
                             "Morvalith.dll was not found (error 126): Windows looked in the program's folder, the "
                             "current folder, the system folders and the folders of PATH");
        } else if (error == ERROR_BAD_EXE_FORMAT) {
            MorvalithAppend_(reason, reasonSize, "Morvalith.dll is not " MORVALITH_KIND_TEXT_ " Windows DLL (error 193)");
        } else if (error == ERROR_DLL_INIT_FAILED) {
            MorvalithAppend_(reason, reasonSize, "Morvalith.dll refused to load (error 1114)");
            if (caught != INVALID_HANDLE_VALUE) {
                char text[2048];
                DWORD length = 0;
                SetFilePointer(caught, 0, NULL, FILE_BEGIN);
                if (ReadFile(caught, text, sizeof(text), &length, NULL))
                    MorvalithAppendLibLine_(reason, reasonSize, text, length);
            }
            MorvalithAppend_(reason, reasonSize, ". Run morvalith-check.exe to find out why and to save a report for "
                                                 "support.");
        } else {
            MorvalithAppend_(reason, reasonSize, "Morvalith.dll could not be loaded (error ");
            MorvalithAppendNumber_(reason, reasonSize, error);
            MorvalithAppend_(reason, reasonSize, ")");
        }
    }
    if (caught != INVALID_HANDLE_VALUE) CloseHandle(caught);
    if (crt) FreeLibrary(crt);
    SetLastError(error);
    return dll;
}

#ifdef __cplusplus
}
#endif

#endif
