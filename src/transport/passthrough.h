#pragma once
#include "../platform.h"

// The block handed to IOCTL_SCSI_PASS_THROUGH_DIRECT: the header, an
// alignment word and a sense area that the header points at by offset.
struct PassThroughRequest {
    SCSI_PASS_THROUGH_DIRECT header;
    ULONG alignment;
    UCHAR sense[32];
};
// 80 bytes with the sense area at 48 in a 32-bit process; in a 64-bit one
// the header is 56 bytes, the sense area at 60 and the block 96.
static_assert(sizeof(PassThroughRequest) == MORVALITH_BY_SIZE(80, 96), "PassThroughRequest size");
static_assert(offsetof(PassThroughRequest, sense) == MORVALITH_BY_SIZE(48, 60), "PassThroughRequest sense area");

const ULONG kPassThroughTimeoutSeconds = 150;

void BuildPassThroughRequest(PassThroughRequest *request, BYTE opcode, BYTE dataIn, void *buffer,
                             DWORD length);
int PassThroughSucceeded(BOOL ioctlResult, const PassThroughRequest *request);
// Builds the request in the caller's block and sends it; the block keeps the
// device's answer (status, sense, length moved) for a caller that wants it,
// delivered (when not NULL) whether the call itself succeeded, and the last
// error is the call's. Returns 1 when the command succeeded.
int SendPassThroughCommand(HANDLE handle, PassThroughRequest *request, BYTE opcode, BYTE dataIn, void *buffer,
                           DWORD length, BOOL *delivered);
