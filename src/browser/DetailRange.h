#pragma once

#include "browser/RecordingLoader.h"

#include <QStringList>

#include <optional>
#include <vector>

namespace nimbar {

// What the browser keeps of a load in Auto, so that zooming into the chart reads the part
// shown again from the files, down to every record once it holds fewer than the point limit.
struct DetailRange {
    QStringList paths;
    std::vector<TimeWindow> spans; // each file's records, from the load of the whole range
    TimeWindow whole;              // every record of the range
    TimeWindow loaded;             // what the chart holds now
    bool envelope = false;         // whether the chart holds an envelope of it

    bool isActive() const { return !paths.isEmpty() && !whole.isEmpty(); }
    // After a load of the whole range in Auto.
    void start(const QStringList& loadedPaths, const LoadReport& report, bool isEnvelope);
    void clear() { *this = {}; }
};

// The records to read for the shown span of record times, or nothing when the chart already
// holds them: every record of a span that contains it, or (within 2 % of its width at
// either end) the span itself.
std::optional<TimeWindow> detailWindow(const DetailRange& detail, const TimeWindow& shown);

} // namespace nimbar
