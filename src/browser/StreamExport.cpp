#include "browser/StreamExport.h"

#include "browser/BrowserTexts.h"
#include "browser/OrderedRecords.h"
#include "browser/RecordChunks.h"

#include <limits>

namespace nimbar {

namespace {

// Bytes gathered before a write.
constexpr qsizetype kWriteChunk = 1 << 20;

} // namespace

StreamReport streamExport(const QStringList& paths, const LoadOptions& options, ExportFormat format,
                          QIODevice& out, BrowserDataSet& data, const LoadPump& pump) {
    StreamReport report;
    const RecordingLayout* layout = LoadHeader(paths, data, options, report.load);
    if (!layout)
        return report;

    QByteArray pending = exportHead(format, data);
    pending.reserve(kWriteChunk + 4096);
    bool failed = false;
    const auto flush = [&] {
        if (!failed && out.write(pending) != pending.size())
            failed = true;
        pending.clear();
    };

    ExportRowWriter rows(format, data.xMode, data.channelCount);
    std::array<StatisticsAccumulator, kChannelCount> statistics{};
    RangeSummary summary;
    double first = std::numeric_limits<double>::infinity();
    double last = -first;
    const int channels = data.channelCount;
    OrderedRecords records(paths, *layout, options.subsampling, [&] {
        // A write that failed ends the export at the next turn.
        return !failed && (!pump || pump());
    });
    const bool whole = records.forEach([&](const char* record) {
        const double t = recordTime(record);
        double values[kChannelCount];
        for (int i = 0; i < channels; ++i) {
            values[i] = recordValue(record, i);
            statistics[static_cast<std::size_t>(i)].add(values[i]);
        }
        if (t < first)
            first = t;
        if (t > last)
            last = t;
        ++summary.records;
        rows.append(pending, xOfTime(t, data.xMode, data.startTime), values);
        if (pending.size() >= kWriteChunk)
            flush();
    });
    // Without a record not even the head is written.
    if (summary.records > 0)
        flush();

    summary.firstX = summary.records > 0 ? xOfTime(first, data.xMode, data.startTime) : 0.0;
    summary.lastX = summary.records > 0 ? xOfTime(last, data.xMode, data.startTime) : 0.0;
    for (int i = 0; i < channels; ++i)
        summary.channels[static_cast<std::size_t>(i)] =
            statistics[static_cast<std::size_t>(i)].result();
    data.summary = summary;
    report.load.records = summary.records;
    report.load.outcome = whole ? LoadOutcome::Loaded : LoadOutcome::Aborted;
    report.load.status = totalDataText(summary.records, options.korean);
    report.written = whole && !failed;
    return report;
}

} // namespace nimbar
