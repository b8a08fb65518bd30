/* Contract probes of the Win32 subset the library, the capture and a scenario
 * reach: one call per probe after SetLastError(0xdeadbeef), one line per probe
 * with the result, the last error and what the call wrote. Built against the
 * simulated machine (host build) and as a Windows program (run under Wine on a
 * prefix set up as the same machine); expected.txt holds what Windows answers,
 * with the source that says so. */
#if defined(_WIN32) && !defined(MORVALITH_SIMULATED)
#include <windows.h>
#include <setupapi.h>
#include <cfgmgr32.h>
#ifndef ERROR_NOT_A_REPARSE_POINT
#define ERROR_NOT_A_REPARSE_POINT 4390L
#endif
#else
#include "win32.h"
#endif

#include <stdarg.h>
#include <stdio.h>
#include <string.h>

typedef CONFIGRET(WINAPI *ParentFn)(PDEVINST, DEVINST, ULONG);
typedef CONFIGRET(WINAPI *DeviceIdFn)(DEVINST, PSTR, ULONG, ULONG);

static const GUID kDiskInterface = {0x53F56307, 0xB6BF, 0x11D0, {0x94, 0xF2, 0x00, 0xA0, 0xC9, 0x1E, 0xFB, 0x8B}};
static const GUID kVolumeInterface = {0x53F5630D, 0xB6BF, 0x11D0, {0x94, 0xF2, 0x00, 0xA0, 0xC9, 0x1E, 0xFB, 0x8B}};
/* The part of the flash disk's paths and identifiers that both machines share. */
static const char kFlashDisk[] = "usbstor#disk&ven_generic&prod_flash_disk&rev_8.01#7&1a2b3c4d&0";

static void Line(const char *name, const char *format, ...)
{
    va_list arguments;
    printf("%s: ", name);
    va_start(arguments, format);
    vprintf(format, arguments);
    va_end(arguments);
    printf("\n");
}

/* The last error as a probe shows it: "untouched" when the call left it. */
static const char *Error(void)
{
    static char text[32];
    DWORD error = GetLastError();
    if (error == 0xdeadbeef) return "untouched";
    sprintf(text, "%lu", (unsigned long)error);
    return text;
}

/* After a call that succeeded the last error is not part of the contract
 * (Windows and Wine leave whatever their own inner calls set): shown only
 * for a failure. */
static const char *ErrorIf(int failed)
{
    static char text[48];
    if (!failed) return "";
    sprintf(text, " error=%s", Error());
    return text;
}

static const char *Bool(BOOL value) { return value ? "TRUE" : "FALSE"; }

static const char *Guid(const GUID *g)
{
    static char text[40];
    sprintf(text, "{%08lx-%04x-%04x-%02x%02x-%02x%02x%02x%02x%02x%02x}", (unsigned long)g->Data1, g->Data2,
            g->Data3, g->Data4[0], g->Data4[1], g->Data4[2], g->Data4[3], g->Data4[4], g->Data4[5], g->Data4[6],
            g->Data4[7]);
    return text;
}

static void Lower(char *s)
{
    for (; *s; ++s)
        if (*s >= 'A' && *s <= 'Z') *s = (char)(*s - 'A' + 'a');
}

/* Whether s, lower-cased, holds the flash disk's part. */
static int NamesFlashDisk(const char *s)
{
    char copy[MAX_PATH];
    size_t i;
    for (i = 0; i + 1 < sizeof(copy) && s[i]; ++i) copy[i] = (s[i] == '\\') ? '#' : s[i];
    copy[i] = 0;
    Lower(copy);
    return strstr(copy, kFlashDisk) != NULL;
}

#define RESET() SetLastError(0xdeadbeef)

