#pragma once

#include <QString>

namespace nimbar {

// Something about the broker connection that the user must be told. The session and the
// settings make these on any thread; the text is chosen in the user's language when it is shown.
struct MqttNotice {
    enum class Kind {
        BadUrl,          // detail: the URL as given
        BadTopic,        // detail: the prefix as given
        BadSetting,      // detail: the line of the settings file; count: its number
        UnknownKey,      // detail: the key; count: the line number
        TopicWithoutUrl, // --mqtt-topic or a topic without a broker to publish to
        UnreadableFile,  // detail: the path (password or CA file)
        Connected,       // detail: the broker
        Reconnected,     // detail: the broker; count: records that waited and are now sent
        CannotReach,     // detail: the reason
        UnknownHost,     // detail: the host
        Lost,            // detail: the reason
        Refused,         // detail: the broker's reason
        CredentialsRefused,
        NoAnswer,  // the broker took the connection but never answered it
        TlsFailed, // detail: the reason
        Dropped,   // count: records given up because the queue was full
    };
    Kind kind = Kind::Connected;
    QString detail;
    qint64 count = 0;
};

// The notice in the user's language, starting with "MQTT:" so that it is known in the status bar.
QString mqttNoticeText(const MqttNotice& notice, const QString& broker, bool korean);

} // namespace nimbar
