#include "output.h"

#include <cstdio>

#if defined(_WIN32)
#include <windows.h>
#include <io.h>
#define dup _dup
#define dup2 _dup2
#define close _close
#define fileno _fileno
#else
#include <unistd.h>
#endif

// A temporary file of this program's own. On Windows not msvcrt's tmpfile,
// which creates its file in the drive's root folder, where a standard user
// may not write; "D" deletes the file when it is closed.
static FILE *TemporaryFile()
{
#if defined(_WIN32)
    char folder[MAX_PATH], name[MAX_PATH];
    if (!GetTempPathA(sizeof(folder), folder) || !GetTempFileNameA(folder, "mvo", 0, name)) return nullptr;
    FILE *file = std::fopen(name, "w+bD");
    if (!file) DeleteFileA(name);
    return file;
#else
    return std::tmpfile();
#endif
}

std::string CaughtOutput(const std::function<void()> &fn)
{
    std::fflush(stdout);
    FILE *file = TemporaryFile();
    int saved = file ? dup(fileno(stdout)) : -1;
    if (saved < 0 || dup2(fileno(file), fileno(stdout)) < 0) {
        if (saved >= 0) close(saved);
        if (file) std::fclose(file);
        fn();
        return "";
    }
    fn();
    std::fflush(stdout);
    dup2(saved, fileno(stdout));
    close(saved);
    std::string text;
    std::rewind(file);
    char buffer[512];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof(buffer), file)) > 0) text.append(buffer, n);
    std::fclose(file);
    return text;
}
