// The capture: what the library would see on this machine, as a machine
// description. The searches are the library's own (its locator picks the
// device to open, its request block carries the vendor read, its ASPI scan
// picks the unit), so the capture sends no command the library would not
// send, to no other device.
#include "capture_win.h"
#include "output.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "discovery/locator.h"
#include "discovery/resolver.h"
#include "lifecycle/state.h"
#include "transport/aspi.h"
#include "transport/passthrough.h"

namespace {

typedef LONG(WINAPI *RtlGetVersionFn)(OSVERSIONINFOW *);

void Note(std::string &notes, const std::string &text) { notes += "  " + text + "\n"; }

std::string Error(const char *what, DWORD error)
{
    char text[160];
    std::snprintf(text, sizeof(text), "%s failed (error %lu); recorded as absent", what, (unsigned long)error);
    return text;
}

}  // namespace

void CaptureVersion(sim::Machine &m, std::string &notes)
{
    OSVERSIONINFOA v;
    std::memset(&v, 0, sizeof(v));
    v.dwOSVersionInfoSize = sizeof(v);
    if (!GetVersionExA(&v)) Note(notes, Error("GetVersionExA", GetLastError()));
    m.major = v.dwMajorVersion;
    m.minor = v.dwMinorVersion;
    m.build = v.dwBuildNumber & (v.dwPlatformId == VER_PLATFORM_WIN32_NT ? 0xFFFFFFFF : 0xFFFF);
    m.platform = v.dwPlatformId;
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    RtlGetVersionFn rtl = ntdll ? (RtlGetVersionFn)(void *)GetProcAddress(ntdll, "RtlGetVersion") : NULL;
    OSVERSIONINFOW w;
    std::memset(&w, 0, sizeof(w));
    w.dwOSVersionInfoSize = sizeof(w);
    if (rtl && rtl(&w) == 0) {
        m.trueMajor = w.dwMajorVersion;
        m.trueMinor = w.dwMinorVersion;
        m.trueBuild = w.dwBuildNumber;
    }
}

