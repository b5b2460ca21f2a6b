#pragma once

#include "browser/BrowserDataSet.h"

#include <QStringList>

namespace nimbar {

// Statistics of the valid values of one series: InvalidValue marks a missing measurement and
// is left out, so count is the number of valid values. The standard deviation is the
// population one (divisor count). All zero without valid values.
struct SeriesStatistics {
    int count = 0;
    double minimum = 0.0;
    double maximum = 0.0;
    double mean = 0.0;
    double standardDeviation = 0.0;
};

SeriesStatistics ChannelStatistics(const BrowserSeries& series);

// The statistics memo of the nine series, shown or hidden.
QStringList statisticsMemoLines(const BrowserDataSet& data, bool korean);

// One pass of the eleven-point smoothing over y, in place: points 5 .. n-6 take the weighted
// sum of their neighbours, the left ones already smoothed. A point whose window holds a missing
// measurement stays as it is.
void smoothSeries(std::vector<double>& y);

} // namespace nimbar
