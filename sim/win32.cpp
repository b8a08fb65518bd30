// The Win32 subset over the simulated machine: the entry points the library
// calls, each defined once, inside Traced (process.h): each counts its calls,
// can be made to fail at a chosen call, books what it hands out and goes to
// the trace (the probe's --calls) when it is on.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "process.h"

using namespace sim;
using namespace sim::detail;

// ---- kernel32 ----------------------------------------------------------------

extern "C" {

DWORD WINAPI GetLastError(void) { return P().lastError; }
void WINAPI SetLastError(DWORD error) { P().lastError = error; }

BOOL WINAPI GetVersionExA(LPOSVERSIONINFOA info)
{
    return Traced("GetVersionExA", [&](bool injected) -> BOOL {
        if (injected) return Fail(ERROR_GEN_FAILURE, FALSE);
        const Machine &m = P().machine;
        if (!info || (info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOA) &&
                      info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOEXA))) {
            // Windows 9x refuses the size without setting the last error.
            if (m.platform == VER_PLATFORM_WIN32_WINDOWS) return FALSE;
            return Fail(ERROR_INSUFFICIENT_BUFFER, FALSE);
        }
        info->dwMajorVersion = m.major;
        info->dwMinorVersion = m.minor;
        info->dwBuildNumber = m.build;
        info->dwPlatformId = m.platform;
        std::memset(info->szCSDVersion, 0, sizeof(info->szCSDVersion));
        std::strncpy(info->szCSDVersion, m.servicePack.c_str(), sizeof(info->szCSDVersion) - 1);
        if (info->dwOSVersionInfoSize == sizeof(OSVERSIONINFOEXA)) {
            OSVERSIONINFOEXA *ex = (OSVERSIONINFOEXA *)info;
            unsigned major = 0, minor = 0;
            std::sscanf(m.servicePack.c_str(), "Service Pack %u.%u", &major, &minor);
            ex->wServicePackMajor = (WORD)major;
            ex->wServicePackMinor = (WORD)minor;
            // A workstation, as every machine the simulation describes is.
            ex->wSuiteMask = m.platform == VER_PLATFORM_WIN32_NT ? 0x0100 : 0;  // VER_SUITE_SINGLEUSERTS
            ex->wProductType = m.platform == VER_PLATFORM_WIN32_NT ? VER_NT_WORKSTATION : 0;
        }
        return TRUE;
    }, (void *)info);
}

HANDLE WINAPI GetProcessHeap(void) { return (HANDLE)kProcessHeap; }

LPVOID WINAPI HeapAlloc(HANDLE heap, DWORD flags, SIZE_T bytes)
{
    return Traced("HeapAlloc", [&](bool injected) -> LPVOID {
        if (injected) return Fail(ERROR_NOT_ENOUGH_MEMORY, (LPVOID) nullptr);
        if ((uintptr_t)heap != kProcessHeap) return Fail(ERROR_INVALID_HANDLE, (LPVOID) nullptr);
        void *block = std::malloc(bytes ? bytes : 1);
        if (!block) return Fail(ERROR_NOT_ENOUGH_MEMORY, (LPVOID) nullptr);
        // Without HEAP_ZERO_MEMORY the block holds garbage, as on Windows.
        std::memset(block, (flags & HEAP_ZERO_MEMORY) ? 0 : 0xBD, bytes);
        P().heap[block] = bytes;
        return block;
    }, heap, flags, (unsigned long)bytes);
}

BOOL WINAPI HeapFree(HANDLE heap, DWORD flags, LPVOID block)
{
    return Traced("HeapFree", [&](bool injected) -> BOOL {
        if (injected) return Fail(ERROR_GEN_FAILURE, FALSE);
        // Freeing NULL is allowed and does nothing.
        if (!block && (uintptr_t)heap == kProcessHeap) return TRUE;
        auto it = P().heap.find(block);
        if ((uintptr_t)heap != kProcessHeap || it == P().heap.end()) {
            ++P().badReleases;
            return Fail(ERROR_INVALID_PARAMETER, FALSE);
        }
        std::free(block);
        P().heap.erase(it);
        return TRUE;
    }, heap, flags, block);
}

HANDLE WINAPI CreateFileA(LPCSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security, DWORD disposition,
                          DWORD attributes, HANDLE templateFile)
{
    HANDLE result = Traced("CreateFileA", [&](bool injected) -> HANDLE {
        if (injected) return Fail(ERROR_ACCESS_DENIED, INVALID_HANDLE_VALUE);
        if (!name) return Fail(ERROR_INVALID_PARAMETER, INVALID_HANDLE_VALUE);
        if (!*name) return Fail(ERROR_PATH_NOT_FOUND, INVALID_HANDLE_VALUE);
        if (disposition != OPEN_EXISTING) return Fail(ERROR_ACCESS_DENIED, INVALID_HANDLE_VALUE);
        const Machine &m = P().machine;
        std::string path = Lower(name), device;
        bool found = false;
        for (const DiskInterface &d : m.disks) {
            if (!d.opens.empty() && d.present && SameNoCase(d.path, path)) {
                if (d.openError) return Fail(d.openError, INVALID_HANDLE_VALUE);
                device = d.opens;
                found = true;
                break;
            }
        }
        if (!found && path.size() == 6 && path.compare(0, 4, "\\\\.\\") == 0 && path[5] == ':') {
            auto drive = m.drives.find((char)std::toupper((unsigned char)path[4]));
            if (drive != m.drives.end() && !drive->second.opens.empty()) {
                if (drive->second.openError) return Fail(drive->second.openError, INVALID_HANDLE_VALUE);
                device = drive->second.opens;
                found = true;
            }
        }
        if (!found) return Fail(ERROR_FILE_NOT_FOUND, INVALID_HANDLE_VALUE);
        uintptr_t h = NewHandle();
        sim::os::Guard lock;
        P().objects[h] = Object{Kind::File, device, nullptr, nullptr, false, nullptr, false};
        return (HANDLE)h;
    }, name, access, share, (void *)security, disposition, attributes, templateFile);
    P().opens.push_back({name ? name : "", access, share, disposition, attributes, result != INVALID_HANDLE_VALUE,
                         result == INVALID_HANDLE_VALUE ? P().lastError : 0});
    return result;
}

