// The simulated process behind the Win32 subset: what it holds, what it
// records, and the bookkeeping every entry point shares (call counting,
// injected failures, handles). Private to sim/.
#pragma once

#include <cctype>
#include <cstring>
#include <functional>
#include <memory>
#include <unordered_map>

#include "machine.h"
#include "text.h"
#include "os.h"

namespace sim::detail {

constexpr uint8_t SS_PENDING = 0x00, SS_INVALID_HA = 0x81, SS_INVALID_SRB = 0xE0,
                  SS_NO_DEVICE = 0x82;
constexpr uint8_t SRB_EVENT_NOTIFY = 0x40;

enum class Kind { File, Event, Pipe, Process, Thread };

// An anonymous pipe: the bytes written and not yet read, and how many write
// ends are open (ours, and the helper's inherited copy while it runs).
struct PipeState {
    std::vector<uint8_t> bytes;
    int writers = 0;
};

struct Process;

// A started process (a program of ours, run in a simulated process of its
// own): whether it has ended, with what, and its handle table, whose pipe
// write ends keep the pipes open while it runs.
struct ChildState {
    std::unique_ptr<Process> process;
    bool exited = false;
    DWORD exitCode = 0;
    unsigned long long runsMs = 0;  // how long it runs; ~0: for ever
    bool survivesTerminate = false;
    void Exit(DWORD code);          // ends it: its handles close
};

// An event's state, shared by every handle to it (a named event opened twice).
struct EventState {
    bool signalled = false;
    bool autoReset = false;  // a wait that ends on it resets it
};

struct Object {
    Kind kind;
    std::string device;  // File: the device it reaches
    std::shared_ptr<EventState> event;  // Event
    std::shared_ptr<PipeState> pipe;    // Pipe
    bool writeEnd = false;              // Pipe
    std::shared_ptr<ChildState> child;  // Process
    bool inherit = false;               // inheritable (HANDLE_FLAG_INHERIT)
};

struct DevInfoList {
    int classIndex;               // 0 disks, 1 volumes, -1 other
    std::vector<size_t> members;  // indexes into the machine's disks or volumes
};

struct Module {
    std::string name;
    int refs = 0;
    bool mapped = false;  // mapped in every process (kernel32): GetModuleHandleA finds it without a load
};

struct Process {
    Machine machine;
    int bits = (int)sizeof(void *) * 8;  // the process's size: a module of the other cannot be loaded
    // A child's standard output as the machine lets it reach the pipe: the
    // bytes left before it ends, and what is laid over the first ones.
    unsigned long long outputLeft = ~0ull;
    std::vector<uint8_t> overwrite;
    size_t outputWritten = 0;
    std::vector<std::shared_ptr<ChildState>> children;  // every process it started
    std::map<std::string, int> calls;
    std::map<std::string, std::set<int>> faults;
    std::vector<std::string> log;
    std::map<uintptr_t, Object> objects;
    std::map<uintptr_t, DevInfoList> lists;
    std::map<void *, size_t> heap;
    std::set<uintptr_t> keys;
    std::map<std::string, std::weak_ptr<EventState>> namedEvents;
    std::map<uintptr_t, Module> modules;  // by handle
    uintptr_t nextHandle = 0x1000;
    int badReleases = 0;
    HMODULE disabledThreadCalls = nullptr;
    std::vector<MessageBoxRecord> boxes;
    std::vector<FileOpen> opens;
    std::vector<IoctlRecord> ioctls;
    std::map<std::string, std::vector<std::vector<uint8_t>>> deviceRequests;
    std::vector<VendorCall> vendorCalls;
    std::vector<ProcessStart> processStarts;
    std::vector<std::vector<uint8_t>> aspiRequests;
    std::vector<std::string> trace;
    // Present volume interfaces by lower-cased path, for the mount-point
    // lookup that the drive-letter search makes per drive and disk.
    std::unordered_map<std::string, size_t> volumeIndex;
    bool tracing = false;
    std::vector<InjectedFailure> injected;
    bool traced = false;     // the last call went into the trace
    size_t traceLeftOut = 0; // calls past the trace's cap
    size_t logLeftOut = 0;   // calls past the log's cap
    bool failed = false;  // the current call failed through Fail()
    DWORD lastError = 0;
};

// The process whose code runs now: the host's, or a child while a program
// of ours runs in it. Root() is the host's, which keeps what the machine's
// devices and users saw (vendor calls, boxes) for every process.
Process &P();
Process &Root();
// Runs body with child as the current process.
void RunIn(Process &child, const std::function<void()> &body);

const GUID kDiskClass = {0x53F56307, 0xB6BF, 0x11D0, {0x94, 0xF2, 0x00, 0xA0, 0xC9, 0x1E, 0xFB, 0x8B}};
const GUID kVolumeClass = {0x53F5630D, 0xB6BF, 0x11D0, {0x94, 0xF2, 0x00, 0xA0, 0xC9, 0x1E, 0xFB, 0x8B}};
// The setup classes of the devices behind them (GUID_DEVCLASS_DISKDRIVE,
// GUID_DEVCLASS_VOLUME), which SP_DEVINFO_DATA.ClassGuid carries.
const GUID kDiskDriveSetupClass = {0x4D36E967, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};
const GUID kVolumeSetupClass = {0x71A27CDD, 0x812A, 0x11D0, {0xBE, 0xC7, 0x08, 0x00, 0x2B, 0xE2, 0x09, 0x2F}};
const uintptr_t kProcessHeap = 0x00150000;
// Caps on what a run keeps: far above what any machine the reader accepts
// needs for the library's own calls, so that a hostile machine cannot make
// the record itself the cost.
const size_t kMaxCallLog = 1 << 20;
const size_t kMaxTrace = 1 << 16;
// Device instances: disks from 1, volumes from 0x100000, their parents from
// 0x200000; distinct for any number of interfaces a scenario may hold.
const DEVINST kVolumeInstanceBase = 0x100000, kParentInstanceBase = 0x200000;
const std::string kVendorModule = "vendor\\vendorufdapi.dll";
const std::string kAspiModule = "wnaspi32.dll";

bool SameNoCase(const std::string &a, const std::string &b);
// Counts the call and tells whether this one is to fail.
bool Enter(const char *operation);
template <typename T> T Fail(DWORD error, T result)
{
    P().lastError = error;
    P().failed = true;
    return result;
}
// How the trace shows an argument or a result.
std::string Arg(const char *s);
std::string Arg(char *s);
std::string Arg(const void *p);
std::string Arg(void *p);
std::string Arg(unsigned long v);
std::string Arg(unsigned int v);
std::string Arg(long v);
std::string Arg(int v);
std::string Arg(FARPROC p);
std::string Arg(const GUID *g);
inline std::string Args() { return ""; }
template <typename A, typename... R> std::string Args(A a, R... rest)
{
    std::string first = Arg(a);
    return sizeof...(rest) ? first + ", " + Args(rest...) : first;
}

// One platform call: counted, failed when a fault names it (the body is told
// so and answers as the real call would), and, when the trace is on, written
// to it with its arguments and result.
template <typename F, typename... A> auto Traced(const char *op, F body, A... args)
{
    Process &p = P();
    p.failed = false;
    auto result = body(Enter(op));
    p.traced = false;
    if (p.tracing && p.trace.size() >= kMaxTrace) {
        ++p.traceLeftOut;
    } else if (p.tracing) {
        std::string line = std::string(op) + "(" + Args(args...) + ") = " + Arg(result);
        if (p.failed) line += " [error " + std::to_string(p.lastError) + "]";
        p.trace.push_back(line);
        p.traced = true;
    }
    return result;
}

uintptr_t NewHandle();
bool SameGuid(const GUID *a, const GUID &b);
std::string ModuleFileName(LPCSTR name);
const VolumeInterface *VolumeByPath(const std::string &path);
void SignalEvent(void *handle);

// The device models (devices.cpp): a pass-through request to the named
// device, the modules the machine has, and the entry points LoadLibraryA
// and GetProcAddress hand out.
BOOL ScsiPassThrough(const std::string &name, DWORD code, LPVOID in, DWORD inSize, LPVOID out, DWORD outSize,
                     LPDWORD returned);
bool ModuleInstalled(const std::string &file);
// The module's size, when it is not the process's: a process cannot load it.
bool OtherSizeModule(const std::string &file);
// A program installed on the machine (sim::InstallProgram) by file name.
const Program *FindProgram(const std::string &fileName);
FARPROC LookUp(const std::string &module, LPCSTR name);
// The handles an extended startup record's attribute list names.
bool HandleList(LPPROC_THREAD_ATTRIBUTE_LIST list, std::vector<HANDLE> &handles);

}  // namespace sim::detail
