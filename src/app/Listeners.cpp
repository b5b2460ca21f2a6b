#include "app/Listeners.h"

#include "web/WebAccess.h"
#include "web/WebService.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <cstdio>

namespace nimbar {

namespace {

// Said on standard error, where a service manager keeps it, and to the user.
void announce(LiveFeed& feed, const QString& text) {
    std::fprintf(stderr, "%s: %s\n", qPrintable(QCoreApplication::applicationName()),
                 qPrintable(text));
    feed.tellUser(text);
}

bool startWeb(LiveFeed& feed, const ProgramOptions& options, const ProgramPaths& paths,
              QObject& owner, QString& error) {
    std::optional<QByteArray> token;
    if (options.webTokenFile && !(token = readWebToken(*options.webTokenFile, error)))
        return false;
    const bool network = options.web->beyondLoopback();
    // The allow-list limits the page only where strangers can reach it.
    const AllowList allowList = network ? AllowList::load(paths.allowList()) : AllowList();
    auto* web = new WebService(feed, &owner);
    if (!web->start(*options.web, token, allowList, error))
        return false;
    announce(feed, QString("web page at %1").arg(web->address()));
    const QString allowFile = QFileInfo(paths.allowList()).fileName();
    if (!allowList.errorLines().isEmpty())
        announce(feed, allowListErrorText(allowFile, allowList.errorLines(), false));
    if (network && !token)
        announce(feed, QString("warning: the web page serves the network without "
                               "--web-token-file: %1")
                           .arg(allowList.restricts()
                                    ? "every address that " + allowFile + " allows sees the boards"
                                    : "anyone who reaches the port sees the boards"));
    return true;
}

} // namespace

bool startListeners(LiveFeed& feed, const ProgramOptions& options, const ProgramPaths& paths,
                    QObject& owner, QString& error) {
    error.clear();
    if (options.web && !startWeb(feed, options, paths, owner, error))
        return false;
    return true;
}

} // namespace nimbar
