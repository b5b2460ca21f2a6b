#pragma once

#include "mqtt/MqttEvent.h"
#include "settings/BoardConfig.h"

#include <QByteArray>
#include <QString>

namespace nimbar {

// The UTF-8 JSON payloads and the topics of the broker side.

// {"ts":<ms>,"time":"<local ISO 8601 with offset>","CH0":v,...}: invalid channels left out.
QByteArray recordPayload(const MqttEvent& record, int offsetSeconds);
// {"ts":..,"time":..,"channel":k,"state":"high"|"low"|"normal","value":v,"limit":l}
QByteArray alarmPayload(const MqttEvent& alarm, int offsetSeconds);
// Local time with milliseconds and the offset from UTC: 2026-12-11T15:20:57.123+09:00.
void appendLocalIsoTime(QByteArray& out, std::int64_t msecs, int offsetSeconds);

// Whether a channel of the board holds millivolts rather than degrees Celsius, by the rule the
// sample pipeline converts by.
bool channelInMillivolts(const BoardConfig& board, int channel);
// The channels the board's model sends (CH0 included); all nine for an unknown model.
int sentChannelCount(const BoardConfig& board);
// A channel name without its padding blanks.
QString channelName(const BoardConfig& board, int channel);

// {"board":1,"letter":"A","model":..,"serial":..,"jobTitle":..,"chartTitle":..,"channels":[..]}
QByteArray metaPayload(int board, const BoardConfig& config);

// Home Assistant discovery of one channel, under homeassistant/sensor/<node>/<letter>_ch<k>/config.
QString discoveryNode(const QString& topicPrefix);
QString discoveryTopic(const QString& node, int board, int channel);
QByteArray discoveryPayload(const QString& topicPrefix, const QString& node, int board,
                            const BoardConfig& config, int channel);

} // namespace nimbar
