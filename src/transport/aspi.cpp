#include "aspi.h"

#include <stdio.h>
#include <string.h>

#include "../lifecycle/state.h"

static const char kFlashDiskIdentification[] = MORVALITH_FLASH_DISK_ID;
const DWORD kInquiryLength = 36;

// Fills an SC_EXEC_SCSI_CMD block (zeroed by the caller) for one command of
// cdbLength bytes with its buffer and completion event; the caller writes the
// command bytes.
static void AspiFillExec(SRB_ExecSCSICmd *srb, BYTE hostAdapter, BYTE target, BYTE lun, BYTE flags, void *buffer,
                         DWORD length, BYTE cdbLength, HANDLE event)
{
    srb->SRB_Cmd = SC_EXEC_SCSI_CMD;
    srb->SRB_HaId = hostAdapter;
    srb->SRB_Flags = flags;
    srb->SRB_Target = target;
    srb->SRB_Lun = lun;
    srb->SRB_BufLen = length;
    srb->SRB_BufPointer = (BYTE *)buffer;
    srb->SRB_SenseLen = SENSE_LEN;
    srb->SRB_CDBLen = cdbLength;
    srb->SRB_PostProc = event;
}

void AspiWait(SRB_ExecSCSICmd *srb, HANDLE event)
{
    while (WaitForSingleObject(event, INFINITE) != WAIT_OBJECT_0 &&
           *(volatile BYTE *)&srb->SRB_Status == SS_PENDING) {
    }
}

// Sends an SC_EXEC_SCSI_CMD block and, when WNASPI32 takes it in the
// background, waits on its event: the block, its buffer and the event must
// outlive the request.
static void AspiSendAndWait(SRB_ExecSCSICmd *srb, HANDLE event)
{
    if (g_library.aspi.sendCommand(srb) == SS_PENDING) AspiWait(srb, event);
}

enum AspiOpenStatus { kAspiOpened, kAspiNotLoaded, kAspiEntryMissing };

static AspiOpenStatus OpenAspiManager(void)
{
    g_library.aspiModule = LoadLibraryA("WNASPI32");
    if (!g_library.aspiModule) return kAspiNotLoaded;
    g_library.aspi.supportInfo = (AspiSupportInfoFn)(void *)GetProcAddress(g_library.aspiModule, "GetASPI32SupportInfo");
    g_library.aspi.sendCommand = (AspiSendCommandFn)(void *)GetProcAddress(g_library.aspiModule, "SendASPI32Command");
    if (!g_library.aspi.supportInfo || !g_library.aspi.sendCommand) {
        AspiClose();
        return kAspiEntryMissing;
    }
    return kAspiOpened;
}

int AspiOpen(void)
{
    return OpenAspiManager() == kAspiOpened;
}

AspiEntryPoints AspiUseEntryPoints(AspiEntryPoints entryPoints)
{
    AspiEntryPoints inPlace = g_library.aspi;
    g_library.aspi = entryPoints;
    return inPlace;
}

void AspiClose(void)
{
    if (g_library.aspiModule) FreeLibrary(g_library.aspiModule);
    g_library.aspiModule = NULL;
    g_library.aspi.supportInfo = NULL;
    g_library.aspi.sendCommand = NULL;
}

static int InquiryMatches(BYTE hostAdapter, BYTE target, BYTE lun)
{
    BYTE inquiry[kInquiryLength];
    memset(inquiry, 0, sizeof(inquiry));
    HANDLE event = CreateEventA(NULL, TRUE, FALSE, NULL);
    if (!event) return 0;
    SRB_ExecSCSICmd srb;
    memset(&srb, 0, sizeof(srb));
    AspiFillExec(&srb, hostAdapter, target, lun, SRB_DIR_IN | SRB_EVENT_NOTIFY, inquiry, kInquiryLength, 6, event);
    srb.CDBByte[0] = 0x12;
    srb.CDBByte[4] = (BYTE)kInquiryLength;
    AspiSendAndWait(&srb, event);
    CloseHandle(event);
    if (srb.SRB_Status != SS_COMP) {
        LibLine("[LIB] Exec SCSIOP_INQUIRY Fail.\n");
        return 0;
    }
    // Vendor "Generic " and the first ten bytes of the product identification.
    return memcmp(inquiry + 8, kFlashDiskIdentification, sizeof(kFlashDiskIdentification) - 1) == 0;
}

