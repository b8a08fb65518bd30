// What the field programs of both builds share: files read with their
// failure in plain words, scenario files, and the line on the version a
// program is told.
#pragma once

#include <set>
#include <string>

#include "description.h"

// The plain-words reason for a C library error number ("does not exist",
// "access denied", "is a folder", ...).
std::string FileErrorReason(int error);
// Reads a whole file of at most limit bytes; otherwise says why in plain
// words.
bool ReadWholeFile(const std::string &file, size_t limit, std::string &text, std::string &why);
// Reads a machine from a scenario file, whose faults may name the given
// operations; on failure returns false and puts "file: field: problem" (or
// "file: why it cannot be read") into error.
bool LoadScenarioFile(const std::string &file, const std::set<std::string> &operations, sim::Machine &m,
                      std::string &error);
// How the version a program is told stands to the true one, on one line
// (program: "a host", "a program"): told an older one (no compatibility
// manifest), a newer one (a compatibility mode), or the truth. Empty when the
// true version is not known.
std::string VersionNote(const sim::Machine &m, const char *program);
