// morvalith-check.exe: the check a customer starts with a double-click. It
// runs what morvalith-probe.exe --explain runs (this PC captured in memory,
// explained on the simulated machine by morvalith-sim.exe, the real DLL
// loaded) and shows, in one window, the verdict, the cause and the remedy in
// plain words, with the detail below. Save report writes the capture for
// support; nothing shown or saved holds the identification key or the
// vendor sector.
// The customer's words come from the string table (lang.cpp) in the user's
// display language, built from the explanation's cause-id: and remedy-id:
// lines; the detail and the report stay English, for support.
#include <windows.h>

#include <io.h>
#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include "lang.h"
#include "output.h"
#include "probe_win.h"


// The DLL a window checks is its own size's: the one a program of that size
// beside it loads (bin\ for 32-bit programs, bin\x64\ for 64-bit ones).
#if defined(_WIN64)
static const char kLibraryLabel[] = "library.64";
#else
static const char kLibraryLabel[] = "library.32";
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

// Every text below is UTF-8 until it meets the system.
struct Result {
    std::string verdict, cause, remedy, library, windows, detail, report;
    std::string causeId, remedyId;  // for the saved report
    bool elevate = false;
};

HWND g_window;
HFONT g_font, g_bold;
std::string g_folder;  // this program's folder, with its trailing backslash (the ANSI code page's bytes)
Result g_result;
int g_lang = lang::kEnglish;

// On NT the window's text goes through the wide functions, so that any
// language shows whatever the ANSI code page; they are looked up at run time
// (Windows 98 only stubs them, and the programs' imports must hold there).
struct WideCalls {
    decltype(&::RegisterClassW) RegisterClassW;
    decltype(&::CreateWindowExW) CreateWindowExW;
    decltype(&::DefWindowProcW) DefWindowProcW;
    decltype(&::SetWindowTextW) SetWindowTextW;
    decltype(&::DrawTextW) DrawTextW;
} g_w;
bool g_wide = false;

template <typename F> bool Resolve(HMODULE module, const char *name, F &fn)
{
    fn = module ? (F)(void *)GetProcAddress(module, name) : nullptr;
    return fn != nullptr;
}

bool LoadWideCalls()
{
    if (GetVersion() & 0x80000000) return false;  // Windows 9x
    HMODULE user = GetModuleHandleA("user32.dll");
    return Resolve(user, "RegisterClassW", g_w.RegisterClassW) & Resolve(user, "CreateWindowExW", g_w.CreateWindowExW) &
           Resolve(user, "DefWindowProcW", g_w.DefWindowProcW) & Resolve(user, "SetWindowTextW", g_w.SetWindowTextW) &
           Resolve(user, "DrawTextW", g_w.DrawTextW);
}

std::wstring Wide(const std::string &utf8)
{
    std::u16string text = lang::Utf16(utf8);
    return std::wstring(text.begin(), text.end());
}

// Text the system gave in the ANSI code page (paths, the engine's output), as UTF-8.
std::string FromSystem(const std::string &ansi)
{
    if (ansi.empty()) return "";
    int n = MultiByteToWideChar(CP_ACP, 0, ansi.data(), (int)ansi.size(), NULL, 0);
    std::wstring wide(n > 0 ? n : 0, L'\0');
    if (n <= 0 || MultiByteToWideChar(CP_ACP, 0, ansi.data(), (int)ansi.size(), &wide[0], n) != n) return ansi;
    return lang::Utf8(std::u16string(wide.begin(), wide.end()));
}

// UTF-8 in the ANSI code page; lossless tells whether it comes back whole
// (a round trip, since a best-fit mapping may turn a letter into another
// without saying so).
std::string Ansi(const std::string &utf8, bool *lossless = nullptr)
{
    std::wstring wide = Wide(utf8);
    if (lossless) *lossless = true;
    if (wide.empty()) return "";
    int n = WideCharToMultiByte(CP_ACP, 0, wide.data(), (int)wide.size(), NULL, 0, NULL, NULL);
    std::string ansi(n > 0 ? n : 0, '\0');
    if (n <= 0 || WideCharToMultiByte(CP_ACP, 0, wide.data(), (int)wide.size(), &ansi[0], n, NULL, NULL) != n) {
        if (lossless) *lossless = false;
        return "";
    }
    if (lossless) {
        int back = MultiByteToWideChar(CP_ACP, 0, ansi.data(), (int)ansi.size(), NULL, 0);
        std::wstring again(back > 0 ? back : 0, L'\0');
        if (back > 0) MultiByteToWideChar(CP_ACP, 0, ansi.data(), (int)ansi.size(), &again[0], back);
        *lossless = again == wide;
    }
    return ansi;
}