BOOL WINAPI CloseHandle(HANDLE handle)
{
    return Traced("CloseHandle", [&](bool injected) -> BOOL {
        if (injected) return Fail(ERROR_GEN_FAILURE, FALSE);
        sim::os::Guard lock;
        if (handle == INVALID_HANDLE_VALUE) {
            // The current process's pseudo-handle: closing it succeeds and
            // does nothing. A caller that closes it took a failed open for a
            // handle, so it is still counted.
            ++P().badReleases;
            return TRUE;
        }
        auto it = P().objects.find((uintptr_t)handle);
        if (it == P().objects.end()) {
            ++P().badReleases;
            return Fail(ERROR_INVALID_HANDLE, FALSE);
        }
        if (it->second.kind == Kind::Pipe && it->second.writeEnd) --it->second.pipe->writers;
        P().objects.erase(it);
        return TRUE;
    }, handle);
}

BOOL WINAPI DeviceIoControl(HANDLE handle, DWORD code, LPVOID in, DWORD inSize, LPVOID out, DWORD outSize,
                            LPDWORD returned, LPOVERLAPPED overlapped)
{
    BOOL result = Traced("DeviceIoControl", [&](bool injected) -> BOOL {
        if (injected) return Fail(ERROR_GEN_FAILURE, FALSE);
        auto it = P().objects.find((uintptr_t)handle);
        if (it == P().objects.end() || it->second.kind != Kind::File) return Fail(ERROR_INVALID_HANDLE, FALSE);
        if (overlapped || !returned) return Fail(ERROR_INVALID_PARAMETER, FALSE);
        return ScsiPassThrough(it->second.device, code, in, inSize, out, outSize, returned);
    }, handle, code, in, inSize, out, outSize, (void *)returned, (void *)overlapped);
    auto it = P().objects.find((uintptr_t)handle);
    if (it != P().objects.end() && it->second.kind == Kind::File) {
        IoctlRecord record{it->second.device, result != FALSE, result ? 0 : P().lastError, {}};
        if (result && out) record.reply.assign((uint8_t *)out, (uint8_t *)out + outSize);
        P().ioctls.push_back(record);
    }
    return result;
}

UINT WINAPI GetDriveTypeA(LPCSTR root)
{
    return Traced("GetDriveTypeA", [&](bool injected) -> UINT {
        if (injected) return DRIVE_UNKNOWN;
        // "X:\" or "X:"; anything else names no root.
        size_t length = root ? std::strlen(root) : 0;
        if ((length != 2 && length != 3) || root[1] != ':' || (length == 3 && root[2] != '\\'))
            return DRIVE_NO_ROOT_DIR;
        auto it = P().machine.drives.find((char)std::toupper((unsigned char)root[0]));
        return it == P().machine.drives.end() ? DRIVE_NO_ROOT_DIR : it->second.type;
    }, root);
}

DWORD WINAPI GetLogicalDrives(void)
{
    return Traced("GetLogicalDrives", [&](bool injected) -> DWORD {
        if (injected) return Fail(ERROR_GEN_FAILURE, 0UL);
        DWORD bits = P().machine.extraDriveBits & 0xFC000000UL;
        for (const auto &d : P().machine.drives)
            if (d.first >= 'A' && d.first <= 'Z') bits |= 1UL << (d.first - 'A');
        return bits;
    });
}

BOOL WINAPI GetVolumeNameForVolumeMountPointA(LPCSTR mountPoint, LPSTR volumeName, DWORD length)
{
    BOOL result = Traced("GetVolumeNameForVolumeMountPointA", [&](bool injected) -> BOOL {
        if (injected) return Fail(ERROR_GEN_FAILURE, FALSE);
        if (!mountPoint || !volumeName) return Fail(ERROR_INVALID_PARAMETER, FALSE);
        std::string point = mountPoint;
        if (point.empty() || point.back() != '\\') return Fail(ERROR_INVALID_NAME, FALSE);
        std::string name;
        const Machine &m = P().machine;
        // Vista and later refuse a zero length before looking.
        if (length == 0 && m.major >= 6) return Fail(ERROR_INVALID_PARAMETER, FALSE);
        if (point.size() >= 3 && point[1] == ':' && point[2] == '\\') {
            auto it = m.drives.find((char)std::toupper((unsigned char)point[0]));
            // A folder on a drive is no mount point: the machine has none.
            if (it != m.drives.end() && point.size() > 3) return Fail(ERROR_NOT_A_REPARSE_POINT, FALSE);
            if (it != m.drives.end()) name = it->second.volumeName;
        } else if (const VolumeInterface *v = VolumeByPath(point.substr(0, point.size() - 1))) {
            name = v->volumeName;
        }
        if (name.empty()) return Fail(ERROR_FILE_NOT_FOUND, FALSE);
        if (name.size() + 1 > length) return Fail(ERROR_FILENAME_EXCED_RANGE, FALSE);
        std::memcpy(volumeName, name.c_str(), name.size() + 1);
        return TRUE;
    }, mountPoint, (void *)volumeName, length);
    if (result && P().traced) P().trace.back() += " -> " + Arg(volumeName);
    return result;
}

