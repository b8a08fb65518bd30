// The diagnosis of one run. Every verdict comes from the library's own
// functions (the path patterns, the pass-through verdict, the instance
// token) or from what the simulated machine recorded while the library ran;
// nothing here restates a rule of the library.
#include "diagnosis.h"

#include <algorithm>
#include <cstring>

#include "discovery/locator.h"
#include "discovery/resolver.h"
#include "lifecycle/state.h"
#include "lifecycle/vendor.h"
#include "text.h"
#include "transport/passthrough.h"

ScsiReply DecodeReply(const sim::IoctlRecord &r)
{
    ScsiReply s;
    if (!r.ok) {
        s.error = r.error;
        return s;
    }
    s.reached = true;
    PassThroughRequest reply;
    std::memset(&reply, 0, sizeof(reply));
    std::memcpy(&reply, r.reply.data(), std::min(r.reply.size(), sizeof(reply)));
    const SCSI_PASS_THROUGH_DIRECT &h = reply.header;
    s.status = h.ScsiStatus;
    s.transferred = h.DataTransferLength;
    size_t at = h.SenseInfoOffset;
    if (h.SenseInfoLength >= 3 && at + 3 <= r.reply.size()) s.senseKey = r.reply[at + 2] & 0x0F;
    if (h.SenseInfoLength >= 14 && at + 14 <= r.reply.size()) {
        s.asc = r.reply[at + 12];
        s.ascq = r.reply[at + 13];
    }
    s.bound = PassThroughSucceeded(TRUE, &reply) != 0;
    return s;
}

