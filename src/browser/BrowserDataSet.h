#pragma once

#include "browser/SeriesStatistics.h"
#include "settings/BoardConfig.h"

#include <QString>

#include <array>
#include <optional>
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

// What a load in Auto learns from every record of its range, not only from the drawn points.
struct RangeSummary {
    qint64 records = 0;
    double firstX = 0.0; // the earliest and the latest record, in the load's X units
    double lastX = 0.0;
    // Whether the points are the range's envelope (each time bucket's minimum and maximum per
    // channel) rather than every record.
    bool envelope = false;
    std::array<SeriesStatistics, kChannelCount> channels{};
};

// What the browser chart holds: nine series of points with their titles, the chart and axis
// titles and the header labels of the loaded recording. Each series' X values ascend; in an
// envelope the channels' X values differ (each extreme keeps its own time). The window draws it;
// the exports, the report and the command-line tool read it.
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
    // After a load in Auto only.
    std::optional<RangeSummary> summary;
    // X values where the logger was stopped: the lines are cut there.
    std::vector<double> breaks;

    BrowserDataSet();
    // Series 0 gives the number of points and their X values to every tool.
    int points() const { return series[0].count(); }
    bool xIsDateTime() const { return xMode != XAxisMode::ElapsedSeconds; }
    void clearSeries();
};

} // namespace nimbar
