#include "browser/AutoLoad.h"

#include "browser/BrowserTexts.h"
#include "browser/BrowserTime.h"
#include "browser/RecordChunks.h"
#include "browser/TimeOrder.h"

#include <QFile>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

namespace nimbar {

namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();
// Time steps taken from the start of each file to learn the recording interval.
constexpr int kStepsPerFile = 64;

struct Extreme {
    double minimum = kInfinity;
    double maximum = -kInfinity;
    double minimumTime = 0.0;
    double maximumTime = 0.0;
};

struct Bucket {
    qint64 records = 0;
    double first = kInfinity; // its earliest and latest record
    double last = -kInfinity;
    std::array<Extreme, kChannelCount> channels{};
};

// The files worth reading and the span that their first and last records give.
struct Plan {
    std::vector<int> files;
    double first = kInfinity;
    double last = -kInfinity;
};

void widen(double& first, double& last, double t) {
    if (!std::isfinite(t))
        return;
    if (t < first)
        first = t;
    if (t > last)
        last = t;
}

Plan planFiles(const QStringList& paths, const RecordingLayout& layout,
               const LoadOptions& options) {
    Plan plan;
    const bool hinted = options.knownSpans.size() == static_cast<std::size_t>(paths.size());
    for (int i = 0; i < paths.size(); ++i) {
        if (hinted && !options.knownSpans[static_cast<std::size_t>(i)].overlaps(options.window))
            continue;
        QFile file(paths[i]);
        if (!file.exists() || !file.open(QIODevice::ReadOnly))
            continue;
        if (!headerMatches(file.read(layout.headerSize), layout))
            continue;
        const qint64 records = (file.size() - layout.headerSize) / layout.recordSize;
        if (records <= 0)
            continue;
        char time[8];
        if (file.read(time, 8) != 8)
            continue;
        widen(plan.first, plan.last, recordTime(time));
        if (file.seek(layout.headerSize + (records - 1) * layout.recordSize) &&
            file.read(time, 8) == 8)
            widen(plan.first, plan.last, recordTime(time));
        plan.files.push_back(i);
    }
    return plan;
}

class AutoLoader {
public:
    AutoLoader(const RecordingLayout& layout, BrowserDataSet& chart, const LoadOptions& options,
               const LoadPump& pump, double first, double last)
        : m_chart(chart), m_options(options), m_pump(pump), m_chunks(layout.recordSize),
          m_channels(chart.channelCount), m_buckets(static_cast<std::size_t>(bucketCount())),
          m_first(first) {
        const double width = last - first;
        m_scale = width > 0 ? static_cast<double>(m_buckets.size()) / width : 0.0;
        m_keeping = true;
    }

    // False when the pump stopped the load.
    bool readFile(QFile& file, TimeWindow& span) {
        m_haveStep = false;
        m_steps = 0;
        return m_chunks.forEach(file, [&](const char* record) { return take(record, span); });
    }

    qint64 records() const { return m_records; }

    void finish() {
        const double threshold = breakThreshold(m_stepSamples);
        if (m_keeping)
            putEveryRecord(threshold);
        else
            putEnvelope(threshold);
        std::sort(m_chart.breaks.begin(), m_chart.breaks.end());
        RangeSummary summary;
        summary.records = m_records;
        summary.firstX = m_records > 0 ? xOf(m_firstTime) : 0.0;
        summary.lastX = m_records > 0 ? xOf(m_lastTime) : 0.0;
        summary.envelope = !m_keeping;
        for (int i = 0; i < m_channels; ++i)
            summary.channels[static_cast<std::size_t>(i)] =
                m_statistics[static_cast<std::size_t>(i)].result();
        m_chart.summary = summary;
    }

private:
    int bucketCount() const { return std::max(1, m_options.pointLimit / 2); }

    double xOf(double time) const { return xOfTime(time, m_options.xMode, m_chart.startTime); }

    std::size_t bucketOf(double t) const {
        const double f = (t - m_first) * m_scale;
        if (!(f > 0))
            return 0;
        const auto last = m_buckets.size() - 1;
        return f >= static_cast<double>(last) ? last : static_cast<std::size_t>(f);
    }

    bool take(const char* record, TimeWindow& span) {
        if (++m_pumpCount >= kRecordsPerPump) {
            m_pumpCount = 0;
            if (m_pump && !m_pump())
                return false;
        }
        const double t = recordTime(record);
        if (!std::isfinite(t) || !m_options.window.contains(t))
            return true;
        if (m_haveStep && m_steps < kStepsPerFile && t > m_previous) {
            m_stepSamples.push_back(t - m_previous);
            ++m_steps;
        }
        m_previous = t;
        m_haveStep = true;
        widen(span.from, span.to, t);
        widen(m_firstTime, m_lastTime, t);
        ++m_records;

        Bucket& bucket = m_buckets[bucketOf(t)];
        ++bucket.records;
        widen(bucket.first, bucket.last, t);
        double values[kChannelCount];
        for (int i = 0; i < m_channels; ++i) {
            const double v = recordValue(record, i);
            values[i] = v;
            m_statistics[static_cast<std::size_t>(i)].add(v);
            if (v == InvalidValue)
                continue;
            Extreme& e = bucket.channels[static_cast<std::size_t>(i)];
            if (v < e.minimum) {
                e.minimum = v;
                e.minimumTime = t;
            }
            if (v > e.maximum) {
                e.maximum = v;
                e.maximumTime = t;
            }
        }
        if (m_keeping) {
            if (m_options.pointLimit > 0 && m_records > m_options.pointLimit) {
                m_keeping = false;
                m_keptTimes = {};
                m_keptValues = {};
            } else {
                m_keptTimes.push_back(t);
                m_keptValues.insert(m_keptValues.end(), values, values + m_channels);
            }
        }
        return true;
    }

