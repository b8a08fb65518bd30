// What the tests share: machines to start from, the loader's part (attach
// and detach through DllMain) and what a host sees on standard output.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "host_run.h"
#include "lifecycle/state.h"
#include "machine.h"
#include "shared.h"
#include "text.h"


namespace harness {

inline HINSTANCE Self() { return (HINSTANCE)0x6A000000; }
const char kNotFound[] = "[LIB] Can not find Alcor flash disk\n";
const char kSectorFailed[] = "[LIB] Get Vendor 512bytes sector FAILED\n";
const char kDiskClassSuffix[] = "#{53f56307-b6bf-11d0-94f2-00a0c91efb8b}";
const char kVolumeClassSuffix[] = "#{53f5630d-b6bf-11d0-94f2-00a0c91efb8b}";

// A fresh process on machine m: the library state as the loader maps it.
inline void Boot(const sim::Machine &m)
{
    StartProcess(m);
}

struct Attach {
    BOOL result;
    std::string output;
};

inline Attach AttachLibrary()
{
    testing::internal::CaptureStdout();
    BOOL result = DllMain(Self(), DLL_PROCESS_ATTACH, nullptr);
    return {result, testing::internal::GetCapturedStdout()};
}

inline std::string DetachLibrary()
{
    testing::internal::CaptureStdout();
    DllMain(Self(), DLL_PROCESS_DETACH, nullptr);
    sim::Settle();
    return testing::internal::GetCapturedStdout();
}

// The attach on the booted machine fails with exactly these lines; the
// detach that follows prints nothing and nothing stays held.
// A refused attach with exactly these lines, nothing left held. Called as
// ExpectRefused(lines[, where]): a failure names the caller's line.
inline void ExpectRefusedAt(const char *file, int line, const std::string &lines, const std::string &where = "")
{
    ::testing::ScopedTrace trace(file, line, where.empty() ? "expected a refusal" : where);
    Attach a = AttachLibrary();
    EXPECT_FALSE(a.result);
    EXPECT_EQ(a.output, lines);
    EXPECT_EQ(DetachLibrary(), "");
    EXPECT_EQ(sim::Held(), sim::Resources{});
}
#define ExpectRefused(...) ::harness::ExpectRefusedAt(__FILE__, __LINE__, __VA_ARGS__)

// The vendor read's pass-through block, byte for byte, as the port driver
// sees it (SCSI_PASS_THROUGH_DIRECT, 32-bit layout), reading into buffer.
inline std::vector<uint8_t> VendorReadBlock(const void *buffer)
{
    // As the SDK lays the block out for the process: 80 bytes in a 32-bit
    // one, 96 in a 64-bit one (a 56-byte header with an 8-byte buffer
    // address, the alignment word, the sense area at 60, tail padding).
    const bool x64 = sizeof(void *) == 8;
    std::vector<uint8_t> block(x64 ? 96 : 80, 0);
    uintptr_t address = (uintptr_t)buffer;
    block[0] = x64 ? 56 : 44;  // Length
    block[4] = 1;              // TargetId (PathId, ScsiStatus and Lun 0)
    block[6] = 10;             // CdbLength
    block[7] = 8;              // SenseInfoLength
    block[8] = 1;              // DataIn; three bytes of alignment follow
    block[13] = 2;             // DataTransferLength 512
    block[16] = 150;           // TimeOutValue
    std::memcpy(&block[x64 ? 24 : 20], &address, sizeof(void *));  // DataBuffer
    block[x64 ? 32 : 24] = x64 ? 60 : 48;  // SenseInfoOffset: the sense area after the alignment word
    block[x64 ? 36 : 28] = 0x82;           // the vendor read; the rest of the CDB and the sense area stay 0
    return block;
}

inline std::string DiskPath(const std::string &device, const std::string &instance = "7&1a2b3c4d&0")
{
    return "\\\\?\\" + device + "#" + instance + kDiskClassSuffix;
}

inline std::string FlashDiskPath(const std::string &instance = "7&1a2b3c4d&0")
{
    return DiskPath("usbstor#disk&ven_generic&prod_flash_disk&rev_8.01", instance);
}

inline std::vector<uint8_t> Pattern(size_t n, uint8_t seed = 1)
{
    std::vector<uint8_t> bytes(n);
    for (size_t i = 0; i < n; ++i) bytes[i] = (uint8_t)(seed + i * 13);
    return bytes;
}

// A device that answers the vendor read command with good status.
inline sim::ScsiDevice FlashDevice(size_t sectorBytes = 512)
{
    sim::ScsiDevice device;
    device.answers[0x82] = sim::ScsiAnswer{sim::kGood, Pattern(sectorBytes)};
    return device;
}

inline sim::Machine Windows(DWORD major, DWORD minor = 0, DWORD platform = VER_PLATFORM_WIN32_NT)
{
    sim::Machine m;
    m.major = major;
    m.minor = minor;
    m.platform = platform;
    return m;
}

// An ASPI unit's INQUIRY answer: vendor and product padded, revision 8.01.
inline sim::AspiAnswer Inquiry(const std::string &vendor, const std::string &product)
{
    std::string text = (vendor + std::string(8, ' ')).substr(0, 8) + (product + std::string(16, ' ')).substr(0, 16) + "8.01";
    std::vector<uint8_t> data(8, 0);
    data.insert(data.end(), text.begin(), text.end());
    return {SS_COMP, data};
}

// A unit that identifies as the flash disk (or as vendor and product) and
// answers the vendor read.
inline sim::AspiUnit Unit(uint8_t target, uint8_t lun, const std::string &vendor = "Generic",
                   const std::string &product = "Flash Disk")
{
    sim::AspiUnit u;
    u.target = target;
    u.lun = lun;
    u.inquiry = Inquiry(vendor, product);
    u.answers[0x82] = {SS_COMP, Pattern(512, (uint8_t)(target * 8 + lun))};
    return u;
}

// Windows 98 with WNASPI32 and these units on each adapter.
inline sim::Machine Win98(std::vector<std::vector<sim::AspiUnit>> adapters)
{
    sim::Machine m = Windows(4, 10, VER_PLATFORM_WIN32_WINDOWS);
    m.aspi.installed = true;
    for (auto &units : adapters) m.aspi.adapters.push_back({SS_COMP, units});
    return m;
}

inline sim::Machine XpWithFlashDisk()
{
    sim::Machine m = Windows(5, 1);
    m.disks.push_back({FlashDiskPath(), "flash"});
    m.devices["flash"] = FlashDevice();
    return m;
}

// Vista and later open the autorun CD-ROM volume, not the disk interface.
inline void AddAutorunCdrom(sim::Machine &m, char letter, const std::string &device,
                            const std::string &mounted = "\\??\\SCSI#CdRom&Ven_Generic&Prod_Autorun_Disk#7&1&0#{53f56308}")
{
    m.drives[letter] = sim::Drive{DRIVE_CDROM, "", device};
    m.mountedDevices[std::string("\\DosDevices\\") + letter + ":"] = sim::Utf16(mounted);
    m.devices[device] = FlashDevice();
}

inline sim::Machine VistaWithFlashDisk(char autorunLetter = 'E')
{
    sim::Machine m = Windows(6, 0);
    m.disks.push_back({FlashDiskPath(), "flash"});
    m.devices["flash"] = FlashDevice();
    if (autorunLetter) AddAutorunCdrom(m, autorunLetter, "cdrom");
    return m;
}

inline bool NothingHeld()
{
    return sim::Held() == sim::Resources{};
}

// Operations that release what the library holds; failing them is not a
// situation Windows produces on a valid handle, so sweeps leave them alone.
inline bool IsRelease(const std::string &op)
{
    return op == "CloseHandle" || op == "HeapFree" || op == "RegCloseKey" || op == "SetupDiDestroyDeviceInfoList" ||
           op == "FreeLibrary";
}

// The platform operations of the run since Boot, with how often each was
// called: the calls a fault sweep fails one at a time. Releases are left out.
inline std::map<std::string, int> FaultPoints()
{
    std::map<std::string, int> calls;
    for (const std::string &op : sim::CallLog())
        if (!IsRelease(op)) calls[op]++;
    return calls;
}

}  // namespace harness
