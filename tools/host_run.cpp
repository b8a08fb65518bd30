#include "host_run.h"

#include <cstring>

#include "discovery/resolver.h"
#include "lifecycle/state.h"
#include "lifecycle/vendor.h"
#include "morvalith.h"
#include "output.h"

Mark Now() { return {sim::Trace().size(), sim::TraceLeftOut(), sim::CallLog().size() + sim::CallLogLeftOut()}; }

void StartProcess(const sim::Machine &m)
{
    sim::InstallProgram(MORVALITH_VENDOR_HELPER, RunVendorHelper);
    sim::Reset(m);
    ResetLibraryState();
}

HostRun RunHost(const sim::Machine &m)
{
    StartProcess(m);
    sim::TraceCalls(true);
    HostRun r;
    HINSTANCE self = (HINSTANCE)0x10000000;
    r.lines = CaughtOutput([&] { r.loaded = DllMain(self, DLL_PROCESS_ATTACH, nullptr); });
    // The attach asks the version first, and the machine says whether it made
    // that query fail.
    for (const sim::InjectedFailure &f : sim::InjectedFailures())
        r.versionFailed = r.versionFailed || (f.operation == "GetVersionExA" && f.nth == 1);
    r.attach = Now();
    if (r.loaded) {
        CaughtOutput([&] { r.letter = GetUSBDriveLetter(); });
        r.letterCall = Now();
        unsigned char key[32];
        r.boxesBefore = sim::MessageBoxes().size();
        CaughtOutput([&] { r.key = GetIDKey(key); });
        std::memset(key, 0, sizeof(key));
        r.keyCall = Now();
    }
    DllMain(self, DLL_PROCESS_DETACH, nullptr);
    sim::Settle();
    sim::TraceCalls(false);
    return r;
}

std::vector<DWORD> FreshMasks(const sim::Machine &m)
{
    StartProcess(m);
    std::vector<DWORD> masks(m.disks.size(), 0);
    for (size_t i = 0; i < m.disks.size(); ++i) {
        char token[kInstanceTokenSize];
        if (m.disks[i].present &&
            DiskInstanceToken(m.disks[i].path.c_str(), kLetterBusToken, kLetterClassToken, kLetterRevisionToken, token))
            masks[i] = GetInstanceDriveMask(token);
    }
    sim::Settle();
    return masks;
}
