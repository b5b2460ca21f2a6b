#include "browser/RecordingLoader.h"

#include "browser/AutoLoad.h"
#include "browser/BrowserTexts.h"
#include "browser/BrowserTime.h"
#include "browser/RecordingLayout.h"
#include "browser/TimeOrder.h"

#include <QFile>
#include <QtEndian>

#include <cstring>

namespace nimbar {

namespace {

// Records read from the disk at a time.
constexpr qint64 kChunkRecords = 4096;

enum FileResult { FileEnded = 1, OtherLayout = 2, LimitReached = -1, Aborted = -2 };

struct LoadState {
    const RecordingLayout& layout;
    const LoadOptions& options;
    const LoadPump& pump;
    BrowserDataSet& chart;
    int total = 0;
    // One read buffer for the whole load: fresh large blocks per read cost more than the read.
    QByteArray buffer = QByteArray(kChunkRecords * layout.recordSize, Qt::Uninitialized);
};

double xOf(double time, const LoadState& s) {
    return xOfTime(time, s.options.xMode, s.chart.startTime);
}

int LoadFileData(QFile& file, LoadState& s) {
    if (!headerMatches(file.read(s.layout.headerSize), s.layout))
        return OtherLayout;
    const int recordSize = s.layout.recordSize;
    const int factor = qBound(1, s.options.subsampling, kMaxSubsampling);
    const int channels = s.chart.channelCount;
    int subsample = 0;
    int pump = 0;
    char* chunk = s.buffer.data();
    qsizetype filled = 0;
    qsizetype at = 0;
    for (;;) {
        if (++pump >= kRecordsPerPump) {
            pump = 0;
            if (s.pump && !s.pump())
                return Aborted;
        }
        if (s.options.pointLimit > 0 && s.total >= s.options.pointLimit) {
            return LimitReached;
        }
        if (at + recordSize > filled) {
            // A final fragment of a record still being written is no record.
            const qsizetype rest = filled - at;
            std::memmove(chunk, chunk + at, static_cast<std::size_t>(rest));
            const qint64 got = file.read(chunk + rest, s.buffer.size() - rest);
            filled = rest + qMax<qint64>(got, 0);
            at = 0;
            if (filled < recordSize)
                return FileEnded;
        }
        const char* record = chunk + at;
        at += recordSize;
        if (++subsample < factor)
            continue;
        subsample = 0;
        const double x = xOf(qFromLittleEndian<double>(record), s);
        for (int i = 0; i < channels; ++i) {
            BrowserSeries& series = s.chart.series[static_cast<std::size_t>(i)];
            series.x.push_back(x);
            series.y.push_back(qFromLittleEndian<double>(record + 8 + 8 * i));
        }
        ++s.total;
    }
}

void applyHeader(const QByteArray& header, const RecordingLayout& layout,
                 const LoadOptions& options, BrowserDataSet& chart) {
    chart.jobTitle = headerText(header, layout.jobTitle, kTitleSize);
    chart.chartTitle = headerText(header, layout.chartTitle, kTitleSize);
    chart.yAxisTitle = headerText(header, layout.yAxisTitle, kTitleSize);
    // The header's X-axis title gives way at once to the title of the X-axis mode.
    chart.xAxisTitle = xAxisModeTitle(options.xMode, options.korean);
    for (int i = 0; i < chart.channelCount; ++i)
        chart.series[static_cast<std::size_t>(i)].title =
            headerText(header, layout.channelNames + kChannelNameSize * i, kChannelNameSize)
                .trimmed();
    chart.serial = headerText(header, layout.serial, layout.serialSize);
    chart.startTime = headerStartTime(header, layout);
    chart.startText = FormatStartTime(chart.startTime);
    chart.xMode = options.xMode;
}

} // namespace

const RecordingLayout* LoadHeader(const QStringList& paths, BrowserDataSet& chart,
                                  const LoadOptions& options, LoadReport& report) {
    report = {};
    if (paths.isEmpty()) {
        report.status = noDataText(options.korean);
        return nullptr;
    }
    chart.clearSeries();

    // Read-only: a write-protected archive loads like any other.
    QFile first(paths.front());
    if (!first.open(QIODevice::ReadOnly)) {
        report.outcome = LoadOutcome::OpenFailed;
        report.status = someErrorsText(options.korean);
        return nullptr;
    }
    const std::optional<RecordingVariant> variant = recogniseRecording(first);
    if (!variant) {
        report.outcome = LoadOutcome::Unsupported;
        report.status = unsupportedFormatText(options.korean);
        return nullptr;
    }
    const RecordingLayout& layout = recordingLayout(*variant);
    first.seek(0);
    const QByteArray header = first.read(layout.headerSize);
    first.close();
    chart.channelCount = headerChannelCount(header, layout);
    applyHeader(header, layout, options, chart);
    return &layout;
}

LoadReport LoadFiles(const QStringList& paths, BrowserDataSet& chart, const LoadOptions& options,
                     const LoadPump& pump) {
    LoadReport report;
    const RecordingLayout* head = LoadHeader(paths, chart, options, report);
    if (!head)
        return report;
    const RecordingLayout& layout = *head;
    if (options.automatic)
        return LoadAutomatic(paths, layout, chart, options, pump);

    LoadState state{layout, options, pump, chart};
    int result = FileEnded;
    for (const QString& path : paths) {
        QFile file(path);
        if (!file.exists() || !file.open(QIODevice::ReadOnly))
            continue;
        result = LoadFileData(file, state);
        if (result < 0)
            break;
    }
    report.totalPoints = state.total;
    for (BrowserSeries& series : chart.series)
        sortByX(series);
    if (result == Aborted) {
        report.outcome = LoadOutcome::Aborted;
    } else if (result == LimitReached) {
        report.outcome = LoadOutcome::LimitReached;
        report.status = pointLimitText(options.xMode, options.korean);
    } else {
        report.outcome = LoadOutcome::Loaded;
        report.status = totalDataText(state.total, options.korean);
    }
    return report;
}

} // namespace nimbar