HMODULE WINAPI LoadLibraryA(LPCSTR name)
{
    return Traced("LoadLibraryA", [&](bool injected) -> HMODULE {
        if (injected) return Fail(ERROR_MOD_NOT_FOUND, (HMODULE) nullptr);
        if (!name) return Fail(ERROR_INVALID_PARAMETER, (HMODULE) nullptr);
        std::string file = ModuleFileName(name);
        if (!ModuleInstalled(file)) return Fail(ERROR_MOD_NOT_FOUND, (HMODULE) nullptr);
        if (OtherSizeModule(file)) return Fail(ERROR_BAD_EXE_FORMAT, (HMODULE) nullptr);
        for (auto &m : P().modules) {
            if (m.second.name == file) {
                ++m.second.refs;
                return (HMODULE)m.first;
            }
        }
        // High, where system DLLs load: never the hosted library's own handle.
        uintptr_t h = 0x77000000 + 0x10000 * P().modules.size();
        P().modules[h] = Module{file, 1};
        return (HMODULE)h;
    }, name);
}

FARPROC WINAPI GetProcAddress(HMODULE module, LPCSTR name)
{
    return Traced("GetProcAddress", [&](bool injected) -> FARPROC {
        if (injected) return Fail(ERROR_PROC_NOT_FOUND, (FARPROC) nullptr);
        auto it = P().modules.find((uintptr_t)module);
        if (it == P().modules.end() || (it->second.refs == 0 && !it->second.mapped))
            return Fail(ERROR_MOD_NOT_FOUND, (FARPROC) nullptr);
        FARPROC proc = name ? LookUp(it->second.name, name) : nullptr;
        return proc ? proc : Fail(ERROR_PROC_NOT_FOUND, (FARPROC) nullptr);
    }, (void *)module, ((uintptr_t)name >> 16) ? name : nullptr);
}

BOOL WINAPI FreeLibrary(HMODULE module)
{
    return Traced("FreeLibrary", [&](bool injected) -> BOOL {
        if (injected) return Fail(ERROR_GEN_FAILURE, FALSE);
        auto it = P().modules.find((uintptr_t)module);
        if (it == P().modules.end() || it->second.refs == 0) {
            ++P().badReleases;
            return Fail(ERROR_MOD_NOT_FOUND, FALSE);
        }
        --it->second.refs;
        return TRUE;
    }, (void *)module);
}

HMODULE WINAPI GetModuleHandleA(LPCSTR name)
{
    return Traced("GetModuleHandleA", [&](bool injected) -> HMODULE {
        if (injected) return Fail(ERROR_MOD_NOT_FOUND, (HMODULE) nullptr);
        // Of the modules the machine has, kernel32 alone is in every process
        // without a load; the others are found once loaded.
        std::string file = name ? ModuleFileName(name) : "";
        for (auto &m : P().modules)
            if (m.second.name == file && (m.second.refs > 0 || m.second.mapped)) return (HMODULE)m.first;
        if (file != "kernel32.dll" || !ModuleInstalled(file)) return Fail(ERROR_MOD_NOT_FOUND, (HMODULE) nullptr);
        uintptr_t h = 0x77000000 + 0x10000 * P().modules.size();
        P().modules[h] = Module{file, 0, true};
        return (HMODULE)h;
    }, name);
}

BOOL WINAPI DisableThreadLibraryCalls(HMODULE module)
{
    return Traced("DisableThreadLibraryCalls", [&](bool injected) -> BOOL {
        if (injected) return Fail(ERROR_INVALID_PARAMETER, FALSE);
        P().disabledThreadCalls = module;
        return TRUE;
    }, (void *)module);
}

HANDLE WINAPI CreateEventA(LPSECURITY_ATTRIBUTES security, BOOL manualReset, BOOL initialState, LPCSTR name)
{
    return Traced("CreateEventA", [&](bool injected) -> HANDLE {
        if (injected) return Fail(ERROR_NOT_ENOUGH_MEMORY, (HANDLE) nullptr);
        uintptr_t h = NewHandle();
        sim::os::Guard lock;
        std::shared_ptr<EventState> event;
        if (name) event = P().namedEvents[name].lock();
        bool existed = event != nullptr;
        if (!event) {
            event = std::make_shared<EventState>();
            event->signalled = initialState != FALSE;
            event->autoReset = manualReset == FALSE;
            if (name) P().namedEvents[name] = event;
        }
        P().objects[h] = Object{Kind::Event, "", event, nullptr, false, nullptr, security && security->bInheritHandle};
        // A second create of a named event opens the first, and says so.
        if (existed) P().lastError = ERROR_ALREADY_EXISTS;
        return (HANDLE)h;
    }, (void *)security, manualReset, initialState, name);
}

