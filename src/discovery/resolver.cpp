#include "resolver.h"

#include <string.h>

#include "locator.h"


struct RemovableVolume {
    char letter;
    char volumeName[MAX_PATH];
};

int CutInstanceToken(const char *devicePath, const char *revisionToken, char *token)
{
    memset(token, 0, kInstanceTokenSize);
    const char *revision = strstr(devicePath, revisionToken);
    const char *brace = strstr(devicePath, "#{");
    if (!revision || !brace) return 0;
    // The token starts one character past the revision token, the separator
    // skipped; a brace before that start leaves no token to cut.
    size_t start = (size_t)(revision - devicePath) + strlen(revisionToken) + 1;
    size_t end = (size_t)(brace - devicePath);
    if (end < start || end - start >= kInstanceTokenSize) return 0;
    memcpy(token, devicePath + start, end - start);
    return 1;
}

void NormaliseDeviceId(char *id)
{
    for (; *id; ++id) {
        if (*id >= 'A' && *id <= 'Z') *id = (char)(*id - 'A' + 'a');
        else if (*id == '\\') *id = '#';
    }
}

int DiskInstanceToken(const char *devicePath, const char *busToken, const char *classToken,
                      const char *revisionToken, char *token)
{
    memset(token, 0, kInstanceTokenSize);
    return strstr(devicePath, busToken) && strstr(devicePath, classToken) && strstr(devicePath, revisionToken) &&
           CutInstanceToken(devicePath, revisionToken, token);
}

int VolumeMatchedThroughParent(DWORD majorVersion)
{
    return majorVersion <= 5;
}

int DeviceIdHoldsToken(char *id, const char *instanceToken)
{
    NormaliseDeviceId(id);
    return strstr(id, instanceToken) != NULL;
}

static int BuildVolumeTable(DWORD drives, GetVolumeNameFn getVolumeName, RemovableVolume *table)
{
    int entries = 0;
    char rootPath[] = "A:\\";
    for (DWORD n = 0; n < 26 && (drives >> n) != 0; ++n) {
        if (!(drives & (1UL << n))) continue;
        rootPath[0] = (char)('A' + n);
        if (GetDriveTypeA(rootPath) != DRIVE_REMOVABLE) continue;
        RemovableVolume *entry = &table[entries];
        memset(entry->volumeName, 0, sizeof(entry->volumeName));
        if (!getVolumeName(rootPath, entry->volumeName, sizeof(entry->volumeName))) continue;
        entry->volumeName[sizeof(entry->volumeName) - 1] = 0;
        entry->letter = rootPath[0];
        ++entries;
    }
    return entries;
}

// One search for a disk's letters: what it matches against, and the entry
// points it resolves at run time, once per search.
struct VolumeSearch {
    DWORD majorVersion;
    const char *instanceToken;
    GetVolumeNameFn getVolumeName;
    GetParentFn getParent;
    GetDeviceIdFn getDeviceId;
    RemovableVolume table[26];
    int entries;
};

// Marks the letters of one volume interface when its identifier holds the
// token. Every buffer starts clean, and a step that fails passes the volume
// over, so nothing is matched on what an earlier interface left behind.
static DWORD MatchVolumeInterface(HDEVINFO list, PSP_DEVICE_INTERFACE_DATA record, const VolumeSearch *search)
{
    union {
        SP_DEVICE_INTERFACE_DETAIL_DATA_A detail;
        char bytes[MAX_PATH];
    } detail;
    memset(&detail, 0, sizeof(detail));
    detail.detail.cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A);
    SP_DEVINFO_DATA info;
    memset(&info, 0, sizeof(info));
    info.cbSize = sizeof(info);
    if (!SetupDiGetDeviceInterfaceDetailA(list, record, &detail.detail, sizeof(detail), NULL, &info)) return 0;
    detail.bytes[sizeof(detail) - 1] = 0;

    DEVINST instance = info.DevInst;
    if (VolumeMatchedThroughParent(search->majorVersion)) {
        DEVINST parent = 0;
        if (search->getParent(&parent, instance, 0) != CR_SUCCESS) return 0;
        instance = parent;
    }
    char id[MAX_PATH];
    memset(id, 0, sizeof(id));
    if (search->getDeviceId(instance, id, sizeof(id), 0) != CR_SUCCESS) return 0;
    id[sizeof(id) - 1] = 0;
    if (!DeviceIdHoldsToken(id, search->instanceToken)) return 0;

    // The mount point is the interface path plus a backslash; its own buffer
    // has room for the longest path the detail record can hold.
    char mountPoint[MAX_PATH + 2];
    size_t length = strlen(detail.detail.DevicePath);
    memcpy(mountPoint, detail.detail.DevicePath, length);
    mountPoint[length] = '\\';
    mountPoint[length + 1] = 0;
    char volumeName[MAX_PATH];
    memset(volumeName, 0, sizeof(volumeName));
    if (!search->getVolumeName(mountPoint, volumeName, sizeof(volumeName))) return 0;
    volumeName[sizeof(volumeName) - 1] = 0;

    DWORD mask = 0;
    for (int i = 0; i < search->entries; ++i) {
        if (strcmp(search->table[i].volumeName, volumeName) == 0) mask |= 1UL << (search->table[i].letter - 'A');
    }
    return mask;
}

