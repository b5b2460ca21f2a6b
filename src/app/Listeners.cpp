#include "app/Listeners.h"

#include "mqtt/MqttPublisher.h"
#include "web/WebAccess.h"
#include "web/WebService.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QHostInfo>

#include <cstdio>

namespace nimbar {

namespace {

constexpr qint64 kMqttFileLimit = 64 * 1024;

// The broker publisher, when the options or the program's MQTT file name a broker; a file or
// option that cannot be used is told, and the program goes on recording without it.
void startMqtt(LiveFeed& feed, const ProgramOptions& options, const ProgramPaths& paths,
               QObject& owner) {
    MqttSetupInput input;
    if (QFile file(paths.mqttSettings()); file.open(QIODevice::ReadOnly))
        input.fileText = file.read(kMqttFileLimit);
    input.urlOption = options.mqttUrl;
    input.topicOption = options.mqttTopic;
    input.home = paths.home();
    QString host = QHostInfo::localHostName();
    if (host.isEmpty())
        host = "localhost";
    const bool logger = paths.kind() == BuildKind::Logger;
    input.defaultTopic = (logger ? "nimbar/" : "tessel/") + host;
    // The process id keeps two programs on one machine from taking each other's session.
    input.defaultClientId = QString("%1-%2-%3")
                                .arg(programName(paths.kind()), host)
                                .arg(QCoreApplication::applicationPid());
    const MqttSetup setup = mqttSetup(input);
    if (setup.settings || !setup.notices.isEmpty())
        new MqttPublisher(feed, setup, &owner);
}

// Said to the user and on standard error, where a service manager keeps it. Without a window
// the user's notices go to standard error already.
void announce(LiveFeed& feed, const QString& text) {
    if (QCoreApplication::instance()->inherits("QApplication"))
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
    startMqtt(feed, options, paths, owner);
    if (options.web && !startWeb(feed, options, paths, owner, error))
        return false;
    return true;
}

} // namespace nimbar
