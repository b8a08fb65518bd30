// Why the library refused, or why one of its calls failed, on one host's
// run: a cause with its facts, as data. The words are the presentation's
// (explain.cpp).
#pragma once

#include <cstdint>
#include <string>

#include "host_run.h"

// A pass-through reply as the disk left it: whether the command reached the
// disk, its status, how much it moved and its sense (-1: none returned).
struct ScsiReply {
    bool reached = false;
    DWORD error = 0;  // when it did not reach the disk
    uint8_t status = 0;
    DWORD transferred = 0;
    int senseKey = -1, asc = -1, ascq = -1;
    bool bound = false;  // the library's own verdict: the read succeeded
};
ScsiReply DecodeReply(const sim::IoctlRecord &record);

enum class Cause {
    None,                 // loads, and both calls succeed
    VersionUnreadable,    // GetVersionExA failed
    WindowsNotServed,     // major, minor, platform
    NoFlashDisk,          // nearMiss, name
    DiskSearchFailed,     // fault
    NoCdromDrive,         // Vista and later
    NoAutorunVolume,
    OpenFailed,           // error
    TransportFailed,      // error: DeviceIoControl failed
    CommandRefused,       // status, senseKey
    AttachFailed,         // fault (may be empty)
    NoAspiManager,
    AspiEntryPointMissing,  // name
    AspiNotStarted,       // status
    NoHostAdapters,
    NoAspiFlashDisk,
    UnitRefused,          // adapter, target, lun, status
    LetterSearchFailed,   // fault, keyServed
    NoLetterDisk,         // no disk's path holds the letter tokens
    NoLetteredVolume,
    NoVendorLibrary,
    NoVendorEntryPoint,
    VendorCallFailed,     // vendorResult, letter
    NoVendorHelper,       // 64-bit library, 32-bit vendor library, no morvalith-vendor32.exe beside it
    VendorHelperFailed,   // the helper gave no whole answer (hung, crashed, short record)
    KeyFailed,            // fault (may be empty)
};

// The nearest miss when no disk passes a pattern.
enum class NearMiss { None, UpperCase, OtherDisk };

// The platform call a run's step failed on purpose (a fault the machine
// describes); operation empty when none did.
struct Fault {
    std::string operation;
    int nth = 0;
    bool operator==(const Fault &) const = default;
};

struct Diagnosis {
    Cause cause = Cause::None;
    Fault fault;
    DWORD error = 0;
    int status = -1, senseKey = -1;
    unsigned adapter = 0, target = 0, lun = 0;
    NearMiss nearMiss = NearMiss::None;
    std::string name;  // the path or disk name of the near miss; the missing entry point
    char letter = 0;
    bool keyServed = false;
    int vendorResult = 0;
    uint32_t major = 0, minor = 0, platform = 0;
    bool operator==(const Diagnosis &) const = default;
};

// Reads the run and what the machine recorded while it ran (the simulated
// process is still the run's).
Diagnosis Diagnose(const sim::Machine &m, const HostRun &run);
