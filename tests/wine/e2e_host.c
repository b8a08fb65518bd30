/* A host for the end-to-end suites, x86, x64 and ARM64 from this one source:
 * what a real program sees of Morvalith.dll through the Win32 loader.
 *   e2e-host exports   by-name and by-ordinal look-ups agree
 *   e2e-host version   the version block as GetFileVersionInfoA reads it
 *   e2e-host call [--pending]
 *                      load, call both exports checking the stack pointer,
 *                      unload, and whether WNASPI32 went with it
 *   e2e-host boxes     load with a removable volume under E: and call GetIDKey,
 *                      printing each message box it shows (and closing it)
 *   e2e-host key MODE  load behind the stand-ins (MODE as for outcome) and
 *                      call GetIDKey, saying whether the key is the stand-in
 *                      vendor library's for the letter and the chip model
 *                      (never showing it), with any box it shows
 *   e2e-host scsi good|reject
 *                      Wine has no SCSI pass-through: answer CreateFileA and
 *                      DeviceIoControl for the flash disk in this process,
 *                      then load, showing what the device was sent
 * The ARM64 build (MORVALITH_E2E_NO_PROBE) has no explain and capture: the
 * Windows probe is C++, and Debian has no C++ runtime for ARM64 Windows. */
#include <windows.h>

#include <fcntl.h>
#include <cfgmgr32.h>
#include <io.h>
#include <stdio.h>
#include <string.h>

#include "vendor_double.h"

/* The pass-through block as the SDK lays it out for this size: 80 bytes
 * with a 44-byte header and the buffer address at 20 (x86), or 96, 56 and
 * 24 (x64 and ARM64). */
#if defined(_WIN64)
#define BLOCK_SIZE 96
#define HEADER_SIZE 56
#define BUFFER_AT 24
#else
#define BLOCK_SIZE 80
#define HEADER_SIZE 44
#define BUFFER_AT 20
#endif

#if defined(__i386__)
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
#else
/* x64 and ARM64 have one convention: nothing to compare. */
static int CallStdcall1(void *fn, void *arg, int *balanced)
{
    *balanced = 1;
    return ((int (*)(void *))fn)(arg);
}
static int CallCdecl0(void *fn, int *balanced)
{
    *balanced = 1;
    return ((int (*)(void))fn)();
}
#endif

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

/* The stand-in ASPI manager's worker, which finishes requests later. It must
 * run before Morvalith.dll loads: a thread started during a DllMain would
 * wait for the loader. */
static int StartAspiWorker(void)
{
    HMODULE aspi = LoadLibraryA("WNASPI32");
    int (*start)(void) = aspi ? (int (*)(void))(void *)GetProcAddress(aspi, "AspiDoubleStartWorker") : NULL;
    return start && start();
}