DWORD WINAPI WaitForSingleObject(HANDLE handle, DWORD milliseconds)
{
    return Traced("WaitForSingleObject", [&](bool injected) -> DWORD {
        if (injected) return Fail(ERROR_GEN_FAILURE, WAIT_FAILED);
        // 0 not signalled, 1 signalled (a wait that ends resets an auto-reset
        // event), -1 not an event
        auto state = [&](bool ending) {
            sim::os::Guard lock;
            auto it = P().objects.find((uintptr_t)handle);
            if (it == P().objects.end() || it->second.kind != Kind::Event) return -1;
            EventState &event = *it->second.event;
            if (!event.signalled) return 0;
            if (ending && event.autoReset) event.signalled = false;
            return 1;
        };
        {
            sim::os::Guard lock;
            auto it = P().objects.find((uintptr_t)handle);
            if (it != P().objects.end() && it->second.kind == Kind::Process) {
                // A process ends when it has run its time: a wait at least
                // that long sees it end, a shorter one times out at once (the
                // simulated clock need not run). One that never ends would
                // hang an infinite wait.
                ChildState &child = *it->second.child;
                if (!child.exited && child.runsMs != ~0ull &&
                    (milliseconds == INFINITE || child.runsMs <= milliseconds))
                    child.Exit(child.exitCode);
                if (child.exited) return WAIT_OBJECT_0;
                if (milliseconds == INFINITE) {
                    std::fprintf(stderr, "sim: an infinite wait on a process that never ends\n");
                    std::abort();
                }
                return WAIT_TIMEOUT;
            }
        }
        if (state(false) < 0) return Fail(ERROR_INVALID_HANDLE, WAIT_FAILED);
        // An infinite wait that nobody will end would hang the test run: give up loudly.
        unsigned long limit = milliseconds == INFINITE ? 30000 : milliseconds;
        unsigned long long start = sim::os::NowMs();
        for (;;) {
            if (state(true) != 0) return WAIT_OBJECT_0;  // signalled, or closed meanwhile
            if ((unsigned long)(sim::os::NowMs() - start) >= limit) break;
            sim::os::SleepMs(1);
        }
        if (milliseconds == INFINITE) {
            std::fprintf(stderr, "sim: an infinite wait on an event that is never signalled\n");
            std::abort();
        }
        return WAIT_TIMEOUT;
    }, handle, milliseconds);
}

DWORD WINAPI GetModuleFileNameA(HMODULE module, LPSTR file, DWORD size)
{
    return Traced("GetModuleFileNameA", [&](bool injected) -> DWORD {
        if (injected) return Fail(ERROR_GEN_FAILURE, (DWORD)0);
        // NULL: the host program, in a folder of its own (so that a library
        // that asks without its module finds nothing beside itself); the
        // hosted library's module: any handle that is not one of the
        // modules loaded with LoadLibraryA.
        if (module && P().modules.count((uintptr_t)module)) return Fail(ERROR_MOD_NOT_FOUND, (DWORD)0);
        if (!file || !size) return Fail(ERROR_INSUFFICIENT_BUFFER, (DWORD)0);
        // As Vista and later answer a short buffer: truncated, terminated,
        // the size returned and ERROR_INSUFFICIENT_BUFFER.
        std::string path = module ? P().machine.libraryPath : "C:\\Host Program\\host.exe";
        if (path.size() >= size) {
            std::memcpy(file, path.data(), size - 1);
            file[size - 1] = 0;
            return Fail(ERROR_INSUFFICIENT_BUFFER, size);
        }
        std::memcpy(file, path.c_str(), path.size() + 1);
        return (DWORD)path.size();
    }, (void *)module, (void *)file, size);
}

BOOL WINAPI CreatePipe(HANDLE *readEnd, HANDLE *writeEnd, LPSECURITY_ATTRIBUTES attributes, DWORD size)
{
    return Traced("CreatePipe", [&](bool injected) -> BOOL {
        if (injected) return Fail(ERROR_NOT_ENOUGH_MEMORY, FALSE);
        if (!readEnd || !writeEnd) return Fail(ERROR_INVALID_PARAMETER, FALSE);
        bool inherit = attributes && attributes->bInheritHandle;
        auto pipe = std::make_shared<PipeState>();
        pipe->writers = 1;
        sim::os::Guard lock;
        uintptr_t r = NewHandle(), w = NewHandle();
        P().objects[r] = Object{Kind::Pipe, "", nullptr, pipe, false, nullptr, inherit};
        P().objects[w] = Object{Kind::Pipe, "", nullptr, pipe, true, nullptr, inherit};
        *readEnd = (HANDLE)r;
        *writeEnd = (HANDLE)w;
        return TRUE;
    }, (void *)readEnd, (void *)writeEnd, (void *)attributes, size);
}

BOOL WINAPI SetHandleInformation(HANDLE handle, DWORD mask, DWORD flags)
{
    return Traced("SetHandleInformation", [&](bool injected) -> BOOL {
        if (injected) return Fail(ERROR_INVALID_HANDLE, FALSE);
        sim::os::Guard lock;
        auto it = P().objects.find((uintptr_t)handle);
        if (it == P().objects.end()) return Fail(ERROR_INVALID_HANDLE, FALSE);
        if (mask & HANDLE_FLAG_INHERIT) it->second.inherit = (flags & HANDLE_FLAG_INHERIT) != 0;
        return TRUE;
    }, handle, mask, flags);
}

