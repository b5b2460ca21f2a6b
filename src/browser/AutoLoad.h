#pragma once

#include "browser/RecordingLayout.h"
#include "browser/RecordingLoader.h"

namespace nimbar {

// The part of LoadFiles that runs in Auto, once the first file's header is on chart: reads
// every record of the files (within the window), gathers each channel's statistics, and puts
// on chart either every record, when they are no more than the point limit, or their envelope:
// the span of the records cut into limit / 2 buckets by time, each bucket giving its minimum
// and its maximum per channel in time order, so that a single record's excursion still shows.
// Missing measurements are left out of both. A stop of the logger (no record for more than
// kBreakIntervals recording intervals) becomes a break in the lines.
LoadReport LoadAutomatic(const QStringList& paths, const RecordingLayout& layout,
                         BrowserDataSet& chart, const LoadOptions& options, const LoadPump& pump);

} // namespace nimbar