static int Call(int pending)
{
    if (pending) {
        if (!StartAspiWorker()) {
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

/* The flash disk, answered in process: kernel32's CreateFileA and
 * DeviceIoControl jump here once patched, so the library's own imports
 * reach them. */
static HANDLE diskHandle;
static BYTE diskStatus;
static BYTE lastBlock[BLOCK_SIZE];
static char openedPath[MAX_PATH];
static DWORD openedAccess, openedShare, openedDisposition, openedFlags;

static int autorunVolume; /* F: is an autorun CD-ROM volume (Vista and later) */

static HANDLE WINAPI FakeCreateFileA(LPCSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                                     DWORD disposition, DWORD flags, HANDLE templateFile)
{
    (void)security;
    (void)templateFile;
    int volume = autorunVolume && !strcmp(name, "\\\\.\\F:");
    if (strncmp(name, "\\\\?\\usbstor#", 12) != 0 && !volume) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    lstrcpynA(openedPath, name, sizeof(openedPath));
    openedAccess = access;
    openedShare = share;
    openedDisposition = disposition;
    openedFlags = flags;
    diskHandle = CreateEventA(NULL, TRUE, FALSE, NULL); /* a real handle, for CloseHandle */
    return diskHandle;
}

static BOOL WINAPI FakeDeviceIoControl(HANDLE device, DWORD code, LPVOID in, DWORD inSize, LPVOID out,
                                       DWORD outSize, LPDWORD returned, LPOVERLAPPED overlapped)
{
    (void)overlapped;
    if (device != diskHandle || code != 0x4D014 || inSize != BLOCK_SIZE || outSize != BLOCK_SIZE || in != out) {
        SetLastError(ERROR_INVALID_FUNCTION);
        return FALSE;
    }
    BYTE *block = (BYTE *)in;
    memcpy(lastBlock, block, sizeof(lastBlock));
    DWORD length;
    BYTE *buffer;
    memcpy(&length, block + 12, 4);
    memcpy(&buffer, block + BUFFER_AT, sizeof(buffer));
    if (diskStatus == 0)
        for (DWORD i = 0; i < length; ++i) buffer[i] = (BYTE)(i * 7);
    block[2] = diskStatus;
    *returned = HEADER_SIZE;
    return TRUE;
}


static int PatchIn(const char *module, const char *name, void *hook)
{
    BYTE *target = (BYTE *)(void *)GetProcAddress(LoadLibraryA(module), name);
    DWORD old;
#if defined(__aarch64__)
    /* ldr x16, #8; br x16; the hook's address: x16 is the scratch register
     * the ABI gives a call's veneers, and the hook may be anywhere. */
    static const DWORD jump[2] = {0x58000050, 0xD61F0200};
    const size_t size = 16;
    if (!target || !VirtualProtect(target, size, PAGE_EXECUTE_READWRITE, &old)) return 0;
    memcpy(target, jump, sizeof(jump));
    memcpy(target + 8, &hook, 8);
#elif defined(_WIN64)
    /* mov rax, hook; jmp rax: the hook may be more than 2 GiB away, and rax
     * carries no argument at a call. */
    const size_t size = 12;
    if (!target || !VirtualProtect(target, size, PAGE_EXECUTE_READWRITE, &old)) return 0;
    target[0] = 0x48;
    target[1] = 0xB8;
    memcpy(target + 2, &hook, 8);
    target[10] = 0xFF;
    target[11] = 0xE0;
#else
    const size_t size = 5;
    if (!target || !VirtualProtect(target, size, PAGE_EXECUTE_READWRITE, &old)) return 0;
    target[0] = 0xE9; /* jmp rel32 */
    LONG offset = (LONG)((BYTE *)hook - (target + 5));
    memcpy(target + 1, &offset, 4);
#endif
    FlushInstructionCache(GetCurrentProcess(), target, size);
    return 1;
}

static int Patch(const char *name, void *hook) { return PatchIn("kernel32.dll", name, hook); }

static int Scsi(int reject)
{
    diskStatus = reject ? 0x02 : 0x00;
    if (!Patch("CreateFileA", (void *)FakeCreateFileA) || !Patch("DeviceIoControl", (void *)FakeDeviceIoControl)) {
        printf("patch failed\n");
        return 1;
    }
    fflush(stdout);
    HMODULE m = LoadLibraryA("Morvalith.dll");
    fflush(stdout);
    DWORD error = m ? 0 : GetLastError();
    printf("opened: %s\n", openedPath[0] ? openedPath : "(nothing)");
    if (openedPath[0])
        printf("access %08lx share %lu disposition %lu flags %08lx\n", openedAccess, openedShare,
               openedDisposition, openedFlags);
    /* DataBuffer is an address: shown apart from the block. */
    BYTE *dataBuffer;
    memcpy(&dataBuffer, lastBlock + BUFFER_AT, sizeof(dataBuffer));
    printf("request:");
    for (int i = 0; i < BLOCK_SIZE; ++i) {
        if (i % 16 == 0) printf("\n  ");
        if (i >= BUFFER_AT && i < BUFFER_AT + (int)sizeof(dataBuffer)) printf("..");
        else printf("%02x", lastBlock[i]);
    }
    printf("\n");
    if (!m) {
        printf("load: refused (error %lu)\n", error);
    } else {
        IMAGE_NT_HEADERS *nt = (IMAGE_NT_HEADERS *)((BYTE *)m + ((IMAGE_DOS_HEADER *)m)->e_lfanew);
        int inside = dataBuffer >= (BYTE *)m && dataBuffer < (BYTE *)m + nt->OptionalHeader.SizeOfImage;
        printf("load: loaded; data buffer %s Morvalith.dll\n", inside ? "inside" : "OUTSIDE");
        FreeLibrary(m);
    }
    DWORD flags;
    printf("disk handle after unload: %s\n", GetHandleInformation(diskHandle, &flags) ? "open" : "closed");
    return m ? 0 : 1;
}

#ifndef MORVALITH_E2E_NO_PROBE
/* The Windows probe (tools/probe_win.cpp), run in this process so that its
 * capture meets the same stand-ins as the library. */
int ProbeMain(int argc, char **argv);
#endif

/* The autorun CD-ROM volume F: as the library and the capture look for it:
 * the drive's type and its MountedDevices value. */
static int removableVolume;

static UINT WINAPI FakeGetDriveTypeA(LPCSTR root)
{
    if (!root || strlen(root) != 3 || strcmp(root + 1, ":\\")) return DRIVE_NO_ROOT_DIR;
    char letter = (char)(root[0] & ~0x20);
    if (letter == 'C') return DRIVE_FIXED;
    if (letter == 'F' && autorunVolume) return DRIVE_CDROM;
    if (letter == 'E' && removableVolume) return DRIVE_REMOVABLE;
    return DRIVE_NO_ROOT_DIR;
}

static DWORD WINAPI FakeGetLogicalDrives(void)
{
    return (1UL << 2) | (autorunVolume ? 1UL << 5 : 0) | (removableVolume ? 1UL << 4 : 0);
}

static LONG WINAPI FakeRegQueryValueExA(HKEY key, LPCSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data,
                                        LPDWORD length)
{
    static const char text[] = "\\??\\USBSTOR#CdRom&Ven_Generic&Prod_AutoRun_Disk&Rev_8.01#7&1&0#{53f5630d-b6bf-11d0-94f2-00a0c91efb8b}";
    (void)key;
    (void)reserved;
    if (!name || strcmp(name, "\\DosDevices\\F:") != 0) return ERROR_FILE_NOT_FOUND;
    DWORD size = 2 * (sizeof(text) - 1);
    if (type) *type = REG_BINARY;
    if (data && length && *length < size) {
        *length = size;
        return ERROR_MORE_DATA;
    }
    if (data)
        for (DWORD i = 0; i < size; ++i) data[i] = i % 2 ? 0 : (BYTE)text[i / 2];
    if (length) *length = size;
    return ERROR_SUCCESS;
}


/* The flash disk's removable volume under E: (mode "volume"). Its interface
 * is registered in Wine's registry, so SetupAPI lists it and Wine answers
 * for its own device identifier; its parent, its volume name and the drive
 * are answered here. */
#define VOLUME_NAME "\\\\?\\Volume{e0e0e0e0-0000-0000-0000-00000000000e}\\"
/* The same length, with bytes of an ANSI code page that are not UTF-8 (a
 * capture must write and replay them). */
#define VOLUME_NAME_LATIN1 "\\\\?\\Volume{e0e0e0e0-0000-0000-0000-00000000000\xe9}\\"
static const char *volumeName = VOLUME_NAME;
#define PARENT_INSTANCE 0x7E57

static CONFIGRET WINAPI FakeCM_Get_Parent(PDEVINST parent, DEVINST instance, ULONG flags)
{
    (void)instance;
    (void)flags;
    *parent = PARENT_INSTANCE;
    return CR_SUCCESS;
}

static CONFIGRET WINAPI FakeCM_Get_Device_IDA(DEVINST instance, PSTR buffer, ULONG length, ULONG flags)
{
    static const char parentId[] = "USBSTOR\\DISK&VEN_GENERIC&PROD_FLASH_DISK&REV_8.01\\7&1A2B3C4D&0";
    if (instance == PARENT_INSTANCE) {
        if (length < sizeof(parentId)) return CR_BUFFER_SMALL;
        memcpy(buffer, parentId, sizeof(parentId));
        return CR_SUCCESS;
    }
    /* Wine's own answer, through the wide call that is not patched. */
    WCHAR wide[MAX_PATH];
    CONFIGRET result = CM_Get_Device_IDW(instance, wide, MAX_PATH, flags);
    if (result != CR_SUCCESS) return result;
    if (!WideCharToMultiByte(CP_ACP, 0, wide, -1, buffer, (int)length, NULL, NULL)) return CR_BUFFER_SMALL;
    return CR_SUCCESS;
}

static BOOL WINAPI FakeGetVolumeNameForVolumeMountPointA(LPCSTR point, LPSTR name, DWORD length)
{
    int root = !lstrcmpiA(point, "E:\\");
    /* Only the flash disk's volume is mounted (at E:); another registered
     * removable volume has no mount point. */
    static const char interfacePrefix[] = "\\\\?\\storage#volume#_??_usbstor#disk&ven_generic&prod_flash_disk";
    int volume = !strncmp(point, interfacePrefix, sizeof(interfacePrefix) - 1);
    if ((!root && !volume) || length < sizeof(VOLUME_NAME)) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return FALSE;
    }
    memcpy(name, volumeName, sizeof(VOLUME_NAME));
    return TRUE;
}

/* mode: "good", "reject", "autorun" (the disk answers through F:), "volume"
 * (it answers, and has a removable volume under E:) or both, "autorun+volume". */
static int PatchDisk(const char *mode)
{
    if (!strcmp(mode, "aspi-pending")) return StartAspiWorker();
    diskStatus = !strcmp(mode, "reject") ? 0x02 : 0x00;
    autorunVolume = strstr(mode, "autorun") != NULL;
    removableVolume = strstr(mode, "volume") != NULL;
    if (strstr(mode, "latin1")) volumeName = VOLUME_NAME_LATIN1;
    if ((autorunVolume || removableVolume) &&
        !(PatchIn("kernel32.dll", "GetDriveTypeA", (void *)FakeGetDriveTypeA) &&
          PatchIn("kernel32.dll", "GetLogicalDrives", (void *)FakeGetLogicalDrives)))
        return 0;
    if (autorunVolume && !PatchIn("advapi32.dll", "RegQueryValueExA", (void *)FakeRegQueryValueExA)) return 0;
    if (removableVolume && !(PatchIn("setupapi.dll", "CM_Get_Parent", (void *)FakeCM_Get_Parent) &&
                             PatchIn("setupapi.dll", "CM_Get_Device_IDA", (void *)FakeCM_Get_Device_IDA) &&
                             PatchIn("kernel32.dll", "GetVolumeNameForVolumeMountPointA",
                                     (void *)FakeGetVolumeNameForVolumeMountPointA)))
        return 0;
    return Patch("CreateFileA", (void *)FakeCreateFileA) && Patch("DeviceIoControl", (void *)FakeDeviceIoControl);
}

/* The outcome a host sees, in the plain probe's words. */
static int Outcome(const char *mode)
{
    if (!PatchDisk(mode)) return 1;
    fflush(stdout);
    HMODULE m = LoadLibraryA("Morvalith.dll");
    fflush(stdout);
    if (!m) {
        printf("load: Morvalith.dll refused to load (error %lu)\n", GetLastError());
        return 1;
    }
    printf("load: Morvalith.dll loaded\n");
    char (*letterFn)(void) = (char (*)(void))(void *)GetProcAddress(m, "GetUSBDriveLetter");
    int(__stdcall * keyFn)(unsigned char *) = (int(__stdcall *)(unsigned char *))(void *)GetProcAddress(m, "GetIDKey");
    char letter = letterFn();
    if (letter) printf("GetUSBDriveLetter: %c\n", letter);
    else printf("GetUSBDriveLetter: 0 (none)\n");
    unsigned char key[32];
    int ok = keyFn(key);
    printf("GetIDKey: %d%s\n", ok, ok ? " (the 32-byte key is not shown)" : "");
    FreeLibrary(m);
    return 0;
}

/* Message boxes as the user sees them: a CBT hook reads the caption and the
 * text of each box as it is activated, and answers OK. */
static HHOOK boxHook;

static LRESULT CALLBACK BoxWatch(int code, WPARAM wParam, LPARAM lParam)
{
    char kind[16] = "";
    static HWND last;
    if (code == HCBT_ACTIVATE && GetClassNameA((HWND)wParam, kind, sizeof(kind)) && !strcmp(kind, "#32770") &&
        (HWND)wParam != last) {
        HWND box = last = (HWND)wParam;
        char caption[128] = "", text[256] = "";
        GetWindowTextA(box, caption, sizeof(caption));
        GetDlgItemTextA(box, 0xFFFF, text, sizeof(text));
        printf("message box \"%s\": %s [%s]\n", caption, text, GetDlgItem(box, IDOK) ? "OK" : "no OK button");
        PostMessageA(box, WM_COMMAND, IDOK, 0);
    }
    return CallNextHookEx(boxHook, code, wParam, lParam);
}

static int Boxes(void)
{
    if (!PatchDisk("volume")) return 1;
    boxHook = SetWindowsHookExA(WH_CBT, BoxWatch, NULL, GetCurrentThreadId());
    fflush(stdout);
    HMODULE m = LoadLibraryA("Morvalith.dll");
    fflush(stdout);
    if (!m || !boxHook) {
        printf("load: %s\n", m ? "no hook" : "refused");
        return 1;
    }
    int(__stdcall * keyFn)(unsigned char *) = (int(__stdcall *)(unsigned char *))(void *)GetProcAddress(m, "GetIDKey");
    unsigned char key[32];
    printf("GetIDKey: %d\n", keyFn(key));
    FreeLibrary(m);
    UnhookWindowsHookEx(boxHook);
    return 0;
}

/* GetIDKey behind the stand-ins, with its boxes read and closed: whether
 * the key is exactly the stand-in vendor library's for the letter and the
 * chip model the library names (the key itself is never printed). */
static int Key(const char *mode)
{
    if (!PatchDisk(mode)) return 1;
    boxHook = SetWindowsHookExA(WH_CBT, BoxWatch, NULL, GetCurrentThreadId());
    fflush(stdout);
    HMODULE m = LoadLibraryA("Morvalith.dll");
    fflush(stdout);
    if (!m) {
        printf("load: refused (error %lu)\n", GetLastError());
        return 1;
    }
    int(__stdcall * keyFn)(unsigned char *) = (int(__stdcall *)(unsigned char *))(void *)GetProcAddress(m, "GetIDKey");
    /* An inheritable handle of the host's own, named to the stand-in vendor
     * library: a helper that inherits it fails the call. */
    char value[32];
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), NULL, TRUE};
    HANDLE own = getenv("MORVALITH_INHERITABLE") ? CreateEventA(&inherit, TRUE, FALSE, NULL) : NULL;
    if (own) {
        sprintf(value, "%lx", (unsigned long)(ULONG_PTR)own);
        SetEnvironmentVariableA("MORVALITH_HOST_HANDLE", value);
    }
    unsigned char key[40], expected[32];
    memset(key, 0xCC, sizeof(key));
    int ok = keyFn(key + 4);
    StandInKey('E', "ChipsbankCBM2076", expected);
    int untouched = 1, guards = 1;
    for (int i = 0; i < 32; ++i) untouched &= key[4 + i] == 0xCC;
    for (int i = 0; i < 4; ++i) guards &= key[i] == 0xCC && key[36 + i] == 0xCC;
    printf("GetIDKey: %d; key %s%s\n", ok,
           untouched ? "untouched" : !memcmp(key + 4, expected, 32) ? "the stand-in's for E: and ChipsbankCBM2076"
                                                                   : "NOT the stand-in's",
           guards ? "" : "; WRITTEN PAST ITS 32 BYTES");
    if (own) CloseHandle(own);
    FreeLibrary(m);
    if (boxHook) UnhookWindowsHookEx(boxHook);
    return 0;
}

