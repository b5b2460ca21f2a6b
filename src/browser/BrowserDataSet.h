#pragma once

#include "settings/BoardConfig.h"

#include <QString>

#include <array>
#include <vector>

namespace nimbar {

// How the X values of a load are made: 0 record time, 1 elapsed time (days), 2 elapsed seconds.
enum class XAxisMode { RecordTime = 0, ElapsedTime = 1, ElapsedSeconds = 2 };

struct BrowserSeries {
    QString title;
    std::vector<double> x;
    std::vector<double> y;

    int count() const { return static_cast<int>(x.size()); }
    void clear() {
        x.clear();
        y.clear();
    }
};

// What the browser chart holds: nine series of points with their titles, the chart and axis
// titles and the header labels of the loaded recording. The window draws it; the exports, the
// report and the command-line tool read it.
struct BrowserDataSet {
    std::array<BrowserSeries, kChannelCount> series;
    QString jobTitle;   // caption of the job-title label
    QString chartTitle; // first line of the chart title
    QString xAxisTitle;
    QString yAxisTitle;
    QString serial;
    QString startText; // caption of the start-time label
    double startTime = 0.0;
    int channelCount = kChannelCount;
    XAxisMode xMode = XAxisMode::RecordTime;

    BrowserDataSet();
    // Series 0 gives the number of points and their X values to every tool.
    int points() const { return series[0].count(); }
    bool xIsDateTime() const { return xMode != XAxisMode::ElapsedSeconds; }
    void clearSeries();
};

} // namespace nimbar
