#include "probe_win.h"

int main(int argc, char **argv) { return ProbeMain(argc, argv); }