static void Version(void)
{
    OSVERSIONINFOA v;
    OSVERSIONINFOEXA x;
    BOOL ok;

    memset(&v, 0, sizeof(v));
    RESET();
    ok = GetVersionExA(&v);
    Line("GetVersionExA.size-0", "%s%s", Bool(ok), ErrorIf(!ok));

    memset(&v, 0, sizeof(v));
    v.dwOSVersionInfoSize = sizeof(v) / 2;
    RESET();
    ok = GetVersionExA(&v);
    Line("GetVersionExA.size-half", "%s%s", Bool(ok), ErrorIf(!ok));

    memset(&v, 0, sizeof(v));
    v.dwOSVersionInfoSize = sizeof(v) + 1;
    RESET();
    ok = GetVersionExA(&v);
    Line("GetVersionExA.size-plus-one", "%s%s", Bool(ok), ErrorIf(!ok));

    memset(&v, 0xcc, sizeof(v));
    v.dwOSVersionInfoSize = sizeof(v);
    RESET();
    ok = GetVersionExA(&v);
    Line("GetVersionExA.plain", "%s%s version=%lu.%lu.%lu platform=%lu csd=\"%s\"", Bool(ok), ErrorIf(!ok),
         (unsigned long)v.dwMajorVersion, (unsigned long)v.dwMinorVersion, (unsigned long)v.dwBuildNumber,
         (unsigned long)v.dwPlatformId, v.szCSDVersion);

    memset(&x, 0xcc, sizeof(x));
    x.dwOSVersionInfoSize = sizeof(x);
    RESET();
    ok = GetVersionExA((OSVERSIONINFOA *)&x);
    Line("GetVersionExA.ex", "%s%s version=%lu.%lu csd=\"%s\" servicepack=%u.%u producttype=%u",
         Bool(ok), ErrorIf(!ok), (unsigned long)x.dwMajorVersion, (unsigned long)x.dwMinorVersion, x.szCSDVersion,
         x.wServicePackMajor, x.wServicePackMinor, x.wProductType);
}

static void Heap(void)
{
    HANDLE heap = GetProcessHeap();
    BYTE *block;
    BOOL ok;
    int zero = 1, i;

    RESET();
    block = (BYTE *)HeapAlloc(heap, HEAP_ZERO_MEMORY, 32);
    for (i = 0; block && i < 32; ++i) zero &= block[i] == 0;
    Line("HeapAlloc.zeroed", "%s%s zeroed=%s", block ? "block" : "NULL", ErrorIf(!block), zero ? "yes" : "no");
    RESET();
    ok = HeapFree(heap, 0, block);
    Line("HeapFree.block", "%s%s", Bool(ok), ErrorIf(!ok));

    RESET();
    block = (BYTE *)HeapAlloc(heap, 0, 0);
    Line("HeapAlloc.zero-bytes", "%s%s", block ? "block" : "NULL", ErrorIf(!block));
    if (block) HeapFree(heap, 0, block);

    RESET();
    ok = HeapFree(heap, 0, NULL);
    Line("HeapFree.null", "%s%s", Bool(ok), ErrorIf(!ok));
}

static void Files(const char *diskPath)
{
    HANDLE h;
    BOOL ok;
    DWORD returned = 0;
    BYTE block[80];

    RESET();
    h = CreateFileA("", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                    NULL);
    Line("CreateFileA.empty-name", "%s%s", h == INVALID_HANDLE_VALUE ? "INVALID" : "handle", ErrorIf(h == INVALID_HANDLE_VALUE));
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);

    RESET();
    h = CreateFileA("\\\\.\\morvalith_no_such_device", 0, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING,
                    FILE_ATTRIBUTE_NORMAL, NULL);
    Line("CreateFileA.missing-device", "%s%s", h == INVALID_HANDLE_VALUE ? "INVALID" : "handle", ErrorIf(h == INVALID_HANDLE_VALUE));
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);

    /* The flash disk is registered but not attached: no device answers its path. */
    RESET();
    h = CreateFileA(diskPath, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING,
                    FILE_ATTRIBUTE_NORMAL, NULL);
    Line("CreateFileA.registered-unattached-disk", "%s%s", h == INVALID_HANDLE_VALUE ? "INVALID" : "handle",
         ErrorIf(h == INVALID_HANDLE_VALUE));
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);

    RESET();
    ok = CloseHandle(NULL);
    Line("CloseHandle.null", "%s%s", Bool(ok), ErrorIf(!ok));

    RESET();
    ok = CloseHandle(INVALID_HANDLE_VALUE);
    Line("CloseHandle.current-process-pseudo-handle", "%s%s", Bool(ok), ErrorIf(!ok));

    memset(block, 0, sizeof(block));
    RESET();
    ok = DeviceIoControl(NULL, 0x4D014, block, sizeof(block), block, sizeof(block), &returned, NULL);
    Line("DeviceIoControl.null-handle", "%s%s", Bool(ok), ErrorIf(!ok));
}

