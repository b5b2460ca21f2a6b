// The browser's load of 3600 points at subsampling 100 from 100 hourly files (360,000
// records), and in Auto a week of one board (168 hourly files, 604,800 records) drawn as its
// envelope, each beside reading the same bytes raw; the streamed CSV export of that week.
#include "RecordingFiles.h"
#include "browser/RecordingLoader.h"
#include "browser/StreamExport.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <fcntl.h>

#include <cmath>

using namespace nimbar;

namespace {

constexpr int kFiles = 100;
constexpr int kRecordsPerFile = 3600;

// Written once for all runs; removed when the program ends.
const QStringList& hourlyFiles() {
    static QTemporaryDir directory;
    static const QStringList paths = [] {
        QStringList list;
        const double start = recfiles::dayValue(QDate(2007, 3, 15), 0);
        for (int f = 0; f < kFiles; ++f) {
            const QString path = directory.filePath(QString("%1.KRN").arg(f, 6, 10, QChar('0')));
            recfiles::write(path, recfiles::Layout::Current, "A4", start, start + f / 24.0,
                            kRecordsPerFile);
            list << path;
        }
        return list;
    }();
    return paths;
}

void LoadAtFactor100(benchmark::State& state) {
    const QStringList& paths = hourlyFiles();
    LoadOptions options;
    options.subsampling = 100;
    for (auto _ : state) {
        BrowserDataSet chart;
        const LoadReport report = LoadFiles(paths, chart, options, [] { return true; });
        if (report.totalPoints != kFiles * kRecordsPerFile / 100)
            state.SkipWithError("wrong number of points");
        benchmark::DoNotOptimize(chart.series[8].y.data());
    }
    state.SetItemsProcessed(state.iterations() * kFiles * kRecordsPerFile);
}
BENCHMARK(LoadAtFactor100)->Unit(benchmark::kMillisecond);

qint64 readRaw(const QStringList& paths, benchmark::State& state) {
    qint64 bytes = 0;
    for (const QString& path : paths) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            state.SkipWithError("cannot open");
        while (!file.atEnd())
            bytes += file.read(4096 * 80).size();
    }
    return bytes;
}

// A week of one board recording every second: written once, removed when the program ends.
const QStringList& weekFiles() {
    static QTemporaryDir directory;
    static const QStringList paths =
        recfiles::writeHours(directory.path(), 'A', QDate(2026, 12, 7), 0, 168, 1, [](qint64 k) {
            recfiles::Values v;
            for (int i = 0; i < 9; ++i)
                v[i] = 20.0 + i + 10.0 * std::sin(double(k) / 13751.0 + i);
            return v;
        });
    return paths;
}

constexpr qint64 kWeekRecords = 7 * 24 * 3600;

void WeekInAuto(benchmark::State& state) {
    const QStringList& paths = weekFiles();
    LoadOptions options;
    options.automatic = true;
    for (auto _ : state) {
        BrowserDataSet chart;
        const LoadReport report = LoadFiles(paths, chart, options, [] { return true; });
        if (report.records != kWeekRecords || !chart.summary->envelope)
            state.SkipWithError("not the week's envelope");
        benchmark::DoNotOptimize(chart.series[8].y.data());
    }
    state.SetItemsProcessed(state.iterations() * kWeekRecords);
}
BENCHMARK(WeekInAuto)->Unit(benchmark::kMillisecond);

void WeekRawRead(benchmark::State& state) {
    const QStringList& paths = weekFiles();
    for (auto _ : state)
        benchmark::DoNotOptimize(readRaw(paths, state));
    state.SetItemsProcessed(state.iterations() * kWeekRecords);
}
BENCHMARK(WeekRawRead)->Unit(benchmark::kMillisecond);

// The week's files dropped from the page cache, so that the next read comes from the disk.
void evictWeek(benchmark::State& state) {
    state.PauseTiming();
    for (const QString& path : weekFiles()) {
        QFile file(path);
        if (file.open(QIODevice::ReadOnly))
            ::posix_fadvise(file.handle(), 0, 0, POSIX_FADV_DONTNEED);
    }
    state.ResumeTiming();
}

void WeekInAutoFromDisk(benchmark::State& state) {
    const QStringList& paths = weekFiles();
    LoadOptions options;
    options.automatic = true;
    for (auto _ : state) {
        evictWeek(state);
        BrowserDataSet chart;
        const LoadReport report = LoadFiles(paths, chart, options, [] { return true; });
        if (report.records != kWeekRecords)
            state.SkipWithError("not the week");
    }
    state.SetItemsProcessed(state.iterations() * kWeekRecords);
}
BENCHMARK(WeekInAutoFromDisk)->Unit(benchmark::kMillisecond)->UseRealTime();

void WeekRawReadFromDisk(benchmark::State& state) {
    const QStringList& paths = weekFiles();
    for (auto _ : state) {
        evictWeek(state);
        benchmark::DoNotOptimize(readRaw(paths, state));
    }
    state.SetItemsProcessed(state.iterations() * kWeekRecords);
}
BENCHMARK(WeekRawReadFromDisk)->Unit(benchmark::kMillisecond)->UseRealTime();

// Takes the export's bytes and keeps none.
class Discard : public QIODevice {
public:
    Discard() { open(QIODevice::WriteOnly); }
    qint64 written = 0;

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char*, qint64 size) override {
        written += size;
        return size;
    }
};

void WeekCsvStreamed(benchmark::State& state) {
    const QStringList& paths = weekFiles();
    LoadOptions options;
    options.pointLimit = 0;
    qint64 bytes = 0;
    for (auto _ : state) {
        Discard out;
        BrowserDataSet data;
        const StreamReport report =
            streamExport(paths, options, ExportFormat::Csv, out, data, [] { return true; });
        if (!report.written || report.load.records != kWeekRecords)
            state.SkipWithError("not the week");
        bytes += out.written;
    }
    state.SetItemsProcessed(state.iterations() * kWeekRecords);
    state.SetBytesProcessed(bytes);
}
BENCHMARK(WeekCsvStreamed)->Unit(benchmark::kMillisecond);

void RawRead(benchmark::State& state) {
    const QStringList& paths = hourlyFiles();
    for (auto _ : state)
        benchmark::DoNotOptimize(readRaw(paths, state));
    state.SetItemsProcessed(state.iterations() * kFiles * kRecordsPerFile);
}
BENCHMARK(RawRead)->Unit(benchmark::kMillisecond);

} // namespace
