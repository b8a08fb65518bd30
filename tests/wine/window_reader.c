/* Reads a window of another program as its user would see it, for the
 * checks: the check window's controls by their identifiers, or a message
 * box's text; and presses its buttons. Not shipped.
 *   window-reader read         the check window, once its check is done: its
 *                              title, controls and buttons (UTF-8), and whether
 *                              its layout shows every line whole
 *   window-reader expect LANG VERDICT EXPLAIN RELEASE MAJOR MINOR BUILD CSD [elevated]
 *                              what read should print in LANG, from the check's
 *                              string table: the verdict's identifier (loads,
 *                              refuses), the probe's --explain output (its
 *                              cause-id: and remedy-id: lines), the Windows
 *                              release's identifier and version (CSD "-": none)
 *   window-reader save         presses Save report; prints the report line
 *   window-reader copy         presses Copy; prints the clipboard's size and first line
 *   window-reader elevate      presses "Check again as administrator"; waits for the window to go
 *   window-reader close        presses Close; waits for the window to go
 *   window-reader wait S       only waits S seconds (it holds a prefix up)
 *   window-reader box TITLE [S]  prints a message box's text and presses OK
 *                              (S seconds later, for a screenshot)
 *   window-reader C1 + C2 ...  the commands in turn in one process (a Wine
 *                              process costs seconds in an emulated
 *                              machine), each one's output after a line
 *                              "== NAME"; the exit status the last failure's
 * Every wait is multiplied by MORVALITH_TIME_SCALE (an emulated machine). */
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

/* The check's string table (tools/lang.cpp). */
int MorvalithSay(const char *code, const char *id, const char *const *args, int count, char *out, int size);

/* How much longer than on a real machine a wait may take. */
static int Scale(void)
{
    char text[16];
    DWORD n = GetEnvironmentVariableA("MORVALITH_TIME_SCALE", text, sizeof(text));
    int scale = n && n < sizeof(text) ? atoi(text) : 1;
    return scale >= 1 && scale <= 100 ? scale : 1;
}

static HWND Find(const char *cls, const char *title, int seconds)
{
    int i;
    for (i = 0; i < seconds * 10 * Scale(); ++i) {
        HWND w = FindWindowA(cls, title);
        if (w) return w;
        Sleep(100);
    }
    return NULL;
}

/* A window's text as its user sees it, in UTF-8 whatever the code page. */
static void WindowText(HWND window, char *text, int size)
{
    WCHAR wide[4096];
    wide[0] = 0;
    SendMessageW(window, WM_GETTEXT, (WPARAM)(sizeof(wide) / sizeof(wide[0])), (LPARAM)wide);
    text[0] = 0;
    WideCharToMultiByte(CP_UTF8, 0, wide, -1, text, size, NULL, NULL);
    text[size - 1] = 0;
}

static void Text(HWND window, int id, char *text, int size) { WindowText(GetDlgItem(window, id), text, size); }

static void Print(const char *name, const char *text)
{
    const char *p;
    printf("%s: ", name);
    for (p = text; *p; ++p)
        if (*p == '\r') continue;
        else if (*p == '\n') printf("\\n");
        else putchar(*p);
    printf("\n");
}

static BOOL CALLBACK BoxText(HWND child, LPARAM found)
{
    char cls[32], text[1024];
    GetClassNameA(child, cls, sizeof(cls));
    if (!lstrcmpiA(cls, "Static") && GetWindowTextA(child, text, sizeof(text)) > 0) {
        Print("text", text);
        ++*(int *)found;
    }
    return TRUE;
}

/* Whether the window shows every control whole: each inside the client
 * area and none over another (the check sizes each line for its text), and
 * the window on the screen. */
static const char *Layout(HWND w)
{
    static const int ids[] = {101, 102, 103, 104, 105, 106, 107, 201, 202, 204, 203};
    RECT client, screen, r[sizeof(ids) / sizeof(ids[0])];
    int i, j, n = (int)(sizeof(ids) / sizeof(ids[0]));
    GetClientRect(w, &client);
    GetWindowRect(w, &screen);
    if (screen.right - screen.left > GetSystemMetrics(SM_CXSCREEN) ||
        screen.bottom - screen.top > GetSystemMetrics(SM_CYSCREEN))
        return "larger than the screen";
    for (i = 0; i < n; ++i) {
        HWND c = GetDlgItem(w, ids[i]);
        GetWindowRect(c, &r[i]);
        MapWindowPoints(NULL, w, (POINT *)&r[i], 2);
        if (!IsWindowVisible(c)) SetRectEmpty(&r[i]);
        else if (r[i].left < 0 || r[i].top < 0 || r[i].right > client.right || r[i].bottom > client.bottom)
            return "a control reaches past the window";
        else if (r[i].bottom - r[i].top < 8)
            return "a control has no room for its text";
    }
    for (i = 0; i < n; ++i)
        for (j = i + 1; j < n; ++j) {
            RECT both;
            if (IntersectRect(&both, &r[i], &r[j])) return "two controls overlap";
        }
    return "whole";
}

