// The simulated Windows machine behind the Win32 subset of win32.h: what is
// attached and installed, what the process holds, and the hooks a test uses
// to fail platform calls and to inspect what devices and users saw.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "description.h"
#include "win32.h"

namespace sim {

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

// One call of the vendor library's VGetUFDProductInfo as received.
struct VendorCall {
    char letter = 0;
    std::array<uint8_t, 255> chipModel{};  // 255 bytes read from the address received
    uintptr_t record = 0;
    int bits = 0;  // the size of the process that made it (32: the helper)
    bool operator==(const VendorCall &) const = default;
};

struct MessageBoxRecord {
    HWND owner;
    std::string text;
    std::string caption;
    UINT style;
};

// One start of a process, as CreateProcessA received it.
struct ProcessStart {
    std::string application;
    std::string commandLine;
    bool inheritHandles = false;
    bool handleList = false;  // given a list of the handles it may inherit
    int inherited = 0;        // handles of the starting process it inherited
    bool stdOutputIsPipe = false;  // its standard output: the write end of a pipe it inherited
    DWORD flags = 0;
    DWORD startupFlags = 0;
    WORD showWindow = 0;
};

// A program of ours the machine can start: its code, given its command line
// and its standard output, run in a child process of its own; returns its
// exit code. Installed by file name, beside the hosted library, for every
// machine (kept across Reset).
using Program = std::function<DWORD(LPCSTR commandLine, HANDLE standardOutput)>;
void InstallProgram(const std::string &fileName, Program program);
// Processes started since Reset that still run.
int RunningProcesses();

struct Resources {
    int handles = 0;      // files, events, pipes, processes and threads
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
// The names of the platform operations the simulated machine implements (the
// names FailCall and a scenario's faults take).
const std::set<std::string> &Operations();
int CallCount(const std::string &operation);
// Every platform operation called since Reset, in order.
const std::vector<std::string> &CallLog();

Resources Held();
int ModuleReferences(const std::string &fileName);
HMODULE DisabledThreadCallsFor();
const std::vector<MessageBoxRecord> &MessageBoxes();
const std::vector<FileOpen> &FileOpens();
const std::vector<IoctlRecord> &Ioctls();
// What the devices received: the pass-through blocks each SCSI device was
// sent (by device name), the vendor library's calls, and every ASPI request
// block as WNASPI32 received it.
const std::vector<std::vector<uint8_t>> &DeviceRequests(const std::string &device);
const std::vector<VendorCall> &VendorCalls();
const std::vector<ProcessStart> &ProcessStarts();
const std::vector<std::vector<uint8_t>> &AspiRequests();

// The fields of an ASPI request block by their ASPI for Win32 names: byte
// offsets into the blocks WNASPI32 receives (and AspiRequests records).
namespace srb {
constexpr size_t kCmd = 0, kStatus = 1, kHaId = 2, kFlags = 3;
constexpr size_t kTarget = 8, kLun = 9;           // SC_GET_DEV_TYPE, SC_EXEC_SCSI_CMD
constexpr size_t kHaCount = 8, kHaScsiId = 9;     // SC_HA_INQUIRY
constexpr size_t kHaManagerId = 10;               // SC_HA_INQUIRY, 16 bytes
constexpr size_t kDeviceType = 10;                // SC_GET_DEV_TYPE
constexpr size_t kBufLen = 12, kBufPointer = 16, kPostProc = 24, kCdb = 48;  // SC_EXEC_SCSI_CMD
constexpr uint8_t kHaInquiry = 0, kGetDevType = 1, kExecScsiCmd = 2;        // kCmd values
}  // namespace srb
// With tracing on, every platform call is recorded with its arguments and
// result, one line each.
void TraceCalls(bool on);
const std::vector<std::string> &Trace();
// A call failed on purpose (FailCall, or a scenario's faults): which call of
// the operation it was, and its place among all calls since Reset.
struct InjectedFailure {
    std::string operation;
    int nth;
    size_t position;
};
const std::vector<InjectedFailure> &InjectedFailures();
// Calls past the caps of the trace and of the call log, counted only.
size_t TraceLeftOut();
size_t CallLogLeftOut();

// Finishes outstanding background completions (joins their threads).
void Settle();


}  // namespace sim
