#include "shared.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "text.h"

std::string FileErrorReason(int error)
{
    switch (error) {
    case ENOENT: return "does not exist";
    case EACCES:
    case EPERM: return "access denied";
    case EISDIR: return "is a folder";
    case ENOSPC: return "the disk is full";
    case EROFS: return "the disk is read-only";
    default: return std::string("cannot be used (") + std::strerror(error) + ")";
    }
}

// Plain C files, not the C++ library's filesystem or streams: the Windows
// builds of the tools must start on Windows 98, whose C runtime lacks the
// calls those bring.
bool ReadWholeFile(const std::string &file, size_t limit, std::string &text, std::string &why)
{
    struct stat status;
    if (stat(file.c_str(), &status) != 0) {
        why = FileErrorReason(errno);
        return false;
    }
    if (S_ISDIR(status.st_mode)) {
        why = "is a folder";
        return false;
    }
    if (!S_ISREG(status.st_mode)) {
        why = "cannot be read (not a file)";
        return false;
    }
    if ((unsigned long long)status.st_size > limit) {
        why = "larger than " + std::to_string(limit) + " bytes";
        return false;
    }
    FILE *in = std::fopen(file.c_str(), "rb");
    if (!in) {
        why = FileErrorReason(errno);
        return false;
    }
    text.clear();
    char buffer[65536];
    size_t n;
    // The file may grow between stat and read: the limit holds regardless.
    while ((n = std::fread(buffer, 1, sizeof(buffer), in)) > 0 && text.size() <= limit) text.append(buffer, n);
    bool failed = std::ferror(in) != 0;
    std::fclose(in);
    if (failed) why = "cannot be read";
    else if (text.size() > limit) why = "larger than " + std::to_string(limit) + " bytes";
    else return true;
    return false;
}

std::string VersionNote(const sim::Machine &m, const char *program)
{
    if (!m.trueMajor) return "";
    char line[320];
    bool older = m.major < m.trueMajor || (m.major == m.trueMajor && m.minor < m.trueMinor);
    bool newer = m.major > m.trueMajor || (m.major == m.trueMajor && m.minor > m.trueMinor);
    // Windows 8.1 and later tell a program without a manifest 6.2; any other
    // older version is a compatibility mode set for the program.
    bool manifest = older && m.major == 6 && m.minor == 2;
    const char *why = manifest ? "without a compatibility manifest is told"
                      : older  ? "runs in a compatibility mode and is told"
                      : newer  ? "is told a newer version by a compatibility setting (no manifest is missing):"
                               : nullptr;
    if (why)
        std::snprintf(line, sizeof(line),
                      "the true version is %u.%u build %u: %s %s %u.%u, and the library follows what %s is told",
                      m.trueMajor, m.trueMinor, m.trueBuild, program, why, m.major, m.minor, program);
    else
        std::snprintf(line, sizeof(line), "the true version is the one %s is told", program);
    return line;
}

bool LoadScenarioFile(const std::string &file, const std::set<std::string> &operations, sim::Machine &m,
                      std::string &error)
{
    std::string text, why;
    bool read = false;
    try {
        read = ReadWholeFile(file, sim::kMaxScenarioBytes, text, why);
    } catch (...) {
        why = "cannot be used";  // out of memory: nothing may escape
    }
    if (!read) {
        error = sim::Printable(file, 200) + ": " + why;
        return false;
    }
    return sim::ParseScenario(text, file, operations, m, error);
}