BOOL WINAPI CreateProcessA(LPCSTR application, LPSTR commandLine, LPSECURITY_ATTRIBUTES processAttributes,
                           LPSECURITY_ATTRIBUTES threadAttributes, BOOL inheritHandles, DWORD flags,
                           LPVOID environment, LPCSTR directory, LPSTARTUPINFOA startup,
                           LPPROCESS_INFORMATION information)
{
    return Traced("CreateProcessA", [&](bool injected) -> BOOL {
        if (injected) return Fail(ERROR_NOT_ENOUGH_MEMORY, FALSE);
        const bool extended = (flags & EXTENDED_STARTUPINFO_PRESENT) != 0;
        const DWORD size = extended ? (DWORD)(sizeof(STARTUPINFOA) + sizeof(void *)) : (DWORD)sizeof(STARTUPINFOA);
        if (!startup || !information || startup->cb != size) return Fail(ERROR_INVALID_PARAMETER, FALSE);
        const Machine &m = P().machine;
        // The programs the machine has live beside the hosted library.
        const std::string &library = m.libraryPath;
        const std::string folder = library.substr(0, library.find_last_of('\\') + 1);
        std::string name = application ? application : "";
        const Program *program = nullptr;
        if (name.size() > folder.size() && SameNoCase(name.substr(0, folder.size()), folder) &&
            name.find('\\', folder.size()) == std::string::npos && m.vendorHelper.installed)
            program = FindProgram(name.substr(folder.size()));
        if (!program) return Fail(ERROR_FILE_NOT_FOUND, FALSE);

        ProcessStart start{name, commandLine ? commandLine : "", inheritHandles != FALSE, false, 0, false, flags,
                           startup->dwFlags, startup->wShowWindow};
        // What it inherits: every inheritable handle, or those of the list
        // alone (which must be inheritable, and needs inheritance on).
        std::vector<HANDLE> listed;
        if (extended) {
            LPPROC_THREAD_ATTRIBUTE_LIST list;
            std::memcpy(&list, (const uint8_t *)startup + sizeof(STARTUPINFOA), sizeof(list));
            start.handleList = HandleList(list, listed);
            if (!start.handleList) return Fail(ERROR_INVALID_PARAMETER, FALSE);
        }
        auto child = std::make_shared<ChildState>();
        child->process = std::make_unique<Process>();
        Process &c = *child->process;
        c.machine = m;
        c.bits = 32;  // our programs beside the library are 32-bit ones
        {
            sim::os::Guard lock;
            auto inheritable = [&](uintptr_t h) {
                auto it = P().objects.find(h);
                return it != P().objects.end() && it->second.inherit ? &it->second : nullptr;
            };
            if (start.handleList) {
                if (!inheritHandles) return Fail(ERROR_INVALID_PARAMETER, FALSE);
                for (HANDLE h : listed)
                    if (!inheritable((uintptr_t)h)) return Fail(ERROR_INVALID_PARAMETER, FALSE);
                for (HANDLE h : listed) c.objects[(uintptr_t)h] = *inheritable((uintptr_t)h);
            } else if (inheritHandles) {
                for (const auto &o : P().objects)
                    if (o.second.inherit) c.objects[o.first] = o.second;
            }
            for (const auto &o : c.objects)
                if (o.second.kind == Kind::Pipe && o.second.writeEnd) ++o.second.pipe->writers;
            start.inherited = (int)c.objects.size();
        }
        c.nextHandle = P().nextHandle + 0x10000;
        // Its standard output: a handle it inherited, or none.
        HANDLE output = nullptr;
        if ((startup->dwFlags & STARTF_USESTDHANDLES) && c.objects.count((uintptr_t)startup->hStdOutput))
            output = startup->hStdOutput;
        auto out = c.objects.find((uintptr_t)output);
        start.stdOutputIsPipe = out != c.objects.end() && out->second.kind == Kind::Pipe && out->second.writeEnd;
        P().processStarts.push_back(start);

        // It runs to its end now (the library waits for it anyway); how it
        // fares is the machine's: cut short, overwritten, slow, hung, crashed.
        const VendorHelper &h = m.vendorHelper;
        c.outputLeft = h.writes;
        c.overwrite = h.overwrite;
        std::string line = start.commandLine;
        DWORD code = 0;
        RunIn(c, [&] { code = (*program)(line.c_str(), output); });
        child->runsMs = h.hangs ? ~0ull : h.takesMs;
        child->survivesTerminate = h.survivesTerminate;
        if (h.exitCode) code = h.exitCode;
        child->exitCode = code;
        if (child->runsMs == 0) child->Exit(code);
        Root().children.push_back(child);

        sim::os::Guard lock;
        uintptr_t process = NewHandle(), thread = NewHandle();
        P().objects[process] = Object{Kind::Process, "", nullptr, nullptr, false, child, false};
        P().objects[thread] = Object{Kind::Thread, "", nullptr, nullptr, false, nullptr, false};
        information->hProcess = (HANDLE)process;
        information->hThread = (HANDLE)thread;
        information->dwProcessId = 0x700;
        information->dwThreadId = 0x704;
        return TRUE;
    }, application, (void *)commandLine, (void *)processAttributes, (void *)threadAttributes, inheritHandles, flags,
       environment, directory, (void *)startup, (void *)information);
}

BOOL WINAPI GetExitCodeProcess(HANDLE process, LPDWORD code)
{
    return Traced("GetExitCodeProcess", [&](bool injected) -> BOOL {
        if (injected) return Fail(ERROR_INVALID_HANDLE, FALSE);
        sim::os::Guard lock;
        auto it = P().objects.find((uintptr_t)process);
        if (it == P().objects.end() || it->second.kind != Kind::Process || !code) return Fail(ERROR_INVALID_HANDLE, FALSE);
        *code = it->second.child->exited ? it->second.child->exitCode : STILL_ACTIVE;
        return TRUE;
    }, process, (void *)code);
}

BOOL WINAPI TerminateProcess(HANDLE process, UINT code)
{
    return Traced("TerminateProcess", [&](bool injected) -> BOOL {
        if (injected) return Fail(ERROR_ACCESS_DENIED, FALSE);
        sim::os::Guard lock;
        auto it = P().objects.find((uintptr_t)process);
        if (it == P().objects.end() || it->second.kind != Kind::Process) return Fail(ERROR_INVALID_HANDLE, FALSE);
        ChildState &child = *it->second.child;
        if (!child.survivesTerminate) child.Exit(code);
        return TRUE;
    }, process, code);
}

