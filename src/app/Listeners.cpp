#include "app/Listeners.h"

namespace nimbar {

bool startListeners(LiveFeed& feed, const ProgramOptions& options, const ProgramPaths& paths,
                    QObject& owner, QString& error) {
    Q_UNUSED(feed);
    Q_UNUSED(options);
    Q_UNUSED(paths);
    Q_UNUSED(owner);
    error.clear();
    return true;
}

} // namespace nimbar