// Whether the ANSI functions can show every text of a language here: a
// page of question marks is worse than English.
bool AnsiShows(int language)
{
    for (const std::string &id : lang::Ids()) {
        bool whole = false;
        Ansi(lang::Text(language, id), &whole);
        if (!whole) return false;
    }
    return true;
}

int CALLBACK FoundFont(const LOGFONTA *, const TEXTMETRICA *, DWORD, LPARAM found)
{
    *(bool *)found = true;
    return 0;
}

// Whether a font shows the language's character set: Chinese, Japanese and
// Korean need one that a Western Windows may lack (a page of boxes is worse
// than English too).
bool HasFontFor(int language)
{
    const BYTE charset = lang::Charset(language);
    if (charset == ANSI_CHARSET) return true;
    LOGFONTA wanted;
    memset(&wanted, 0, sizeof(wanted));
    wanted.lfCharSet = charset;
    // Looked up, not imported: GDI32 has no export list of Windows 98 to
    // hold an import to; without it the font is taken to be there.
    decltype(&::EnumFontFamiliesExA) enumerate = nullptr;
    if (!Resolve(GetModuleHandleA("gdi32.dll"), "EnumFontFamiliesExA", enumerate)) return true;
    bool found = false;
    HDC dc = GetDC(NULL);
    if (dc) {
        enumerate(dc, &wanted, (FONTENUMPROCA)FoundFont, (LPARAM)&found, 0);
        ReleaseDC(NULL, dc);
    }
    return found;
}

// The language: --lang=xx or MORVALITH_LANG (support, the tests, a customer
// who wants English), else the user's display language as Windows chooses
// it (GetUserDefaultUILanguage from Windows 2000 and Me on; before, the
// user's locale); English where no table matches, where the ANSI road cannot
// show the language, or where no font has its characters.
int ChooseLanguage(const std::string &commandLine)
{
    std::string forced;
    size_t at = commandLine.find("--lang=");
    if (at != std::string::npos) {
        at += 7;
        forced = commandLine.substr(at, commandLine.find_first_of(" \t\"", at) - at);
    } else {
        char value[32];
        DWORD n = GetEnvironmentVariableA("MORVALITH_LANG", value, sizeof(value));
        if (n && n < sizeof(value)) forced = value;
    }
    int language = forced.empty() ? -1 : lang::FromCode(forced);
    if (language < 0) {
        typedef LANGID(WINAPI * UiLanguageFn)(void);
        UiLanguageFn ui = (UiLanguageFn)(void *)GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetUserDefaultUILanguage");
        language = lang::FromLangId(ui ? ui() : GetUserDefaultLangID());
    }
    if (!g_wide && language != lang::kEnglish && !AnsiShows(language)) language = lang::kEnglish;
    if (!HasFontFor(language)) language = lang::kEnglish;
    return language;
}

std::string Say(const std::string &id, const std::vector<std::string> &args = {})
{
    return lang::Say(g_lang, id, args);
}