BOOL WINAPI ReadFile(HANDLE file, LPVOID buffer, DWORD size, LPDWORD read, LPOVERLAPPED overlapped)
{
    BOOL result = Traced("ReadFile", [&](bool injected) -> BOOL {
        if (read) *read = 0;
        if (injected) return Fail(ERROR_GEN_FAILURE, FALSE);
        sim::os::Guard lock;
        auto it = P().objects.find((uintptr_t)file);
        if (it == P().objects.end() || it->second.kind != Kind::Pipe || it->second.writeEnd || overlapped)
            return Fail(ERROR_INVALID_HANDLE, FALSE);
        if (!read || (!buffer && size)) return Fail(ERROR_INVALID_PARAMETER, FALSE);
        PipeState &pipe = *it->second.pipe;
        if (pipe.bytes.empty()) {
            if (pipe.writers == 0) return Fail(ERROR_BROKEN_PIPE, FALSE);
            // A write end is still open and nothing will be written: a real
            // read would wait for ever.
            std::fprintf(stderr, "sim: a read from a pipe that a write end keeps open and nobody writes to\n");
            std::abort();
        }
        DWORD n = (DWORD)std::min<size_t>(size, pipe.bytes.size());
        std::memcpy(buffer, pipe.bytes.data(), n);
        pipe.bytes.erase(pipe.bytes.begin(), pipe.bytes.begin() + n);
        *read = n;
        return TRUE;
    }, file, buffer, size, (void *)read, (void *)overlapped);
    return result;
}

BOOL WINAPI WriteFile(HANDLE file, LPCVOID buffer, DWORD size, LPDWORD written, LPOVERLAPPED overlapped)
{
    return Traced("WriteFile", [&](bool injected) -> BOOL {
        if (written) *written = 0;
        if (injected) return Fail(ERROR_GEN_FAILURE, FALSE);
        sim::os::Guard lock;
        Process &p = P();
        auto it = p.objects.find((uintptr_t)file);
        if (it == p.objects.end() || it->second.kind != Kind::Pipe || !it->second.writeEnd || overlapped)
            return Fail(ERROR_INVALID_HANDLE, FALSE);
        if (!written || (!buffer && size)) return Fail(ERROR_INVALID_PARAMETER, FALSE);
        PipeState &pipe = *it->second.pipe;
        // Only what the machine lets through (a process that ends part-way),
        // with its overwrite laid over the first bytes.
        DWORD n = (DWORD)std::min<unsigned long long>(size, p.outputLeft);
        for (DWORD i = 0; i < n; ++i) {
            size_t at = p.outputWritten + i;
            pipe.bytes.push_back(at < p.overwrite.size() ? p.overwrite[at] : ((const uint8_t *)buffer)[i]);
        }
        p.outputLeft -= n;
        p.outputWritten += n;
        *written = n;
        return TRUE;
    }, file, buffer, size, (void *)written, (void *)overlapped);
}

// ---- advapi32 ----------------------------------------------------------------

LONG WINAPI RegOpenKeyA(HKEY root, LPCSTR subKey, PHKEY result)
{
    return Traced("RegOpenKeyA", [&](bool injected) -> LONG {
        if (!result) return ERROR_INVALID_PARAMETER;
        if (injected) {
            *result = nullptr;
            return ERROR_ACCESS_DENIED;
        }
        // No subkey: the root itself, no new handle.
        if (!subKey || !*subKey) {
            *result = root;
            return ERROR_SUCCESS;
        }
        if (!root) return ERROR_INVALID_HANDLE;
        if (root != HKEY_LOCAL_MACHINE || Lower(subKey) != "system\\mounteddevices") {
            *result = nullptr;
            return ERROR_FILE_NOT_FOUND;
        }
        uintptr_t h = NewHandle();
        P().keys.insert(h);
        *result = (HKEY)h;
        return ERROR_SUCCESS;
    }, (void *)root, subKey, (void *)result);
}

LONG WINAPI RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data,
                             LPDWORD length)
{
    DWORD given = length ? *length : 0;
    LONG result = Traced("RegQueryValueExA", [&](bool injected) -> LONG {
        if (injected) return ERROR_ACCESS_DENIED;
        // The root itself (a key opened without a subkey) holds no values.
        bool root = key == HKEY_LOCAL_MACHINE;
        if (!root && !P().keys.count((uintptr_t)key)) return ERROR_INVALID_HANDLE;
        if (reserved || (data && !length)) return ERROR_INVALID_PARAMETER;
        static const std::map<std::string, std::vector<uint8_t>> none;
        const auto &values = root ? none : P().machine.mountedDevices;
        auto it = values.end();
        for (auto v = values.begin(); v != values.end(); ++v)
            if (valueName && SameNoCase(v->first, valueName)) it = v;
        if (it == values.end()) {
            // A size query of a missing value is told 0 bytes.
            if (!data && length) *length = 0;
            return ERROR_FILE_NOT_FOUND;
        }
        DWORD size = (DWORD)it->second.size();
        if (type) *type = REG_BINARY;
        if (data && *length < size) {
            // The buffer's contents are undefined now; they read as a plausible
            // autorun name, so a caller that judges them anyway is caught.
            static const std::vector<uint8_t> junk = Utf16("\\??\\AutoRun#Disk#");
            for (DWORD i = 0; i < *length; ++i) data[i] = junk[i % junk.size()];
            *length = size;
            return ERROR_MORE_DATA;
        }
        if (data && size) std::memcpy(data, it->second.data(), size);
        if (length) *length = size;
        return ERROR_SUCCESS;
    }, (void *)key, valueName, (void *)reserved, (void *)type, (void *)data, given);
    if (P().traced && length) P().trace.back() += " -> length " + std::to_string(*length);
    return result;
}

