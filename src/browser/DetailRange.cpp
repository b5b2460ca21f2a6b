#include "browser/DetailRange.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace nimbar {

namespace {

constexpr double kSameSpan = 0.02;

} // namespace

void DetailRange::start(const QStringList& loadedPaths, const LoadReport& report, bool isEnvelope) {
    paths = loadedPaths;
    spans = report.spans;
    whole = {std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity()};
    for (const TimeWindow& span : spans) {
        if (span.isEmpty())
            continue;
        whole.from = std::min(whole.from, span.from);
        whole.to = std::max(whole.to, span.to);
    }
    loaded = whole;
    envelope = isEnvelope;
}

std::optional<TimeWindow> detailWindow(const DetailRange& detail, const TimeWindow& shown) {
    if (!detail.isActive() || shown.isEmpty())
        return std::nullopt;
    const TimeWindow target{std::max(shown.from, detail.whole.from),
                            std::min(shown.to, detail.whole.to)};
    if (target.isEmpty())
        return std::nullopt;
    const TimeWindow& loaded = detail.loaded;
    if (!detail.envelope && loaded.from <= target.from && target.to <= loaded.to)
        return std::nullopt;
    const double tolerance = kSameSpan * (target.to - target.from);
    if (std::fabs(target.from - loaded.from) <= tolerance &&
        std::fabs(target.to - loaded.to) <= tolerance)
        return std::nullopt;
    return target;
}

} // namespace nimbar