int AspiFindFlashDisk(void)
{
    DWORD support = g_library.aspi.supportInfo();
    BYTE status = (BYTE)(support >> 8);
    BYTE adapters = (BYTE)support;
    if (status != SS_COMP && status != SS_NO_ADAPTERS) {
        LibLine("[LIB] Initial FAILED\n");
        return 0;
    }
    // The scan counts in locals; the state keeps only the unit it finds.
    for (BYTE hostAdapter = 0; hostAdapter < adapters; ++hostAdapter) {
        SRB_HAInquiry inquiry;
        memset(&inquiry, 0, sizeof(inquiry));
        inquiry.SRB_Cmd = SC_HA_INQUIRY;
        inquiry.SRB_HaId = hostAdapter;
        g_library.aspi.sendCommand(&inquiry);
        if (inquiry.SRB_Status != SS_COMP) {
            LibLine("[LIB] SC_HA_INQUIRY FAILED\n");
            continue;
        }
        for (BYTE target = 0; target < 8; ++target) {
            for (BYTE lun = 0; lun < 8; ++lun) {
                SRB_GDEVBlock device;
                memset(&device, 0, sizeof(device));
                device.SRB_Cmd = SC_GET_DEV_TYPE;
                device.SRB_HaId = hostAdapter;
                device.SRB_Target = target;
                device.SRB_Lun = lun;
                g_library.aspi.sendCommand(&device);
                if (device.SRB_Status != SS_COMP || device.SRB_DeviceType != DTYPE_DASD) continue;
                if (InquiryMatches(hostAdapter, target, lun)) {
                    g_library.aspiHostAdapter = hostAdapter;
                    g_library.aspiTarget = target;
                    g_library.aspiLun = lun;
                    return 1;
                }
            }
        }
    }
    return 0;
}

int AspiExecCommand(BYTE hostAdapter, BYTE target, BYTE lun, BYTE opcode, BYTE flags, void *buffer,
                    DWORD length)
{
    HANDLE heap = GetProcessHeap();
    HANDLE event = CreateEventA(NULL, TRUE, FALSE, NULL);
    SRB_ExecSCSICmd *srb = (SRB_ExecSCSICmd *)HeapAlloc(heap, HEAP_ZERO_MEMORY, sizeof(SRB_ExecSCSICmd));
    if (!event || !srb) {
        if (srb) HeapFree(heap, 0, srb);
        if (event) CloseHandle(event);
        return 0;
    }
    AspiFillExec(srb, hostAdapter, target, lun, flags, buffer, length, 10, event);
    srb->CDBByte[0] = opcode;
    AspiSendAndWait(srb, event);
    int result = srb->SRB_Status == SS_COMP;
    if (result) LibLine("[LIB] Exec Vendor SCSI command, 0x%02x, SUCCEED.\n", opcode);
    else LibLine("[LIB] Exec Vendor SCSI command, 0x%02x, FAILED.\n", opcode);
    HeapFree(heap, 0, srb);
    CloseHandle(event);
    return result;
}

int AspiBind(void)
{
    switch (OpenAspiManager()) {
    case kAspiOpened:
        break;
    case kAspiNotLoaded:
        LibLine("[LIB] Load WNASPI32 Fail\n");
        return 0;
    case kAspiEntryMissing:
        // A manager without both entry points cannot be driven; say which failed.
        LibLine("[LIB] WNASPI32 entry point missing\n");
        return 0;
    }
    if (!AspiFindFlashDisk()) {
        LibLine("[LIB] Can not find Alcor flash disk\n");
        AspiClose();
        return 0;
    }
    if (AspiExecCommand(g_library.aspiHostAdapter, g_library.aspiTarget, g_library.aspiLun, kVendorReadOpcode,
                        SRB_DIR_IN | SRB_EVENT_NOTIFY, g_library.vendorSector, kVendorSectorSize)) {
        return 1;
    }
    LibLine("[LIB] Get Vendor 512bytes sector FAILED\n");
    AspiClose();
    return 0;
}