// The words of an identifier line of the explanation ("cause-id: ..."), or
// empty when it has none that the table knows.
std::string SayLine(const std::string &group, const std::string &line, std::string &id)
{
    std::vector<std::string> args;
    if (!lang::ParseIdLine(line, id, args) || !lang::Text(g_lang, group + "." + id)) {
        id.clear();
        return "";
    }
    for (std::string &a : args) a = FromSystem(a);
    return Say(group + "." + id, args);
}

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
    const char *name = "windows.other";
    DWORD major = version.dwMajorVersion, minor = version.dwMinorVersion, build = version.dwBuildNumber & 0xFFFF;
    if (version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS)
        name = minor == 0 ? "windows.95" : minor == 10 ? (build >= 2222 ? "windows.98se" : "windows.98") : "windows.me";
    else if (major == 5)
        name = minor == 0 ? "windows.2000" : minor == 1 ? "windows.xp" : "windows.2003";
    else if (major == 6)
        name = minor == 0 ? "windows.vista" : minor == 1 ? "windows.7" : minor == 2 ? "windows.8" : "windows.8.1";
    else if (major >= 10)
        name = "windows.10";
    std::string csd = version.szCSDVersion;  // 98 SE's is " A "
    csd.erase(0, csd.find_first_not_of(' '));
    csd.erase(csd.find_last_not_of(' ') + 1);
    std::vector<std::string> release = {Say(name), std::to_string(major), std::to_string(minor), std::to_string(build),
                                        FromSystem(csd)};
    r.windows = Say("label.windows", {Say(csd.empty() ? "windows.version" : "windows.version-extra", release)});
    const std::string folder = FromSystem(g_folder);
    if (!missing.empty()) {
        const bool two = missing.size() > 1;
        r.verdict = two ? Say("verdict.missing-two", missing) : Say("verdict.missing-one", missing);
        r.cause = Say("label.cause", {two ? Say("cause.missing-two", missing) : Say("cause.missing-one", missing)});
        std::vector<std::string> where = missing;
        where.push_back(folder.substr(0, folder.size() - 1));  // without its last backslash
        r.remedy = Say("label.remedy", {two ? Say("remedy.missing-two", where) : Say("remedy.missing-one", where)});
        r.library = Say(kLibraryLabel, {Exists(g_folder + "Morvalith.dll") ? folder + "Morvalith.dll"
                                                                          : Say("library.missing")});
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
    r.verdict = Say(outcome == 0 ? "verdict.loads" : outcome == 1 ? "verdict.refuses" : "verdict.untested");
    // The words come from the identifiers alone; the English lines beside
    // them are support's.
    std::string cause = SayLine("cause", Field(text, "cause-id: "), r.causeId);
    std::string remedy = SayLine("remedy", Field(text, "remedy-id: "), r.remedyId);
    r.cause = Say("label.cause", {cause.empty() ? Say("cause.unknown") : cause});
    r.elevate = version.dwMajorVersion >= 6 && r.causeId == "open-denied";
    if (remedy.empty()) remedy = Say("remedy.unknown");
    if (r.elevate) remedy = Say("join.sentences", {remedy, Say("remedy.elevate-note")});
    r.remedy = Say("label.remedy", {remedy});
    r.library = Say(kLibraryLabel, {FromSystem(file.empty() ? (load.empty() ? g_folder + "Morvalith.dll" : load) : file)});
    r.detail = WindowsLines(FromSystem(text));
    return r;
}

// Sets a control's text, through the wide functions where they are.
void SetText(HWND control, const std::string &text)
{
    if (g_wide) g_w.SetWindowTextW(control, Wide(text).c_str());
    else SetWindowTextA(control, Ansi(text).c_str());
}

void Set(int id, const std::string &text) { SetText(GetDlgItem(g_window, id), text); }

// The controls' text as last set, for the layout.
std::string TextOf(int id)
{
    switch (id) {
    case kVerdict: return g_result.verdict.empty() ? Say("checking") : g_result.verdict;
    case kCause: return g_result.cause;
    case kRemedy: return g_result.remedy;
    case kLibrary: return g_result.library;
    case kWindows: return g_result.windows;
    case kReport: return g_result.report.empty() ? Say("report.none") : g_result.report;
    case kSave: return Say("button.save");
    case kCopy: return Say("button.copy");
    case kElevate: return Say("button.elevate");
    case kClose: return Say("button.close");
    }
    return "";
}

// The height (and width) text takes in a font, drawn as its control draws it.
SIZE Measure(HDC dc, HFONT font, const std::string &text, int width, UINT flags)
{
    HGDIOBJ old = SelectObject(dc, font);
    RECT rect = {0, 0, width, 0};
    flags |= DT_CALCRECT;
    if (g_wide) g_w.DrawTextW(dc, Wide(text.empty() ? " " : text).c_str(), -1, &rect, flags);
    else DrawTextA(dc, Ansi(text.empty() ? " " : text).c_str(), -1, &rect, flags);
    SelectObject(dc, old);
    SIZE size = {rect.right - rect.left, rect.bottom - rect.top};
    return size;
}