/* The root names GetDriveTypeA is asked about, by probe. */
static const struct {
    const char *name, *root;
} kRoots[] = {{"root", "C:\\"},        {"lower-case-root", "c:\\"}, {"no-backslash", "C:"},
              {"not-a-drive-name", "C?"}, {"letter-alone", "C"},        {"empty", ""},
              {"missing-drive", "Q:\\"}};

static void Drives(void)
{
    size_t i;
    DWORD drives;
    char volume[MAX_PATH];
    BOOL ok;
    UINT type;

    RESET();
    drives = GetLogicalDrives();
    Line("GetLogicalDrives", "C=%s Q=%s", (drives & (1UL << 2)) ? "set" : "clear",
         (drives & (1UL << 16)) ? "set" : "clear");

    for (i = 0; i < sizeof(kRoots) / sizeof(kRoots[0]); ++i) {
        char name[64];
        RESET();
        type = GetDriveTypeA(kRoots[i].root);
        sprintf(name, "GetDriveTypeA.%s", kRoots[i].name);
        Line(name, "%u", type);
    }

    memset(volume, 0, sizeof(volume));
    RESET();
    ok = GetVolumeNameForVolumeMountPointA("C:\\", volume, sizeof(volume));
    Line("GetVolumeNameForVolumeMountPointA.root", "%s%s shape=%s", Bool(ok), ErrorIf(!ok),
         strlen(volume) == 49 && !strncmp(volume, "\\\\?\\Volume{", 11) && !strcmp(volume + 47, "}\\")
             ? "\\\\?\\Volume{GUID}\\" : volume);
    RESET();
    ok = GetVolumeNameForVolumeMountPointA("C:\\", volume, 0);
    Line("GetVolumeNameForVolumeMountPointA.length-0", "%s%s", Bool(ok), ErrorIf(!ok));
    RESET();
    ok = GetVolumeNameForVolumeMountPointA("C:\\", volume, 10);
    Line("GetVolumeNameForVolumeMountPointA.length-10", "%s%s", Bool(ok), ErrorIf(!ok));
    RESET();
    ok = GetVolumeNameForVolumeMountPointA("C:\\windows\\", volume, sizeof(volume));
    Line("GetVolumeNameForVolumeMountPointA.folder", "%s%s", Bool(ok), ErrorIf(!ok));
    RESET();
    ok = GetVolumeNameForVolumeMountPointA("Q:\\", volume, sizeof(volume));
    Line("GetVolumeNameForVolumeMountPointA.missing-drive", "%s%s", Bool(ok), ErrorIf(!ok));
    RESET();
    ok = GetVolumeNameForVolumeMountPointA("Q:", volume, sizeof(volume));
    Line("GetVolumeNameForVolumeMountPointA.missing-drive-no-backslash", "%s%s", Bool(ok), ErrorIf(!ok));
}

