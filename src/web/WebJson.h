#pragma once

#include "engine/LiveFeed.h"

#include <QByteArray>
#include <QDateTime>
#include <QJsonObject>
#include <QString>

namespace nimbar {

// The JSON texts of the web API. Boards are numbered 1..4; channel names lose their padding
// blanks; an invalid value is null, as is the time of a board before its first line.

// "°C" for a thermocouple channel (and the reference junction), "mV" for a millivolt channel.
QString channelUnit(const BoardConfig& config, int channel);
// "2026-12-11T14:30:01.000+09:00": local time with its offset.
QString isoTime(const QDateTime& time);

// {"board":1,"letter":"A","model":...,"serial":...,"jobTitle":...,"recordingStart":...,
//  "channels":[{"channel":0,"name":"A-0","unit":"°C","visible":true}, ...]}
QJsonObject boardObject(int board, const BoardSnapshot& snapshot);
// {"board":1,"time":...,"values":[...nine],"alarms":[...nine "high", "low" or null]}
QJsonObject lineObject(int board, const std::optional<LiveLine>& line);

// GET /api/boards and /api/latest: the boards that have a port (logger) or a connection (client).
QByteArray boardsJson(const LiveFeed& feed);
QByteArray latestJson(const LiveFeed& feed);
// One message of /api/live.
QString liveMessage(const LiveLine& line);

} // namespace nimbar
