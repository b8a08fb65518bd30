// The device models: the SCSI devices behind pass-through handles, and the
// modules a machine may have (the vendor product-information library and the
// ASPI manager WNASPI32) with the entry points LoadLibraryA and
// GetProcAddress hand out for them.
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
    call.bits = P().bits;
    Root().vendorCalls.push_back(call);
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
    return ((DWORD)a.supportStatus << 8) | (DWORD)(AdapterCount(a) & 0xFF);
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
        else answer.status = kAspiUnanswered;
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

// The attribute list of Vista and later, for CreateProcessA's extended
// startup record: the handle list alone. Like Windows, it keeps the address
// of the handles it is given, not the handles: they are read at the start.
struct AttributeList {
    uint32_t magic;
    uint32_t capacity;
    const HANDLE *handles;
    SIZE_T handlesSize;
};
constexpr uint32_t kAttributeListMagic = 0x41545452;
constexpr DWORD_PTR kHandleListAttribute = 0x00020002;

BOOL WINAPI InitializeAttributes(LPPROC_THREAD_ATTRIBUTE_LIST list, DWORD count, DWORD flags, PSIZE_T size)
{
    return Traced("InitializeProcThreadAttributeList", [&](bool injected) -> BOOL {
        if (injected) return Fail(ERROR_NOT_ENOUGH_MEMORY, FALSE);
        if (!size || flags != 0) return Fail(ERROR_INVALID_PARAMETER, FALSE);
        SIZE_T needed = sizeof(AttributeList);
        if (!list || *size < needed) {
            *size = needed;
            return Fail(ERROR_INSUFFICIENT_BUFFER, FALSE);
        }
        AttributeList a{kAttributeListMagic, count, nullptr, 0};
        std::memcpy((void *)list, &a, sizeof(a));
        return TRUE;
    }, (void *)list, count, flags, (void *)size);
}

BOOL WINAPI UpdateAttribute(LPPROC_THREAD_ATTRIBUTE_LIST list, DWORD flags, DWORD_PTR attribute, PVOID value,
                            SIZE_T size, PVOID previous, PSIZE_T returned)
{
    return Traced("UpdateProcThreadAttribute", [&](bool injected) -> BOOL {
        if (injected) return Fail(ERROR_NOT_ENOUGH_MEMORY, FALSE);
        AttributeList a;
        if (!list) return Fail(ERROR_INVALID_PARAMETER, FALSE);
        std::memcpy(&a, (void *)list, sizeof(a));
        if (a.magic != kAttributeListMagic || flags != 0 || previous || returned)
            return Fail(ERROR_INVALID_PARAMETER, FALSE);
        if (attribute != kHandleListAttribute) return Fail(ERROR_NOT_SUPPORTED, FALSE);
        if (!value || size == 0 || size % sizeof(HANDLE) != 0 || a.capacity == 0 || a.handles)
            return Fail(ERROR_BAD_LENGTH, FALSE);
        a.handles = (const HANDLE *)value;
        a.handlesSize = size;
        std::memcpy((void *)list, &a, sizeof(a));
        return TRUE;
    }, (void *)list, flags, (unsigned long)attribute, value, (unsigned long)size, previous, (void *)returned);
}

void WINAPI DeleteAttributes(LPPROC_THREAD_ATTRIBUTE_LIST list)
{
    Traced("DeleteProcThreadAttributeList", [&](bool) -> int {
        if (list) std::memset((void *)list, 0, sizeof(AttributeList));
        return 0;
    }, (void *)list);
}

}  // namespace

