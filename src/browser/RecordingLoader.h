#pragma once

#include "browser/BrowserDataSet.h"
#include "browser/RecordingLayout.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <limits>
#include <vector>

namespace nimbar {

inline constexpr int kDefaultPointLimit = 3600;
inline constexpr int kMaxSubsampling = 100;
// Records read between two turns of the event loop.
inline constexpr int kRecordsPerPump = 301;

// A span of record date-times (days since 1899-12-30), both ends included; empty when from > to.
struct TimeWindow {
    double from = -std::numeric_limits<double>::infinity();
    double to = std::numeric_limits<double>::infinity();

    bool contains(double t) const { return t >= from && t <= to; }
    bool isEmpty() const { return !(from <= to); }
    bool overlaps(const TimeWindow& other) const {
        return !isEmpty() && !other.isEmpty() && from <= other.to && other.from <= to;
    }
};

struct LoadOptions {
    XAxisMode xMode = XAxisMode::RecordTime;
    int subsampling = 1;                 // every N-th record of each file, 1..100
    int pointLimit = kDefaultPointLimit; // most records plotted; 0 for no limit
    bool korean = false;
    // Auto: every record of the files when they fit below the point limit, otherwise their
    // envelope; statistics of every record either way. The subsampling factor plays no part.
    bool automatic = false;
    // Auto only: the records read (a part of the chart zoomed into); every record by default.
    TimeWindow window{};
    // Auto only, optional, one per path: each file's records as an earlier load found them,
    // so that a file wholly outside the window is not opened.
    std::vector<TimeWindow> knownSpans{};
};

enum class LoadOutcome { NoData, OpenFailed, Unsupported, Loaded, LimitReached, Aborted };

struct LoadReport {
    LoadOutcome outcome = LoadOutcome::NoData;
    QString status; // the status line after the load
    int totalPoints = 0;
    // Auto only: the records read, and per path the span of its records read (empty for a
    // file that was skipped or held none).
    qint64 records = 0;
    std::vector<TimeWindow> spans{};
};

// Runs once every 301 records so the caller's event loop keeps going; false stops the load
// (the points read so far stay).
using LoadPump = std::function<bool()>;

// Loads recording files, in list order, into chart, as the browser chart is filled: the first
// file decides the layout and the channel count and gives the titles; a later file of another
// layout, missing or unreadable, is skipped. An empty list changes nothing; otherwise every
// series is cleared first. The points end in ascending time order, equal times in file order,
// whatever order the records had (a clock set back).
LoadReport LoadFiles(const QStringList& paths, BrowserDataSet& chart, const LoadOptions& options,
                     const LoadPump& pump = {});

// The first steps of a load: clears chart and puts the first file's channel count, titles and
// start time on it; its layout, or nullptr with the report saying why (no files, the first one
// unreadable or of no known layout).
const RecordingLayout* LoadHeader(const QStringList& paths, BrowserDataSet& chart,
                                  const LoadOptions& options, LoadReport& report);

} // namespace nimbar
