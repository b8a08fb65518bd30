// The capture: what the library would see on this machine, as a machine
// description. The searches are the library's own (its locator picks the
// device to open, its request block carries the vendor read, its ASPI scan
// picks the unit), so the capture sends no command the library would not
// send, to no other device.
#include "capture_win.h"
#include "output.h"

#include <fcntl.h>
#include <io.h>

#include <cerrno>
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

struct DeviceIds {
    GetParentFn parent;
    GetDeviceIdFn deviceId;
};

// The present interfaces of a class; for volumes (ids given) also their own
// and their parent's device identifiers, asked while the list that gave the
// device instances is still held.
std::vector<std::string> InterfacePaths(const GUID *cls, const DeviceIds *ids, std::vector<std::string> *own,
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

void CaptureInterfaces(sim::Machine &m, std::string &notes)
{
    for (const std::string &path : InterfacePaths(&kDiskInterfaceClass, NULL, NULL, NULL, notes))
        m.disks.push_back({path, ""});
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    HMODULE setupapi = LoadLibraryA("setupapi.dll");
    GetVolumeNameFn volumeName = kernel ? (GetVolumeNameFn)(void *)GetProcAddress(kernel, "GetVolumeNameForVolumeMountPointA") : NULL;
    GetParentFn parent = setupapi ? (GetParentFn)(void *)GetProcAddress(setupapi, "CM_Get_Parent") : NULL;
    GetDeviceIdFn deviceId = setupapi ? (GetDeviceIdFn)(void *)GetProcAddress(setupapi, "CM_Get_Device_IDA") : NULL;
    DeviceIds ids = {parent, deviceId};
    std::vector<std::string> own, parents;
    std::vector<std::string> paths = InterfacePaths(&kVolumeInterfaceClass, &ids, &own, &parents, notes);
    for (size_t i = 0; i < paths.size(); ++i) {
        sim::VolumeInterface v{paths[i], own[i], parents[i], ""};
        char text[MAX_PATH];
        std::string point = paths[i] + "\\";
        std::memset(text, 0, sizeof(text));
        if (volumeName && volumeName(point.c_str(), text, sizeof(text))) v.volumeName = text;
        m.volumes.push_back(v);
    }
    if (setupapi) FreeLibrary(setupapi);
}

void CaptureDrives(sim::Machine &m)
{
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    GetVolumeNameFn volumeName = kernel ? (GetVolumeNameFn)(void *)GetProcAddress(kernel, "GetVolumeNameForVolumeMountPointA") : NULL;
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
    PassThroughRequest request;
    BuildPassThroughRequest(&request, kVendorReadOpcode, SCSI_IOCTL_DATA_IN, sector, sizeof(sector));
    DWORD returned = 0;
    sim::ScsiDevice device;
    if (!DeviceIoControl(handle, IOCTL_SCSI_PASS_THROUGH_DIRECT, &request, sizeof(request), &request,
                         sizeof(request), &returned, NULL)) {
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

DWORD AspiSend(void *srb) { return g_library.aspiSendCommand(srb); }

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
    DWORD support = g_library.aspiSupportInfo();
    a.supportStatus = (uint8_t)(support >> 8);
    int count = (int)(support & 0xFF);
    a.adapterCount = count;
    for (int h = 0; h < count && (a.supportStatus == SS_COMP || a.supportStatus == SS_NO_ADAPTERS); ++h) {
        sim::AspiAdapter adapter;
        SRB_HAInquiry inquiry;
        std::memset(&inquiry, 0, sizeof(inquiry));
        inquiry.SRB_Cmd = SC_HA_INQUIRY;
        inquiry.SRB_HaId = (BYTE)h;
        AspiSend(&inquiry);
        adapter.inquiryStatus = inquiry.SRB_Status;
        if (inquiry.SRB_Status == SS_COMP) {
            for (BYTE t = 0; t < 8; ++t) {
                for (BYTE l = 0; l < 8; ++l) {
                    SRB_GDEVBlock dev;
                    std::memset(&dev, 0, sizeof(dev));
                    dev.SRB_Cmd = SC_GET_DEV_TYPE;
                    dev.SRB_HaId = (BYTE)h;
                    dev.SRB_Target = t;
                    dev.SRB_Lun = l;
                    AspiSend(&dev);
                    if (dev.SRB_Status != SS_COMP) continue;
                    sim::AspiUnit unit;
                    unit.target = t;
                    unit.lun = l;
                    unit.devTypeStatus = dev.SRB_Status;
                    unit.deviceType = dev.SRB_DeviceType;
                    unit.inquiry.status = 0;
                    if (dev.SRB_DeviceType == DTYPE_DASD) {
                        // The INQUIRY the library's scan sends to every direct-access unit.
                        BYTE data[36];
                        std::memset(data, 0, sizeof(data));
                        HANDLE event = CreateEventA(NULL, TRUE, FALSE, NULL);
                        SRB_ExecSCSICmd srb;
                        std::memset(&srb, 0, sizeof(srb));
                        AspiFillExec(&srb, (BYTE)h, t, l, SRB_DIR_IN | SRB_EVENT_NOTIFY, data, sizeof(data), 6, event);
                        srb.CDBByte[0] = 0x12;
                        srb.CDBByte[4] = sizeof(data);
                        if (event) AspiSendAndWait(&srb, event);
                        if (event) CloseHandle(event);
                        unit.inquiry.status = srb.SRB_Status;
                        unit.inquiry.data.assign(data, data + sizeof(data));
                    }
                    adapter.units.push_back(unit);
                }
            }
        }
        a.adapters.push_back(adapter);
    }
    // The library's own scan picks the unit; the vendor read goes to it alone,
    // in the block the library sends (its status recorded, its data not).
    // The scan's own [LIB] lines belong to the library's load, not to the capture.
    int found = 0;
    CaughtOutput([&] { found = AspiFindFlashDisk(); });
    if (found) {
        BYTE sector[kVendorSectorSize];
        SRB_ExecSCSICmd srb;
        std::memset(&srb, 0, sizeof(srb));
        HANDLE event = CreateEventA(NULL, TRUE, FALSE, NULL);
        AspiFillExec(&srb, g_library.aspiHostAdapter, g_library.aspiTarget, g_library.aspiLun,
                     SRB_DIR_IN | SRB_EVENT_NOTIFY, sector, sizeof(sector), 10, event);
        srb.CDBByte[0] = kVendorReadOpcode;
        if (event) AspiSendAndWait(&srb, event);
        if (event) CloseHandle(event);
        SecureZeroMemory(sector, sizeof(sector));
        sim::AspiAnswer answer;
        answer.status = event ? srb.SRB_Status : 0x04;
        // A count of the sector's length stands in for its contents.
        if (answer.status == SS_COMP)
            for (DWORD i = 0; i < kVendorSectorSize; ++i) answer.data.push_back((uint8_t)i);
        for (sim::AspiUnit &u : a.adapters[g_library.aspiHostAdapter].units)
            if (u.target == g_library.aspiTarget && u.lun == g_library.aspiLun) u.answers[kVendorReadOpcode] = answer;
    } else {
        Note(notes, "the library's ASPI scan finds no flash disk");
    }
    AspiClose();
}

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
    std::memset(&g_library, 0, sizeof(g_library));
    CaptureVersion(m, notes);
    if (m.major >= 5) {
        CaptureInterfaces(m, notes);
        CaptureDrives(m);
        CaptureFlashDisk(m, notes);
    } else {
        CaptureDrives(m);
        if (m.platform == VER_PLATFORM_WIN32_WINDOWS) CaptureAspi(m, notes);
    }
    CaptureVendorLibrary(m);
    m.vendor.result = 0;
}

// --capture FILE: the machine as the library would see it, for the host
// build's probe to replay and explain.
static int WriteCaptureOrThrow(const char *file, bool quiet)
{
    sim::Machine m;
    std::string notes;
    CaptureMachine(m, notes);
    std::string text = sim::WriteScenario(m);
    // Windows reports a folder as access denied: say what it is.
    DWORD attributes = GetFileAttributesA(file);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        fprintf(stderr, "morvalith-probe: %s: cannot be written: is a folder\n", sim::Printable(file, 200).c_str());
        return 2;
    }
    FILE *out = fopen(file, "wb");
    int error = out ? 0 : errno;
    if (out) {
        if (fwrite(text.data(), 1, text.size(), out) != text.size()) error = errno ? errno : EIO;
        if (fclose(out) != 0 && !error) error = errno ? errno : EIO;
    }
    if (error) {
        fprintf(stderr, "morvalith-probe: %s: cannot be written: %s\n", sim::Printable(file, 200).c_str(),
                sim::FileErrorReason(error).c_str());
        return 2;
    }
    if (quiet) return 0;
    printf("capture: wrote %s (%u bytes)\n", file, (unsigned)text.size());
    printf("  Windows %u.%u build %u, platform %u, as GetVersionExA reports it to this program\n", m.major, m.minor,
           m.build, m.platform);
    std::string note = sim::VersionNote(m, "a program");
    if (!note.empty()) printf("  %s\n", note.c_str());
    printf("  %u disk interfaces, %u volume interfaces, %u drives, %u MountedDevices values\n",
           (unsigned)m.disks.size(), (unsigned)m.volumes.size(), (unsigned)m.drives.size(),
           (unsigned)m.mountedDevices.size());
    for (const auto &[name, device] : m.devices) {
        auto answer = device.answers.find(0x82);
        if (device.ioctlError) printf("  vendor read: DeviceIoControl failed, error %u\n", device.ioctlError);
        else if (answer != device.answers.end())
            printf("  vendor read: SCSI status 0x%02x, %u bytes transferred (a placeholder stands in for them)\n",
                   answer->second.status, (unsigned)answer->second.data.size());
    }
    printf("  vendor library: %s\n", m.vendor.installed ? (m.vendor.hasEntryPoint ? "found, with its entry point"
                                                                                   : "found, without its entry point")
                                                         : "not found");
    if (m.platform == VER_PLATFORM_WIN32_WINDOWS)
        printf("  WNASPI32: %s, %u host adapters\n", m.aspi.installed ? "loaded" : "not found",
               (unsigned)m.aspi.adapters.size());
    if (!notes.empty()) printf("notes:\n%s", notes.c_str());
    printf("the file holds no identification key and no sector contents\n");
    return 0;
}


