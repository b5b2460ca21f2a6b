#pragma once

#include "recording/LiveExport.h"

namespace nimbar {

class LiveChart;

// base.BMP: the chart drawn at its current size on white, as a Windows bitmap, written whole
// or not at all; nothing when the chart has no points.
ExportOutcome SaveChartBmp(const QString& base, LiveChart& chart);

} // namespace nimbar
