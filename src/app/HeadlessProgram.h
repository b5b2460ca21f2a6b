#pragma once

#include "app/CommandLineHelp.h"

namespace nimbar {

// The program without a window (--headless): the engine under QCoreApplication, no platform
// plugin, no display. What the status bar and the boxes would show goes to standard error, one
// line each with the time; SIGTERM, SIGINT and SIGHUP stop it as the window's close does.
// Returns the exit status: 0 after a signal, 2 when there is nothing it could run.
int runHeadless(BuildKind kind, const ProgramOptions& options, int argc, char** argv);

} // namespace nimbar