// Lays the window out for its text: every line as high as its words take
// in this language and font, the buttons as wide as their labels, and the
// window around them, so that nothing is cut off.
void Layout()
{
    const int margin = 12, width = 600, gap = 4;
    // As a static control with SS_LEFT | SS_NOPREFIX | SS_EDITCONTROL draws.
    const UINT wrap = DT_LEFT | DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX | DT_EDITCONTROL;
    HDC dc = GetDC(g_window);
    int y = 10;
    for (int id : {kVerdict, kCause, kRemedy, kLibrary, kWindows}) {
        SIZE size = Measure(dc, id == kVerdict ? g_bold : g_font, TextOf(id), width, wrap);
        MoveWindow(GetDlgItem(g_window, id), margin, y, width, size.cy, TRUE);
        y += size.cy + (id == kVerdict || id == kRemedy ? 2 * gap : gap);
    }
    const int detailHeight = 230;
    MoveWindow(GetDlgItem(g_window, kDetail), margin, y, width, detailHeight, TRUE);
    y += detailHeight + gap + 2;
    SIZE report = Measure(dc, g_font, TextOf(kReport), width, wrap);
    MoveWindow(GetDlgItem(g_window, kReport), margin, y, width, report.cy, TRUE);
    y += report.cy + gap + 2;
    int x = margin, height = 26;
    for (int id : {kSave, kCopy, kElevate, kClose}) {
        SIZE label = Measure(dc, g_font, TextOf(id), 1000, DT_SINGLELINE);
        int w = label.cx + 24 > 80 ? label.cx + 24 : 80;
        if (label.cy + 10 > height) height = label.cy + 10;
        // Close stands apart, at the right.
        int left = id == kClose ? margin + width - w : x;
        MoveWindow(GetDlgItem(g_window, id), left, y, w, height, TRUE);
        x += w + 8;
    }
    ReleaseDC(g_window, dc);
    RECT frame = {0, 0, margin + width + margin, y + height + 10};
    AdjustWindowRect(&frame, (DWORD)GetWindowLongA(g_window, GWL_STYLE), FALSE);
    SetWindowPos(g_window, NULL, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    // Where a line was before it moved is painted afresh.
    InvalidateRect(g_window, NULL, TRUE);
    UpdateWindow(g_window);
}

void Show(const Result &r)
{
    Set(kVerdict, r.verdict);
    Set(kCause, r.cause);
    Set(kRemedy, r.remedy);
    Set(kLibrary, r.library);
    Set(kWindows, r.windows);
    Set(kDetail, r.detail);
    ShowWindow(GetDlgItem(g_window, kElevate), r.elevate ? SW_SHOW : SW_HIDE);
    Layout();
    // The buttons last: a reader waits for them (the checks read the window then).
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
        // The report carries the check's identifiers, for support's tools.
        std::string ids = "cause-id: " + (g_result.causeId.empty() ? std::string("none-found") : g_result.causeId) +
                          "\nremedy-id: " + (g_result.remedyId.empty() ? std::string("none-found") : g_result.remedyId);
        if (WriteCaptureFileWithComment(path.c_str(), ids.c_str()) == 0) {
            written = path;
            break;
        }
    }
    SetCursor(LoadCursor(NULL, IDC_ARROW));
    g_result.report = written.empty() ? Say("report.failed") : Say("report.saved", {FromSystem(written)});
    Set(kReport, g_result.report);
    Layout();
}

void CopyAll()
{
    std::string text = g_result.verdict + "\r\n" + g_result.cause + "\r\n" + g_result.remedy + "\r\n" +
                       g_result.library + "\r\n" + g_result.windows + "\r\n" +
                       (g_result.report.empty() ? "" : g_result.report + "\r\n") + "\r\n" + g_result.detail;
    // Unicode where the window is (Windows offers it as ANSI text too).
    std::wstring wide = Wide(text);
    std::string ansi = g_wide ? "" : Ansi(text);
    size_t bytes = g_wide ? (wide.size() + 1) * sizeof(wchar_t) : ansi.size() + 1;
    if (!OpenClipboard(g_window)) return;
    EmptyClipboard();
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes);
    char *p = block ? (char *)GlobalLock(block) : NULL;
    if (p) {
        memcpy(p, g_wide ? (const void *)wide.c_str() : (const void *)ansi.c_str(), bytes);
        GlobalUnlock(block);
        if (!SetClipboardData(g_wide ? CF_UNICODETEXT : CF_TEXT, block)) GlobalFree(block);
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
    // The new window speaks as this one does.
    std::string option = std::string("--lang=") + lang::Code(g_lang);
    if ((INT_PTR)ShellExecuteA(g_window, "runas", self, option.c_str(), g_folder.c_str(), SW_SHOWNORMAL) > 32)
        DestroyWindow(g_window);
}

