// The device models behind the modules a machine may have: the vendor
// product-information library and the ASPI manager WNASPI32, and the entry
// points LoadLibraryA and GetProcAddress hand out for them.
#include <algorithm>

#include "process.h"

namespace sim::detail {

namespace {

int WINAPI VendorGetProductInfo(char letter, char *chipModel, BYTE *productInfo)
{
    const VendorLibrary &v = P().machine.vendor;
    VendorCall call;
    call.letter = letter;
    std::memcpy(call.chipModel.data(), chipModel, call.chipModel.size());
    call.record = (uintptr_t)productInfo;
    P().vendorCalls.push_back(call);
    if (v.writesRecord) {
        // The whole record is written, so a copy of more than the key shows.
        std::memset(productInfo, 0xA5, 268);
        std::memcpy(productInfo + 202, v.key.data(), v.key.size());
    }
    return v.result;
}

DWORD __cdecl AspiSupportInfo(void)
{
    const AspiManager &a = P().machine.aspi;
    int count = a.adapterCount >= 0 ? a.adapterCount : (int)a.adapters.size();
    return ((DWORD)a.supportStatus << 8) | (DWORD)(count & 0xFF);
}

const AspiUnit *FindUnit(uint8_t adapter, uint8_t target, uint8_t lun)
{
    const AspiManager &a = P().machine.aspi;
    if (adapter >= a.adapters.size()) return nullptr;
    for (const AspiUnit &u : a.adapters[adapter].units)
        if (u.target == target && u.lun == lun) return &u;
    return nullptr;
}

void FinishExec(uint8_t *srb, AspiAnswer answer)
{
    DWORD length;
    std::memcpy(&length, srb + srb::kBufLen, 4);
    uint8_t *buffer;
    std::memcpy(&buffer, srb + srb::kBufPointer, 4);
    size_t n = std::min<size_t>(length, answer.data.size());
    if (buffer && n) std::memcpy(buffer, answer.data.data(), n);
    srb[srb::kStatus] = answer.status;
    void *event;
    std::memcpy(&event, srb + srb::kPostProc, 4);
    if (srb[srb::kFlags] & SRB_EVENT_NOTIFY) SignalEvent(event);
}

DWORD __cdecl AspiSendCommand(void *request)
{
    uint8_t *srb = (uint8_t *)request;
    const AspiManager &a = P().machine.aspi;
    size_t size = srb[srb::kCmd] == srb::kHaInquiry ? 60 : srb[srb::kCmd] == srb::kGetDevType ? 12 : srb[srb::kCmd] == srb::kExecScsiCmd ? 80 : 8;
    P().aspiRequests.emplace_back(srb, srb + size);
    uint8_t adapter = srb[srb::kHaId];
    if (adapter >= a.adapters.size() && srb[srb::kCmd] <= srb::kExecScsiCmd) {
        srb[srb::kStatus] = SS_INVALID_HA;
        return SS_INVALID_HA;
    }
    switch (srb[srb::kCmd]) {
    case srb::kHaInquiry: {
        srb[srb::kStatus] = a.adapters[adapter].inquiryStatus;
        srb[srb::kHaCount] = (uint8_t)a.adapters.size();
        srb[srb::kHaScsiId] = 7;
        std::memcpy(srb + srb::kHaManagerId, "SIMASPI         ", 16);
        return srb[srb::kStatus];
    }
    case srb::kGetDevType: {
        const AspiUnit *u = FindUnit(adapter, srb[srb::kTarget], srb[srb::kLun]);
        if (!u) {
            srb[srb::kStatus] = SS_NO_DEVICE;
            return SS_NO_DEVICE;
        }
        srb[srb::kStatus] = u->devTypeStatus;
        srb[srb::kDeviceType] = u->deviceType;
        return srb[srb::kStatus];
    }
    case srb::kExecScsiCmd: {
        const AspiUnit *u = FindUnit(adapter, srb[srb::kTarget], srb[srb::kLun]);
        AspiAnswer answer;
        if (!u) answer.status = SS_NO_DEVICE;
        else if (srb[srb::kCdb] == 0x12) answer = u->inquiry;
        else if (u->answers.count(srb[srb::kCdb])) answer = u->answers.at(srb[srb::kCdb]);
        else answer.status = SS_ERR;
        if (!a.completeLater) {
            FinishExec(srb, answer);
            return srb[srb::kStatus];
        }
        unsigned delay = a.completionDelayMs;
        if (delay == 0) {
            // Finished before the call returns, yet reported pending, as a
            // fast device on another processor can.
            FinishExec(srb, answer);
            return SS_PENDING;
        }
        srb[srb::kStatus] = SS_PENDING;
        Settle();
        sim::os::StartBackground([srb, answer, delay] {
            sim::os::SleepMs(delay);
            FinishExec(srb, answer);
        });
        return SS_PENDING;
    }
    default:
        srb[srb::kStatus] = SS_INVALID_SRB;
        return SS_INVALID_SRB;
    }
}


FARPROC AsFarproc(void *p) { return (FARPROC)p; }

}  // namespace

FARPROC LookUp(const std::string &module, LPCSTR name)
{
    if (((uintptr_t)name >> 16) == 0) return nullptr;  // by ordinal: none of these modules is asked that way
    const Machine &m = P().machine;
    auto missing = m.missingEntryPoints.find(module);
    if (missing != m.missingEntryPoints.end() && missing->second.count(name)) return nullptr;
    std::string n = name;
    if (module == "kernel32.dll" && n == "GetVolumeNameForVolumeMountPointA")
        return AsFarproc((void *)&GetVolumeNameForVolumeMountPointA);
    if (module == "setupapi.dll" && n == "CM_Get_Parent") return AsFarproc((void *)&CM_Get_Parent);
    if (module == "setupapi.dll" && n == "CM_Get_Device_IDA") return AsFarproc((void *)&CM_Get_Device_IDA);
    if (module == "user32.dll" && n == "MessageBoxA") return AsFarproc((void *)&MessageBoxA);
    if (module == kVendorModule && n == "VGetUFDProductInfo" && m.vendor.hasEntryPoint)
        return AsFarproc((void *)&VendorGetProductInfo);
    if (module == kAspiModule && !m.aspi.missing.count(n)) {
        if (n == "GetASPI32SupportInfo") return AsFarproc((void *)&AspiSupportInfo);
        if (n == "SendASPI32Command") return AsFarproc((void *)&AspiSendCommand);
    }
    return nullptr;
}

bool ModuleInstalled(const std::string &file)
{
    const Machine &m = P().machine;
    if (m.absentModules.count(file)) return false;
    if (file == "kernel32.dll" || file == "setupapi.dll" || file == "user32.dll") return true;
    if (file == kVendorModule) return m.vendor.installed;
    if (file == kAspiModule) return m.aspi.installed;
    return false;
}

}  // namespace sim::detail