static void Modules(HMODULE *setupapi)
{
    HMODULE kernel, missing;
    FARPROC proc;
    BOOL ok;

    RESET();
    kernel = LoadLibraryA("kernel32.dll");
    Line("LoadLibraryA.kernel32", "%s%s", kernel ? "module" : "NULL", ErrorIf(!kernel));
    RESET();
    *setupapi = LoadLibraryA("setupapi.dll");
    Line("LoadLibraryA.setupapi", "%s%s", *setupapi ? "module" : "NULL", ErrorIf(!*setupapi));
    RESET();
    missing = LoadLibraryA("morvalith_no_such_module.dll");
    Line("LoadLibraryA.missing", "%s%s", missing ? "module" : "NULL", ErrorIf(!missing));
    RESET();
    missing = LoadLibraryA("Vendor\\VendorUFDAPI.dll");
    Line("LoadLibraryA.missing-in-missing-folder", "%s%s", missing ? "module" : "NULL", ErrorIf(!missing));

    RESET();
    proc = GetProcAddress(kernel, "GetVolumeNameForVolumeMountPointA");
    Line("GetProcAddress.present", "%s%s", proc ? "entry" : "NULL", ErrorIf(!proc));
    RESET();
    proc = GetProcAddress(kernel, "MorvalithNoSuchEntry");
    Line("GetProcAddress.missing", "%s%s", proc ? "entry" : "NULL", ErrorIf(!proc));
    RESET();
    proc = GetProcAddress(*setupapi, "CM_Get_Parent");
    Line("GetProcAddress.CM_Get_Parent", "%s%s", proc ? "entry" : "NULL", ErrorIf(!proc));
    RESET();
    proc = GetProcAddress(*setupapi, "CM_Get_Device_IDA");
    Line("GetProcAddress.CM_Get_Device_IDA", "%s%s", proc ? "entry" : "NULL", ErrorIf(!proc));

    RESET();
    ok = DisableThreadLibraryCalls(kernel);
    Line("DisableThreadLibraryCalls.dll", "%s%s", Bool(ok), ErrorIf(!ok));
    RESET();
    ok = FreeLibrary(kernel);
    Line("FreeLibrary.loaded", "%s%s", Bool(ok), ErrorIf(!ok));
}

static void Events(void)
{
    HANDLE manual, signalled, automatic, named, again;
    DWORD wait, error;
    BOOL ok;

    RESET();
    manual = CreateEventA(NULL, TRUE, FALSE, NULL);
    Line("CreateEventA.manual-reset", "%s%s", manual ? "handle" : "NULL", ErrorIf(!manual));
    RESET();
    wait = WaitForSingleObject(manual, 0);
    Line("WaitForSingleObject.unsignalled", "%lu%s", (unsigned long)wait, ErrorIf(wait == WAIT_FAILED));

    RESET();
    signalled = CreateEventA(NULL, TRUE, TRUE, NULL);
    wait = WaitForSingleObject(signalled, 0);
    Line("WaitForSingleObject.signalled", "%lu%s", (unsigned long)wait, ErrorIf(wait == WAIT_FAILED));
    wait = WaitForSingleObject(signalled, 0);
    Line("WaitForSingleObject.manual-reset-stays-signalled", "%lu%s", (unsigned long)wait, ErrorIf(wait == WAIT_FAILED));

    RESET();
    automatic = CreateEventA(NULL, FALSE, TRUE, NULL);
    Line("CreateEventA.auto-reset", "%s%s", automatic ? "handle" : "NULL", ErrorIf(!automatic));
    wait = WaitForSingleObject(automatic, 0);
    Line("WaitForSingleObject.auto-reset-first", "%lu%s", (unsigned long)wait, ErrorIf(wait == WAIT_FAILED));
    wait = WaitForSingleObject(automatic, 0);
    Line("WaitForSingleObject.auto-reset-second", "%lu%s", (unsigned long)wait, ErrorIf(wait == WAIT_FAILED));

    RESET();
    named = CreateEventA(NULL, TRUE, FALSE, "morvalith_conformance_event");
    Line("CreateEventA.named", "%s%s", named ? "handle" : "NULL", ErrorIf(!named));
    RESET();
    again = CreateEventA(NULL, TRUE, FALSE, "morvalith_conformance_event");
    error = GetLastError();
    Line("CreateEventA.named-again", "%s error=%lu", again ? (again != named ? "another handle" : "same handle") : "NULL",
         (unsigned long)error);

    RESET();
    wait = WaitForSingleObject(NULL, 0);
    Line("WaitForSingleObject.null", "%lu%s", (unsigned long)wait, ErrorIf(wait == WAIT_FAILED));

    RESET();
    ok = CloseHandle(manual);
    Line("CloseHandle.event", "%s%s", Bool(ok), ErrorIf(!ok));
    RESET();
    ok = CloseHandle(manual);
    Line("CloseHandle.closed", "%s%s", Bool(ok), ErrorIf(!ok));
    RESET();
    wait = WaitForSingleObject(manual, 0);
    Line("WaitForSingleObject.closed", "%lu%s", (unsigned long)wait, ErrorIf(wait == WAIT_FAILED));
    CloseHandle(signalled);
    CloseHandle(automatic);
    if (again) CloseHandle(again);
    if (named) CloseHandle(named);
}

