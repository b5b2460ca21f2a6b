#pragma once

#include "browser/BrowserDataSet.h"

#include <vector>

namespace nimbar {

// Puts the points of a series in ascending X order; points with equal X keep their order.
// Records whose times go backwards (a clock set back, the hour repeated when daylight saving
// time ends) would otherwise be drawn, exported and searched out of order.
void sortByX(BrowserSeries& series);

// Where the logger was stopped: a gap between two records longer than this many recording
// intervals cuts the chart's lines.
inline constexpr int kBreakIntervals = 5;

// The shortest gap that counts as a stop, from time steps seen between consecutive records
// (days): kBreakIntervals times their median. Infinite without steps.
double breakThreshold(std::vector<double> steps);

} // namespace nimbar