    void putEveryRecord(double threshold) {
        std::vector<std::size_t> order(m_keptTimes.size());
        std::iota(order.begin(), order.end(), std::size_t{0});
        std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
            return m_keptTimes[a] < m_keptTimes[b];
        });
        for (int i = 0; i < m_channels; ++i) {
            BrowserSeries& s = m_chart.series[static_cast<std::size_t>(i)];
            s.x.reserve(order.size());
            s.y.reserve(order.size());
            for (std::size_t k : order) {
                s.x.push_back(xOf(m_keptTimes[k]));
                s.y.push_back(m_keptValues[k * static_cast<std::size_t>(m_channels) +
                                           static_cast<std::size_t>(i)]);
            }
        }
        for (std::size_t k = 1; k < order.size(); ++k) {
            const double before = m_keptTimes[order[k - 1]];
            const double after = m_keptTimes[order[k]];
            if (after - before > threshold)
                m_chart.breaks.push_back(xOf((before + after) / 2));
        }
    }

    void putEnvelope(double threshold) {
        const Bucket* previous = nullptr;
        for (const Bucket& bucket : m_buckets) {
            if (bucket.records == 0)
                continue;
            if (previous && bucket.first - previous->last > threshold)
                m_chart.breaks.push_back(xOf((previous->last + bucket.first) / 2));
            previous = &bucket;
            for (int i = 0; i < m_channels; ++i)
                putExtremes(bucket, i);
        }
        // A record that went back before the first file's first record joined the first
        // bucket with its own time.
        for (int i = 0; i < m_channels; ++i)
            sortByX(m_chart.series[static_cast<std::size_t>(i)]);
    }

    // One point for a bucket of one record, else two: the minimum and the maximum in the
    // order they were recorded, or a gap when the channel has no valid value there.
    void putExtremes(const Bucket& bucket, int channel) {
        BrowserSeries& s = m_chart.series[static_cast<std::size_t>(channel)];
        const Extreme& e = bucket.channels[static_cast<std::size_t>(channel)];
        const auto put = [&](double t, double v) {
            s.x.push_back(xOf(t));
            s.y.push_back(v);
        };
        const bool valid = e.minimum <= e.maximum;
        if (!valid) {
            put(bucket.first, InvalidValue);
            if (bucket.records > 1)
                put(bucket.last, InvalidValue);
        } else if (bucket.records == 1) {
            put(e.minimumTime, e.minimum);
        } else if (e.minimumTime <= e.maximumTime) {
            put(e.minimumTime, e.minimum);
            put(e.maximumTime, e.maximum);
        } else {
            put(e.maximumTime, e.maximum);
            put(e.minimumTime, e.minimum);
        }
    }

    BrowserDataSet& m_chart;
    const LoadOptions& m_options;
    const LoadPump& m_pump;
    RecordChunks m_chunks;
    int m_channels;
    std::vector<Bucket> m_buckets;
    double m_first;
    double m_scale = 0.0;
    int m_pumpCount = 0;

    qint64 m_records = 0;
    double m_firstTime = kInfinity;
    double m_lastTime = -kInfinity;
    std::array<StatisticsAccumulator, kChannelCount> m_statistics{};

    bool m_haveStep = false;
    double m_previous = 0.0;
    int m_steps = 0;
    std::vector<double> m_stepSamples;

    bool m_keeping = true;
    std::vector<double> m_keptTimes;
    std::vector<double> m_keptValues;
};

} // namespace

LoadReport LoadAutomatic(const QStringList& paths, const RecordingLayout& layout,
                         BrowserDataSet& chart, const LoadOptions& options, const LoadPump& pump) {
    LoadReport report;
    report.spans.assign(static_cast<std::size_t>(paths.size()), TimeWindow{kInfinity, -kInfinity});
    const Plan plan = planFiles(paths, layout, options);
    const double first = std::max(plan.first, options.window.from);
    const double last = std::min(plan.last, options.window.to);
    AutoLoader loader(layout, chart, options, pump, first, last);
    for (int i : plan.files) {
        QFile file(paths[i]);
        if (!file.open(QIODevice::ReadOnly) || !headerMatches(file.read(layout.headerSize), layout))
            continue;
        if (!loader.readFile(file, report.spans[static_cast<std::size_t>(i)])) {
            chart.clearSeries();
            report.outcome = LoadOutcome::Aborted;
            return report;
        }
    }
    loader.finish();
    report.records = loader.records();
    report.totalPoints = chart.points();
    report.outcome = LoadOutcome::Loaded;
    report.status = chart.summary->envelope
                        ? envelopeDataText(report.records, report.totalPoints, options.korean)
                        : totalDataText(report.totalPoints, options.korean);
    return report;
}

} // namespace nimbar
