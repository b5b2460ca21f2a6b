// The browser's load of 3600 points at subsampling 100 from 100 hourly files (360,000
// records), beside reading the same bytes raw.
#include "RecordingFiles.h"
#include "browser/RecordingLoader.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

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

void RawRead(benchmark::State& state) {
    const QStringList& paths = hourlyFiles();
    for (auto _ : state) {
        qint64 bytes = 0;
        for (const QString& path : paths) {
            QFile file(path);
            if (!file.open(QIODevice::ReadOnly))
                state.SkipWithError("cannot open");
            while (!file.atEnd())
                bytes += file.read(4096 * 80).size();
        }
        benchmark::DoNotOptimize(bytes);
    }
    state.SetItemsProcessed(state.iterations() * kFiles * kRecordsPerFile);
}
BENCHMARK(RawRead)->Unit(benchmark::kMillisecond);

} // namespace
