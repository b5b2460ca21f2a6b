#include "mqtt/MqttPayloads.h"

#include "mqtt/JsonWriter.h"
#include "settings/ModelClass.h"
#include "settings/RecordText.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>

namespace nimbar {

namespace {

void writeTime(JsonWriter& json, std::int64_t msecs, int offsetSeconds) {
    json.memberInt("ts", msecs);
    json.key("time");
    QByteArray time;
    time.reserve(32);
    time += '"';
    appendLocalIsoTime(time, msecs, offsetSeconds);
    time += '"';
    json.raw(time);
}

const char* stateName(AlarmState state) {
    switch (state) {
    case AlarmState::High:
        return "high";
    case AlarmState::Low:
        return "low";
    case AlarmState::Normal:
        break;
    }
    return "normal";
}

QString boardText(const char* field, std::size_t size) {
    return decodeCp949(field, size).trimmed();
}

} // namespace

void appendLocalIsoTime(QByteArray& out, std::int64_t msecs, int offsetSeconds) {
    // Floor division, so that instants before 1970 keep a positive millisecond part.
    const std::int64_t local = msecs + std::int64_t{offsetSeconds} * 1000;
    std::int64_t seconds = local / 1000;
    int millis = static_cast<int>(local % 1000);
    if (millis < 0) {
        millis += 1000;
        --seconds;
    }
    const std::time_t time = static_cast<std::time_t>(seconds);
    std::tm parts{};
    gmtime_r(&time, &parts);
    const int offset = offsetSeconds < 0 ? -offsetSeconds : offsetSeconds;
    char text[48];
    const int length = std::snprintf(
        text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03d%c%02d:%02d", parts.tm_year + 1900,
        parts.tm_mon + 1, parts.tm_mday, parts.tm_hour, parts.tm_min, parts.tm_sec, millis,
        offsetSeconds < 0 ? '-' : '+', offset / 3600, offset / 60 % 60);
    out.append(text, length);
}

QByteArray recordPayload(const MqttEvent& record, int offsetSeconds) {
    QByteArray out;
    out.reserve(256);
    JsonWriter json(out);
    json.beginObject();
    writeTime(json, record.msecs, offsetSeconds);
    static constexpr const char* kKeys[kChannelCount] = {"CH0", "CH1", "CH2", "CH3", "CH4",
                                                         "CH5", "CH6", "CH7", "CH8"};
    for (int ch = 0; ch < kChannelCount; ++ch)
        if ((record.validMask >> ch & 1) && std::isfinite(record.values[ch]))
            json.member(kKeys[ch], record.values[ch]);
    json.endObject();
    return out;
}

QByteArray alarmPayload(const MqttEvent& alarm, int offsetSeconds) {
    QByteArray out;
    out.reserve(160);
    JsonWriter json(out);
    json.beginObject();
    writeTime(json, alarm.msecs, offsetSeconds);
    json.memberInt("channel", alarm.channel);
    json.member("state", QString::fromLatin1(stateName(alarm.state)));
    json.member("value", alarm.values[0]);
    json.member("limit", alarm.values[1]);
    json.endObject();
    return out;
}

bool channelInMillivolts(const BoardConfig& board, int channel) {
    const char letter = typeLetter(boardTypeCode(board));
    if (channel == 0) {
        // CH0 is the reference junction: a voltage only on a class-0 model measuring millivolts.
        const auto modelClass =
            modelClassOf(QByteArrayView(board.model, strnlen(board.model, sizeof board.model)));
        return modelClass == 0 && letter == 'V';
    }
    const int code = channelTypeCode(board, channel);
    return letter == 'V' || code == 0 || code == kTypePerChannel;
}

int sentChannelCount(const BoardConfig& board) {
    const auto modelClass =
        modelClassOf(QByteArrayView(board.model, strnlen(board.model, sizeof board.model)));
    return modelClass ? channelCountOf(*modelClass) : kChannelCount;
}

QString channelName(const BoardConfig& board, int channel) {
    return boardText(board.channelName[channel], sizeof board.channelName[channel]);
}

QByteArray metaPayload(int board, const BoardConfig& config) {
    QByteArray out;
    JsonWriter json(out);
    json.beginObject();
    json.memberInt("board", board + 1);
    json.member("letter", QString(QChar(boardLetter(board))));
    json.member("model", boardText(config.model, sizeof config.model));
    json.member("serial", boardText(config.serial, sizeof config.serial));
    json.member("jobTitle", boardText(config.jobTitle, sizeof config.jobTitle));
    json.member("chartTitle", boardText(config.chartTitle, sizeof config.chartTitle));
    json.key("channels");
    json.beginArray();
    for (int ch = 0; ch < sentChannelCount(config); ++ch) {
        json.beginObject();
        json.memberInt("channel", ch);
        json.member("name", channelName(config, ch));
        json.member("unit", QString::fromUtf8(channelInMillivolts(config, ch) ? "mV" : "°C"));
        json.member("visible", config.channelVisible[ch] != 0);
        json.endObject();
    }
    json.endArray();
    json.endObject();
    return out;
}

QString discoveryNode(const QString& topicPrefix) {
    QString node;
    for (const QChar c : topicPrefix)
        node += (c.isLetterOrNumber() && c.unicode() < 128) || c == '-' ? c : QChar('_');
    return node;
}

QString discoveryTopic(const QString& node, int board, int channel) {
    return QString("homeassistant/sensor/%1/%2_ch%3/config")
        .arg(node)
        .arg(boardLetter(board))
        .arg(channel);
}

QByteArray discoveryPayload(const QString& topicPrefix, const QString& node, int board,
                            const BoardConfig& config, int channel) {
    const bool millivolts = channelInMillivolts(config, channel);
    const QString key = QString("CH%1").arg(channel);
    const QString name = channelName(config, channel);
    QByteArray out;
    JsonWriter json(out);
    json.beginObject();
    json.member("name", name.isEmpty() ? key : key + ' ' + name);
    json.member("unique_id", QString("%1_%2_ch%3").arg(node).arg(boardLetter(board)).arg(channel));
    json.member("state_topic", QString("%1/%2/state").arg(topicPrefix).arg(boardLetter(board)));
    // A record leaves an invalid channel out: the sensor is then unknown rather than in error.
    json.member("value_template",
                QString("{{ value_json.%1 if '%1' in value_json else none }}").arg(key));
    json.member("device_class", QString(millivolts ? "voltage" : "temperature"));
    json.member("unit_of_measurement", QString::fromUtf8(millivolts ? "mV" : "°C"));
    json.member("state_class", QString("measurement"));
    json.member("availability_topic", topicPrefix + "/status");
    json.member("payload_available", QString("online"));
    json.member("payload_not_available", QString("offline"));
    json.key("device");
    json.beginObject();
    json.key("identifiers");
    json.beginArray();
    json.string(QString("%1_%2").arg(node).arg(boardLetter(board)));
    json.endArray();
    json.member("name", QString("%1 DAQ%2").arg(topicPrefix).arg(board + 1));
    json.member("manufacturer", QString("KARN"));
    json.member("model", boardText(config.model, sizeof config.model));
    json.member("serial_number", boardText(config.serial, sizeof config.serial));
    json.endObject();
    json.endObject();
    return out;
}

} // namespace nimbar
