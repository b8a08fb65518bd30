// The capture: the live machine as the library sees it.
#pragma once

#include <string>

#include "description.h"

// Describes this machine into m, sending the vendor read only to the device
// the library itself would send it to. Failed queries are noted in notes and
// the capture goes on. The sector's contents are never kept.
void CaptureMachine(sim::Machine &m, std::string &notes);
// The Windows version as GetVersionExA tells it to this program, and the true
// one where ntdll tells it.
void CaptureVersion(sim::Machine &m, std::string &notes);