LONG WINAPI RegCloseKey(HKEY key)
{
    return Traced("RegCloseKey", [&](bool injected) -> LONG {
        if (injected) return ERROR_ACCESS_DENIED;
        if (key == HKEY_LOCAL_MACHINE) return ERROR_SUCCESS;  // the root a subkey-less open handed out
        if (!P().keys.erase((uintptr_t)key)) {
            ++P().badReleases;
            return ERROR_INVALID_HANDLE;
        }
        return ERROR_SUCCESS;
    }, (void *)key);
}

// ---- setupapi ----------------------------------------------------------------

HDEVINFO WINAPI SetupDiGetClassDevsA(const GUID *classGuid, PCSTR enumerator, HWND window, DWORD flags)
{
    return Traced("SetupDiGetClassDevsA", [&](bool injected) -> HDEVINFO {
        if (injected) return Fail(ERROR_NOT_ENOUGH_MEMORY, INVALID_HANDLE_VALUE);
        if (!classGuid || enumerator) return Fail(ERROR_INVALID_PARAMETER, INVALID_HANDLE_VALUE);
        DevInfoList list{-1, {}};
        // Without DIGCF_DEVICEINTERFACE the GUID names a setup class, and no
        // device of the machine is listed by its setup class: an empty list.
        if (!(flags & DIGCF_DEVICEINTERFACE)) {
            uintptr_t h = NewHandle();
            P().lists[h] = list;
            return (HDEVINFO)h;
        }
        const Machine &m = P().machine;
        bool presentOnly = (flags & DIGCF_PRESENT) != 0;
        if (SameGuid(classGuid, kDiskClass)) {
            list.classIndex = 0;
            for (size_t i = 0; i < m.disks.size(); ++i)
                if (m.disks[i].present || !presentOnly) list.members.push_back(i);
        }
        if (SameGuid(classGuid, kVolumeClass)) {
            list.classIndex = 1;
            for (size_t i = 0; i < m.volumes.size(); ++i)
                if (m.volumes[i].present || !presentOnly) list.members.push_back(i);
        }
        uintptr_t h = NewHandle();
        P().lists[h] = list;
        return (HDEVINFO)h;
    }, classGuid, enumerator, (void *)window, flags);
}

BOOL WINAPI SetupDiEnumDeviceInterfaces(HDEVINFO set, PSP_DEVINFO_DATA info, const GUID *classGuid, DWORD index,
                                        PSP_DEVICE_INTERFACE_DATA data)
{
    return Traced("SetupDiEnumDeviceInterfaces", [&](bool injected) -> BOOL {
        if (injected) return Fail(ERROR_GEN_FAILURE, FALSE);
        auto it = P().lists.find((uintptr_t)set);
        if (it == P().lists.end()) return Fail(ERROR_INVALID_HANDLE, FALSE);
        if (!data || data->cbSize != sizeof(SP_DEVICE_INTERFACE_DATA)) return Fail(ERROR_INVALID_USER_BUFFER, FALSE);
        const GUID &expected = it->second.classIndex == 1 ? kVolumeClass : kDiskClass;
        if (it->second.classIndex < 0 || !SameGuid(classGuid, expected) || index >= it->second.members.size())
            return Fail(ERROR_NO_MORE_ITEMS, FALSE);
        data->InterfaceClassGuid = expected;
        data->Flags = 1;  // SPINT_ACTIVE
        data->Reserved = index + 1;
        return TRUE;
    }, set, (void *)info, classGuid, index, (void *)data);
}

BOOL WINAPI SetupDiGetDeviceInterfaceDetailA(HDEVINFO set, PSP_DEVICE_INTERFACE_DATA data,
                                             PSP_DEVICE_INTERFACE_DETAIL_DATA_A detail, DWORD size, PDWORD required,
                                             PSP_DEVINFO_DATA info)
{
    BOOL result = Traced("SetupDiGetDeviceInterfaceDetailA", [&](bool injected) -> BOOL {
        if (injected) return Fail(ERROR_GEN_FAILURE, FALSE);
        auto it = P().lists.find((uintptr_t)set);
        if (it == P().lists.end()) return Fail(ERROR_INVALID_HANDLE, FALSE);
        if (!data || data->cbSize != sizeof(SP_DEVICE_INTERFACE_DATA) || data->Reserved == 0 ||
            data->Reserved > it->second.members.size())
            return Fail(ERROR_INVALID_PARAMETER, FALSE);
        size_t index = it->second.members[data->Reserved - 1];
        bool volume = it->second.classIndex == 1;
        const std::string &path = volume ? P().machine.volumes[index].path : P().machine.disks[index].path;
        DWORD needed = (DWORD)(offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_A, DevicePath) + path.size() + 1);
        // What the size query answers: the true size, or a disk's own (a
        // class filter that misreports it).
        DWORD answered = !volume && P().machine.disks[index].detailSize ? P().machine.disks[index].detailSize : needed;
        // The device record is filled whenever the call gets that far, the
        // size query included: its setup class (disk drives, or storage
        // volumes) and its device instance.
        auto fillDevice = [&] {
            if (!info) return;
            info->ClassGuid = volume ? kVolumeSetupClass : kDiskDriveSetupClass;
            info->DevInst = volume ? kVolumeInstanceBase + (DEVINST)index : 1 + (DEVINST)index;
            info->Reserved = 0;
        };
        if (info && info->cbSize != sizeof(SP_DEVINFO_DATA)) return Fail(ERROR_INVALID_USER_BUFFER, FALSE);
        if (!detail) {
            if (size != 0) return Fail(ERROR_INVALID_USER_BUFFER, FALSE);
            if (required) *required = answered;
            fillDevice();
            return Fail(ERROR_INSUFFICIENT_BUFFER, FALSE);
        }
        // The block need only hold cbSize and a terminator (in a 64-bit
        // process, less than the structure's padded size); cbSize must be
        // the structure's size for the process.
        if (size < offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_A, DevicePath) + 1 ||
            detail->cbSize != sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A))
            return Fail(ERROR_INVALID_USER_BUFFER, FALSE);
        if (size < needed) {
            if (required) *required = needed;
            fillDevice();
            return Fail(ERROR_INSUFFICIENT_BUFFER, FALSE);
        }
        std::memcpy(detail->DevicePath, path.c_str(), path.size() + 1);
        if (required) *required = needed;
        fillDevice();
        return TRUE;
    }, set, (void *)data, (void *)detail, size, (void *)required, (void *)info);
    if (P().traced && result && detail) P().trace.back() += " -> " + Arg(detail->DevicePath);
    else if (P().traced && required) P().trace.back() += " -> required " + std::to_string(*required);
    return result;
}

