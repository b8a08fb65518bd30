/* Reads a window of another program as its user would see it, for the
 * checks: the check window's controls by their identifiers, or a message
 * box's text; and presses its buttons. Not shipped.
 *   window-reader read         the check window, once its check is done
 *   window-reader save         presses Save report; prints the report line
 *   window-reader copy         presses Copy; prints the clipboard's size and first line
 *   window-reader elevate      presses "Check again as administrator"; waits for the window to go
 *   window-reader close        presses Close; waits for the window to go
 *   window-reader wait S       only waits S seconds (it holds a prefix up)
 *   window-reader box TITLE [S]  prints a message box's text and presses OK
 *                              (S seconds later, for a screenshot)
 * Every wait is multiplied by MORVALITH_TIME_SCALE (an emulated machine). */
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

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

static void Text(HWND window, int id, char *text, int size)
{
    text[0] = 0;
    SendMessageA(GetDlgItem(window, id), WM_GETTEXT, (WPARAM)size, (LPARAM)text);
}

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

int main(int argc, char **argv)
{
    char text[8192];
    HWND w;
    int i;
    if ((argc == 3 || argc == 4) && !strcmp(argv[1], "box")) {
        int found = 0;
        w = Find("#32770", argv[2], 60);
        if (!w) { printf("no box \"%s\"\n", argv[2]); return 1; }
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
    w = Find("MorvalithCheck", "Morvalith check", 60);
    if (!w) { printf("no check window\n"); return 1; }
    if (argc == 2 && !strcmp(argv[1], "read")) {
        static const struct { int id; const char *name; } fields[] = {
            {101, "verdict"}, {102, "cause"}, {103, "remedy"}, {104, "library"}, {105, "windows"}, {107, "report"}};
        for (i = 0; i < 1200 * Scale(); ++i) {
            Text(w, 101, text, sizeof(text));
            if (text[0] && strncmp(text, "Checking", 8) != 0) break;
            Sleep(100);
        }
        for (i = 0; i < (int)(sizeof(fields) / sizeof(fields[0])); ++i) {
            Text(w, fields[i].id, text, sizeof(text));
            Print(fields[i].name, text);
        }
        printf("elevate: %s\n", IsWindowVisible(GetDlgItem(w, 204)) ? "shown" : "hidden");
        Text(w, 106, text, sizeof(text));
        printf("detail: %d bytes\n", (int)strlen(text));
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
        data = GetClipboardData(CF_TEXT);
        clip = data ? (const char *)GlobalLock(data) : NULL;
        if (clip) {
            const char *end = strchr(clip, '\r');
            printf("clipboard: %d bytes\n", (int)strlen(clip));
            printf("clipboard first line: %.*s\n", end ? (int)(end - clip) : (int)strlen(clip), clip);
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
    printf("usage: window-reader read|save|copy|elevate|close|box TITLE [S]\n");
    return 2;
}
