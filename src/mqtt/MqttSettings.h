#pragma once

#include "mqtt/MqttNotice.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

namespace nimbar {

// mqtt://host[:port] (1883) or mqtts://host[:port] (8883).
struct BrokerAddress {
    bool tls = false;
    QString host;
    int port = 0;
    QString url() const; // as the user is shown it, with the port
};
std::optional<BrokerAddress> parseBrokerUrl(const QString& url);

// Everything a broker session needs, resolved and checked.
struct MqttSettings {
    BrokerAddress broker;
    QString topicPrefix;
    QString username;
    std::optional<QByteArray> password;
    QString caFile; // empty: the system's certificate authorities
    QString clientId;
    bool homeAssistant = false;
    int protocolVersion = 4; // 4: MQTT 3.1.1, 5: MQTT 5
};

// The inputs: the text of the program's MQTT file (key = value lines), the command-line options
// that override its keys, and the defaults of this program and machine.
struct MqttSetupInput {
    QByteArray fileText;
    std::optional<QString> urlOption;
    std::optional<QString> topicOption;
    QString home; // relative file names in the file lie here
    QString defaultTopic;
    QString defaultClientId;
};

// settings is empty when nothing asks for a broker or what asks for one cannot be used; notices
// say why, and name the lines of the file that were skipped.
struct MqttSetup {
    std::optional<MqttSettings> settings;
    QList<MqttNotice> notices;
};
MqttSetup mqttSetup(const MqttSetupInput& input);

// A topic prefix may hold neither wildcards nor empty levels.
bool validTopicPrefix(const QString& prefix);

} // namespace nimbar
