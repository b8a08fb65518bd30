// The pass-through block and its success rule, on their own.
#include "harness.h"
#include "transport/passthrough.h"

namespace {

TEST(PassThrough, SuccessNeedsBothTheCallAndGoodStatus)
{
    PassThroughRequest request;
    BuildPassThroughRequest(&request, 0x82, 1, nullptr, 0);
    EXPECT_EQ(PassThroughSucceeded(TRUE, &request), 1);
    EXPECT_EQ(PassThroughSucceeded(FALSE, &request), 0);
    request.header.ScsiStatus = 0x02;
    EXPECT_EQ(PassThroughSucceeded(TRUE, &request), 0);
    request.header.ScsiStatus = 0x08;  // BUSY
    EXPECT_EQ(PassThroughSucceeded(TRUE, &request), 0);
}

TEST(PassThrough, CarriesTheCallersDirectionLengthAndOpcodeUnchanged)
{
    uint8_t buffer[8];
    PassThroughRequest request;
    std::memset(&request, 0xEE, sizeof(request));
    BuildPassThroughRequest(&request, 0x2A, 0, buffer, 8);
    EXPECT_EQ(request.header.DataIn, 0);
    EXPECT_EQ(request.header.DataTransferLength, 8u);
    EXPECT_EQ(request.header.DataBuffer, (void *)buffer);
    EXPECT_EQ(request.header.Cdb[0], 0x2A);
    EXPECT_EQ(request.alignment, 0u);
    for (uint8_t b : request.sense) EXPECT_EQ(b, 0);
    for (int i = 1; i < 16; ++i) EXPECT_EQ(request.header.Cdb[i], 0);
}

TEST(PassThrough, ASendToAHandleThatIsNoDeviceFails)
{
    harness::Boot(harness::XpWithFlashDisk());
    uint8_t sector[512];
    PassThroughRequest request;
    for (HANDLE handle : {(HANDLE)0x4242, INVALID_HANDLE_VALUE}) {
        BOOL delivered = TRUE;
        EXPECT_EQ(SendPassThroughCommand(handle, &request, 0x82, 1, sector, sizeof(sector), &delivered), 0);
        // The caller's block holds the request it was sent, and learns that the call failed.
        EXPECT_EQ(delivered, FALSE);
        EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_HANDLE);
        EXPECT_EQ(request.header.Cdb[0], 0x82);
        EXPECT_EQ(request.header.DataBuffer, (void *)sector);
    }
}

}  // namespace
