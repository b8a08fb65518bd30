#include "vendor.h"

#include <string.h>

#include "state.h"

typedef int(WINAPI *VendorProductInfoFn)(char driveLetter, char *chipModel, BYTE *productInfo);

void WipeBytes(void *buffer, size_t size)
{
    volatile BYTE *p = (volatile BYTE *)buffer;
    while (size--) *p++ = 0;
}

void CallVendorLibrary(char driveLetter, VendorAnswer *answer, DWORD *loadError)
{
    WipeBytes(answer, sizeof(*answer));
    *loadError = 0;
    HMODULE vendor = LoadLibraryA(MORVALITH_VENDOR_LIBRARY);
    if (!vendor) {
        *loadError = GetLastError();
        answer->outcome = kVendorNoLibrary;
        return;
    }
    // The library stays loaded: a later call only adds a reference.
    VendorProductInfoFn getProductInfo =
        (VendorProductInfoFn)(void *)GetProcAddress(vendor, MORVALITH_VENDOR_ENTRY_POINT);
    if (!getProductInfo) {
        answer->outcome = kVendorNoEntryPoint;
        return;
    }
    // The vendor library is handed the model text past its five-byte tag,
    // and a zeroed record: a call that claims success without writing it
    // cannot hand over stale stack bytes.
    char chipModel[260] = "<tag>" MORVALITH_CHIP_MODEL;
    BYTE productInfo[kProductInfoSize];
    WipeBytes(productInfo, sizeof(productInfo));
    answer->outcome = kVendorCalled;
    answer->result = getProductInfo(driveLetter, chipModel + 5, productInfo);
    if (answer->result == 0) memcpy(answer->key, productInfo + kKeyOffset, kKeySize);
    WipeBytes(productInfo, sizeof(productInfo));
}

// The letter: the first argument after the program's (quoted) name, alone.
static char LetterArgument(LPCSTR line)
{
    if (!line) return 0;
    if (*line == '"') {
        ++line;
        while (*line && *line != '"') ++line;
        if (*line) ++line;
    } else {
        while (*line && *line != ' ' && *line != '\t') ++line;
    }
    while (*line == ' ' || *line == '\t') ++line;
    char letter = line[0];
    bool alone = letter && (line[1] == 0 || line[1] == ' ' || line[1] == '\t');
    return letter >= 'A' && letter <= 'Z' && alone ? letter : 0;
}

DWORD RunVendorHelper(LPCSTR commandLine, HANDLE output)
{
    char letter = LetterArgument(commandLine);
    if (!letter) return 2;
    VendorAnswer answer;
    DWORD loadError;
    CallVendorLibrary(letter, &answer, &loadError);
    DWORD written = 0;
    if (output && output != INVALID_HANDLE_VALUE) WriteFile(output, &answer, sizeof(answer), &written, NULL);
    WipeBytes(&answer, sizeof(answer));
    return 0;
}

