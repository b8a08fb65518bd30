// The description of a machine as the library sees it: plain data, shared
// by the simulated platform (host build), the capture of a live machine
// (Windows build) and the explanation, with its format (scenario.cpp);
// nothing here needs the Win32 declarations.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace sim {

// The values of the Win32 constants that a description holds.
constexpr uint32_t kPlatformWin32s = 0, kPlatformWindows = 1, kPlatformNt = 2;
constexpr uint32_t kDriveUnknown = 0, kDriveNoRootDir = 1, kDriveRemovable = 2, kDriveFixed = 3, kDriveRemote = 4,
                   kDriveCdrom = 5, kDriveRamdisk = 6;
// The scenario format this version reads and writes.
constexpr int kScenarioFormat = 1;

// SCSI status bytes a device answers with.
constexpr uint8_t kGood = 0x00;
constexpr uint8_t kCheckCondition = 0x02;

struct ScsiAnswer {
    uint8_t status = kGood;
    std::vector<uint8_t> data;  // what the device transfers for data-in; may be shorter than asked
    std::vector<uint8_t> sense;  // sense data returned with the status; empty: made up for CHECK CONDITION
    bool operator==(const ScsiAnswer &) const = default;
};

struct ScsiDevice {
    std::map<uint8_t, ScsiAnswer> answers;  // by operation code; others end in CHECK CONDITION
    bool scsiCapable = true;                // false: pass-through is refused (ERROR_INVALID_FUNCTION)
    uint32_t ioctlError = 0;                // not 0: DeviceIoControl fails with this error
    bool operator==(const ScsiDevice &) const = default;
};

struct DiskInterface {
    std::string path;   // device path as SetupAPI reports it
    std::string opens;  // name of the device that CreateFileA on the path reaches; empty: none
    bool present = true;  // false: registered, device not attached (listed only without DIGCF_PRESENT)
    uint32_t openError = 0;  // not 0: CreateFileA on the path fails with this error (5: access denied)
    uint32_t detailSize = 0;  // not 0: what the detail's size query answers instead of the true size
    bool operator==(const DiskInterface &) const = default;
};

struct VolumeInterface {
    std::string path;        // interface path; path + "\" is a mount point of the volume
    std::string deviceId;    // the volume's own device identifier
    std::string parentId;    // its parent's (the disk's) device identifier
    std::string volumeName;  // "\\?\Volume{...}\" it leads to; empty: none
    bool present = true;
    bool operator==(const VolumeInterface &) const = default;
};

struct Drive {
    uint32_t type = kDriveFixed;
    std::string volumeName;  // empty: GetVolumeNameForVolumeMountPointA fails on the root
    std::string opens;       // device reached by "\\.\X:"; empty: none
    uint32_t openError = 0;  // not 0: CreateFileA on "\\.\X:" fails with this error
    bool operator==(const Drive &) const = default;
};

struct VendorLibrary {
    bool installed = false;
    bool hasEntryPoint = true;
    int result = 0;
    bool writesRecord = true;
    std::array<uint8_t, 32> key{};
    // The DLL's own size: 0 the process's; 32 or 64. A process of the other
    // size cannot load it (ERROR_BAD_EXE_FORMAT): the 64-bit library then
    // calls a 32-bit one through its helper.
    int bits = 0;
    bool operator==(const VendorLibrary &) const = default;
};

// morvalith-vendor32.exe beside the 64-bit library: a 32-bit program that
// loads the vendor library and makes the one call. The machine runs the
// program's own code in a child process; these say how that process fares.
struct VendorHelper {
    bool installed = true;
    bool vendorLoads = true;  // false: the vendor library fails to load in the helper too (a dependency missing)
    uint32_t writes = 0xFFFFFFFF;  // bytes of its output that reach the pipe before it ends; fewer: a short answer
    uint32_t exitCode = 0;   // not 0: it is ended with this code (0xC0000005: it crashed) instead of its own
    bool hangs = false;      // never ends: the library's wait times out
    uint32_t takesMs = 0;    // how long it runs before it ends (a wait shorter than this times out)
    bool survivesTerminate = false;  // TerminateProcess succeeds, yet the process runs on (stuck in a driver)
    std::vector<uint8_t> overwrite;  // laid over the start of what it writes (a corrupt answer)
    bool operator==(const VendorHelper &) const = default;
};

