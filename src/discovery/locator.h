#pragma once
#include "../platform.h"

extern const GUID kDiskInterfaceClass;
extern const GUID kVolumeInterfaceClass;

const DWORD kPathBufferSize = MAX_PATH;
const DWORD kMaxInterfaces = 26;
const DWORD kMountedDeviceDataSize = 520;

// The device-path patterns in the order they are tried: a path passes a
// pattern when it holds its text (and its second text, where it has one).
struct DevicePathPattern {
    const char *text;
    const char *also;
};
const DWORD kDevicePathPatternCount = 4;
extern const DevicePathPattern kDevicePathPatterns[kDevicePathPatternCount];

// The number (1-based) of the first pattern the path passes, or 0.
int DevicePathMatches(const char *devicePath);
int MountedDeviceIsAutorun(const BYTE *data, DWORD length);
// The detail record of one device interface, the two-call way: the size
// query, a zeroed heap block of that size (none when the size cannot hold
// the fixed part), cbSize, the second call (filling info too, when given).
// The block, or NULL with nothing held; *room is the bytes its path may take.
// The caller frees the block. Each caller states its own policy on NULL.
PSP_DEVICE_INTERFACE_DETAIL_DATA_A GetInterfaceDetail(HDEVINFO list, PSP_DEVICE_INTERFACE_DATA record, HANDLE heap,
                                                      DWORD *room, PSP_DEVINFO_DATA info);
char FindAutorunVolume(void);
int FindFlashDiskPath(const GUID *interfaceClass, int index, char *path);
HANDLE OpenFlashDisk(int index);
