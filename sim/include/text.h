// Text helpers shared by the simulated machine, its description and the
// tools that print what a machine holds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace sim {

// Text from a machine as it may appear on one line of output: control and
// non-ASCII bytes escaped, text past limit characters cut with "...".
std::string Printable(const std::string &text, size_t limit);
// ASCII lower case, as Windows compares names without regard to case.
std::string Lower(std::string s);
// Unicode text as the UTF-16LE bytes a MountedDevices value holds.
std::vector<uint8_t> Utf16(const std::string &text);

}  // namespace sim
