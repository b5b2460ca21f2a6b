#pragma once

#include "browser/BrowserDataSet.h"
#include "browser/SeriesStatistics.h"

#include <QStringList>

namespace nimbar {

// The statistics of the series' points.
SeriesStatistics ChannelStatistics(const BrowserSeries& series);

// The statistics of channel i that the memo and the report show: after a load in Auto those
// of every record of the range, otherwise those of the drawn points.
SeriesStatistics shownStatistics(const BrowserDataSet& data, int channel);

// The statistics memo of the nine series, shown or hidden; after a load in Auto with the line
// of every record. withDeviation adds the standard deviation to each channel's line.
QStringList statisticsMemoLines(const BrowserDataSet& data, bool korean,
                                bool withDeviation = false);

// One pass of the eleven-point smoothing over y, in place: points 5 .. n-6 take the weighted
// sum of their neighbours, the left ones already smoothed. A point whose window holds a missing
// measurement stays as it is.
void smoothSeries(std::vector<double>& y);

} // namespace nimbar
