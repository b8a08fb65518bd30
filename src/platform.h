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

// Layouts the device and the platform see; a wrong packing here would send
// a malformed request rather than fail to build.
static_assert(sizeof(void *) == 4, "Morvalith is a 32-bit library");
static_assert(sizeof(OSVERSIONINFOA) == 148, "OSVERSIONINFOA");
static_assert(sizeof(SCSI_PASS_THROUGH_DIRECT) == 44, "SCSI_PASS_THROUGH_DIRECT size");
static_assert(offsetof(SCSI_PASS_THROUGH_DIRECT, ScsiStatus) == 2, "ScsiStatus");
static_assert(offsetof(SCSI_PASS_THROUGH_DIRECT, DataIn) == 8, "DataIn");
static_assert(offsetof(SCSI_PASS_THROUGH_DIRECT, DataTransferLength) == 12, "DataTransferLength");
static_assert(offsetof(SCSI_PASS_THROUGH_DIRECT, TimeOutValue) == 16, "TimeOutValue");
static_assert(offsetof(SCSI_PASS_THROUGH_DIRECT, DataBuffer) == 20, "DataBuffer");
static_assert(offsetof(SCSI_PASS_THROUGH_DIRECT, SenseInfoOffset) == 24, "SenseInfoOffset");
static_assert(offsetof(SCSI_PASS_THROUGH_DIRECT, Cdb) == 28, "Cdb");
static_assert(IOCTL_SCSI_PASS_THROUGH_DIRECT == 0x4D014, "IOCTL_SCSI_PASS_THROUGH_DIRECT");
static_assert(sizeof(SP_DEVICE_INTERFACE_DATA) == 28, "SP_DEVICE_INTERFACE_DATA");
static_assert(sizeof(SP_DEVINFO_DATA) == 28, "SP_DEVINFO_DATA");
static_assert(sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A) == 5, "SP_DEVICE_INTERFACE_DETAIL_DATA_A fixed part");
static_assert(offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_A, DevicePath) == 4, "DevicePath");