static void Registry(void)
{
    HKEY key = (HKEY)0x12345678, mounted = NULL;
    LONG r;
    DWORD type, length;
    BYTE data[4096];

    RESET();
    r = RegOpenKeyA(HKEY_LOCAL_MACHINE, "SYSTEM\\MountedDevices", &mounted);
    Line("RegOpenKeyA.present", "%ld key=%s", r, mounted ? "set" : "NULL");
    key = (HKEY)0x12345678;
    RESET();
    r = RegOpenKeyA(HKEY_LOCAL_MACHINE, "system\\mounteddevices", &key);
    Line("RegOpenKeyA.other-case", "%ld key=%s", r, key && key != (HKEY)0x12345678 ? "set" : "NULL");
    if (r == ERROR_SUCCESS) RegCloseKey(key);
    key = (HKEY)0x12345678;
    RESET();
    r = RegOpenKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Morvalith\\NoSuchKey", &key);
    Line("RegOpenKeyA.missing", "%ld key=%s", r,
         key == NULL ? "NULL" : key == (HKEY)0x12345678 ? "untouched" : "set");
    key = (HKEY)0x12345678;
    RESET();
    r = RegOpenKeyA(HKEY_LOCAL_MACHINE, NULL, &key);
    Line("RegOpenKeyA.null-subkey", "%ld key=%s", r,
         key == HKEY_LOCAL_MACHINE ? "the root" : key == (HKEY)0x12345678 ? "untouched" : "other");
    key = (HKEY)0x12345678;
    RESET();
    r = RegOpenKeyA(HKEY_LOCAL_MACHINE, "", &key);
    Line("RegOpenKeyA.empty-subkey", "%ld key=%s", r,
         key == HKEY_LOCAL_MACHINE ? "the root" : key == (HKEY)0x12345678 ? "untouched" : "other");
    key = (HKEY)0x12345678;
    RESET();
    r = RegOpenKeyA(NULL, "SYSTEM\\MountedDevices", &key);
    Line("RegOpenKeyA.null-root", "%ld key=%s", r,
         key == NULL ? "NULL" : key == (HKEY)0x12345678 ? "untouched" : "set");
    RESET();
    r = RegOpenKeyA(HKEY_LOCAL_MACHINE, "SYSTEM\\MountedDevices", NULL);
    Line("RegOpenKeyA.null-result", "%ld", r);

    type = 0xdeadbeef;
    length = 0xdeadbeef;
    RESET();
    r = RegQueryValueExA(mounted, "\\DosDevices\\C:", NULL, &type, NULL, &length);
    Line("RegQueryValueExA.size-query", "%ld type=%lu length=%s", r, (unsigned long)type,
         length > 0 && length != 0xdeadbeef ? "the value's" : "other");
    length = 1;
    RESET();
    r = RegQueryValueExA(mounted, "\\DosDevices\\C:", NULL, &type, data, &length);
    Line("RegQueryValueExA.short-buffer", "%ld length=%s", r, length > 1 ? "the value's" : "other");
    length = sizeof(data);
    RESET();
    r = RegQueryValueExA(mounted, "\\DosDevices\\C:", NULL, &type, data, &length);
    Line("RegQueryValueExA.read", "%ld type=%lu", r, (unsigned long)type);
    length = 0xdeadbeef;
    RESET();
    r = RegQueryValueExA(mounted, "\\DosDevices\\Q:", NULL, &type, NULL, &length);
    Line("RegQueryValueExA.missing-size-query", "%ld length=%lu", r, (unsigned long)length);
    length = sizeof(data);
    RESET();
    r = RegQueryValueExA(mounted, "\\DosDevices\\Q:", NULL, &type, data, &length);
    Line("RegQueryValueExA.missing-read", "%ld length=%s", r,
         length == sizeof(data) ? "untouched" : "changed");

    RESET();
    r = RegCloseKey(mounted);
    Line("RegCloseKey.open", "%ld", r);
    RESET();
    r = RegCloseKey(NULL);
    Line("RegCloseKey.null", "%ld", r);
}

