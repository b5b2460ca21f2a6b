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

// The extremes of each channel kept side by side, so that a record's channels are compared
// together.
struct Bucket {
    qint64 records = 0;
    double first = kInfinity; // its earliest and latest record
    double last = -kInfinity;
    double minimum[kChannelCount];
    double maximum[kChannelCount];
    double minimumTime[kChannelCount];
    double maximumTime[kChannelCount];

    Bucket() {
        std::fill(std::begin(minimum), std::end(minimum), kInfinity);
        std::fill(std::begin(maximum), std::end(maximum), -kInfinity);
        std::fill(std::begin(minimumTime), std::end(minimumTime), 0.0);
        std::fill(std::begin(maximumTime), std::end(maximumTime), 0.0);
    }
};

// What one lane of a channel's run gathers: sums about the shift, and extremes (strictly
// beyond the bucket's, so that the earliest record keeps a tie) with their records.
struct Lane {
    double minimum;
    double maximum;
    double sum = 0.0;
    double squares = 0.0;
    qint64 valid = 0;
    qsizetype minimumAt = -1;
    qsizetype maximumAt = -1;

    void take(double v, double shift, qsizetype record) {
        if (v == InvalidValue)
            return;
        const double d = v - shift;
        sum += d;
        squares += d * d;
        ++valid;
        if (v < minimum) {
            minimum = v;
            minimumAt = record;
        }
        if (v > maximum) {
            maximum = v;
            maximumAt = record;
        }
    }
};

