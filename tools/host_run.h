// One host's run of the library on a simulated machine, with where each step
// ended in what the machine recorded.
#pragma once

#include <string>
#include <vector>

#include "machine.h"

// Where a step of the run ended in the trace, and how many of its calls fell
// past the trace's cap.
struct Mark {
    size_t traced = 0, leftOut = 0, calls = 0;
};
Mark Now();

// What one host did: the attach, one GetUSBDriveLetter, one GetIDKey, the
// detach, with what it printed and where each step ended. The machine's
// records (opens, requests, boxes, failures) stay in the simulated process
// for the diagnosis and the detail to read.
struct HostRun {
    BOOL loaded = FALSE;
    std::string lines;  // the attach's [LIB] lines
    char letter = 0;
    int key = 0;
    size_t boxesBefore = 0;  // message boxes shown before GetIDKey
    Mark attach, letterCall, keyCall;
    bool versionFailed = false;  // the attach's version query failed
};
HostRun RunHost(const sim::Machine &m);

// A fresh host process on machine m, as the loader starts it: the library
// state all zero, and the programs beside the library (the 64-bit library's
// helper) installed with the library's own code.
void StartProcess(const sim::Machine &m);

// The drive mask of each disk that yields letters, from a run of its own
// made before the reported one, so that the explanation makes no call of its
// own on the process it reports (a fault falls where the host meets it).
std::vector<DWORD> FreshMasks(const sim::Machine &m);