static void ConfigManager(HMODULE setupapi, DWORD volume, int found)
{
    ParentFn parent = (ParentFn)(void *)GetProcAddress(setupapi, "CM_Get_Parent");
    DeviceIdFn deviceId = (DeviceIdFn)(void *)GetProcAddress(setupapi, "CM_Get_Device_IDA");
    char id[MAX_PATH], shown[MAX_PATH + 8];
    DEVINST up = 0;
    CONFIGRET r;

    if (!parent || !deviceId || !found) {
        Line("CM_Get_Device_IDA", "not reached");
        return;
    }
    memset(id, 0, sizeof(id));
    RESET();
    r = deviceId(volume, id, sizeof(id), 0);
    Line("CM_Get_Device_IDA.volume", "%lu id=%s", (unsigned long)r,
         NamesFlashDisk(id) && !strncmp(id, "STORAGE\\", 8) ? "STORAGE\\...the flash disk's" : id);
    memset(id, 'x', sizeof(id));
    RESET();
    r = deviceId(volume, id, 10, 0);
    memcpy(shown, id, 11);
    shown[11] = 0;
    Line("CM_Get_Device_IDA.short-buffer", "%lu wrote=\"%s\"", (unsigned long)r, shown);
    RESET();
    r = deviceId(volume, NULL, sizeof(id), 0);
    Line("CM_Get_Device_IDA.null-buffer", "%lu", (unsigned long)r);

    RESET();
    r = parent(&up, volume, 0);
    Line("CM_Get_Parent.volume", "%lu parent=%s", (unsigned long)r, up ? "set" : "0");
    if (r == CR_SUCCESS) {
        memset(id, 0, sizeof(id));
        RESET();
        r = deviceId(up, id, sizeof(id), 0);
        Line("CM_Get_Device_IDA.volume-parent", "%lu id=%s", (unsigned long)r,
             NamesFlashDisk(id) && !strncmp(id, "USBSTOR\\", 8) ? "USBSTOR\\...the flash disk's" : id);
    }
    RESET();
    r = parent(NULL, volume, 0);
    Line("CM_Get_Parent.null-result", "%lu", (unsigned long)r);
}

/* The interfaces of a class; reports the first that names the flash disk
 * (its path into path) and the size of the list. */