// Nothing may escape a capture: the field tool ends with one line instead.
static int WriteCapture(const char *file, bool quiet)
{
    try {
        return WriteCaptureOrThrow(file, quiet);
    } catch (const std::exception &e) {
        fprintf(stderr, "morvalith-probe: the capture failed: %s\n", sim::Printable(e.what(), 200).c_str());
    } catch (...) {
        fprintf(stderr, "morvalith-probe: the capture failed\n");
    }
    return 2;
}

extern "C" int CaptureToFile(const char *file) { return WriteCapture(file, false); }

extern "C" int ExplainLive(void)
{
    // The live machine, captured to a file of its own, explained by the
    // simulated-machine probe that ships beside this program.
    char folder[MAX_PATH], file[MAX_PATH], self[MAX_PATH];
    if (!GetTempPathA(sizeof(folder), folder) || !GetTempFileNameA(folder, "mvl", 0, file)) {
        fprintf(stderr, "morvalith-probe: no temporary file for the capture\n");
        return -1;
    }
    int predicted = -1;
    DWORD length = GetModuleFileNameA(NULL, self, sizeof(self));
    char *slash = length && length < sizeof(self) ? strrchr(self, '\\') : NULL;
    if (WriteCapture(file, true) == 0 && slash) {
        strcpy(slash + 1, "morvalith-sim.exe");
        std::string command = std::string("\"") + self + "\" --explain --this-pc \"" + file + "\"";
        std::vector<char> line(command.begin(), command.end());
        line.push_back(0);
        STARTUPINFOA startup;
        std::memset(&startup, 0, sizeof(startup));
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION process;
        fflush(stdout);
        if (CreateProcessA(self, line.data(), NULL, NULL, TRUE, 0, NULL, NULL, &startup, &process)) {
            DWORD code = 2;
            WaitForSingleObject(process.hProcess, INFINITE);
            GetExitCodeProcess(process.hProcess, &code);
            CloseHandle(process.hProcess);
            CloseHandle(process.hThread);
            predicted = code <= 1 ? (int)code : -1;
        } else {
            fprintf(stderr, "morvalith-probe: %s cannot be started (error %lu)\n", self, GetLastError());
        }
    }
    DeleteFileA(file);
    return predicted;
}
