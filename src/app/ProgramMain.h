#pragma once

#include "settings/BuildKind.h"

namespace nimbar {

// The whole program: application object, main window, message loop.
int runProgram(BuildKind kind, int argc, char** argv);

} // namespace nimbar