// The files worth reading and the span that their first and last records give.
struct Plan {
    std::vector<int> files;
    double first = kInfinity;
    double last = -kInfinity;
    // The first record's values: the statistics' sums are taken about them.
    std::array<double, kChannelCount> typical{};
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
        const QByteArray record = file.read(layout.recordSize);
        if (record.size() != layout.recordSize)
            continue;
        widen(plan.first, plan.last, recordTime(record.constData()));
        if (plan.files.empty())
            for (int slot = 0; slot < layout.valueSlots; ++slot) {
                const double v = recordValue(record.constData(), slot);
                plan.typical[static_cast<std::size_t>(slot)] =
                    std::isfinite(v) && v != InvalidValue ? v : 0.0;
            }
        char time[8];
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
               const LoadPump& pump, const Plan& plan)
        : m_chart(chart), m_options(options), m_pump(pump), m_chunks(layout.recordSize),
          m_channels(chart.channelCount), m_buckets(static_cast<std::size_t>(bucketCount())),
          m_first(std::max(plan.first, options.window.from)), m_shift(plan.typical) {
        const double width = std::min(plan.last, options.window.to) - m_first;
        m_scale = width > 0 ? static_cast<double>(m_buckets.size()) / width : 0.0;
    }

    // False when the pump stopped the load.
    bool readFile(QFile& file, TimeWindow& span) {
        m_haveStep = false;
        m_steps = 0;
        return m_chunks.forEachChunk(file, [&](const char* records, qsizetype count) {
            return takeChunk(records, count, span);
        });
    }

    qint64 records() const { return m_records; }

    void finish() {
        m_records = 0;
        double first = kInfinity;
        double last = -kInfinity;
        for (const Bucket& bucket : m_buckets) {
            m_records += bucket.records;
            first = std::min(first, bucket.first);
            last = std::max(last, bucket.last);
        }
        const bool envelope = m_options.pointLimit > 0 && m_records > m_options.pointLimit;
        const double threshold = breakThreshold(m_stepSamples);
        if (envelope)
            putEnvelope(threshold);
        else
            putEveryRecord(threshold);
        std::sort(m_chart.breaks.begin(), m_chart.breaks.end());
        RangeSummary summary;
        summary.records = m_records;
        summary.firstX = m_records > 0 ? xOf(first) : 0.0;
        summary.lastX = m_records > 0 ? xOf(last) : 0.0;
        summary.envelope = envelope;
        for (int i = 0; i < m_channels; ++i)
            summary.channels[static_cast<std::size_t>(i)] = statistics(i);
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

    // Takes the records of a chunk in runs that fall in one bucket (a week's bucket holds
    // hundreds of consecutive records), so each channel of a run is gathered in registers.
    bool takeChunk(const char* records, qsizetype count, TimeWindow& span) {
        const int size = m_chunks.recordSize();
        qsizetype j = 0;
        while (j < count) {
            if (m_pumpCount >= kRecordsPerPump) {
                m_pumpCount = 0;
                if (m_pump && !m_pump())
                    return false;
            }
            const double t = recordTime(records + j * size);
            if (!std::isfinite(t) || !m_options.window.contains(t)) {
                ++j;
                ++m_pumpCount;
                continue;
            }
            const std::size_t b = bucketOf(t);
            Bucket& bucket = m_buckets[b];
            // The run: consecutive records of this bucket, at most a pump's worth.
            const qsizetype end = std::min(count, j + (kRecordsPerPump - m_pumpCount));
            qsizetype k = j;
            double first = t;
            double last = t;
            for (; k < end; ++k) {
                const double u = recordTime(records + k * size);
                if (k > j &&
                    (!std::isfinite(u) || !m_options.window.contains(u) || bucketOf(u) != b))
                    break;
                first = std::min(first, u);
                last = std::max(last, u);
                if (m_steps < kStepsPerFile)
                    sampleStep(u);
            }
            m_pumpCount += static_cast<int>(k - j);
            bucket.records += k - j;
            bucket.first = std::min(bucket.first, first);
            bucket.last = std::max(bucket.last, last);
            span.from = std::min(span.from, first);
            span.to = std::max(span.to, last);
            takeChannels(records, j, k, bucket);
            if (m_keeping)
                keep(records, j, k);
            j = k;
        }
        return true;
    }

    void sampleStep(double t) {
        if (m_haveStep && t > m_previous) {
            m_stepSamples.push_back(t - m_previous);
            ++m_steps;
        }
        m_previous = t;
        m_haveStep = true;
    }

    // Channels of a run two at a time: each pass gathers two independent channels, so neither
    // waits on the other's sums, and every record is visited half as often.
    void takeChannels(const char* records, qsizetype from, qsizetype to, Bucket& bucket) {
        const int size = m_chunks.recordSize();
        int channel = 0;
        for (; channel + 2 <= m_channels; channel += 2) {
            Lane a{bucket.minimum[channel], bucket.maximum[channel]};
            Lane b{bucket.minimum[channel + 1], bucket.maximum[channel + 1]};
            const double shiftA = m_shift[static_cast<std::size_t>(channel)];
            const double shiftB = m_shift[static_cast<std::size_t>(channel + 1)];
            const char* value = records + from * size + 8 + 8 * channel;
            for (qsizetype r = from; r < to; ++r, value += size) {
                a.take(qFromLittleEndian<double>(value), shiftA, r);
                b.take(qFromLittleEndian<double>(value + 8), shiftB, r);
            }
            merge(a, channel, records, bucket);
            merge(b, channel + 1, records, bucket);
        }
        if (channel < m_channels) {
            Lane a{bucket.minimum[channel], bucket.maximum[channel]};
            const double shift = m_shift[static_cast<std::size_t>(channel)];
            const char* value = records + from * size + 8 + 8 * channel;
            for (qsizetype r = from; r < to; ++r, value += size)
                a.take(qFromLittleEndian<double>(value), shift, r);
            merge(a, channel, records, bucket);
        }
    }

    void merge(const Lane& lane, int channel, const char* records, Bucket& bucket) {
        const int size = m_chunks.recordSize();
        const auto i = static_cast<std::size_t>(channel);
        m_sum[i] += lane.sum;
        m_squares[i] += lane.squares;
        m_valid[i] += lane.valid;
        if (lane.minimumAt >= 0) {
            bucket.minimum[i] = lane.minimum;
            bucket.minimumTime[i] = recordTime(records + lane.minimumAt * size);
        }
        if (lane.maximumAt >= 0) {
            bucket.maximum[i] = lane.maximum;
            bucket.maximumTime[i] = recordTime(records + lane.maximumAt * size);
        }
    }

    void keep(const char* records, qsizetype from, qsizetype to) {
        const int size = m_chunks.recordSize();
        for (qsizetype r = from; r < to; ++r) {
            if (m_options.pointLimit > 0 && ++m_kept > m_options.pointLimit) {
                m_keeping = false;
                m_keptTimes = {};
                m_keptValues = {};
                return;
            }
            const char* record = records + r * size;
            m_keptTimes.push_back(recordTime(record));
            for (int i = 0; i < m_channels; ++i)
                m_keptValues.push_back(recordValue(record, i));
        }
    }

    SeriesStatistics statistics(int channel) const {
        const auto i = static_cast<std::size_t>(channel);
        SeriesStatistics s;
        s.count = m_valid[i];
        if (s.count == 0)
            return s;
        s.minimum = kInfinity;
        s.maximum = -kInfinity;
        for (const Bucket& bucket : m_buckets) {
            s.minimum = std::min(s.minimum, bucket.minimum[i]);
            s.maximum = std::max(s.maximum, bucket.maximum[i]);
        }
        const double mean = m_sum[i] / static_cast<double>(s.count);
        s.mean = m_shift[i] + mean;
        const double q = m_squares[i] / static_cast<double>(s.count) - mean * mean;
        s.standardDeviation = q > 0 ? std::sqrt(q) : 0.0;
        return s;
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
        const auto i = static_cast<std::size_t>(channel);
        const auto put = [&](double t, double v) {
            s.x.push_back(xOf(t));
            s.y.push_back(v);
        };
        if (!(bucket.minimum[i] <= bucket.maximum[i])) {
            put(bucket.first, InvalidValue);
            if (bucket.records > 1)
                put(bucket.last, InvalidValue);
        } else if (bucket.records == 1) {
            put(bucket.minimumTime[i], bucket.minimum[i]);
        } else if (bucket.minimumTime[i] <= bucket.maximumTime[i]) {
            put(bucket.minimumTime[i], bucket.minimum[i]);
            put(bucket.maximumTime[i], bucket.maximum[i]);
        } else {
            put(bucket.maximumTime[i], bucket.maximum[i]);
            put(bucket.minimumTime[i], bucket.minimum[i]);
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

    // Sums about a typical value, per channel.
    std::array<double, kChannelCount> m_shift;
    std::array<double, kChannelCount> m_sum{};
    std::array<double, kChannelCount> m_squares{};
    std::array<qint64, kChannelCount> m_valid{};

    bool m_haveStep = false;
    double m_previous = 0.0;
    int m_steps = 0;
    std::vector<double> m_stepSamples;

    bool m_keeping = true;
    qint64 m_kept = 0;
    std::vector<double> m_keptTimes;
    std::vector<double> m_keptValues;
};

} // namespace

LoadReport LoadAutomatic(const QStringList& paths, const RecordingLayout& layout,
                         BrowserDataSet& chart, const LoadOptions& options, const LoadPump& pump) {
    LoadReport report;
    report.spans.assign(static_cast<std::size_t>(paths.size()), TimeWindow{kInfinity, -kInfinity});
    const Plan plan = planFiles(paths, layout, options);
    AutoLoader loader(layout, chart, options, pump, plan);
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
