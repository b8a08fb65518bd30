// morvalith-check.exe: the check a customer starts with a double-click. It
// runs what morvalith-probe.exe --explain runs (this PC captured in memory,
// explained on the simulated machine by morvalith-sim.exe, the real DLL
// loaded) and shows, in one window, the verdict, the cause and the remedy in
// plain words, with the detail below. Save report writes the capture for
// support; nothing shown or saved holds the identification key or the
// vendor sector.
#include <windows.h>

#include <io.h>
#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include "output.h"
#include "probe_win.h"


// The DLL a window checks is its own size's: the one a program of that size
// beside it loads (bin\ for 32-bit programs, bin\x64\ for 64-bit ones).
#if defined(_WIN64)
static const std::string kLibraryLabel = "Morvalith.dll (64-bit): ";
#else
static const std::string kLibraryLabel = "Morvalith.dll (32-bit): ";
#endif
namespace {

// The controls, by the identifiers a reader (and the checks) find them by.
enum {
    kVerdict = 101,
    kCause = 102,
    kRemedy = 103,
    kLibrary = 104,
    kWindows = 105,
    kDetail = 106,
    kReport = 107,
    kSave = 201,
    kCopy = 202,
    kClose = 203,
    kElevate = 204,
};
const UINT kRunCheck = WM_APP + 1;

struct Result {
    std::string verdict, cause, remedy, library, windows, detail, report;
    bool elevate = false;
};

HWND g_window;
HFONT g_font, g_bold;
std::string g_folder;  // this program's folder, with its trailing backslash
Result g_result;

bool Exists(const std::string &path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The value of the first line that begins with prefix, after it; from the
// given position on.
std::string Field(const std::string &text, const char *prefix, size_t from = 0)
{
    size_t at = from;
    size_t length = strlen(prefix);
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        if (text.compare(at, length, prefix) == 0) {
            std::string value = text.substr(at + length, end - at - length);
            while (!value.empty() && (value.back() == '\r' || value.back() == ' ')) value.pop_back();
            return value;
        }
        at = end + 1;
    }
    return "";
}

// Line ends as an edit control shows them.
std::string WindowsLines(const std::string &text)
{
    std::string out;
    for (char c : text) {
        if (c == '\r') continue;
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

std::string Capitalised(std::string text)
{
    if (!text.empty() && text[0] >= 'a' && text[0] <= 'z') text[0] = (char)(text[0] - 'a' + 'A');
    return text;
}

// The check itself, or what is missing for it.
Result RunCheck()
{
    Result r;
    std::vector<std::string> missing;
    for (const char *file : {"Morvalith.dll", "morvalith-sim.exe"})
        if (!Exists(g_folder + file)) missing.push_back(file);
    OSVERSIONINFOA version;
    memset(&version, 0, sizeof(version));
    version.dwOSVersionInfoSize = sizeof(version);
    GetVersionExA(&version);
    // The release's name first: a customer knows "Windows 98", not "4.10".
    const char *name = "Windows";
    DWORD major = version.dwMajorVersion, minor = version.dwMinorVersion, build = version.dwBuildNumber & 0xFFFF;
    if (version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS)
        name = minor == 0 ? "Windows 95" : minor == 10 ? (build >= 2222 ? "Windows 98 SE" : "Windows 98") : "Windows Me";
    else if (major == 5)
        name = minor == 0 ? "Windows 2000" : minor == 1 ? "Windows XP" : "Windows Server 2003";
    else if (major == 6)
        name = minor == 0 ? "Windows Vista" : minor == 1 ? "Windows 7" : minor == 2 ? "Windows 8" : "Windows 8.1";
    else if (major >= 10)
        name = "Windows 10 or later";
    std::string csd = version.szCSDVersion;  // 98 SE's is " A "
    csd.erase(0, csd.find_first_not_of(' '));
    csd.erase(csd.find_last_not_of(' ') + 1);
    char windows[200];
    snprintf(windows, sizeof(windows), "%s (version %lu.%lu build %lu%s%s)", name, major, minor, build,
             csd.empty() ? "" : ", ", csd.c_str());
    r.windows = std::string("Windows: ") + windows;
    if (!missing.empty()) {
        std::string names = missing[0] + (missing.size() > 1 ? " and " + missing[1] : "");
        r.verdict = "The check cannot run: " + names + (missing.size() > 1 ? " are" : " is") + " missing.";
        r.cause = "Cause: " + names + (missing.size() > 1 ? " are" : " is") + " not in the folder of morvalith-check.exe.";
        std::string folder = g_folder.substr(0, g_folder.size() - 1);  // without its last backslash
        r.remedy = "What to do: put " + names + " in " + folder + ", beside morvalith-check.exe (" +
                   (missing.size() > 1 ? "they come" : "it comes") +
                   " with it from support or in the release archive), then start the check again.";
        r.library = kLibraryLabel + (Exists(g_folder + "Morvalith.dll") ? g_folder + "Morvalith.dll" : "missing");
        r.detail = r.verdict + "\r\n" + r.cause + "\r\n" + r.remedy + "\r\n";
        return r;
    }

    int outcome = 2;
    std::string text = CaughtOutput([&] {
        // The engine's own complaints go with the rest.
        fflush(stderr);
        int saved = _dup(_fileno(stderr));
        _dup2(_fileno(stdout), _fileno(stderr));
        char program[] = "morvalith-probe.exe", option[] = "--explain";
        char *argv[] = {program, option, NULL};
        outcome = ProbeMain(2, argv);
        fflush(stderr);
        if (saved >= 0) {
            _dup2(saved, _fileno(stderr));
            _close(saved);
        } else {
            _close(_fileno(stderr));
        }
    });
    size_t real = text.find("the real Morvalith.dll on this machine:");
    std::string load = real == std::string::npos ? "" : Field(text, "load: ", real);
    std::string file = real == std::string::npos ? "" : Field(text, "  file: ", real);
    std::string cause = Field(text, "cause: "), remedy = Field(text, "remedy: ");
    if (outcome == 0) r.verdict = "Morvalith.dll loads on this PC.";
    else if (outcome == 1) r.verdict = "Morvalith.dll refuses to load on this PC.";
    else r.verdict = "The check could not test Morvalith.dll on this PC.";
    r.cause = "Cause: " + (cause.empty() ? std::string("see the detail below") : Capitalised(cause) + ".");
    r.remedy = "What to do: " + (remedy.empty() ? std::string("save a report and send it to support")
                                                : Capitalised(remedy) + ".");
    r.library = kLibraryLabel + (file.empty() ? (load.empty() ? g_folder + "Morvalith.dll" : load) : file);
    r.elevate = version.dwMajorVersion >= 6 && cause.find("access denied") != std::string::npos;
    if (r.elevate)
        r.remedy += " A program that uses Morvalith.dll must run as administrator on this PC: use \"Check again as "
                    "administrator\" to see the result it would get.";
    r.detail = WindowsLines(text);
    return r;
}

void Set(int id, const std::string &text) { SetWindowTextA(GetDlgItem(g_window, id), text.c_str()); }

void Show(const Result &r)
{
    Set(kVerdict, r.verdict);
    Set(kCause, r.cause);
    Set(kRemedy, r.remedy);
    Set(kLibrary, r.library);
    Set(kWindows, r.windows);
    Set(kDetail, r.detail);
    ShowWindow(GetDlgItem(g_window, kElevate), r.elevate ? SW_SHOW : SW_HIDE);
    EnableWindow(GetDlgItem(g_window, kSave), TRUE);
    EnableWindow(GetDlgItem(g_window, kCopy), TRUE);
}

// The documents folder, from the shell's own record (on every Windows from
// 98 on, without a newer shell call).
std::string DocumentsFolder()
{
    HKEY key;
    char path[MAX_PATH] = "";
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", 0,
                      KEY_QUERY_VALUE, &key) == ERROR_SUCCESS) {
        DWORD size = sizeof(path) - 1, type = 0;
        if (RegQueryValueExA(key, "Personal", NULL, &type, (BYTE *)path, &size) != ERROR_SUCCESS || type != REG_SZ)
            path[0] = 0;
        path[sizeof(path) - 1] = 0;
        RegCloseKey(key);
    }
    std::string folder = path;
    if (!folder.empty() && folder.back() != '\\') folder += '\\';
    return folder;
}

// Writes the report beside this program, or in the documents folder when
// this one cannot be written (a program folder under Program Files).
void SaveReport()
{
    SetCursor(LoadCursor(NULL, IDC_WAIT));
    std::string written;
    std::vector<std::string> folders = {g_folder, DocumentsFolder()};
    for (const std::string &folder : folders) {
        if (folder.empty()) continue;
        std::string path = folder + "morvalith-report.json";
        if (WriteCaptureFile(path.c_str()) == 0) {
            written = path;
            break;
        }
    }
    SetCursor(LoadCursor(NULL, IDC_ARROW));
    g_result.report = written.empty()
                          ? "Report: could not be written, neither here nor in the documents folder."
                          : "Report saved: " + written + " (send this file to support; it holds no key)";
    Set(kReport, g_result.report);
}

void CopyAll()
{
    std::string text = g_result.verdict + "\r\n" + g_result.cause + "\r\n" + g_result.remedy + "\r\n" +
                       g_result.library + "\r\n" + g_result.windows + "\r\n" +
                       (g_result.report.empty() ? "" : g_result.report + "\r\n") + "\r\n" + g_result.detail;
    if (!OpenClipboard(g_window)) return;
    EmptyClipboard();
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    char *p = block ? (char *)GlobalLock(block) : NULL;
    if (p) {
        memcpy(p, text.c_str(), text.size() + 1);
        GlobalUnlock(block);
        if (!SetClipboardData(CF_TEXT, block)) GlobalFree(block);
    } else if (block) {
        GlobalFree(block);
    }
    CloseClipboard();
}

void Elevate()
{
    char self[MAX_PATH];
    DWORD length = GetModuleFileNameA(NULL, self, sizeof(self));
    if (!length || length >= sizeof(self)) return;
    if ((INT_PTR)ShellExecuteA(g_window, "runas", self, NULL, g_folder.c_str(), SW_SHOWNORMAL) > 32)
        DestroyWindow(g_window);
}

HWND Control(const char *cls, DWORD style, int id, int x, int y, int w, int h, const char *text = "",
             DWORD extended = 0)
{
    HWND c = CreateWindowExA(extended, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, g_window,
                             (HMENU)(INT_PTR)id, GetModuleHandleA(NULL), NULL);
    SendMessageA(c, WM_SETFONT, (WPARAM)(id == kVerdict ? g_bold : g_font), TRUE);
    return c;
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE: {
        g_window = window;
        const int w = 600;
        Control("STATIC", SS_LEFT, kVerdict, 12, 10, w, 22, "Checking this PC...");
        Control("STATIC", SS_LEFT, kCause, 12, 36, w, 34);
        Control("STATIC", SS_LEFT, kRemedy, 12, 72, w, 48);
        Control("STATIC", SS_LEFT | SS_NOPREFIX, kLibrary, 12, 122, w, 18);
        Control("STATIC", SS_LEFT, kWindows, 12, 142, w, 18);
        Control("EDIT", WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | ES_AUTOHSCROLL,
                kDetail, 12, 166, w, 230, "", WS_EX_CLIENTEDGE);
        Control("STATIC", SS_LEFT | SS_NOPREFIX, kReport, 12, 402, w, 30, "Report: not saved yet.");
        Control("BUTTON", BS_PUSHBUTTON | WS_DISABLED | WS_TABSTOP, kSave, 12, 436, 110, 26, "&Save report");
        Control("BUTTON", BS_PUSHBUTTON | WS_DISABLED | WS_TABSTOP, kCopy, 130, 436, 80, 26, "&Copy");
        HWND elevate = Control("BUTTON", BS_PUSHBUTTON | WS_TABSTOP, kElevate, 218, 436, 220, 26,
                               "Check again as &administrator");
        ShowWindow(elevate, SW_HIDE);
        Control("BUTTON", BS_DEFPUSHBUTTON | WS_TABSTOP, kClose, 532, 436, 80, 26, "Close");
        PostMessageA(window, kRunCheck, 0, 0);
        return 0;
    }
    case kRunCheck:
        SetCursor(LoadCursor(NULL, IDC_WAIT));
        g_result = RunCheck();
        SetCursor(LoadCursor(NULL, IDC_ARROW));
        Show(g_result);
        return 0;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case kSave: SaveReport(); return 0;
        case kCopy: CopyAll(); return 0;
        case kElevate: Elevate(); return 0;
        case kClose:
        case IDCANCEL: DestroyWindow(window); return 0;
        }
        break;
    case WM_CTLCOLORSTATIC:
        // The read-only detail stays white, as text to read.
        if ((HWND)lParam == GetDlgItem(window, kDetail)) {
            SetBkColor((HDC)wParam, RGB(255, 255, 255));
            return (LRESULT)GetStockObject(WHITE_BRUSH);
        }
        break;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show)
{
    char self[MAX_PATH];
    DWORD length = GetModuleFileNameA(NULL, self, sizeof(self));
    char *slash = length && length < sizeof(self) ? strrchr(self, '\\') : NULL;
    if (slash) slash[1] = 0;
    g_folder = slash ? self : ".\\";
    // What the DLL looks for relative to the current folder (the vendor
    // library) is looked for here, as for a program started from its folder.
    SetCurrentDirectoryA(g_folder.c_str());
    g_probeWithoutConsole = true;

    g_font = (HFONT)GetStockObject(DEFAULT_GUI_FONT);
    LOGFONTA bold;
    if (GetObjectA(g_font, sizeof(bold), &bold)) {
        bold.lfWeight = FW_BOLD;
        bold.lfHeight = bold.lfHeight < 0 ? bold.lfHeight - 3 : bold.lfHeight + 3;
        g_bold = CreateFontIndirectA(&bold);
    }
    if (!g_bold) g_bold = g_font;

    WNDCLASSA cls;
    memset(&cls, 0, sizeof(cls));
    cls.lpfnWndProc = WindowProc;
    cls.hInstance = instance;
    cls.hCursor = LoadCursor(NULL, IDC_ARROW);
    cls.hIcon = LoadIcon(NULL, IDI_INFORMATION);
    cls.hbrBackground = (HBRUSH)(COLOR_BTNFACE + 1);
    cls.lpszClassName = "MorvalithCheck";
    if (!RegisterClassA(&cls)) return 1;
    RECT frame = {0, 0, 624, 472};
    DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    AdjustWindowRect(&frame, style, FALSE);
    HWND window = CreateWindowExA(0, cls.lpszClassName, "Morvalith check", style, CW_USEDEFAULT, CW_USEDEFAULT,
                                  frame.right - frame.left, frame.bottom - frame.top, NULL, NULL, instance, NULL);
    if (!window) return 1;
    ShowWindow(window, show);
    UpdateWindow(window);
    MSG message;
    while (GetMessageA(&message, NULL, 0, 0) > 0) {
        if (IsDialogMessageA(window, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}
