#pragma once

#include <QString>

namespace nimbar {

enum class AlarmLimit { High, Low };

// What Enter in a limit edit does with the edit's text.
struct AlarmLimitEntry {
    enum class Outcome {
        Nothing,  // empty edit
        Invalid,  // not a number: the stored limit comes back
        Refused,  // would not keep high > low: the stored limit comes back
        Accepted, // value is the channel's new limit
    };
    Outcome outcome = Outcome::Nothing;
    double value = 0.0;     // Accepted: the new limit; otherwise the stored one
    QString editText;       // Invalid, Refused: the stored limit as the edit shows it
    QString status;         // replaces the status bar's text in every outcome but Nothing
    bool moveFocus = false; // Accepted on CH1..CH6: the next channel's edit of the same limit
};

// board is the board index 0..3, channel 1..8; storedHigh and storedLow the channel's limits.
AlarmLimitEntry enterAlarmLimit(int board, int channel, AlarmLimit which, const QString& text,
                                double storedHigh, double storedLow, bool korean);

} // namespace nimbar
