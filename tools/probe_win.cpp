// morvalith-probe.exe: loads the real Morvalith.dll and shows what a host sees.
#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <stdio.h>
#include <string.h>

#include "capture_win.h"

typedef char(__cdecl *GetUSBDriveLetterFn)(void);
typedef int(__stdcall *GetIDKeyFn)(unsigned char *key);

static int RealDll(void);

int main(int argc, char **argv)
{
    // Binary mode: the library's lines reach the pipe byte for byte, "\n" and all.
    _setmode(_fileno(stdout), _O_BINARY);
    if (argc == 3 && !strcmp(argv[1], "--capture")) return CaptureToFile(argv[2]);
    bool explain = argc == 2 && !strcmp(argv[1], "--explain");
    if (argc != 1 && !explain) {
        fprintf(stderr, "usage: morvalith-probe.exe [--capture FILE | --explain]\n");
        return 2;
    }
    int predicted = -1;
    if (explain) {
        predicted = ExplainLive();
        if (predicted < 0) return 2;
        printf("\nthe real Morvalith.dll on this machine:\n");
    }
    int loaded = RealDll();
    if (explain) {
        if (loaded == !predicted) printf("the real DLL agrees with the explanation: it %s\n", loaded ? "loads" : "refuses to load");
        else printf("the real DLL DISAGREES with the explanation: it %s\n", loaded ? "loads" : "refuses to load");
    }
    return loaded ? 0 : 1;
}

// Loads the real DLL as a host does and says what it saw; 1 when it loaded.
static int RealDll(void)
{
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof(version);
    GetVersionExA(&version);
    printf("machine: Windows %lu.%lu, platform %lu\n", version.dwMajorVersion, version.dwMinorVersion,
           version.dwPlatformId);
    fflush(stdout);
    HMODULE library = LoadLibraryA("Morvalith.dll");
    if (!library) {
        DWORD error = GetLastError();
        fflush(stdout);
        printf("load: Morvalith.dll refused to load (error %lu)\n", error);
        fflush(stdout);
        return 0;
    }
    fflush(stdout);
    printf("load: Morvalith.dll loaded\n");
    GetUSBDriveLetterFn getLetter = (GetUSBDriveLetterFn)(void *)GetProcAddress(library, "GetUSBDriveLetter");
    GetIDKeyFn getKey = (GetIDKeyFn)(void *)GetProcAddress(library, "GetIDKey");
    if (getLetter && getKey) {
        char letter = getLetter();
        if (letter) printf("GetUSBDriveLetter: %c\n", letter);
        else printf("GetUSBDriveLetter: 0 (none)\n");
        unsigned char key[32] = {};
        int ok = getKey(key);
        // The key itself is never shown: probe output goes to support staff.
        printf("GetIDKey: %d%s\n", ok, ok ? " (the 32-byte key is not shown)" : "");
        SecureZeroMemory(key, sizeof(key));
    } else {
        printf("exports: missing\n");
    }
    FreeLibrary(library);
    printf("unload: done\n");
    fflush(stdout);
    return 1;
}
