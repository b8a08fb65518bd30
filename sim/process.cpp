// The simulated process's bookkeeping: the one process record, the helpers
// every entry point shares, and the machine control a test drives (Reset,
// faults, counts, records, what is held).
#include <cstdlib>

#include "process.h"

namespace sim {
namespace detail {

namespace {
Process *root = new Process();
Process *current = root;
std::map<std::string, Program> &Programs()
{
    static auto *programs = new std::map<std::string, Program>();
    return *programs;
}
}  // namespace

Process &P() { return *current; }
Process &Root() { return *root; }

void RunIn(Process &child, const std::function<void()> &body)
{
    Process *parent = current;
    current = &child;
    body();
    current = parent;
}

const Program *FindProgram(const std::string &fileName)
{
    auto it = Programs().find(Lower(fileName));
    return it == Programs().end() ? nullptr : &it->second;
}

void ChildState::Exit(DWORD code)
{
    if (exited) return;
    exited = true;
    exitCode = code;
    // The system closes what it held: its copies of pipe write ends too.
    for (auto &o : process->objects)
        if (o.second.kind == Kind::Pipe && o.second.writeEnd) --o.second.pipe->writers;
    process->objects.clear();
    for (auto &block : process->heap) std::free(block.first);
    process->heap.clear();
}



// Counts the call and tells whether this one is to fail.
bool Enter(const char *operation)
{
    Process &p = P();
    if (p.log.size() < kMaxCallLog) p.log.push_back(operation);
    else ++p.logLeftOut;
    int n = ++p.calls[operation];
    auto it = p.faults.find(operation);
    bool fail = it != p.faults.end() && it->second.count(n) != 0;
    if (fail) p.injected.push_back({operation, n, p.log.size() + p.logLeftOut - 1});
    return fail;
}


uintptr_t NewHandle()
{
    uintptr_t h = P().nextHandle;
    P().nextHandle += 4;
    return h;
}

bool SameGuid(const GUID *a, const GUID &b) { return a && std::memcmp(a, &b, sizeof(GUID)) == 0; }

std::string ModuleFileName(LPCSTR name)
{
    std::string s = Lower(name);
    size_t slash = s.find_last_of("\\/");
    std::string last = slash == std::string::npos ? s : s.substr(slash + 1);
    if (last.find('.') == std::string::npos) s += ".dll";  // the loader's default extension
    return s;
}


bool SameNoCase(const std::string &a, const std::string &b)
{
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower((unsigned char)a[i]) != std::tolower((unsigned char)b[i])) return false;
    return true;
}

const VolumeInterface *VolumeByPath(const std::string &path)
{
    const std::vector<VolumeInterface> &volumes = P().machine.volumes;
    auto it = P().volumeIndex.find(Lower(path));
    // A test may change the machine after Reset: the index is only a hint.
    if (it != P().volumeIndex.end() && it->second < volumes.size() && volumes[it->second].present &&
        SameNoCase(volumes[it->second].path, path))
        return &volumes[it->second];
    for (const VolumeInterface &v : volumes)
        if (v.present && SameNoCase(v.path, path)) return &v;
    return nullptr;
}

void SignalEvent(void *handle)
{
    sim::os::Guard lock;
    auto it = P().objects.find((uintptr_t)handle);
    if (it != P().objects.end() && it->second.kind == Kind::Event) it->second.event->signalled = true;
}

// ---- the trace's words for arguments and results ----------------------------

static std::string Hex(uintptr_t v)
{
    char text[16];
    std::snprintf(text, sizeof(text), "0x%lx", (unsigned long)v);
    return text;
}
std::string Arg(const char *s)
{
    if (!s) return "NULL";
    std::string out = "\"";
    for (const char *c = s; *c && out.size() < 300; ++c) {
        if (*c == '"' || *c == '\\') out += '\\';
        if ((unsigned char)*c < 0x20 || (unsigned char)*c >= 0x7F) out += "?";
        else out += *c;
    }
    return out + "\"";
}
std::string Arg(char *s) { return Arg((const char *)s); }
std::string Arg(const void *p) { return p ? Hex((uintptr_t)p) : "NULL"; }
std::string Arg(void *p) { return Arg((const void *)p); }
std::string Arg(unsigned long v) { return v < 10 ? std::to_string(v) : Hex(v); }
std::string Arg(unsigned int v) { return Arg((unsigned long)v); }
std::string Arg(long v) { return std::to_string(v); }
std::string Arg(int v) { return std::to_string(v); }
std::string Arg(FARPROC p) { return Arg((const void *)p); }
std::string Arg(const GUID *g)
{
    if (!g) return "NULL";
    char text[48];
    std::snprintf(text, sizeof(text), "{%08lX-%04X-%04X-...}", (unsigned long)g->Data1, g->Data2, g->Data3);
    return text;
}

}  // namespace detail

