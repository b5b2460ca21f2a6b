#include "web/WebJson.h"

#include "processing/InvalidValue.h"
#include "settings/ModelClass.h"
#include "settings/RecordText.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <cmath>
#include <cstring>

namespace nimbar {

QString channelUnit(const BoardConfig& config, int channel) {
    const char letter = typeLetter(boardTypeCode(config));
    if (channel == 0) {
        // The reference channel is the cold junction's temperature, except on a KARN-5600/5610
        // set to millivolts, which reports its raw millivolts.
        const auto modelClass =
            modelClassOf(QByteArrayView(config.model, strnlen(config.model, sizeof config.model)));
        return letter == 'V' && modelClass.value_or(0) == 0 ? QStringLiteral("mV")
                                                            : QStringLiteral("°C");
    }
    // As the pipeline converts: millivolts unless the board and the channel name a couple.
    const int code = channelTypeCode(config, channel);
    const bool millivolts = letter == 'V' || code == 0 || code == kTypePerChannel;
    return millivolts ? QStringLiteral("mV") : QStringLiteral("°C");
}

QString isoTime(const QDateTime& time) {
    const int offset = time.offsetFromUtc() / 60;
    return time.toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss.zzz")) +
           QString::asprintf("%c%02d:%02d", offset < 0 ? '-' : '+', std::abs(offset) / 60,
                             std::abs(offset) % 60);
}

QJsonObject boardObject(int board, const BoardSnapshot& snapshot) {
    const BoardConfig& config = snapshot.config;
    const int sent = channelCountOf(
        modelClassOf(QByteArrayView(config.model, strnlen(config.model, sizeof config.model)))
            .value_or(0));
    QJsonArray channels;
    for (int ch = 0; ch < kChannelCount; ++ch)
        channels.append(QJsonObject{
            {"channel", ch},
            {"name", fieldText(config.channelName[ch]).trimmed()},
            {"unit", channelUnit(config, ch)},
            // Shown where the window's chart shows it: sent by the model and ticked.
            {"visible", ch < sent && config.channelVisible[ch] != 0},
        });
    return QJsonObject{
        {"board", board + 1},
        {"letter", QString(QChar(boardLetter(board)))},
        {"model", fieldText(config.model)},
        {"serial", fieldText(config.serial)},
        {"jobTitle", fieldText(config.jobTitle)},
        {"recordingStart", snapshot.recordingStart.isValid()
                               ? QJsonValue(isoTime(snapshot.recordingStart))
                               : QJsonValue()},
        {"channels", channels},
    };
}

QJsonObject lineObject(int board, const std::optional<LiveLine>& line) {
    QJsonArray values;
    QJsonArray alarms;
    for (int ch = 0; ch < kChannelCount; ++ch) {
        const double value = line ? line->values[ch] : InvalidValue;
        const bool valid = line && line->valid[ch] && value != InvalidValue && std::isfinite(value);
        values.append(valid ? QJsonValue(value) : QJsonValue());
        const AlarmState state = line ? line->alarms[ch] : AlarmState::Normal;
        alarms.append(state == AlarmState::High  ? QJsonValue("high")
                      : state == AlarmState::Low ? QJsonValue("low")
                                                 : QJsonValue());
    }
    return QJsonObject{
        {"board", board + 1},
        {"time", line ? QJsonValue(isoTime(line->time)) : QJsonValue()},
        {"values", values},
        {"alarms", alarms},
    };
}

QByteArray boardsJson(const LiveFeed& feed) {
    QJsonArray boards;
    for (int b = 0; b < kBoardCount; ++b)
        if (feed.board(b).active)
            boards.append(boardObject(b, feed.board(b)));
    return QJsonDocument(QJsonObject{{"boards", boards}}).toJson(QJsonDocument::Compact);
}

QByteArray latestJson(const LiveFeed& feed) {
    QJsonArray boards;
    for (int b = 0; b < kBoardCount; ++b)
        if (feed.board(b).active)
            boards.append(lineObject(b, feed.board(b).latest));
    return QJsonDocument(QJsonObject{{"boards", boards}}).toJson(QJsonDocument::Compact);
}

QString liveMessage(const LiveLine& line) {
    return QString::fromUtf8(
        QJsonDocument(lineObject(line.board, line)).toJson(QJsonDocument::Compact));
}

} // namespace nimbar