namespace {

// The entry points the library resolves at run time, resolved once for the
// whole capture (each NULL where this Windows lacks it).
struct RunTimeEntryPoints {
    HMODULE setupapi;
    GetVolumeNameFn volumeName;
    GetParentFn parent;
    GetDeviceIdFn deviceId;
};

// The present interfaces of a class; for volumes (ids given) also their own
// and their parent's device identifiers, asked while the list that gave the
// device instances is still held.
std::vector<std::string> InterfacePaths(const GUID *cls, const RunTimeEntryPoints *ids, std::vector<std::string> *own,
                                        std::vector<std::string> *parents, std::string &notes)
{
    std::vector<std::string> paths;
    HDEVINFO set = SetupDiGetClassDevsA(cls, NULL, NULL, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    if (set == INVALID_HANDLE_VALUE) {
        Note(notes, Error("SetupDiGetClassDevsA", GetLastError()));
        return paths;
    }
    SP_DEVICE_INTERFACE_DATA data;
    std::memset(&data, 0, sizeof(data));
    data.cbSize = sizeof(data);
    for (DWORD i = 0; i < 1024 && SetupDiEnumDeviceInterfaces(set, NULL, cls, i, &data); ++i) {
        SP_DEVINFO_DATA info;
        std::memset(&info, 0, sizeof(info));
        info.cbSize = sizeof(info);
        // The library's own fetch; an interface without a detail is noted and
        // the capture goes on.
        DWORD room = 0;
        HANDLE heap = GetProcessHeap();
        PSP_DEVICE_INTERFACE_DETAIL_DATA_A detail = GetInterfaceDetail(set, &data, heap, &room, &info);
        if (!detail) {
            Note(notes, Error("SetupDiGetDeviceInterfaceDetailA", GetLastError()));
            continue;
        }
        std::string path(detail->DevicePath, strnlen(detail->DevicePath, room));
        HeapFree(heap, 0, detail);
        paths.push_back(path);
        if (ids && own && parents) {
            char text[MAX_PATH];
            std::memset(text, 0, sizeof(text));
            own->push_back(ids->deviceId && ids->deviceId(info.DevInst, text, sizeof(text), 0) == CR_SUCCESS ? text : "");
            DEVINST up = 0;
            std::memset(text, 0, sizeof(text));
            bool found = ids->parent && ids->deviceId && ids->parent(&up, info.DevInst, 0) == CR_SUCCESS &&
                         ids->deviceId(up, text, sizeof(text), 0) == CR_SUCCESS;
            parents->push_back(found ? text : "");
        }
    }
    SetupDiDestroyDeviceInfoList(set);
    return paths;
}

void CaptureInterfaces(sim::Machine &m, const RunTimeEntryPoints &calls, std::string &notes)
{
    for (const std::string &path : InterfacePaths(&kDiskInterfaceClass, NULL, NULL, NULL, notes))
        m.disks.push_back({path, ""});
    std::vector<std::string> own, parents;
    std::vector<std::string> paths = InterfacePaths(&kVolumeInterfaceClass, &calls, &own, &parents, notes);
    for (size_t i = 0; i < paths.size(); ++i) {
        sim::VolumeInterface v{paths[i], own[i], parents[i], ""};
        char text[MAX_PATH];
        std::string point = paths[i] + "\\";
        std::memset(text, 0, sizeof(text));
        if (calls.volumeName && calls.volumeName(point.c_str(), text, sizeof(text))) v.volumeName = text;
        m.volumes.push_back(v);
    }
}

void CaptureDrives(sim::Machine &m, const RunTimeEntryPoints &calls)
{
    GetVolumeNameFn volumeName = calls.volumeName;
    DWORD drives = GetLogicalDrives();
    m.extraDriveBits = drives & 0xFC000000UL;
    for (int n = 0; n < 26; ++n) {
        if (!(drives & (1UL << n))) continue;
        char root[] = "A:\\";
        root[0] = (char)('A' + n);
        sim::Drive d;
        d.type = GetDriveTypeA(root);
        char text[MAX_PATH];
        std::memset(text, 0, sizeof(text));
        // Local drives only: a network drive's answer can take long and never matters to the library.
        if (volumeName && d.type != DRIVE_REMOTE && d.type != DRIVE_NO_ROOT_DIR && volumeName(root, text, sizeof(text)))
            d.volumeName = text;
        m.drives[root[0]] = d;
    }
    HKEY key = NULL;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SYSTEM\\MountedDevices", 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return;
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        char name[] = "\\DosDevices\\ :";
        name[12] = letter;
        BYTE data[4096];
        DWORD length = sizeof(data), type = 0;
        if (RegQueryValueExA(key, name, NULL, &type, data, &length) == ERROR_SUCCESS)
            m.mountedDevices[name] = std::vector<uint8_t>(data, data + length);
    }
    RegCloseKey(key);
}

// The device the library would open, opened as the library opens it, and
// its answer to the vendor read.
void CaptureFlashDisk(sim::Machine &m, std::string &notes)
{
    char path[kPathBufferSize];
    std::memset(path, 0, sizeof(path));
    if (!FindFlashDiskPath(&kDiskInterfaceClass, 1, path)) {
        Note(notes, "the library would open no device: no disk interface passes its patterns"
                    + std::string(m.major > 5 ? ", or no autorun CD-ROM volume" : ""));
        return;
    }
    uint32_t *openError = NULL;
    std::string *opens = NULL;
    for (sim::DiskInterface &d : m.disks)
        if (m.major == 5 && d.path == path) opens = &d.opens, openError = &d.openError;
    if (m.major > 5 && m.drives.count(path[4])) opens = &m.drives[path[4]].opens, openError = &m.drives[path[4]].openError;
    if (!opens) {
        Note(notes, std::string("the library would open ") + path + ", which the enumeration did not list");
        return;
    }
    *opens = "flash";
    HANDLE handle = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (handle == INVALID_HANDLE_VALUE) {
        *openError = GetLastError();
        if (*openError == ERROR_ACCESS_DENIED) Note(notes, std::string(path) + " cannot be opened: access denied (a standard user on Vista and later)");
        else Note(notes, std::string(path) + " cannot be opened: error " + std::to_string(*openError));
        return;
    }
    BYTE sector[kVendorSectorSize];
    // The library's own send; its request block, kept here, holds the answer.
    PassThroughRequest request;
    BOOL delivered = FALSE;
    SendPassThroughCommand(handle, &request, kVendorReadOpcode, SCSI_IOCTL_DATA_IN, sector, sizeof(sector), &delivered);
    sim::ScsiDevice device;
    if (!delivered) {
        device.ioctlError = GetLastError();
        if (!device.ioctlError) device.ioctlError = ERROR_GEN_FAILURE;
    } else {
        sim::ScsiAnswer answer;
        answer.status = request.header.ScsiStatus;
        DWORD moved = request.header.DataTransferLength <= sizeof(sector) ? request.header.DataTransferLength : 0;
        // The sector's contents stay here: a count stands in for them.
        for (DWORD i = 0; i < moved; ++i) answer.data.push_back((uint8_t)i);
        UCHAR senseLength = request.header.SenseInfoLength <= sizeof(request.sense) ? request.header.SenseInfoLength : 0;
        answer.sense.assign(request.sense, request.sense + senseLength);
        device.answers[kVendorReadOpcode] = answer;
    }
    SecureZeroMemory(sector, sizeof(sector));
    CloseHandle(handle);
    m.devices["flash"] = device;
}

#if !MORVALITH_64BIT
// The ASPI manager as the library's own scan and vendor read meet it: both
// entry points are passed through, and what they answer is written into the
// description. No request is made that the library does not make. (32-bit
// only, as the manager and the library's road are.)
sim::AspiManager *recording;
AspiEntryPoints real;

DWORD __cdecl RecordSupportInfo(void)
{
    DWORD support = real.supportInfo();
    recording->supportStatus = (uint8_t)(support >> 8);
    recording->adapterCount = (int)(support & 0xFF);
    return support;
}

sim::AspiUnit *RecordedUnit(BYTE adapter, BYTE target, BYTE lun)
{
    if (adapter >= recording->adapters.size()) return NULL;
    for (sim::AspiUnit &u : recording->adapters[adapter].units)
        if (u.target == target && u.lun == lun) return &u;
    return NULL;
}

DWORD __cdecl RecordSendCommand(void *block)
{
    DWORD status = real.sendCommand(block);
    switch (((BYTE *)block)[0]) {
    case SC_HA_INQUIRY: {
        const SRB_HAInquiry *inquiry = (const SRB_HAInquiry *)block;
        if (inquiry->SRB_HaId == recording->adapters.size()) {
            recording->adapters.emplace_back();
            recording->adapters.back().inquiryStatus = inquiry->SRB_Status;
        }
        break;
    }
    case SC_GET_DEV_TYPE: {
        const SRB_GDEVBlock *device = (const SRB_GDEVBlock *)block;
        if (device->SRB_Status != SS_COMP || device->SRB_HaId >= recording->adapters.size()) break;
        sim::AspiUnit unit;
        unit.target = device->SRB_Target;
        unit.lun = device->SRB_Lun;
        unit.devTypeStatus = device->SRB_Status;
        unit.deviceType = device->SRB_DeviceType;
        unit.inquiry.status = 0;
        recording->adapters[device->SRB_HaId].units.push_back(unit);
        break;
    }
    case SC_EXEC_SCSI_CMD: {
        SRB_ExecSCSICmd *srb = (SRB_ExecSCSICmd *)block;
        // The outcome is known once the request is finished; the library's
        // own wait then finds the event already set.
        if (status == SS_PENDING) AspiWait(srb, (HANDLE)srb->SRB_PostProc);
        sim::AspiUnit *unit = RecordedUnit(srb->SRB_HaId, srb->SRB_Target, srb->SRB_Lun);
        if (!unit) break;
        if (srb->CDBByte[0] == kVendorReadOpcode) {
            // Its status is kept; a count of the sector's length stands in
            // for its contents.
            sim::AspiAnswer answer;
            answer.status = srb->SRB_Status;
            if (answer.status == SS_COMP)
                for (DWORD i = 0; i < srb->SRB_BufLen; ++i) answer.data.push_back((uint8_t)i);
            unit->answers[kVendorReadOpcode] = answer;
        } else {
            // The scan's INQUIRY.
            unit->inquiry.status = srb->SRB_Status;
            unit->inquiry.data.assign(srb->SRB_BufPointer, srb->SRB_BufPointer + srb->SRB_BufLen);
        }
        break;
    }
    }
    return status;
}

void CaptureAspi(sim::Machine &m, std::string &notes)
{
    sim::AspiManager &a = m.aspi;
    HMODULE probe = LoadLibraryA("WNASPI32");
    a.installed = probe != NULL;
    if (!probe) return;
    if (!GetProcAddress(probe, "GetASPI32SupportInfo")) a.missing.insert("GetASPI32SupportInfo");
    if (!GetProcAddress(probe, "SendASPI32Command")) a.missing.insert("SendASPI32Command");
    FreeLibrary(probe);
    if (!a.missing.empty() || !AspiOpen()) return;
    recording = &a;
    real = AspiUseEntryPoints({RecordSupportInfo, RecordSendCommand});
    // The library's scan picks the unit and its vendor read goes to it alone.
    // Their [LIB] lines belong to the library's load, not to the capture.
    int found = 0;
    CaughtOutput([&] {
        found = AspiFindFlashDisk();
        BYTE sector[kVendorSectorSize];
        if (found)
            AspiExecCommand(g_library.aspiHostAdapter, g_library.aspiTarget, g_library.aspiLun, kVendorReadOpcode,
                            SRB_DIR_IN | SRB_EVENT_NOTIFY, sector, sizeof(sector));
        SecureZeroMemory(sector, sizeof(sector));
    });
    if (!found) Note(notes, "the library's ASPI scan finds no flash disk");
    AspiUseEntryPoints(real);
    AspiClose();
    recording = NULL;
}
#endif

void CaptureVendorLibrary(sim::Machine &m)
{
    // Mapped without running its code: found by the library's own search,
    // its entry point looked up, never called.
    HMODULE vendor = LoadLibraryExA("Vendor\\VendorUFDAPI.dll", NULL, DONT_RESOLVE_DLL_REFERENCES);
    m.vendor.installed = vendor != NULL;
    m.vendor.hasEntryPoint = vendor && GetProcAddress(vendor, "VGetUFDProductInfo");
    if (vendor) FreeLibrary(vendor);
}

}  // namespace

void CaptureMachine(sim::Machine &m, std::string &notes)
{
    m = sim::Machine();
    ResetLibraryState();
    CaptureVersion(m, notes);
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    RunTimeEntryPoints calls = {LoadLibraryA("setupapi.dll"), NULL, NULL, NULL};
    if (kernel) calls.volumeName = (GetVolumeNameFn)(void *)GetProcAddress(kernel, "GetVolumeNameForVolumeMountPointA");
    if (calls.setupapi) {
        calls.parent = (GetParentFn)(void *)GetProcAddress(calls.setupapi, "CM_Get_Parent");
        calls.deviceId = (GetDeviceIdFn)(void *)GetProcAddress(calls.setupapi, "CM_Get_Device_IDA");
    }
    if (m.major >= 5) {
        CaptureInterfaces(m, calls, notes);
        CaptureDrives(m, calls);
        CaptureFlashDisk(m, notes);
    } else {
        CaptureDrives(m, calls);
#if !MORVALITH_64BIT
        if (m.platform == VER_PLATFORM_WIN32_WINDOWS) CaptureAspi(m, notes);
#endif
    }
    if (calls.setupapi) FreeLibrary(calls.setupapi);
    CaptureVendorLibrary(m);
    m.vendor.result = 0;
}
