#include "output.h"

#include <cstdio>

#if defined(_WIN32)
#include <windows.h>
#include <fcntl.h>
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

static void TieStandardStreams()
{
#if defined(_WIN32)
    // A GUI program started from Explorer has no standard handles: msvcrt
    // then ties stdout and stderr to no descriptor (-2) and drops what is
    // printed to them, and freopen refuses such a stream. They are tied to
    // NUL (the FILE record's descriptor field is msvcrt's public layout), so
    // that they can be caught like any other.
    for (FILE *stream : {stdout, stderr}) {
        if (fileno(stream) >= 0) continue;
        int fd = _open("NUL", _O_WRONLY | _O_BINARY);
        if (fd >= 0) stream->_file = fd;
    }
#endif
}

std::string CaughtOutput(const std::function<void()> &fn)
{
    std::fflush(stdout);
    TieStandardStreams();
    FILE *file = TemporaryFile();
    int saved = dup(fileno(stdout));
    if (!file || dup2(fileno(file), fileno(stdout)) < 0) {
        if (saved >= 0) close(saved);
        if (file) std::fclose(file);
        fn();
        return "";
    }
    fn();
    std::fflush(stdout);
    if (saved >= 0) {
        dup2(saved, fileno(stdout));
        close(saved);
    } else {
        close(fileno(stdout));
    }
    std::string text;
    std::rewind(file);
    char buffer[512];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof(buffer), file)) > 0) text.append(buffer, n);
    std::fclose(file);
    return text;
}