BOOL WINAPI SetupDiDestroyDeviceInfoList(HDEVINFO set)
{
    return Traced("SetupDiDestroyDeviceInfoList", [&](bool injected) -> BOOL {
        if (injected) return Fail(ERROR_GEN_FAILURE, FALSE);
        if (!P().lists.erase((uintptr_t)set)) {
            ++P().badReleases;
            return Fail(ERROR_INVALID_HANDLE, FALSE);
        }
        return TRUE;
    }, set);
}

CONFIGRET WINAPI CM_Get_Parent(PDEVINST parent, DEVINST instance, ULONG flags)
{
    CONFIGRET result = Traced("CM_Get_Parent", [&](bool injected) -> CONFIGRET {
        if (injected) return CR_FAILURE;
        if (!parent) return CR_FAILURE;
        size_t count = P().machine.volumes.size();
        if (instance < kVolumeInstanceBase || instance >= kVolumeInstanceBase + count) return CR_NO_SUCH_DEVNODE;
        *parent = kParentInstanceBase + (instance - kVolumeInstanceBase);
        return CR_SUCCESS;
    }, (void *)parent, instance, flags);
    if (P().traced && result == CR_SUCCESS) P().trace.back() += " -> " + Arg(*parent);
    return result;
}

CONFIGRET WINAPI CM_Get_Device_IDA(DEVINST instance, PSTR buffer, ULONG length, ULONG flags)
{
    CONFIGRET result = Traced("CM_Get_Device_IDA", [&](bool injected) -> CONFIGRET {
        if (injected) return CR_FAILURE;
        if (!buffer) return CR_FAILURE;
        const Machine &m = P().machine;
        std::string id;
        if (instance >= kVolumeInstanceBase && instance < kVolumeInstanceBase + m.volumes.size())
            id = m.volumes[instance - kVolumeInstanceBase].deviceId;
        else if (instance >= kParentInstanceBase && instance < kParentInstanceBase + m.volumes.size())
            id = m.volumes[instance - kParentInstanceBase].parentId;
        else
            return CR_NO_SUCH_DEVNODE;
        // Like the real call, a buffer without room for the terminator gets the
        // text unterminated and CR_BUFFER_SMALL.
        size_t n = std::min<size_t>(id.size(), length);
        std::memcpy(buffer, id.data(), n);
        if (id.size() >= length) return CR_BUFFER_SMALL;
        buffer[id.size()] = 0;
        return CR_SUCCESS;
    }, instance, (void *)buffer, length, flags);
    if (P().traced && result == CR_SUCCESS) P().trace.back() += " -> " + Arg(buffer);
    return result;
}

// ---- user32 ------------------------------------------------------------------

int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT style)
{
    // No fault makes a box fail: the library never looks at its answer.
    return Traced("MessageBoxA", [&](bool) -> int {
        Root().boxes.push_back({owner, text ? text : "", caption ? caption : "", style});
        return IDOK;
    }, (void *)owner, text, caption, style);
}

}  // extern "C"

// The operations above, by the names a fault takes (FailCall, a scenario).
const std::set<std::string> &sim::Operations()
{
    static const std::set<std::string> names = {
        "GetVersionExA", "HeapAlloc", "HeapFree", "CreateFileA", "CloseHandle", "DeviceIoControl",
        "GetDriveTypeA", "GetLogicalDrives", "GetVolumeNameForVolumeMountPointA", "LoadLibraryA",
        "GetProcAddress", "FreeLibrary", "DisableThreadLibraryCalls", "CreateEventA",
        "WaitForSingleObject", "RegOpenKeyA", "RegQueryValueExA", "RegCloseKey", "SetupDiGetClassDevsA",
        "SetupDiEnumDeviceInterfaces", "SetupDiGetDeviceInterfaceDetailA", "SetupDiDestroyDeviceInfoList",
        "CM_Get_Parent", "CM_Get_Device_IDA", "MessageBoxA", "GetModuleFileNameA", "CreatePipe",
        "SetHandleInformation", "CreateProcessA", "GetExitCodeProcess", "TerminateProcess", "ReadFile",
        "WriteFile", "GetModuleHandleA", "InitializeProcThreadAttributeList", "UpdateProcThreadAttribute",
        "DeleteProcThreadAttributeList"};
    return names;
}
