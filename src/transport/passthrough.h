#pragma once
#include "../platform.h"

// The block handed to IOCTL_SCSI_PASS_THROUGH_DIRECT: the header, an
// alignment word and a sense area that the header points at by offset.
struct PassThroughRequest {
    SCSI_PASS_THROUGH_DIRECT header;
    ULONG alignment;
    UCHAR sense[32];
};
static_assert(sizeof(PassThroughRequest) == 80, "PassThroughRequest size");
static_assert(offsetof(PassThroughRequest, sense) == 48, "PassThroughRequest sense area");

const ULONG kPassThroughTimeoutSeconds = 150;

void BuildPassThroughRequest(PassThroughRequest *request, BYTE opcode, BYTE dataIn, void *buffer,
                             DWORD length);
int PassThroughSucceeded(BOOL ioctlResult, const PassThroughRequest *request);
int SendPassThroughCommand(HANDLE handle, BYTE opcode, BYTE dataIn, void *buffer, DWORD length);