/* One identifier's words in LANG; "?" where the table lacks it. */
static const char *Say(const char *code, const char *id, const char *const *args, int count, char *out, int size)
{
    if (!MorvalithSay(code, id, args, count, out, size)) snprintf(out, size, "?%s", id);
    return out;
}

/* The words of an identifier line (an identifier, then its arguments with
 * %XX escapes) in a group, cause or remedy. */
static const char *SayLine(const char *code, const char *group, const char *line, char *out, int size)
{
    char id[128], copy[1024], *args[9], *p;
    int count = 0;
    snprintf(copy, sizeof(copy), "%s", line);
    p = strtok(copy, " \r\n");
    snprintf(id, sizeof(id), "%s.%s", group, p ? p : "");
    while (count < 9 && (p = strtok(NULL, " \r\n")) != NULL) {
        char *from = p, *to = p;
        if (!strcmp(p, "%00")) *p = 0;
        for (; *from; ++from, ++to) {
            unsigned value;
            if (from[0] == '%' && from[1] && from[2] && sscanf(from + 1, "%2x", &value) == 1) {
                *to = (char)value;
                from += 2;
            } else {
                *to = *from;
            }
        }
        *to = 0;
        args[count++] = p;
    }
    return Say(code, id, (const char *const *)args, count, out, size);
}

static int Expect(int argc, char **argv)
{
    const char *code = argv[2], *csd = argv[9];
    char line[1024], cause[2048] = "", remedy[2048] = "", a[2048], b[2048], out[4096], verdict[64], release[64];
    const char *args[5];
    FILE *explain = fopen(argv[4], "r");
    while (explain && fgets(line, sizeof(line), explain)) {
        if (!strncmp(line, "cause-id: ", 10)) SayLine(code, "cause", line + 10, cause, sizeof(cause));
        if (!strncmp(line, "remedy-id: ", 11)) SayLine(code, "remedy", line + 11, remedy, sizeof(remedy));
    }
    if (explain) fclose(explain);
    Print("title", Say(code, "title", NULL, 0, out, sizeof(out)));
    snprintf(verdict, sizeof(verdict), "verdict.%s", argv[3]);
    Print("verdict", Say(code, verdict, NULL, 0, out, sizeof(out)));
    args[0] = cause;
    Print("cause", Say(code, "label.cause", args, 1, out, sizeof(out)));
    if (argc == 11) {
        args[0] = remedy;
        args[1] = Say(code, "remedy.elevate-note", NULL, 0, a, sizeof(a));
        Say(code, "join.sentences", args, 2, b, sizeof(b));
        snprintf(remedy, sizeof(remedy), "%s", b);
    }
    args[0] = remedy;
    Print("remedy", Say(code, "label.remedy", args, 1, out, sizeof(out)));
    snprintf(release, sizeof(release), "windows.%s", argv[5]);
    args[0] = Say(code, release, NULL, 0, a, sizeof(a));
    args[1] = argv[6];
    args[2] = argv[7];
    args[3] = argv[8];
    args[4] = csd;
    Say(code, strcmp(csd, "-") ? "windows.version-extra" : "windows.version", args, 5, b, sizeof(b));
    args[0] = b;
    Print("windows", Say(code, "label.windows", args, 1, out, sizeof(out)));
    Print("report", Say(code, "report.none", NULL, 0, out, sizeof(out)));
    Print("button save", Say(code, "button.save", NULL, 0, out, sizeof(out)));
    Print("button copy", Say(code, "button.copy", NULL, 0, out, sizeof(out)));
    Print("button elevate", Say(code, "button.elevate", NULL, 0, out, sizeof(out)));
    Print("button close", Say(code, "button.close", NULL, 0, out, sizeof(out)));
    args[0] = "";
    Print("library label", Say(code, sizeof(void *) == 8 ? "library.64" : "library.32", args, 1, out, sizeof(out)));
    return 0;
}

