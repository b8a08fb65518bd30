// morvalith-probe.exe --capture: the live machine as the library sees it.
#pragma once

#include <string>

#include "description.h"

// Describes this machine into m, sending the vendor read only to the device
// the library itself would send it to. Failed queries are noted in notes and
// the capture goes on. The sector's contents are never kept.
void CaptureMachine(sim::Machine &m, std::string &notes);

// Captures this machine into file and says what it wrote; 0, or 2 when the
// file cannot be written. (C linkage: a test host calls it too.)
extern "C" int CaptureToFile(const char *file);

// Captures this machine in a temporary file and has morvalith-sim.exe (beside
// this program) explain it on the simulated machine. Returns what the
// explanation predicts: 0 the library loads, 1 it refuses; -1 when no
// explanation could be had.
extern "C" int ExplainLive(void);