#ifndef MORVALITH_E2E_NO_PROBE
/* morvalith-probe.exe --capture FILE or --explain behind the stand-ins. */
static int ProbeBehindStandIns(const char *mode, const char *option, char *file)
{
    char program[] = "morvalith-probe.exe";
    char *args[] = {program, (char *)option, file, NULL};
    if (!PatchDisk(mode)) return 1;
    return ProbeMain(file ? 3 : 2, args);
}
#endif

int main(int argc, char **argv)
{
    _setmode(_fileno(stdout), _O_BINARY);
    if (argc >= 2 && !strcmp(argv[1], "exports")) return Exports();
    if (argc >= 2 && !strcmp(argv[1], "version")) return Version();
    if (argc >= 2 && !strcmp(argv[1], "boxes")) return Boxes();
    if (argc >= 2 && !strcmp(argv[1], "call")) return Call(argc >= 3 && !strcmp(argv[2], "--pending"));
    if (argc >= 3 && !strcmp(argv[1], "scsi")) return Scsi(!strcmp(argv[2], "reject"));
    if (argc >= 3 && !strcmp(argv[1], "outcome")) return Outcome(argv[2]);
    if (argc >= 3 && !strcmp(argv[1], "key")) return Key(argv[2]);
#ifndef MORVALITH_E2E_NO_PROBE
    if (argc >= 3 && !strcmp(argv[1], "explain")) return ProbeBehindStandIns(argv[2], "--explain", NULL);
    if (argc >= 4 && !strcmp(argv[1], "capture")) return ProbeBehindStandIns(argv[3], "--capture", argv[2]);
#endif
    fprintf(stderr, "usage: e2e-host exports|version|boxes|call [--pending]|scsi good|reject|outcome|explain MODE|capture FILE MODE (MODE: good, reject, autorun, volume, aspi-pending)\n");
    return 2;
}
