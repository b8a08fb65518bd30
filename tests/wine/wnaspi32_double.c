/* A stand-in ASPI manager (tests only), loaded in place of WNASPI32 when it
 * lies in the host's directory. MORVALITH_ASPI_DOUBLE picks the machine:
 *   flash    one adapter, a CD-ROM at target 0, the flash disk at target 2
 *   reject   the same, but the flash disk rejects the vendor command
 *   pending  as flash, with every SCSI command finished later by a worker
 *            thread that the host starts with AspiDoubleStartWorker before
 *            it loads Morvalith.dll
 *   none     no adapters (SS_NO_ADAPTERS)
 * AspiDoubleRequests reports how many SRBs arrived. */
#include <windows.h>

#include <string.h>

#define SS_PENDING 0x00
#define SS_COMP 0x01
#define SS_ERR 0x04
#define SS_NO_DEVICE 0x82
#define SS_INVALID_HA 0x81
#define SS_NO_ADAPTERS 0xE8

static char mode[32];
static LONG requests;
static HANDLE queued, running, worker;
static BYTE *volatile pendingSrb;

static void LoadMode(void)
{
    if (!mode[0] && !GetEnvironmentVariableA("MORVALITH_ASPI_DOUBLE", mode, sizeof(mode))) strcpy(mode, "flash");
}

static void Finish(BYTE *srb)
{
    BYTE target = srb[8], lun = srb[9], opcode = srb[48];
    DWORD length;
    BYTE *buffer;
    HANDLE event;
    memcpy(&length, srb + 12, 4);
    memcpy(&buffer, srb + 16, 4);
    memcpy(&event, srb + 24, 4);
    BYTE status = SS_ERR;
    if (target == 2 && lun == 0) {
        if (opcode == 0x12 && length >= 36) {
            memset(buffer, 0, 36);
            memcpy(buffer + 8, "Generic Flash Disk  8.01", 24);
            status = SS_COMP;
        } else if (opcode == 0x82 && strcmp(mode, "reject") != 0) {
            for (DWORD i = 0; i < length; ++i) buffer[i] = (BYTE)i;
            status = SS_COMP;
        }
    }
    srb[1] = status;
    if (srb[3] & 0x40) SetEvent(event);
}

static DWORD WINAPI Work(LPVOID unused)
{
    (void)unused;
    SetEvent(running);
    for (;;) {
        WaitForSingleObject(queued, INFINITE);
        Sleep(50);
        Finish(pendingSrb);
    }
    return 0;
}

__declspec(dllexport) int AspiDoubleStartWorker(void)
{
    queued = CreateEventA(NULL, FALSE, FALSE, NULL);
    running = CreateEventA(NULL, TRUE, FALSE, NULL);
    worker = CreateThread(NULL, 0, Work, NULL, 0, NULL);
    /* A thread that has not started yet would wait for the loader lock that
     * Morvalith's DllMain holds; only a running worker can finish requests. */
    return worker != NULL && WaitForSingleObject(running, 10000) == WAIT_OBJECT_0;
}

__declspec(dllexport) LONG AspiDoubleRequests(void) { return requests; }

__declspec(dllexport) DWORD __cdecl GetASPI32SupportInfo(void)
{
    LoadMode();
    if (strcmp(mode, "none") == 0) return SS_NO_ADAPTERS << 8;
    return (SS_COMP << 8) | 1;
}

__declspec(dllexport) DWORD __cdecl SendASPI32Command(void *request)
{
    BYTE *srb = (BYTE *)request;
    LoadMode();
    InterlockedIncrement(&requests);
    if (srb[2] != 0) return srb[1] = SS_INVALID_HA;
    switch (srb[0]) {
    case 0: /* SC_HA_INQUIRY */
        srb[8] = 1;
        srb[9] = 7;
        return srb[1] = SS_COMP;
    case 1: /* SC_GET_DEV_TYPE */
        if (srb[9] != 0 || (srb[8] != 0 && srb[8] != 2)) return srb[1] = SS_NO_DEVICE;
        srb[10] = srb[8] == 0 ? 5 : 0; /* a CD-ROM, then the flash disk */
        return srb[1] = SS_COMP;
    case 2: /* SC_EXEC_SCSI_CMD */
        if (strcmp(mode, "pending") == 0 && worker) {
            srb[1] = SS_PENDING;
            pendingSrb = srb;
            SetEvent(queued);
            return SS_PENDING;
        }
        Finish(srb);
        return srb[1];
    default:
        return srb[1] = 0xE0;
    }
}
