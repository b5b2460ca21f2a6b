#include "browser/ChannelStatistics.h"

#include "browser/BrowserTexts.h"
#include "browser/BrowserTime.h"
#include "processing/InvalidValue.h"

#include <algorithm>
#include <cmath>

namespace nimbar {

SeriesStatistics ChannelStatistics(const BrowserSeries& series) {
    SeriesStatistics s;
    double sum = 0.0;
    double squares = 0.0;
    for (double v : series.y) {
        if (v == InvalidValue)
            continue;
        if (s.count == 0) {
            s.minimum = v;
            s.maximum = v;
        }
        s.minimum = std::min(s.minimum, v);
        s.maximum = std::max(s.maximum, v);
        sum += v;
        squares += v * v;
        ++s.count;
    }
    if (s.count == 0)
        return s;
    s.mean = sum / s.count;
    const double q = squares / s.count - s.mean * s.mean;
    s.standardDeviation = q > 0 ? std::sqrt(q) : 0.0;
    return s;
}

SeriesStatistics shownStatistics(const BrowserDataSet& data, int channel) {
    const auto i = static_cast<std::size_t>(channel);
    return data.summary ? data.summary->channels[i] : ChannelStatistics(data.series[i]);
}

QStringList statisticsMemoLines(const BrowserDataSet& data, bool korean, bool withDeviation) {
    const QString rule(38, '-');
    QStringList lines{statisticsHeadingText(korean), rule};
    if (const auto& summary = data.summary)
        lines << everyRecordText(summary->records,
                                 FormatXValue(summary->firstX, data.xMode).trimmed(),
                                 FormatXValue(summary->lastX, data.xMode).trimmed(), korean);
    for (int i = 0; i < kChannelCount; ++i) {
        const SeriesStatistics s = shownStatistics(data, i);
        QString line =
            QString::asprintf("CH%d: Count=%lld,  Average=%.2f, Max=%.2f, Min=%.2f", i,
                              static_cast<long long>(s.count), s.mean, s.maximum, s.minimum);
        if (withDeviation)
            line += QString::asprintf(", Std=%.2f", s.standardDeviation);
        lines << line;
    }
    lines << rule << memoCloseHintText(korean);
    return lines;
}

void smoothSeries(std::vector<double>& y) {
    static constexpr double c[6] = {0.333334, 0.27972, 0.13986, -0.02331, -0.104895, 0.041958};
    const int n = static_cast<int>(y.size());
    for (int j = 5; j <= n - 6; ++j) {
        const auto at = [&](int k) { return y[static_cast<std::size_t>(k)]; };
        bool complete = true;
        for (int k = j - 5; k <= j + 5 && complete; ++k)
            complete = at(k) != InvalidValue;
        if (!complete)
            continue;
        double value = c[0] * at(j);
        for (int k = 1; k <= 5; ++k)
            value += c[k] * (at(j - k) + at(j + k));
        y[static_cast<std::size_t>(j)] = value;
    }
}

} // namespace nimbar
