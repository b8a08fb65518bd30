#include "passthrough.h"

#include <string.h>

void BuildPassThroughRequest(PassThroughRequest *request, BYTE opcode, BYTE dataIn, void *buffer,
                             DWORD length)
{
    memset(request, 0, sizeof(*request));
    SCSI_PASS_THROUGH_DIRECT *header = &request->header;
    header->Length = sizeof(SCSI_PASS_THROUGH_DIRECT);
    header->PathId = 0;
    header->TargetId = 1;
    header->Lun = 0;
    header->CdbLength = 10;
    header->SenseInfoLength = 8;
    header->DataIn = dataIn;
    header->DataTransferLength = length;
    header->TimeOutValue = kPassThroughTimeoutSeconds;
    header->DataBuffer = buffer;
    header->SenseInfoOffset = offsetof(PassThroughRequest, sense);
    header->Cdb[0] = opcode;
}

// Only the SCSI status decides: a short transfer with good status binds.
int PassThroughSucceeded(BOOL ioctlResult, const PassThroughRequest *request)
{
    return ioctlResult != FALSE && request->header.ScsiStatus == 0;
}

int SendPassThroughCommand(HANDLE handle, PassThroughRequest *request, BYTE opcode, BYTE dataIn, void *buffer,
                           DWORD length, BOOL *delivered)
{
    BuildPassThroughRequest(request, opcode, dataIn, buffer, length);
    DWORD returned = 0;
    BOOL ok = DeviceIoControl(handle, IOCTL_SCSI_PASS_THROUGH_DIRECT, request, sizeof(*request), request,
                              sizeof(*request), &returned, NULL);
    if (delivered) *delivered = ok;
    return PassThroughSucceeded(ok, request);
}
