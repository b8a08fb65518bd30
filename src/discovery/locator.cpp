#include "locator.h"

#include <string.h>

#include "../lifecycle/state.h"

const GUID kDiskInterfaceClass = {0x53F56307, 0xB6BF, 0x11D0, {0x94, 0xF2, 0x00, 0xA0, 0xC9, 0x1E, 0xFB, 0x8B}};
const GUID kVolumeInterfaceClass = {0x53F5630D, 0xB6BF, 0x11D0, {0x94, 0xF2, 0x00, 0xA0, 0xC9, 0x1E, 0xFB, 0x8B}};

// Tried in this order, on the path exactly as reported (no case folding).
// The result names the pattern that matched (1 to 4), so that a diagnosis
// can say which; 0 when none does.
const DevicePathPattern kDevicePathPatterns[kDevicePathPatternCount] = {
    {"usbstor#disk&ven_generic", NULL},
    {"usbalcor#disk&ven_generic", NULL},
    {"usbstor#disk&ven_jetflash", NULL},
    {"usbstor#disk&ven", "8.01"},
};

int DevicePathMatches(const char *devicePath)
{
    for (int i = 0; i < (int)kDevicePathPatternCount; ++i) {
        const DevicePathPattern &p = kDevicePathPatterns[i];
        if (strstr(devicePath, p.text) && (!p.also || strstr(devicePath, p.also))) return i + 1;
    }
    return 0;
}

// The value holds a UTF-16 device name; its low bytes make an 8-bit text.
int MountedDeviceIsAutorun(const BYTE *data, DWORD length)
{
    char text[kMountedDeviceDataSize / 2 + 1];
    if (length > kMountedDeviceDataSize) return 0;
    for (DWORD position = 0; position < length; position += 2) text[position / 2] = (char)data[position];
    text[length / 2] = 0;
    for (DWORD i = 0; i < length / 2; ++i) {
        if (text[i] >= 'A' && text[i] <= 'Z') text[i] = (char)(text[i] - 'A' + 'a');
    }
    return strstr(text, "autorun") != NULL && strstr(text, "disk") != NULL;
}

char FindAutorunVolume(void)
{
    char rootPath[] = "a:\\";
    char valueName[] = "\\DosDevices\\ :";
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        rootPath[0] = letter;
        if (GetDriveTypeA(rootPath) != DRIVE_CDROM) continue;
        HKEY key = NULL;
        if (RegOpenKeyA(HKEY_LOCAL_MACHINE, "SYSTEM\\MountedDevices", &key) != ERROR_SUCCESS) continue;
        valueName[12] = letter;
        BYTE data[kMountedDeviceDataSize];
        DWORD type = 0;
        DWORD length = sizeof(data);
        LONG status = RegQueryValueExA(key, valueName, NULL, &type, data, &length);
        int autorun = status == ERROR_SUCCESS && MountedDeviceIsAutorun(data, length);
        RegCloseKey(key);
        if (autorun) return letter;
    }
    return 0;
}

PSP_DEVICE_INTERFACE_DETAIL_DATA_A GetInterfaceDetail(HDEVINFO list, PSP_DEVICE_INTERFACE_DATA record, HANDLE heap,
                                                      DWORD *room, PSP_DEVINFO_DATA info)
{
    DWORD required = 0;
    SetupDiGetDeviceInterfaceDetailA(list, record, NULL, 0, &required, NULL);
    // A size that cannot hold cbSize plus a terminator is no usable answer;
    // writing cbSize into it would overrun the block. (Not the structure's
    // size: in a 64-bit process that is 8, padding included, while an empty
    // path needs 5.)
    if (required < offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_A, DevicePath) + 1) return NULL;
    PSP_DEVICE_INTERFACE_DETAIL_DATA_A detail =
        (PSP_DEVICE_INTERFACE_DETAIL_DATA_A)HeapAlloc(heap, HEAP_ZERO_MEMORY, required);
    if (!detail) return NULL;
    detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A);
    if (!SetupDiGetDeviceInterfaceDetailA(list, record, detail, required, NULL, info)) {
        HeapFree(heap, 0, detail);
        return NULL;
    }
    *room = required - offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_A, DevicePath);
    return detail;
}

int FindFlashDiskPath(const GUID *interfaceClass, int index, char *path)
{
    OSVERSIONINFOA version;
    memset(&version, 0, sizeof(version));
    version.dwOSVersionInfoSize = sizeof(version);
    // Without the version the branch is unknown: taking the zeroed record
    // for Windows 2000/XP would open a disk interface on Vista and later.
    if (!GetVersionExA(&version)) return 0;

    HDEVINFO set = SetupDiGetClassDevsA(interfaceClass, NULL, NULL, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    if (set == INVALID_HANDLE_VALUE) return 0;

    HANDLE heap = GetProcessHeap();
    int result = 0;
    PSP_DEVICE_INTERFACE_DETAIL_DATA_A detail = NULL;
    PSP_DEVICE_INTERFACE_DATA record =
        (PSP_DEVICE_INTERFACE_DATA)HeapAlloc(heap, HEAP_ZERO_MEMORY, sizeof(SP_DEVICE_INTERFACE_DATA));
    if (record) {
        record->cbSize = sizeof(SP_DEVICE_INTERFACE_DATA);
        int matches = 0;
        for (DWORD member = 0; member < kMaxInterfaces; ++member) {
            if (!SetupDiEnumDeviceInterfaces(set, NULL, interfaceClass, member, record)) break;
            DWORD room = 0;
            // An interface whose detail cannot be had ends the search.
            detail = GetInterfaceDetail(set, record, heap, &room, NULL);
            if (!detail) break;
            if (memchr(detail->DevicePath, 0, room) && DevicePathMatches(detail->DevicePath) &&
                ++matches == index) {
                result = 1;
                break;
            }
            HeapFree(heap, 0, detail);
            detail = NULL;
        }
    }

    if (result) {
        if (version.dwMajorVersion > 5) {
            char letter = FindAutorunVolume();
            if (letter) {
                char volumePath[] = "\\\\.\\a:";
                volumePath[4] = letter;
                memcpy(path, volumePath, sizeof(volumePath));
            } else {
                result = 0;
            }
        } else {
            // A path that does not fit the caller's buffer is not a disk we can open.
            size_t length = strlen(detail->DevicePath);
            if (length < kPathBufferSize) memcpy(path, detail->DevicePath, length + 1);
            else result = 0;
        }
    }

    SetupDiDestroyDeviceInfoList(set);
    if (record) HeapFree(heap, 0, record);
    if (detail) HeapFree(heap, 0, detail);
    return result;
}

HANDLE OpenFlashDisk(int index)
{
    if (g_library.osVersion.dwMajorVersion < 5) return INVALID_HANDLE_VALUE;
    HANDLE heap = GetProcessHeap();
    char *path = (char *)HeapAlloc(heap, HEAP_ZERO_MEMORY, kPathBufferSize);
    if (!path) return INVALID_HANDLE_VALUE;
    HANDLE handle = INVALID_HANDLE_VALUE;
    if (FindFlashDiskPath(&kDiskInterfaceClass, index, path)) {
        handle = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    }
    HeapFree(heap, 0, path);
    return handle;
}
