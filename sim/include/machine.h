// The simulated Windows machine behind the Win32 subset of win32.h: what is
// attached and installed, what the process holds, and the hooks a test uses
// to fail platform calls and to inspect what devices and users saw.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "win32.h"

namespace sim {

// SCSI status bytes a device answers with.
constexpr uint8_t kGood = 0x00;
constexpr uint8_t kCheckCondition = 0x02;

struct ScsiAnswer {
    uint8_t status = kGood;
    std::vector<uint8_t> data;  // what the device transfers for data-in; may be shorter than asked
};

struct ScsiDevice {
    std::map<uint8_t, ScsiAnswer> answers;  // by operation code; others end in CHECK CONDITION
    bool scsiCapable = true;                // false: pass-through is refused (ERROR_INVALID_FUNCTION)
    std::vector<std::vector<uint8_t>> requests;  // every pass-through block exactly as received
};

struct DiskInterface {
    std::string path;   // device path as SetupAPI reports it
    std::string opens;  // name of the device that CreateFileA on the path reaches; empty: none
    bool present = true;  // false: registered, device not attached (listed only without DIGCF_PRESENT)
};

struct VolumeInterface {
    std::string path;        // interface path; path + "\" is a mount point of the volume
    std::string deviceId;    // the volume's own device identifier
    std::string parentId;    // its parent's (the disk's) device identifier
    std::string volumeName;  // "\\?\Volume{...}\" it leads to; empty: none
    bool present = true;
};

struct Drive {
    UINT type = DRIVE_FIXED;
    std::string volumeName;  // empty: GetVolumeNameForVolumeMountPointA fails on the root
    std::string opens;       // device reached by "\\.\X:"; empty: none
};

struct VendorCall {
    char letter = 0;
    std::array<uint8_t, 255> chipModel{};  // 255 bytes read from the address received
    uintptr_t record = 0;
};

struct VendorLibrary {
    bool installed = false;
    bool hasEntryPoint = true;
    int result = 0;
    bool writesRecord = true;
    std::array<uint8_t, 32> key{};
    std::vector<VendorCall> calls;
};

struct AspiAnswer {
    uint8_t status = 0x01;  // SS_COMP
    std::vector<uint8_t> data;
};

struct AspiUnit {
    uint8_t target = 0;
    uint8_t lun = 0;
    uint8_t devTypeStatus = 0x01;  // SS_COMP
    uint8_t deviceType = 0x00;     // DTYPE_DASD
    AspiAnswer inquiry;            // answer to INQUIRY (0x12)
    std::map<uint8_t, AspiAnswer> answers;  // other operation codes; absent: aborted with error status
};

struct AspiAdapter {
    uint8_t inquiryStatus = 0x01;  // SS_COMP
    std::vector<AspiUnit> units;
};

struct AspiManager {
    bool installed = false;
    std::set<std::string> missing;  // entry points it lacks
    uint8_t supportStatus = 0x01;   // SS_COMP
    int adapterCount = -1;          // -1: the number of adapters
    std::vector<AspiAdapter> adapters;
    bool completeLater = false;     // SC_EXEC_SCSI_CMD answers SS_PENDING, finished by another thread
    unsigned completionDelayMs = 20;  // 0: finished before SendASPI32Command returns SS_PENDING
    std::vector<std::vector<uint8_t>> srbs;  // every request block as received
};

struct Machine {
    DWORD major = 5, minor = 1, build = 2600, platform = VER_PLATFORM_WIN32_NT;  // as GetVersionExA reports it
    DWORD trueMajor = 0, trueMinor = 0, trueBuild = 0;  // the true version, where a capture knows it; 0: unknown
    std::vector<DiskInterface> disks;
    std::vector<VolumeInterface> volumes;
    std::map<char, Drive> drives;
    DWORD extraDriveBits = 0;  // bits 26-31 of GetLogicalDrives
    std::map<std::string, std::vector<uint8_t>> mountedDevices;  // values under SYSTEM\MountedDevices
    std::map<std::string, ScsiDevice> devices;
    std::map<std::string, std::set<std::string>> missingEntryPoints;  // by module file name
    std::set<std::string> absentModules;
    VendorLibrary vendor;
    AspiManager aspi;
    std::vector<std::pair<std::string, int>> faults;  // (operation, nth call) from a scenario
};

// One CreateFileA call exactly as received.
struct FileOpen {
    std::string name;
    DWORD access, share, disposition, flags;
    bool opened;
    DWORD error;  // when not opened
};

// One DeviceIoControl on a device: its result and the reply block.
struct IoctlRecord {
    std::string device;
    bool ok;
    DWORD error;
    std::vector<uint8_t> reply;  // the output buffer as the call left it
};

struct MessageBoxRecord {
    HWND owner;
    std::string text;
    std::string caption;
    UINT style;
};

struct Resources {
    int handles = 0;      // files and events
    int events = 0;
    int lists = 0;        // device information lists
    int heapBlocks = 0;
    int keys = 0;
    int modules = 0;      // references taken with LoadLibraryA and not released
    int badReleases = 0;  // releases of something not held (double closes and the like)
    bool operator==(const Resources &) const = default;
};

// Installs m as the machine and starts a fresh process on it. Anything the
// previous process still held is forgotten (heap blocks are reclaimed).
void Reset(const Machine &m = Machine());
Machine &Current();

// Makes the nth call (1-based, counted from Reset) of a platform operation
// fail as Windows fails it.
void FailCall(const std::string &operation, int nth);
int CallCount(const std::string &operation);
// Every platform operation called since Reset, in order.
const std::vector<std::string> &CallLog();

Resources Held();
int ModuleReferences(const std::string &fileName);
HMODULE DisabledThreadCallsFor();
const std::vector<MessageBoxRecord> &MessageBoxes();
const std::vector<FileOpen> &FileOpens();
const std::vector<IoctlRecord> &Ioctls();
// With tracing on, every platform call is recorded with its arguments and
// result, one line each.
void TraceCalls(bool on);
const std::vector<std::string> &Trace();
// The names of the platform operations the machine implements (the names
// FailCall and a scenario's faults take).
const std::set<std::string> &Operations();
// Finishes outstanding background completions (joins their threads).
void Settle();

// Unicode text as the UTF-16LE bytes a MountedDevices value holds.
std::vector<uint8_t> Utf16(const std::string &text);
// A machine that binds: Windows XP, one matching flash disk answering the
// vendor read command, its removable volume under E.
Machine DefaultMachine();
// Reads a machine from a JSON scenario file; on failure returns false and
// puts "file: field: problem" into error.
bool LoadScenario(const std::string &file, Machine &m, std::string &error);

}  // namespace sim
