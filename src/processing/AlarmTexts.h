#pragma once

#include <QString>

namespace nimbar {

// Every text of the alarm checks, the limit edits and the event log, in both languages.
// board is the board index 0..3; the texts number boards from 1.

// "[b] stamp CHn High Alarm(value), Max is limit. " with three decimals.
QString highAlarmMessage(int board, const QString& stamp, int channel, double value, double limit,
                         bool korean);
// "[b] stamp CHn Low Alarm(value), Min is limit. " with three decimals.
QString lowAlarmMessage(int board, const QString& stamp, int channel, double value, double limit,
                        bool korean);
// The board memo's line for an evaluation with alarms.
QString alarmMemoLine();

// A limit edit whose text is not a number.
QString invalidLimitText(bool highLimit, bool korean);
QString highLimitRefusedText(bool korean);
QString lowLimitRefusedText(bool korean);
// "[b,ch]HighAlarm = x" / "[b,ch]LowAlarm = x" with six decimals; one form in both languages.
QString highLimitAcceptedText(int board, int channel, double value);
QString lowLimitAcceptedText(int board, int channel, double value);

// The event log could not be opened.
QString cannotOpenFileText(const QString& path, bool korean);

} // namespace nimbar
