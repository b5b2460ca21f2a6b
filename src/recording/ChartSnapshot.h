#pragma once

#include "settings/BoardConfig.h"

#include <QString>
#include <QStringList>

#include <array>
#include <vector>

namespace nimbar {

// A plain copy of what a board page shows, taken in one go so that an export writes from it
// while the live chart and memo carry on.
struct ChartSnapshot {
    // Date-time value of every point (clock time, also with the elapsed-time axis).
    std::vector<double> times;
    // The value of every series at every point; a series shorter than times reads as invalid.
    std::array<std::vector<double>, kChannelCount> values;
};

// The board's texts that an export carries in its head rows.
struct ExportTexts {
    QString jobTitle;
    QString serial;
    QString xAxisTitle;
    QString yAxisTitle;
    std::array<QString, kChannelCount> channelNames;
    double startTime = 0.0;
};

ExportTexts exportTextsOf(const BoardConfig& board, double startTime);

} // namespace nimbar
