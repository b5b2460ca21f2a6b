#include "settings/AlarmLimits.h"

#include "settings/NumberText.h"

namespace nimbar {

bool takeAlarmLimits(BoardConfig& board, int channel, const QString& highText,
                     const QString& lowText) {
    const auto high = parseNumber(highText);
    const auto low = parseNumber(lowText);
    if (!high || !low || !(*low < *high))
        return false;
    board.alarmHigh[channel] = *high;
    board.alarmLow[channel] = *low;
    return true;
}

} // namespace nimbar