using namespace detail;

// ---- machine control -------------------------------------------------------

void Settle()
{
    sim::os::JoinBackground();
}

void Reset(const Machine &m)
{
    Settle();
    current = root;
    Process &p = P();
    for (auto &block : p.heap) std::free(block.first);
    for (auto &child : p.children)
        if (!child->exited) child->Exit(1);
    p = Process();
    p.machine = m;
    for (const auto &fault : m.faults) p.faults[fault.first].insert(fault.second);
    for (size_t i = 0; i < m.volumes.size(); ++i)
        if (m.volumes[i].present) p.volumeIndex.emplace(Lower(m.volumes[i].path), i);
}

Machine &Current() { return P().machine; }
void FailCall(const std::string &operation, int nth) { P().faults[operation].insert(nth); }
int CallCount(const std::string &operation)
{
    auto it = P().calls.find(operation);
    return it == P().calls.end() ? 0 : it->second;
}
const std::vector<std::string> &CallLog() { return P().log; }
HMODULE DisabledThreadCallsFor() { return P().disabledThreadCalls; }
const std::vector<MessageBoxRecord> &MessageBoxes() { return Root().boxes; }
const std::vector<FileOpen> &FileOpens() { return P().opens; }
const std::vector<IoctlRecord> &Ioctls() { return P().ioctls; }
const std::vector<std::vector<uint8_t>> &DeviceRequests(const std::string &device)
{
    static const std::vector<std::vector<uint8_t>> none;
    auto it = P().deviceRequests.find(device);
    return it == P().deviceRequests.end() ? none : it->second;
}
const std::vector<VendorCall> &VendorCalls() { return Root().vendorCalls; }
const std::vector<ProcessStart> &ProcessStarts() { return P().processStarts; }
void InstallProgram(const std::string &fileName, Program program) { Programs()[Lower(fileName)] = std::move(program); }
int RunningProcesses()
{
    int n = 0;
    for (const auto &child : Root().children) n += !child->exited;
    return n;
}
const std::vector<std::vector<uint8_t>> &AspiRequests() { return P().aspiRequests; }
void TraceCalls(bool on) { P().tracing = on; }
const std::vector<std::string> &Trace() { return P().trace; }
size_t TraceLeftOut() { return P().traceLeftOut; }
const std::vector<InjectedFailure> &InjectedFailures() { return P().injected; }
size_t CallLogLeftOut() { return P().logLeftOut; }


Resources Held()
{
    Process &p = P();
    Resources r;
    sim::os::Guard lock;
    for (const auto &o : p.objects) {
        ++r.handles;
        if (o.second.kind == Kind::Event) ++r.events;
    }
    r.lists = (int)p.lists.size();
    r.heapBlocks = (int)p.heap.size();
    r.keys = (int)p.keys.size();
    for (const auto &m : p.modules) r.modules += m.second.refs;
    r.badReleases = p.badReleases;
    return r;
}

int ModuleReferences(const std::string &fileName)
{
    for (const auto &m : P().modules)
        if (m.second.name == Lower(fileName)) return m.second.refs;
    return 0;
}

}  // namespace sim