static void Interfaces(const GUID *cls, const char *what, char *path, DWORD *instance, int *found, HMODULE setupapi)
{
    char name[96];
    HDEVINFO set;
    SP_DEVICE_INTERFACE_DATA data;
    SP_DEVINFO_DATA info;
    union {
        SP_DEVICE_INTERFACE_DETAIL_DATA_A detail;
        char bytes[512];
    } detail;
    DWORD required, member, count = 0, index = 0xFFFFFFFF;
    BOOL ok;

    *found = 0;
    RESET();
    set = SetupDiGetClassDevsA(cls, NULL, NULL, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    sprintf(name, "SetupDiGetClassDevsA.%s", what);
    Line(name, "%s%s", set == INVALID_HANDLE_VALUE ? "INVALID" : "list", ErrorIf(set == INVALID_HANDLE_VALUE));
    memset(&data, 0, sizeof(data));
    data.cbSize = sizeof(data);
    for (member = 0; member < 64; ++member) {
        memset(&detail, 0, sizeof(detail));
        detail.detail.cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A);
        if (!SetupDiEnumDeviceInterfaces(set, NULL, cls, member, &data)) break;
        ++count;
        if (index == 0xFFFFFFFF &&
            SetupDiGetDeviceInterfaceDetailA(set, &data, &detail.detail, sizeof(detail), NULL, NULL) &&
            NamesFlashDisk(detail.detail.DevicePath)) {
            index = member;
            strcpy(path, detail.detail.DevicePath);
        }
    }
    sprintf(name, "SetupDiEnumDeviceInterfaces.%s-end", what);
    Line(name, "after the last error=%lu flash disk %s", (unsigned long)GetLastError(),
         index == 0xFFFFFFFF ? "absent" : "listed");
    if (index == 0xFFFFFFFF) {
        SetupDiDestroyDeviceInfoList(set);
        return;
    }

    memset(&data, 0xcc, sizeof(data));
    data.cbSize = sizeof(data);
    RESET();
    ok = SetupDiEnumDeviceInterfaces(set, NULL, cls, index, &data);
    sprintf(name, "SetupDiEnumDeviceInterfaces.%s", what);
    Line(name, "%s%s class=%s flags=%lu", Bool(ok), ErrorIf(!ok), Guid(&data.InterfaceClassGuid),
         (unsigned long)data.Flags);

    memset(&info, 0, sizeof(info));
    info.cbSize = sizeof(info);
    memset(&detail, 0, sizeof(detail));
    detail.detail.cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A);
    required = 0xdeadbeef;
    RESET();
    ok = SetupDiGetDeviceInterfaceDetailA(set, &data, &detail.detail, sizeof(detail), &required, &info);
    sprintf(name, "SetupDiGetDeviceInterfaceDetailA.%s", what);
    Line(name, "%s%s required=%s path=%s class=%s", Bool(ok), ErrorIf(!ok),
         required == 5 + strlen(path) ? "header+path+1" : "other",
         !strcmp(detail.detail.DevicePath, path) ? "the listed one" : "other", Guid(&info.ClassGuid));
    *instance = info.DevInst;
    *found = ok;

    /* The size query fills the device record too. */
    memset(&info, 0, sizeof(info));
    info.cbSize = sizeof(info);
    info.DevInst = 0xdeadbeef;
    required = 0xdeadbeef;
    RESET();
    ok = SetupDiGetDeviceInterfaceDetailA(set, &data, NULL, 0, &required, &info);
    sprintf(name, "SetupDiGetDeviceInterfaceDetailA.%s-size-query", what);
    Line(name, "%s%s required=%s class=%s devinst=%s", Bool(ok), ErrorIf(!ok),
         required == 5 + strlen(path) ? "header+path+1" : "other", Guid(&info.ClassGuid),
         info.DevInst == *instance ? "the full call's" : info.DevInst == 0xdeadbeef ? "untouched" : "other");

    if (cls == &kDiskInterface) {
        required = 0xdeadbeef;
        RESET();
        ok = SetupDiGetDeviceInterfaceDetailA(set, &data, NULL, 100, &required, NULL);
        Line("SetupDiGetDeviceInterfaceDetailA.null-record-with-size", "%s%s", Bool(ok), ErrorIf(!ok));
        detail.detail.cbSize = 0;
        RESET();
        ok = SetupDiGetDeviceInterfaceDetailA(set, &data, &detail.detail, sizeof(detail), &required, NULL);
        Line("SetupDiGetDeviceInterfaceDetailA.cbsize-0", "%s%s required=%s", Bool(ok), ErrorIf(!ok),
             required == 0xdeadbeef ? "untouched" : "changed");
        detail.detail.cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A);
        RESET();
        ok = SetupDiGetDeviceInterfaceDetailA(set, &data, &detail.detail, 8, &required, NULL);
        Line("SetupDiGetDeviceInterfaceDetailA.short-buffer", "%s%s required=%s", Bool(ok), ErrorIf(!ok),
             required == 5 + strlen(path) ? "header+path+1" : "other");
        RESET();
        ok = SetupDiGetDeviceInterfaceDetailA(set, NULL, NULL, 0, NULL, NULL);
        Line("SetupDiGetDeviceInterfaceDetailA.null-interface", "%s%s", Bool(ok), ErrorIf(!ok));
        RESET();
        ok = SetupDiGetDeviceInterfaceDetailA(NULL, &data, NULL, 0, NULL, NULL);
        Line("SetupDiGetDeviceInterfaceDetailA.null-list", "%s%s", Bool(ok), ErrorIf(!ok));

        data.cbSize = 0;
        RESET();
        ok = SetupDiEnumDeviceInterfaces(set, NULL, cls, index, &data);
        Line("SetupDiEnumDeviceInterfaces.cbsize-0", "%s%s", Bool(ok), ErrorIf(!ok));
        data.cbSize = sizeof(data);
        RESET();
        ok = SetupDiEnumDeviceInterfaces(set, NULL, &kVolumeInterface, 0, &data);
        Line("SetupDiEnumDeviceInterfaces.other-class", "%s%s", Bool(ok), ErrorIf(!ok));
        RESET();
        ok = SetupDiEnumDeviceInterfaces(NULL, NULL, cls, 0, &data);
        Line("SetupDiEnumDeviceInterfaces.null-list", "%s%s", Bool(ok), ErrorIf(!ok));
    }
    /* A device instance is asked about while the list that gave it is held,
     * as the library and the capture ask. */
    if (cls == &kVolumeInterface) ConfigManager(setupapi, *instance, *found);
    RESET();
    ok = SetupDiDestroyDeviceInfoList(set);
    sprintf(name, "SetupDiDestroyDeviceInfoList.%s", what);
    Line(name, "%s%s", Bool(ok), ErrorIf(!ok));
    (void)count;
}