struct AspiAnswer {
    uint8_t status = 0x01;  // SS_COMP
    std::vector<uint8_t> data;
    bool operator==(const AspiAnswer &) const = default;
};

// The status of a command a unit has no answer for (SS_ERR).
constexpr uint8_t kAspiUnanswered = 0x04;

struct AspiUnit {
    uint8_t target = 0;
    uint8_t lun = 0;
    uint8_t devTypeStatus = 0x01;  // SS_COMP
    uint8_t deviceType = 0x00;     // DTYPE_DASD
    AspiAnswer inquiry;            // answer to INQUIRY (0x12)
    std::map<uint8_t, AspiAnswer> answers;  // other operation codes; absent: kAspiUnanswered
    bool operator==(const AspiUnit &) const = default;
};

struct AspiAdapter {
    uint8_t inquiryStatus = 0x01;  // SS_COMP
    std::vector<AspiUnit> units;
    bool operator==(const AspiAdapter &) const = default;
};

struct AspiManager {
    bool installed = false;
    std::set<std::string> missing;  // entry points it lacks
    uint8_t supportStatus = 0x01;   // SS_COMP
    int adapterCount = -1;          // -1: the number of adapters
    std::vector<AspiAdapter> adapters;
    bool completeLater = false;     // SC_EXEC_SCSI_CMD answers SS_PENDING, finished by another thread
    unsigned completionDelayMs = 20;  // 0: finished before SendASPI32Command returns SS_PENDING
    bool operator==(const AspiManager &) const = default;
};

struct Machine {
    uint32_t major = 5, minor = 1, build = 2600, platform = kPlatformNt;  // as GetVersionExA reports it
    uint32_t trueMajor = 0, trueMinor = 0, trueBuild = 0;  // the true version, where a capture knows it; 0: unknown
    std::string servicePack;  // szCSDVersion ("Service Pack 3"); not in the scenario format
    std::vector<DiskInterface> disks;
    std::vector<VolumeInterface> volumes;
    std::map<char, Drive> drives;
    uint32_t extraDriveBits = 0;  // bits 26-31 of GetLogicalDrives
    std::map<std::string, std::vector<uint8_t>> mountedDevices;  // values under SYSTEM\MountedDevices
    // The hosted library's own file (GetModuleFileNameA on its module); the
    // programs beside it live in its folder.
    std::string libraryPath = "C:\\Program Files\\Host\\Morvalith.dll";
    std::map<std::string, ScsiDevice> devices;
    std::map<std::string, std::set<std::string>> missingEntryPoints;  // by module file name
    std::set<std::string> absentModules;
    VendorLibrary vendor;
    VendorHelper vendorHelper;
    AspiManager aspi;
    std::vector<std::pair<std::string, int>> faults;  // (operation, nth call) from a scenario
    bool operator==(const Machine &) const = default;
};


// The ASPI manager's adapter count as GetASPI32SupportInfo reports it.
int AdapterCount(const AspiManager &a);
// A machine that binds: Windows XP, one matching flash disk answering the
// vendor read command, its removable volume under E.
Machine DefaultMachine();

// The scenario format. A scenario is input from the field: at most this
// many bytes, checked before anything else is read.
constexpr size_t kMaxScenarioBytes = 4 << 20;
// Reads a machine from the text of a scenario named name, whose faults may
// name the given operations; on failure returns false and puts
// "name: field: problem" into error.
bool ParseScenario(const std::string &text, const std::string &name, const std::set<std::string> &operations,
                   Machine &m, std::string &error);
// The machine as scenario text (JSON), which ParseScenario reads back as the
// same machine. The description is input only: what a run records lives in
// the simulated process (machine.h).
std::string WriteScenario(const Machine &m);

}  // namespace sim
