#pragma once

#include "settings/BoardConfig.h"

#include <QString>

namespace nimbar {

// Takes a channel's limits from the texts of its edits when both are numbers and low < high;
// otherwise the stored limits stay. Returns whether they were taken.
bool takeAlarmLimits(BoardConfig& board, int channel, const QString& highText,
                     const QString& lowText);

} // namespace nimbar
