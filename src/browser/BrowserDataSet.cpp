#include "browser/BrowserDataSet.h"

namespace nimbar {

BrowserDataSet::BrowserDataSet() : chartTitle("Data Chart"), xAxisTitle("Time"), yAxisTitle("y") {
    for (int i = 0; i < kChannelCount; ++i)
        series[static_cast<std::size_t>(i)].title = QString("CH%1").arg(i);
}

void BrowserDataSet::clearSeries() {
    for (BrowserSeries& s : series)
        s.clear();
    summary.reset();
    breaks.clear();
}

} // namespace nimbar
