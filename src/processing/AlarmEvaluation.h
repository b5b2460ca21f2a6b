#pragma once

#include "settings/BoardConfig.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>

namespace nimbar {

enum class AlarmState : int8_t { Normal, High, Low };

// The judgement of one processed line against the board's alarm limits, and what the window
// does with it.
struct AlarmEvaluation {
    std::array<bool, kChannelCount> alarm{}; // by channel 1..8; CH0 has no alarm
    std::array<AlarmState, kChannelCount> state{};
    QStringList statusMessages; // shown one after the other: the last one remains
    QString alarmText;          // each message + "\r\n", in channel order
    int count = 0;
    int32_t doState = 0;
    int32_t prevDoState = 0;
    // The output command of the logger build, empty when the outputs keep their state. The
    // client build sends none.
    QByteArray outputCommand;
};

// Checks CH1..CH8 of board (index 0..3) with their limits: strictly above the high limit or
// strictly below the low one. values are the line's final values (invalid readings included);
// stamp is the long date-time text of the line; doState the board's output state before it.
AlarmEvaluation EvaluateAlarms(int board, const BoardConfig& config,
                               const std::array<double, kChannelCount>& values, int modelClass,
                               bool interlocked, int32_t doState, const QString& stamp,
                               bool korean);

} // namespace nimbar
