#include "vendor.h"

#include <string.h>

#include "state.h"

void WipeBytes(void *buffer, size_t size)
{
    volatile BYTE *p = (volatile BYTE *)buffer;
    while (size--) *p++ = 0;
}

#if MORVALITH_64BIT
// The helper's path: the folder the library was loaded from, and its name.
static int HelperPath(char *path, DWORD size)
{
    DWORD n = GetModuleFileNameA(g_library.module, path, size);
    if (n == 0 || n >= size) return 0;  // failed, or cut short
    char *slash = strrchr(path, '\\');
    size_t folder = slash ? (size_t)(slash + 1 - path) : 0;
    if (folder + sizeof(MORVALITH_VENDOR_HELPER) > size) return 0;
    memcpy(path + folder, MORVALITH_VENDOR_HELPER, sizeof(MORVALITH_VENDOR_HELPER));
    return 1;
}

// Reads exactly size bytes, or fewer when the writer ends first.
static DWORD ReadAll(HANDLE pipe, BYTE *buffer, DWORD size)
{
    DWORD total = 0;
    while (total < size) {
        DWORD read = 0;
        if (!ReadFile(pipe, buffer + total, size - total, &read, NULL) || read == 0) break;
        total += read;
    }
    return total;
}

DWORD CallVendorThroughHelper(char driveLetter, VendorHelperRecord *record)
{
    char path[MAX_PATH];
    if (!HelperPath(path, sizeof(path))) return kHelperNotStarted;
    // The command line: the quoted program and the letter; the key never
    // goes on it, nor into the environment.
    char commandLine[MAX_PATH + 8];
    size_t length = strlen(path);
    commandLine[0] = '"';
    memcpy(commandLine + 1, path, length);
    commandLine[length + 1] = '"';
    commandLine[length + 2] = ' ';
    commandLine[length + 3] = driveLetter;
    commandLine[length + 4] = 0;

    // Neither end is inheritable when made: the write end becomes so just
    // for the helper's start, so that only it inherits the pipe.
    HANDLE readEnd = NULL, writeEnd = NULL;
    if (!CreatePipe(&readEnd, &writeEnd, NULL, 0)) return kHelperNotStarted;
    STARTUPINFOA startup;
    memset(&startup, 0, sizeof(startup));
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    startup.hStdOutput = writeEnd;
    PROCESS_INFORMATION helper;
    memset(&helper, 0, sizeof(helper));
    BOOL started = SetHandleInformation(writeEnd, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT) &&
                   CreateProcessA(path, commandLine, NULL, NULL, TRUE, CREATE_NO_WINDOW, NULL, NULL, &startup,
                                  &helper);
    // The helper holds its own copy: with ours closed, the read ends when it does.
    CloseHandle(writeEnd);
    if (!started) {
        CloseHandle(readEnd);
        return kHelperNotStarted;
    }
    CloseHandle(helper.hThread);

    DWORD outcome = kHelperFailed;
    DWORD exitCode = STILL_ACTIVE;
    if (WaitForSingleObject(helper.hProcess, kVendorHelperTimeoutMs) != WAIT_OBJECT_0) {
        // Hung (or the wait failed): it must not outlive the call.
        TerminateProcess(helper.hProcess, 1);
    } else if (GetExitCodeProcess(helper.hProcess, &exitCode) && exitCode == 0 &&
               ReadAll(readEnd, (BYTE *)record, sizeof(*record)) == sizeof(*record) &&
               record->outcome <= kHelperNoEntryPoint) {
        outcome = record->outcome;
    }
    CloseHandle(helper.hProcess);
    CloseHandle(readEnd);
    if (outcome != kHelperCalled) WipeBytes(record, sizeof(*record));
    return outcome;
}
#endif
