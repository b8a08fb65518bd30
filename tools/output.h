// Standard output caught for a while: the library's [LIB] lines, which the
// explanation shows in their place and the capture keeps out of its own.
#pragma once

#include <functional>
#include <string>

// Runs fn with the process's standard output going to a temporary file and
// returns what it printed; where no temporary file can be had, fn prints as
// usual and the result is empty. A program without standard output (a GUI
// program started from Explorer) is caught all the same.
std::string CaughtOutput(const std::function<void()> &fn);
