// The library's only door to the platform: the Windows SDK in the Windows
// build, the simulated machine's declarations of the same calls elsewhere.
#pragma once

#if defined(_WIN32) && !defined(MORVALITH_SIMULATED)
#include <windows.h>
#include <setupapi.h>
#include <cfgmgr32.h>
#include <ntddscsi.h>
#else
#include "win32.h"
#endif

#include <stddef.h>

// One tree for both sizes: the 32-bit library (x86, which alone has the
// Windows 9x road through ASPI) and the 64-bit one (x64, NT 5.2 and later).
#if defined(_WIN64) || __SIZEOF_POINTER__ == 8
#define MORVALITH_64BIT 1
#else
#define MORVALITH_64BIT 0
#endif
#define MORVALITH_BY_SIZE(x86, x64) (MORVALITH_64BIT ? (x64) : (x86))

// Layouts the device and the platform see, as the SDK gives them for each
// pointer size; a wrong packing here would send a malformed request rather
// than fail to build.
static_assert(sizeof(void *) == MORVALITH_BY_SIZE(4, 8), "pointer size");
static_assert(sizeof(DWORD) == 4 && sizeof(LONG) == 4 && sizeof(ULONG) == 4, "LLP64: DWORD, LONG, ULONG");
static_assert(sizeof(ULONG_PTR) == sizeof(void *) && sizeof(SIZE_T) == sizeof(void *) &&
                  sizeof(HANDLE) == sizeof(void *), "ULONG_PTR, SIZE_T, HANDLE");
static_assert(sizeof(OSVERSIONINFOA) == 148, "OSVERSIONINFOA");
static_assert(sizeof(SCSI_PASS_THROUGH_DIRECT) == MORVALITH_BY_SIZE(44, 56), "SCSI_PASS_THROUGH_DIRECT size");
static_assert(offsetof(SCSI_PASS_THROUGH_DIRECT, ScsiStatus) == 2, "ScsiStatus");
static_assert(offsetof(SCSI_PASS_THROUGH_DIRECT, DataIn) == 8, "DataIn");
static_assert(offsetof(SCSI_PASS_THROUGH_DIRECT, DataTransferLength) == 12, "DataTransferLength");
static_assert(offsetof(SCSI_PASS_THROUGH_DIRECT, TimeOutValue) == 16, "TimeOutValue");
static_assert(offsetof(SCSI_PASS_THROUGH_DIRECT, DataBuffer) == MORVALITH_BY_SIZE(20, 24), "DataBuffer");
static_assert(offsetof(SCSI_PASS_THROUGH_DIRECT, SenseInfoOffset) == MORVALITH_BY_SIZE(24, 32), "SenseInfoOffset");
static_assert(offsetof(SCSI_PASS_THROUGH_DIRECT, Cdb) == MORVALITH_BY_SIZE(28, 36), "Cdb");
static_assert(IOCTL_SCSI_PASS_THROUGH_DIRECT == 0x4D014, "IOCTL_SCSI_PASS_THROUGH_DIRECT");
static_assert(sizeof(SP_DEVICE_INTERFACE_DATA) == MORVALITH_BY_SIZE(28, 32), "SP_DEVICE_INTERFACE_DATA");
static_assert(sizeof(SP_DEVINFO_DATA) == MORVALITH_BY_SIZE(28, 32), "SP_DEVINFO_DATA");
// The cbSize a caller must give: 5 in a 32-bit process, 8 in a 64-bit one.
static_assert(sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A) == MORVALITH_BY_SIZE(5, 8),
              "SP_DEVICE_INTERFACE_DETAIL_DATA_A fixed part");
static_assert(offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_A, DevicePath) == 4, "DevicePath");
