// The Windows probe's parts that another program runs in its own process:
// the test host (behind its device stand-ins) and morvalith-check.exe.
#pragma once

#ifdef __cplusplus
extern "C" {
#endif
// The whole probe, as its command line would run it.
int ProbeMain(int argc, char **argv);
// Writes the capture of this PC to file, as --capture does, printing
// nothing; 0 when written.
int WriteCaptureFile(const char *file);
// The same, with a comment (the format's "comment" field) first in it.
int WriteCaptureFileWithComment(const char *file, const char *comment);
#ifdef __cplusplus
}
// Set by a program without a console (morvalith-check.exe): the
// explanation's engine is started without one too, its output going to
// this process's standard output as it is redirected.
extern bool g_probeWithoutConsole;
#endif
