#pragma once
#include "../platform.h"

extern const GUID kDiskInterfaceClass;
extern const GUID kVolumeInterfaceClass;

const DWORD kPathBufferSize = MAX_PATH;
const DWORD kMaxInterfaces = 26;
const DWORD kMountedDeviceDataSize = 520;

int DevicePathMatches(const char *devicePath);
int MountedDeviceIsAutorun(const BYTE *data, DWORD length);
char FindAutorunVolume(void);
int FindFlashDiskPath(const GUID *interfaceClass, int index, char *path);
HANDLE OpenFlashDisk(int index);
