#include "mqtt/MqttSettings.h"

#include <QDir>
#include <QFile>
#include <QUrl>

#include <map>

namespace nimbar {

namespace {

constexpr int kPlainPort = 1883;
constexpr int kTlsPort = 8883;

std::optional<bool> parseSwitch(const QString& text) {
    const QString word = text.toLower();
    if (word == "true" || word == "yes" || word == "on" || word == "1")
        return true;
    if (word == "false" || word == "no" || word == "off" || word == "0")
        return false;
    return std::nullopt;
}

std::optional<int> parseProtocol(const QString& text) {
    if (text == "3.1.1" || text == "4")
        return 4;
    if (text == "5" || text == "5.0")
        return 5;
    return std::nullopt;
}

} // namespace

QString BrokerAddress::url() const {
    const QString shownHost = host.contains(':') ? '[' + host + ']' : host;
    return QString("%1://%2:%3").arg(tls ? "mqtts" : "mqtt", shownHost).arg(port);
}

std::optional<BrokerAddress> parseBrokerUrl(const QString& text) {
    const QUrl url(text.trimmed(), QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || (scheme != "mqtt" && scheme != "mqtts") || url.host().isEmpty() ||
        !url.userInfo().isEmpty() || (!url.path().isEmpty() && url.path() != "/") ||
        url.hasQuery() || url.hasFragment() || url.port() == 0)
        return std::nullopt;
    BrokerAddress address;
    address.tls = scheme == "mqtts";
    address.host = url.host();
    address.port = url.port(address.tls ? kTlsPort : kPlainPort);
    return address;
}

bool validTopicPrefix(const QString& prefix) {
    if (prefix.isEmpty() || prefix.contains('+') || prefix.contains('#') ||
        prefix.contains(QChar(0)))
        return false;
    const QStringList levels = prefix.split('/');
    for (const QString& level : levels)
        if (level.isEmpty())
            return false;
    return prefix.toUtf8().size() < 32768;
}

MqttSetup mqttSetup(const MqttSetupInput& input) {
    MqttSetup setup;
    std::map<QString, QString> keys;
    const QList<QByteArray> lines = input.fileText.split('\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString line = QString::fromUtf8(lines[i]).trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        const qsizetype equals = line.indexOf('=');
        const QString key = line.left(equals).trimmed().toLower();
        if (equals < 0 || key.isEmpty()) {
            setup.notices << MqttNotice{MqttNotice::Kind::BadSetting, line, i + 1};
            continue;
        }
        static const QStringList known{"url",     "topic",     "username",      "password_file",
                                       "ca_file", "client_id", "homeassistant", "protocol"};
        if (!known.contains(key)) {
            setup.notices << MqttNotice{MqttNotice::Kind::UnknownKey, key, i + 1};
            continue;
        }
        const QString value = line.mid(equals + 1).trimmed();
        if ((key == "homeassistant" && !parseSwitch(value)) ||
            (key == "protocol" && !parseProtocol(value))) {
            setup.notices << MqttNotice{MqttNotice::Kind::BadSetting, line, i + 1};
            continue;
        }
        keys[key] = value;
    }
    if (input.urlOption)
        keys["url"] = *input.urlOption;
    if (input.topicOption)
        keys["topic"] = *input.topicOption;
    const auto value = [&keys](const char* key) {
        const auto found = keys.find(key);
        return found == keys.end() ? QString() : found->second;
    };

    if (value("url").isEmpty()) {
        if (!value("topic").isEmpty())
            setup.notices << MqttNotice{MqttNotice::Kind::TopicWithoutUrl, {}, 0};
        return setup;
    }
    const auto broker = parseBrokerUrl(value("url"));
    if (!broker) {
        setup.notices << MqttNotice{MqttNotice::Kind::BadUrl, value("url"), 0};
        return setup;
    }
    MqttSettings settings;
    settings.broker = *broker;
    settings.topicPrefix = value("topic").isEmpty() ? input.defaultTopic : value("topic");
    while (settings.topicPrefix.endsWith('/') && settings.topicPrefix.size() > 1)
        settings.topicPrefix.chop(1);
    if (!validTopicPrefix(settings.topicPrefix)) {
        setup.notices << MqttNotice{MqttNotice::Kind::BadTopic, settings.topicPrefix, 0};
        return setup;
    }
    settings.username = value("username");
    const QDir home(input.home);
    if (const QString name = value("password_file"); !name.isEmpty()) {
        QFile file(home.absoluteFilePath(name));
        if (!file.open(QIODevice::ReadOnly)) {
            setup.notices << MqttNotice{MqttNotice::Kind::UnreadableFile, file.fileName(), 0};
            return setup;
        }
        // The first line is the password; its line end is not part of it.
        QByteArray password = file.readLine(4096);
        while (password.endsWith('\n') || password.endsWith('\r'))
            password.chop(1);
        settings.password = password;
    }
    if (const QString name = value("ca_file"); !name.isEmpty()) {
        settings.caFile = home.absoluteFilePath(name);
        if (QFile file(settings.caFile); !file.open(QIODevice::ReadOnly)) {
            setup.notices << MqttNotice{MqttNotice::Kind::UnreadableFile, settings.caFile, 0};
            return setup;
        }
    }
    settings.clientId = value("client_id").isEmpty() ? input.defaultClientId : value("client_id");
    settings.homeAssistant = parseSwitch(value("homeassistant")).value_or(false);
    settings.protocolVersion = parseProtocol(value("protocol")).value_or(4);
    setup.settings = settings;
    return setup;
}

} // namespace nimbar
