#pragma once

#include "app/CommandLineHelp.h"
#include "engine/LiveFeed.h"
#include "settings/ProgramPaths.h"

#include <QObject>

namespace nimbar {

// Starts the services that follow the running system without being windows (the web side, the
// broker publisher), as the options ask. They are children of owner and live as long as it.
// False, with the reason in error, when one that was asked for cannot start.
bool startListeners(LiveFeed& feed, const ProgramOptions& options, const ProgramPaths& paths,
                    QObject& owner, QString& error);

} // namespace nimbar
