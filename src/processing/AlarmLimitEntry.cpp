#include "processing/AlarmLimitEntry.h"

#include "processing/AlarmTexts.h"
#include "settings/NumberText.h"

namespace nimbar {

namespace {

// The last channel whose Enter moves the focus on; CH7 and CH8 keep it.
constexpr int kLastChannelMovingFocus = 6;

} // namespace

AlarmLimitEntry enterAlarmLimit(int board, int channel, AlarmLimit which, const QString& text,
                                double storedHigh, double storedLow, bool korean) {
    AlarmLimitEntry r;
    if (text.isEmpty())
        return r;
    const bool high = which == AlarmLimit::High;
    const double stored = high ? storedHigh : storedLow;
    const auto x = parseNumber(text);
    if (!x) {
        r.outcome = AlarmLimitEntry::Outcome::Invalid;
        r.value = stored;
        r.editText = formatFixed(stored, 2);
        r.status = invalidLimitText(high, korean);
        return r;
    }
    const bool consistent = high ? *x > storedLow : *x < storedHigh;
    if (!consistent) {
        r.outcome = AlarmLimitEntry::Outcome::Refused;
        r.value = stored;
        r.editText = formatFixed(stored, 2);
        r.status = high ? highLimitRefusedText(korean) : lowLimitRefusedText(korean);
        return r;
    }
    r.outcome = AlarmLimitEntry::Outcome::Accepted;
    r.value = *x;
    r.status =
        high ? highLimitAcceptedText(board, channel, *x) : lowLimitAcceptedText(board, channel, *x);
    r.moveFocus = channel >= 1 && channel <= kLastChannelMovingFocus;
    return r;
}

} // namespace nimbar