#if MORVALITH_64BIT
// The helper's path: the folder the library was loaded from, and its name.
// A path the system cut short, or one without room for the name and its
// terminator, starts nothing.
static int HelperPath(char *path, DWORD size)
{
    DWORD n = GetModuleFileNameA(g_library.module, path, size);
    if (n == 0 || n >= size) return 0;
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

// The extended startup record and the handle-list attribute, as Vista's SDK
// declares them (STARTUPINFOEXA, PROC_THREAD_ATTRIBUTE_HANDLE_LIST): the
// headers are held to NT 5.2, where neither is declared.
struct StartupWithAttributes {
    STARTUPINFOA info;
    LPPROC_THREAD_ATTRIBUTE_LIST attributes;
};
static_assert(sizeof(StartupWithAttributes) == MORVALITH_BY_SIZE(72, 112), "STARTUPINFOEXA");
const DWORD_PTR kHandleListAttribute = 0x00020002;  // ProcThreadAttributeHandleList, an input

typedef BOOL(WINAPI *InitializeAttributesFn)(LPPROC_THREAD_ATTRIBUTE_LIST list, DWORD count, DWORD flags,
                                             PSIZE_T size);
typedef BOOL(WINAPI *UpdateAttributeFn)(LPPROC_THREAD_ATTRIBUTE_LIST list, DWORD flags, DWORD_PTR attribute,
                                        PVOID value, SIZE_T size, PVOID previous, PSIZE_T returned);
typedef void(WINAPI *DeleteAttributesFn)(LPPROC_THREAD_ATTRIBUTE_LIST list);

// On Vista and later the helper is given a list of the handles it may
// inherit: the pipe's write end alone, whatever else the host has made
// inheritable. Older systems lack the list (the x64 floor is NT 5.2), and
// there the helper inherits every inheritable handle of the host. Returns
// the list, allocated on the process heap, or NULL where there is none.
static LPPROC_THREAD_ATTRIBUTE_LIST InheritOnly(HANDLE *handle, DeleteAttributesFn *deleteList)
{
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    if (!kernel) return NULL;
    InitializeAttributesFn initialize =
        (InitializeAttributesFn)(void *)GetProcAddress(kernel, "InitializeProcThreadAttributeList");
    UpdateAttributeFn update = (UpdateAttributeFn)(void *)GetProcAddress(kernel, "UpdateProcThreadAttribute");
    *deleteList = (DeleteAttributesFn)(void *)GetProcAddress(kernel, "DeleteProcThreadAttributeList");
    if (!initialize || !update || !*deleteList) return NULL;
    SIZE_T size = 0;
    initialize(NULL, 1, 0, &size);
    if (size == 0) return NULL;
    HANDLE heap = GetProcessHeap();
    LPPROC_THREAD_ATTRIBUTE_LIST list = (LPPROC_THREAD_ATTRIBUTE_LIST)HeapAlloc(heap, 0, size);
    if (!list) return NULL;
    if (!initialize(list, 1, 0, &size)) {
        HeapFree(heap, 0, list);
        return NULL;
    }
    // The list keeps the address, not the handle: *handle must outlive it.
    if (!update(list, 0, kHandleListAttribute, handle, sizeof(*handle), NULL, NULL)) {
        (*deleteList)(list);
        HeapFree(heap, 0, list);
        return NULL;
    }
    return list;
}

DWORD CallVendorThroughHelper(char driveLetter, VendorAnswer *answer)
{
    WipeBytes(answer, sizeof(*answer));
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
    // for the helper's start.
    HANDLE readEnd = NULL, writeEnd = NULL;
    if (!CreatePipe(&readEnd, &writeEnd, NULL, 0)) return kHelperNotStarted;
    StartupWithAttributes startup;
    memset(&startup, 0, sizeof(startup));
    startup.info.cb = sizeof(STARTUPINFOA);
    startup.info.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
    startup.info.wShowWindow = SW_HIDE;
    startup.info.hStdOutput = writeEnd;
    DWORD flags = CREATE_NO_WINDOW;
    DeleteAttributesFn deleteList = NULL;
    startup.attributes = InheritOnly(&writeEnd, &deleteList);
    if (startup.attributes) {
        startup.info.cb = sizeof(startup);
        flags |= EXTENDED_STARTUPINFO_PRESENT;
    }
    PROCESS_INFORMATION helper;
    memset(&helper, 0, sizeof(helper));
    BOOL started = SetHandleInformation(writeEnd, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT) &&
                   CreateProcessA(path, commandLine, NULL, NULL, TRUE, flags, NULL, NULL, &startup.info,
                                  &helper);
    if (startup.attributes) {
        deleteList(startup.attributes);
        HeapFree(GetProcessHeap(), 0, startup.attributes);
    }
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
               ReadAll(readEnd, (BYTE *)answer, sizeof(*answer)) == sizeof(*answer) &&
               answer->outcome <= kVendorNoEntryPoint) {
        outcome = answer->outcome;
    }
    CloseHandle(helper.hProcess);
    CloseHandle(readEnd);
    if (outcome != kVendorCalled) WipeBytes(answer, sizeof(*answer));
    return outcome;
}
#endif