// The pass-through model: a device as the port driver and the disk answer
// IOCTL_SCSI_PASS_THROUGH_DIRECT on a handle that reaches it.
BOOL ScsiPassThrough(const std::string &name, DWORD code, LPVOID in, DWORD inSize, LPVOID out, DWORD outSize,
                     LPDWORD returned)
{
    auto dev = P().machine.devices.find(name);
    if (code != IOCTL_SCSI_PASS_THROUGH_DIRECT || dev == P().machine.devices.end() || !dev->second.scsiCapable)
        return Fail(ERROR_INVALID_FUNCTION, FALSE);
    const ScsiDevice &device = dev->second;
    auto &requests = P().deviceRequests[dev->first];
    if (!in || inSize < sizeof(SCSI_PASS_THROUGH_DIRECT)) return Fail(ERROR_INVALID_PARAMETER, FALSE);
    if (device.ioctlError) {
        requests.emplace_back((uint8_t *)in, (uint8_t *)in + inSize);
        return Fail(device.ioctlError, FALSE);
    }
    requests.emplace_back((uint8_t *)in, (uint8_t *)in + inSize);
    SCSI_PASS_THROUGH_DIRECT header;
    std::memcpy(&header, in, sizeof(header));
    // The port driver's own checks on the block.
    if (header.Length != sizeof(SCSI_PASS_THROUGH_DIRECT) || header.CdbLength > 16 || !out ||
        outSize < sizeof(SCSI_PASS_THROUGH_DIRECT) ||
        (header.SenseInfoLength && header.SenseInfoOffset + header.SenseInfoLength > outSize) ||
        (header.DataTransferLength && !header.DataBuffer) || header.DataIn > SCSI_IOCTL_DATA_UNSPECIFIED)
        return Fail(ERROR_INVALID_PARAMETER, FALSE);

    auto answer = device.answers.find(header.Cdb[0]);
    DWORD transferred = 0;
    if (answer == device.answers.end()) {
        header.ScsiStatus = kCheckCondition;
    } else {
        header.ScsiStatus = answer->second.status;
        if (header.DataIn == SCSI_IOCTL_DATA_IN && answer->second.status == kGood) {
            transferred = (DWORD)std::min<size_t>(header.DataTransferLength, answer->second.data.size());
            if (transferred) std::memcpy(header.DataBuffer, answer->second.data.data(), transferred);
        }
    }
    if (header.DataIn == SCSI_IOCTL_DATA_IN) header.DataTransferLength = transferred;
    const std::vector<uint8_t> *given = answer == device.answers.end() || answer->second.sense.empty()
                                            ? nullptr : &answer->second.sense;
    if (given && header.SenseInfoLength) {
        size_t n = std::min<size_t>(header.SenseInfoLength, given->size());
        std::memcpy((uint8_t *)out + header.SenseInfoOffset, given->data(), n);
        header.SenseInfoLength = (UCHAR)n;
    } else if (header.ScsiStatus == kCheckCondition && header.SenseInfoLength) {
        // Fixed-format sense: ILLEGAL REQUEST, invalid command operation code.
        uint8_t sense[18] = {0x70, 0, 0x05, 0, 0, 0, 0, 10, 0, 0, 0, 0, 0x20, 0x00};
        size_t n = std::min<size_t>(header.SenseInfoLength, sizeof(sense));
        std::memcpy((uint8_t *)out + header.SenseInfoOffset, sense, n);
        header.SenseInfoLength = (UCHAR)n;
    } else {
        header.SenseInfoLength = 0;
    }
    std::memcpy(out, &header, sizeof(header));
    *returned = header.SenseInfoLength ? header.SenseInfoOffset + header.SenseInfoLength : sizeof(header);
    return TRUE;
}

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
    // Vista and later.
    if (module == "kernel32.dll" && m.major >= 6 && m.platform == kPlatformNt) {
        if (n == "InitializeProcThreadAttributeList") return AsFarproc((void *)&InitializeAttributes);
        if (n == "UpdateProcThreadAttribute") return AsFarproc((void *)&UpdateAttribute);
        if (n == "DeleteProcThreadAttributeList") return AsFarproc((void *)&DeleteAttributes);
    }
    if (module == kVendorModule && n == "VGetUFDProductInfo" && m.vendor.hasEntryPoint)
        return AsFarproc((void *)&VendorGetProductInfo);
    if (module == kAspiModule && !m.aspi.missing.count(n)) {
        if (n == "GetASPI32SupportInfo") return AsFarproc((void *)&AspiSupportInfo);
        if (n == "SendASPI32Command") return AsFarproc((void *)&AspiSendCommand);
    }
    return nullptr;
}

bool OtherSizeModule(const std::string &file)
{
    const Machine &m = P().machine;
    const int bits = P().bits;
    if (file == kVendorModule) return m.vendor.bits != 0 && m.vendor.bits != bits;
    if (file == kAspiModule) return bits != 32;  // WNASPI32 is a 32-bit DLL
    return false;
}

bool ModuleInstalled(const std::string &file)
{
    const Machine &m = P().machine;
    if (m.absentModules.count(file)) return false;
    if (file == "kernel32.dll" || file == "setupapi.dll" || file == "user32.dll") return true;
    // In the helper a dependency of the vendor library may be missing.
    if (file == kVendorModule) return m.vendor.installed && (&P() == &Root() || m.vendorHelper.vendorLoads);
    if (file == kAspiModule) return m.aspi.installed;
    return false;
}

// The handles an extended startup record's list names, or false when it
// names none or is no list.
bool HandleList(LPPROC_THREAD_ATTRIBUTE_LIST list, std::vector<HANDLE> &handles)
{
    if (!list) return false;
    AttributeList a;
    std::memcpy(&a, (void *)list, sizeof(a));
    if (a.magic != kAttributeListMagic || !a.handles) return false;
    handles.assign(a.handles, a.handles + a.handlesSize / sizeof(HANDLE));
    return true;
}

}  // namespace sim::detail
