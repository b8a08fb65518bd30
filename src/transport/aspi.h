#pragma once
#include "../platform.h"

// ASPI for Win32, as its published interface lays it out (byte-packed).
#define SC_HA_INQUIRY 0x00
#define SC_GET_DEV_TYPE 0x01
#define SC_EXEC_SCSI_CMD 0x02
#define SS_PENDING 0x00
#define SS_COMP 0x01
#define SS_NO_ADAPTERS 0xE8
#define SRB_DIR_IN 0x08
#define SRB_EVENT_NOTIFY 0x40
#define DTYPE_DASD 0x00
#define SENSE_LEN 14

// Windows 9x alone has ASPI for Win32, and it is 32-bit only: a 64-bit
// library has no such road, and a version below 5 refuses there as NT 4
// does. (The codes above stay: the tools explain 9x captures in both sizes.)
#if !MORVALITH_64BIT

#pragma pack(push, 1)
struct SRB_HAInquiry {
    BYTE SRB_Cmd;
    BYTE SRB_Status;
    BYTE SRB_HaId;
    BYTE SRB_Flags;
    DWORD SRB_Hdr_Rsvd;
    BYTE HA_Count;
    BYTE HA_SCSI_ID;
    BYTE HA_ManagerId[16];
    BYTE HA_Identifier[16];
    BYTE HA_Unique[16];
    WORD HA_Rsvd1;
};

struct SRB_GDEVBlock {
    BYTE SRB_Cmd;
    BYTE SRB_Status;
    BYTE SRB_HaId;
    BYTE SRB_Flags;
    DWORD SRB_Hdr_Rsvd;
    BYTE SRB_Target;
    BYTE SRB_Lun;
    BYTE SRB_DeviceType;
    BYTE SRB_Rsvd1;
};

struct SRB_ExecSCSICmd {
    BYTE SRB_Cmd;
    BYTE SRB_Status;
    BYTE SRB_HaId;
    BYTE SRB_Flags;
    DWORD SRB_Hdr_Rsvd;
    BYTE SRB_Target;
    BYTE SRB_Lun;
    WORD SRB_Rsvd1;
    DWORD SRB_BufLen;
    BYTE *SRB_BufPointer;
    BYTE SRB_SenseLen;
    BYTE SRB_CDBLen;
    BYTE SRB_HaStat;
    BYTE SRB_TargStat;
    void *SRB_PostProc;
    void *SRB_Rsvd2;
    BYTE SRB_Rsvd3[16];
    BYTE CDBByte[16];
    BYTE SenseArea[SENSE_LEN + 2];
};
#pragma pack(pop)

static_assert(sizeof(SRB_HAInquiry) == 60, "SRB_HAInquiry size");
static_assert(sizeof(SRB_GDEVBlock) == 12, "SRB_GDEVBlock size");
static_assert(sizeof(SRB_ExecSCSICmd) == 80, "SRB_ExecSCSICmd size");
static_assert(offsetof(SRB_GDEVBlock, SRB_DeviceType) == 10, "SRB_DeviceType");
static_assert(offsetof(SRB_ExecSCSICmd, SRB_BufLen) == 12, "SRB_BufLen");
static_assert(offsetof(SRB_ExecSCSICmd, SRB_BufPointer) == 16, "SRB_BufPointer");
static_assert(offsetof(SRB_ExecSCSICmd, SRB_PostProc) == 24, "SRB_PostProc");
static_assert(offsetof(SRB_ExecSCSICmd, CDBByte) == 48, "CDBByte");

// Both entry points of WNASPI32 are cdecl.
typedef DWORD(__cdecl *AspiSupportInfoFn)(void);
typedef DWORD(__cdecl *AspiSendCommandFn)(void *srb);

// The manager's two entry points, the only way requests reach it.
struct AspiEntryPoints {
    AspiSupportInfoFn supportInfo;
    AspiSendCommandFn sendCommand;
};

int AspiBind(void);
// Waits for a request WNASPI32 took in the background. A request is never
// abandoned, so the wait has no limit, and a wait that fails is retried while
// the request is unfinished.
void AspiWait(SRB_ExecSCSICmd *srb, HANDLE event);
int AspiOpen(void);
int AspiFindFlashDisk(void);
int AspiExecCommand(BYTE hostAdapter, BYTE target, BYTE lun, BYTE opcode, BYTE flags, void *buffer,
                    DWORD length);
void AspiClose(void);
// Puts other entry points in front of the opened manager's (the capture's
// recorders) and returns those in place, to be put back the same way.
AspiEntryPoints AspiUseEntryPoints(AspiEntryPoints entryPoints);
#endif