HWND Control(const char *cls, DWORD style, int id, const std::string &text = "", DWORD extended = 0)
{
    HWND c;
    if (g_wide)
        c = g_w.CreateWindowExW(extended, Wide(cls).c_str(), Wide(text).c_str(), WS_CHILD | WS_VISIBLE | style, 0, 0, 10,
                                10, g_window, (HMENU)(INT_PTR)id, GetModuleHandleA(NULL), NULL);
    else
        c = CreateWindowExA(extended, cls, Ansi(text).c_str(), WS_CHILD | WS_VISIBLE | style, 0, 0, 10, 10, g_window,
                            (HMENU)(INT_PTR)id, GetModuleHandleA(NULL), NULL);
    SendMessageA(c, WM_SETFONT, (WPARAM)(id == kVerdict ? g_bold : g_font), TRUE);
    return c;
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE: {
        g_window = window;
        const DWORD text = SS_LEFT | SS_NOPREFIX | SS_EDITCONTROL;
        for (int id : {kVerdict, kCause, kRemedy, kLibrary, kWindows}) Control("STATIC", text, id, TextOf(id));
        Control("EDIT", WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | ES_AUTOHSCROLL,
                kDetail, "", WS_EX_CLIENTEDGE);
        Control("STATIC", text, kReport, TextOf(kReport));
        Control("BUTTON", BS_PUSHBUTTON | WS_DISABLED | WS_TABSTOP, kSave, TextOf(kSave));
        Control("BUTTON", BS_PUSHBUTTON | WS_DISABLED | WS_TABSTOP, kCopy, TextOf(kCopy));
        ShowWindow(Control("BUTTON", BS_PUSHBUTTON | WS_TABSTOP, kElevate, TextOf(kElevate)), SW_HIDE);
        Control("BUTTON", BS_DEFPUSHBUTTON | WS_TABSTOP, kClose, TextOf(kClose));
        Layout();
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
    return g_wide ? g_w.DefWindowProcW(window, message, wParam, lParam) : DefWindowProcA(window, message, wParam, lParam);
}

// The fonts: the system's GUI font where it shows the language, else one of
// the same size in the language's character set (the system picks the
// face: SimSun, PMingLiU, MS UI Gothic, Gulim, or what it has), at least 9
// points for Chinese, Japanese and Korean; the verdict in bold, larger.
void ChooseFonts()
{
    g_font = (HFONT)GetStockObject(DEFAULT_GUI_FONT);
    LOGFONTA font;
    memset(&font, 0, sizeof(font));
    if (!GetObjectA(g_font, sizeof(font), &font)) {
        g_bold = g_font;
        return;
    }
    const BYTE charset = lang::Charset(g_lang);
    if (charset != ANSI_CHARSET && font.lfCharSet != charset) {
        font.lfCharSet = charset;
        font.lfFaceName[0] = 0;
        if (font.lfHeight > -12 && font.lfHeight < 12) font.lfHeight = -12;
        HFONT own = CreateFontIndirectA(&font);
        if (own) g_font = own;
    }
    font.lfWeight = FW_BOLD;
    font.lfHeight = font.lfHeight < 0 ? font.lfHeight - 3 : font.lfHeight + 3;
    g_bold = CreateFontIndirectA(&font);
    if (!g_bold) g_bold = g_font;
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

    g_wide = LoadWideCalls();
    g_lang = ChooseLanguage(GetCommandLineA());
    ChooseFonts();

    const char kClass[] = "MorvalithCheck";
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    HWND window = NULL;
    if (g_wide) {
        WNDCLASSW cls;
        memset(&cls, 0, sizeof(cls));
        cls.lpfnWndProc = WindowProc;
        cls.hInstance = instance;
        cls.hCursor = LoadCursor(NULL, IDC_ARROW);
        cls.hIcon = LoadIcon(NULL, IDI_INFORMATION);
        cls.hbrBackground = (HBRUSH)(COLOR_BTNFACE + 1);
        std::wstring name = Wide(kClass);
        cls.lpszClassName = name.c_str();
        if (!g_w.RegisterClassW(&cls)) return 1;
        window = g_w.CreateWindowExW(0, name.c_str(), Wide(Say("title")).c_str(), style, CW_USEDEFAULT, CW_USEDEFAULT,
                                     640, 480, NULL, NULL, instance, NULL);
    } else {
        WNDCLASSA cls;
        memset(&cls, 0, sizeof(cls));
        cls.lpfnWndProc = WindowProc;
        cls.hInstance = instance;
        cls.hCursor = LoadCursor(NULL, IDC_ARROW);
        cls.hIcon = LoadIcon(NULL, IDI_INFORMATION);
        cls.hbrBackground = (HBRUSH)(COLOR_BTNFACE + 1);
        cls.lpszClassName = kClass;
        if (!RegisterClassA(&cls)) return 1;
        window = CreateWindowExA(0, kClass, Ansi(Say("title")).c_str(), style, CW_USEDEFAULT, CW_USEDEFAULT, 640, 480,
                                 NULL, NULL, instance, NULL);
    }
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
