#include "app/Listeners.h"

#include "mqtt/MqttPublisher.h"

#include <QCoreApplication>
#include <QFile>
#include <QHostInfo>

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

} // namespace

bool startListeners(LiveFeed& feed, const ProgramOptions& options, const ProgramPaths& paths,
                    QObject& owner, QString& error) {
    error.clear();
    startMqtt(feed, options, paths, owner);
    return true;
}

} // namespace nimbar
