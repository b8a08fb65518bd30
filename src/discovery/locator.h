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
char FindAutorunVolume(void);
int FindFlashDiskPath(const GUID *interfaceClass, int index, char *path);
HANDLE OpenFlashDisk(int index);