static void DeviceLists(void)
{
    HDEVINFO set;
    SP_DEVICE_INTERFACE_DATA data;
    BOOL ok;

    /* Without DIGCF_DEVICEINTERFACE the GUID names a setup class: the disk
     * interface class is none, so the list is empty. */
    RESET();
    set = SetupDiGetClassDevsA(&kDiskInterface, NULL, NULL, DIGCF_PRESENT);
    Line("SetupDiGetClassDevsA.interface-class-as-setup-class", "%s%s",
         set == INVALID_HANDLE_VALUE ? "INVALID" : "list", ErrorIf(set == INVALID_HANDLE_VALUE));
    memset(&data, 0, sizeof(data));
    data.cbSize = sizeof(data);
    RESET();
    ok = SetupDiEnumDeviceInterfaces(set, NULL, &kDiskInterface, 0, &data);
    Line("SetupDiEnumDeviceInterfaces.empty-list", "%s%s", Bool(ok), ErrorIf(!ok));
    if (set != INVALID_HANDLE_VALUE) SetupDiDestroyDeviceInfoList(set);

    RESET();
    ok = SetupDiDestroyDeviceInfoList(NULL);
    Line("SetupDiDestroyDeviceInfoList.null", "%s%s", Bool(ok), ErrorIf(!ok));
}

/* The anonymous pipe the 64-bit library reads its helper's answer from. */
static void Pipes(void)
{
    HANDLE readEnd = NULL, writeEnd = NULL;
    DWORD read = 7;
    char buffer[8];
    BOOL ok;

    RESET();
    ok = CreatePipe(&readEnd, &writeEnd, NULL, 0);
    Line("CreatePipe", "%s%s", Bool(ok), ErrorIf(!ok));
    if (!ok) return;
    RESET();
    ok = SetHandleInformation(writeEnd, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
    Line("SetHandleInformation.inherit", "%s%s", Bool(ok), ErrorIf(!ok));
    CloseHandle(writeEnd);
    RESET();
    ok = ReadFile(readEnd, buffer, sizeof(buffer), &read, NULL);
    Line("ReadFile.write-end-closed", "%s read=%lu%s", Bool(ok), (unsigned long)read, ErrorIf(!ok));
    CloseHandle(readEnd);
    RESET();
    ok = SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    Line("SetHandleInformation.closed-handle", "%s%s", Bool(ok), ErrorIf(!ok));
}

int RunProbes(void)
{
    char diskPath[512] = "", volumePath[512] = "";
    DWORD diskInstance = 0, volumeInstance = 0;
    int diskFound = 0, volumeFound = 0;
    HMODULE setupapi = NULL;

    Version();
    Heap();
    Drives();
    Modules(&setupapi);
    Events();
    Registry();
    Interfaces(&kDiskInterface, "disk", diskPath, &diskInstance, &diskFound, setupapi);
    Interfaces(&kVolumeInterface, "volume", volumePath, &volumeInstance, &volumeFound, setupapi);
    DeviceLists();
    Files(diskPath[0] ? diskPath : "\\\\?\\no-flash-disk-listed");
    Pipes();
    if (setupapi) FreeLibrary(setupapi);
    fflush(stdout);
    return 0;
}

#if defined(_WIN32) && !defined(MORVALITH_SIMULATED)
int main(void)
{
    return RunProbes();
}
#endif
