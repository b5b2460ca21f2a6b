#pragma once

#include "browser/BrowserDataSet.h"

#include <QString>
#include <QStringList>

#include <functional>

namespace nimbar {

inline constexpr int kDefaultPointLimit = 3600;
inline constexpr int kMaxSubsampling = 100;
// Records read between two turns of the event loop.
inline constexpr int kRecordsPerPump = 301;

struct LoadOptions {
    XAxisMode xMode = XAxisMode::RecordTime;
    int subsampling = 1;                 // every N-th record of each file, 1..100
    int pointLimit = kDefaultPointLimit; // most records plotted; 0 for no limit
    bool korean = false;
};

enum class LoadOutcome { NoData, OpenFailed, Unsupported, Loaded, LimitReached, Aborted };

struct LoadReport {
    LoadOutcome outcome = LoadOutcome::NoData;
    QString status; // the status line after the load
    int totalPoints = 0;
};

// Runs once every 301 records so the caller's event loop keeps going; false stops the load
// (the points read so far stay).
using LoadPump = std::function<bool()>;

// Loads recording files, in list order, into chart, as the browser chart is filled: the first
// file decides the layout and the channel count and gives the titles; a later file of another
// layout, missing or unreadable, is skipped. An empty list changes nothing; otherwise every
// series is cleared first.
LoadReport LoadFiles(const QStringList& paths, BrowserDataSet& chart, const LoadOptions& options,
                     const LoadPump& pump = {});

// The smallest subsampling factor that keeps a load of these files below limit points,
// counted from the file sizes; 100 when none does, 1 without a limit or a readable first file.
int autoSubsampleFactor(const QStringList& paths, int limit = kDefaultPointLimit);

} // namespace nimbar