static int Command(int argc, char **argv)
{
    char text[8192];
    HWND w;
    int i;
    if ((argc == 3 || argc == 4) && !strcmp(argv[1], "box")) {
        int found = 0;
        w = Find("#32770", argv[2], 60);
        if (!w) { printf("no box \"%s\"\n", argv[2]); return 1; }
        /* A box is shown once its dialog has set its text: a loaded machine
         * can let the reader find it before. */
        for (i = 0; i < 600 * Scale() && !IsWindowVisible(w); ++i) Sleep(100);
        EnumChildWindows(w, BoxText, (LPARAM)&found);
        fflush(stdout);
        if (argc == 4) Sleep((DWORD)atoi(argv[3]) * 1000);
        PostMessageA(w, WM_COMMAND, IDOK, 0);
        return found ? 0 : 1;
    }
    if (argc == 3 && !strcmp(argv[1], "wait")) {
        Sleep((DWORD)atoi(argv[2]) * 1000 * (DWORD)Scale());
        return 0;
    }
    if (argc >= 10 && argc <= 11 && !strcmp(argv[1], "expect")) return Expect(argc, argv);
    w = Find("MorvalithCheck", NULL, 60);
    if (!w) { printf("no check window\n"); return 1; }
    if (argc == 2 && !strcmp(argv[1], "read")) {
        static const struct { int id; const char *name; } fields[] = {
            {101, "verdict"}, {102, "cause"}, {103, "remedy"}, {104, "library"}, {105, "windows"}, {107, "report"},
            {201, "button save"}, {202, "button copy"}, {204, "button elevate"}, {203, "button close"}};
        /* The check is done when Save report can be pressed. */
        for (i = 0; i < 1200 * Scale() && !IsWindowEnabled(GetDlgItem(w, 201)); ++i) Sleep(100);
        WindowText(w, text, sizeof(text));
        Print("title", text);
        for (i = 0; i < (int)(sizeof(fields) / sizeof(fields[0])); ++i) {
            Text(w, fields[i].id, text, sizeof(text));
            Print(fields[i].name, text);
        }
        printf("elevate: %s\n", IsWindowVisible(GetDlgItem(w, 204)) ? "shown" : "hidden");
        Text(w, 106, text, sizeof(text));
        printf("detail: %d bytes\n", (int)strlen(text));
        printf("layout: %s\n", Layout(w));
        return 0;
    }
    if (argc == 2 && !strcmp(argv[1], "save")) {
        char before[1024];
        Text(w, 107, before, sizeof(before));
        SendMessageA(w, WM_COMMAND, MAKEWPARAM(201, BN_CLICKED), (LPARAM)GetDlgItem(w, 201));
        for (i = 0; i < 600 * Scale(); ++i) {
            Text(w, 107, text, sizeof(text));
            if (strcmp(text, before) != 0) break;
            Sleep(100);
        }
        Print("report", text);
        return 0;
    }
    if (argc == 2 && !strcmp(argv[1], "close")) {
        PostMessageA(w, WM_COMMAND, MAKEWPARAM(203, BN_CLICKED), (LPARAM)GetDlgItem(w, 203));
        for (i = 0; i < 100 * Scale() && IsWindow(w); ++i) Sleep(100);
        printf(IsWindow(w) ? "still open\n" : "closed\n");
        return IsWindow(w) ? 1 : 0;
    }
    if (argc == 2 && !strcmp(argv[1], "copy")) {
        HANDLE data;
        const char *clip;
        SendMessageA(w, WM_COMMAND, MAKEWPARAM(202, BN_CLICKED), (LPARAM)GetDlgItem(w, 202));
        if (!OpenClipboard(NULL)) { printf("clipboard: cannot be opened\n"); return 1; }
        data = GetClipboardData(CF_UNICODETEXT);
        clip = data ? (const char *)GlobalLock(data) : NULL;
        if (clip) {
            const char *end;
            WideCharToMultiByte(CP_UTF8, 0, (const WCHAR *)clip, -1, text, sizeof(text), NULL, NULL);
            text[sizeof(text) - 1] = 0;
            end = strchr(text, '\r');
            printf("clipboard: %d bytes\n", (int)strlen(text));
            printf("clipboard first line: %.*s\n", end ? (int)(end - text) : (int)strlen(text), text);
            GlobalUnlock(data);
        } else {
            printf("clipboard: empty\n");
        }
        CloseClipboard();
        return clip ? 0 : 1;
    }
    if (argc == 2 && !strcmp(argv[1], "elevate")) {
        /* The check repeated elevated: this window goes, another comes. */
        PostMessageA(w, WM_COMMAND, MAKEWPARAM(204, BN_CLICKED), (LPARAM)GetDlgItem(w, 204));
        for (i = 0; i < 300 * Scale() && IsWindow(w); ++i) Sleep(100);
        printf(IsWindow(w) ? "not repeated\n" : "repeated\n");
        return IsWindow(w) ? 1 : 0;
    }
    printf("usage: window-reader read|expect ...|save|copy|elevate|close|box TITLE [S]\n");
    return 2;
}

int main(int argc, char **argv)
{
    int from = 1, result = 0, to, batch = 0;
    for (to = 1; to < argc; ++to) batch |= !strcmp(argv[to], "+");
    if (!batch) return Command(argc, argv);
    while (from < argc) {
        int r;
        for (to = from; to < argc && strcmp(argv[to], "+") != 0; ++to) {}
        /* Each command sees its own words after the program's name. */
        argv[from - 1] = argv[0];
        printf("== %s\n", to > from ? argv[from] : "");
        r = Command(to - from + 1, argv + from - 1);
        fflush(stdout);
        if (r) result = r;
        from = to + 1;
    }
    return result;
}