DWORD GetInstanceDriveMask(const char *instanceToken)
{
    OSVERSIONINFOA version;
    memset(&version, 0, sizeof(version));
    version.dwOSVersionInfoSize = sizeof(version);
    // Without the version a volume could be matched on its parent's
    // identifier where its own is meant, and yield another volume's letter.
    if (!GetVersionExA(&version)) return 0;

    DWORD drives = GetLogicalDrives();
    if (drives == 0) return 0;
    HMODULE kernel = LoadLibraryA("kernel32.dll");
    if (!kernel) return 0;
    HMODULE setupapi = LoadLibraryA("setupapi.dll");
    if (!setupapi) {
        FreeLibrary(kernel);
        return 0;
    }
    VolumeSearch search;
    search.majorVersion = version.dwMajorVersion;
    search.instanceToken = instanceToken;
    search.getVolumeName = (GetVolumeNameFn)(void *)GetProcAddress(kernel, "GetVolumeNameForVolumeMountPointA");
    search.getDeviceId = (GetDeviceIdFn)(void *)GetProcAddress(setupapi, "CM_Get_Device_IDA");
    search.getParent = (GetParentFn)(void *)GetProcAddress(setupapi, "CM_Get_Parent");

    DWORD mask = 0;
    // An entry point the system lacks is never called: no volume can be matched.
    if (search.getVolumeName && search.getDeviceId && search.getParent) {
        search.entries = BuildVolumeTable(drives, search.getVolumeName, search.table);
        HDEVINFO list = INVALID_HANDLE_VALUE;
        if (search.entries > 0) {
            list = SetupDiGetClassDevsA(&kVolumeInterfaceClass, NULL, NULL, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
        }
        if (list != INVALID_HANDLE_VALUE) {
            SP_DEVICE_INTERFACE_DATA record;
            memset(&record, 0, sizeof(record));
            record.cbSize = sizeof(record);
            for (DWORD member = 0; SetupDiEnumDeviceInterfaces(list, NULL, &kVolumeInterfaceClass, member, &record);
                 ++member) {
                mask |= MatchVolumeInterface(list, &record, &search);
            }
            SetupDiDestroyDeviceInfoList(list);
        }
    }
    FreeLibrary(setupapi);
    FreeLibrary(kernel);
    return mask;
}

int CollectDriveLetters(const char *busToken, const char *classToken, const char *revisionToken, char *letters,
                        DWORD capacity)
{
    HDEVINFO list = SetupDiGetClassDevsA(&kDiskInterfaceClass, NULL, NULL, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    if (list == INVALID_HANDLE_VALUE) return 0;
    HANDLE heap = GetProcessHeap();
    SP_DEVICE_INTERFACE_DATA record;
    memset(&record, 0, sizeof(record));
    record.cbSize = sizeof(record);
    DWORD count = 0;
    int failed = 0;
    for (DWORD member = 0; SetupDiEnumDeviceInterfaces(list, NULL, &kDiskInterfaceClass, member, &record); ++member) {
        DWORD room = 0;
        // An interface whose detail cannot be had breaks the enumeration: 0.
        PSP_DEVICE_INTERFACE_DETAIL_DATA_A detail = GetInterfaceDetail(list, &record, heap, &room, NULL);
        if (!detail) {
            failed = 1;
            break;
        }
        const char *path = detail->DevicePath;
        char token[kInstanceTokenSize];
        if (memchr(path, 0, room) && DiskInstanceToken(path, busToken, classToken, revisionToken, token)) {
            DWORD mask = GetInstanceDriveMask(token);
            for (DWORD n = 0; n < 26 && (mask >> n) != 0; ++n) {
                if ((mask & (1UL << n)) && count < capacity) letters[count++] = (char)('A' + n);
            }
        }
        HeapFree(heap, 0, detail);
    }
    SetupDiDestroyDeviceInfoList(list);
    return failed ? 0 : (int)count;
}