namespace {

// The first platform call of a step that the machine failed on purpose.
Fault FirstFault(Mark from, Mark to)
{
    for (const sim::InjectedFailure &f : sim::InjectedFailures())
        if (f.position >= from.calls && f.position < to.calls) return {f.operation, f.nth};
    return {};
}

// Why a served disk did not match: the nearest miss among the USB disks.
Diagnosis NoFlashDisk(const sim::Machine &m)
{
    Diagnosis d{.cause = Cause::NoFlashDisk};
    for (const sim::DiskInterface &disk : m.disks)
        if (disk.present && sim::Lower(disk.path) != disk.path && DevicePathMatches(sim::Lower(disk.path).c_str())) {
            d.nearMiss = NearMiss::UpperCase;
            d.name = disk.path;
            return d;
        }
    // A USB disk's name: from its class on, to the next '#'.
    const std::string bus = std::string(kLetterBusToken) + "#", model = std::string(kLetterClassToken) + "&ven_";
    for (const sim::DiskInterface &disk : m.disks) {
        std::string lower = sim::Lower(disk.path);
        size_t name = lower.find(bus + model);
        if (!disk.present || name == std::string::npos) continue;
        name += bus.size();
        size_t end = lower.find('#', name + model.size());
        d.nearMiss = NearMiss::OtherDisk;
        d.name = disk.path.substr(name, end == std::string::npos ? 60 : end - name);
        return d;
    }
    return d;
}

Diagnosis DiagnoseNt(const sim::Machine &m, const HostRun &run)
{
    const auto &opens = sim::FileOpens();
    if (opens.empty()) {
        bool candidate = false;
        for (const sim::DiskInterface &d : m.disks) candidate = candidate || (d.present && DevicePathMatches(d.path.c_str()));
        if (!candidate) return NoFlashDisk(m);
        Fault fault = FirstFault(Mark{}, run.attach);
        if (!fault.operation.empty()) return {.cause = Cause::DiskSearchFailed, .fault = fault};
        bool cdrom = false;
        for (const auto &[letter, drive] : m.drives) cdrom = cdrom || drive.type == DRIVE_CDROM;
        return {.cause = cdrom ? Cause::NoAutorunVolume : Cause::NoCdromDrive};
    }
    const sim::FileOpen &open = opens.front();
    if (!open.opened) return {.cause = Cause::OpenFailed, .error = open.error};
    for (const sim::IoctlRecord &r : sim::Ioctls()) {
        ScsiReply reply = DecodeReply(r);
        if (!reply.reached) return {.cause = Cause::TransportFailed, .error = reply.error};
        if (reply.bound) continue;
        return {.cause = Cause::CommandRefused, .status = reply.status, .senseKey = reply.senseKey};
    }
    return {.cause = Cause::AttachFailed, .fault = FirstFault(Mark{}, run.attach)};
}

Diagnosis Diagnose9x(const sim::Machine &m)
{
    const sim::AspiManager &a = m.aspi;
    if (!a.installed) return {.cause = Cause::NoAspiManager};
    if (!a.missing.empty()) return {.cause = Cause::AspiEntryPointMissing, .name = *a.missing.begin()};
    if (a.supportStatus != SS_COMP && a.supportStatus != SS_NO_ADAPTERS)
        return {.cause = Cause::AspiNotStarted, .status = a.supportStatus};
    if (sim::AdapterCount(a) == 0 || a.supportStatus == SS_NO_ADAPTERS) return {.cause = Cause::NoHostAdapters};
    for (const auto &srb : sim::AspiRequests()) {
        using namespace sim::srb;
        if (srb[kCmd] != kExecScsiCmd || srb.size() <= kCdb || srb[kCdb] != kVendorReadOpcode) continue;
        // The request block is recorded as sent; the unit's answer is in the machine.
        Diagnosis d{.cause = Cause::UnitRefused, .status = sim::kAspiUnanswered, .adapter = srb[kHaId],
                    .target = srb[kTarget], .lun = srb[kLun]};
        if (srb[kHaId] < a.adapters.size())
            for (const sim::AspiUnit &u : a.adapters[srb[kHaId]].units)
                if (u.target == srb[kTarget] && u.lun == srb[kLun] && u.answers.count(kVendorReadOpcode))
                    d.status = u.answers.at(kVendorReadOpcode).status;
        return d;
    }
    return {.cause = Cause::NoAspiFlashDisk};
}

Diagnosis DiagnoseCalls(const sim::Machine &m, const HostRun &run)
{
    if (!run.letter) {
        Fault fault = FirstFault(run.attach, run.letterCall);
        if (!fault.operation.empty())
            return {.cause = Cause::LetterSearchFailed, .fault = fault, .keyServed = run.key != 0};
        bool tested = false;
        for (const sim::DiskInterface &d : m.disks) {
            char token[kInstanceTokenSize];
            tested = tested || (d.present && DiskInstanceToken(d.path.c_str(), kLetterBusToken, kLetterClassToken,
                                                               kLetterRevisionToken, token));
        }
        return {.cause = tested ? Cause::NoLetteredVolume : Cause::NoLetterDisk};
    }
    Diagnosis d{.cause = run.key ? Cause::None : Cause::KeyFailed, .letter = run.letter};
    if (run.key) return d;
    for (size_t i = run.boxesBefore; i < sim::MessageBoxes().size() && d.cause == Cause::KeyFailed; ++i) {
        const std::string &text = sim::MessageBoxes()[i].text;
        if (text == MORVALITH_NO_VENDOR_LIBRARY_BOX) d.cause = Cause::NoVendorLibrary;
        if (text == MORVALITH_NO_VENDOR_ENTRY_POINT_BOX) d.cause = Cause::NoVendorEntryPoint;
    }
    // The 64-bit library's road to a 32-bit vendor library: its helper.
    const bool helperRoad = MORVALITH_64BIT && m.vendor.bits == 32 && m.vendor.installed;
    if (helperRoad && d.cause == Cause::NoVendorLibrary && !m.vendorHelper.installed) d.cause = Cause::NoVendorHelper;
    const sim::VendorHelper &h = m.vendorHelper;
    // A whole answer in time, whose outcome (where the machine overwrote it)
    // is one the library takes.
    VendorAnswer overwritten{};
    if (!h.overwrite.empty())
        std::memcpy(&overwritten, h.overwrite.data(), std::min(h.overwrite.size(), sizeof(overwritten.outcome)));
    const bool helperAnswered = !h.hangs && h.takesMs <= kVendorHelperTimeoutMs && h.exitCode == 0 &&
                                h.writes >= sizeof(VendorAnswer) && overwritten.outcome <= kVendorNoEntryPoint;
    if (helperRoad && d.cause == Cause::KeyFailed && !sim::ProcessStarts().empty() && !helperAnswered)
        d.cause = Cause::VendorHelperFailed;
    if (d.cause == Cause::KeyFailed && !sim::VendorCalls().empty()) {
        d.cause = Cause::VendorCallFailed;
        d.vendorResult = m.vendor.result;
    }
    if (d.cause == Cause::KeyFailed) d.fault = FirstFault(run.letterCall, run.keyCall);
    return d;
}

}  // namespace

Diagnosis Diagnose(const sim::Machine &m, const HostRun &run)
{
    if (run.loaded) return DiagnoseCalls(m, run);
    if (run.versionFailed) return {.cause = Cause::VersionUnreadable};
    if (m.major >= 5) return DiagnoseNt(m, run);
    // A 64-bit library has no Windows 9x road: not served, as NT 4.
    if (!MORVALITH_64BIT && m.platform == VER_PLATFORM_WIN32_WINDOWS) return Diagnose9x(m);
    return {.cause = Cause::WindowsNotServed, .major = m.major, .minor = m.minor, .platform = m.platform};
}
