// The cost of one durable record: open, append 80 bytes, put them on the disk, close. The
// temporary folder lies on the disk that TMPDIR names; run it on the disk that holds the data.
#include "recording/RecordingFile.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

void appendDurableRecord(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = dir.filePath("bench.KRN");
    nimbar::WriteRecordingHeader(
        path, nimbar::buildRecordingHeader(nimbar::defaultBoardConfig(0, "D"), 1.0));
    std::array<double, nimbar::kChannelCount> values{};
    double time = 1.0;
    for (auto _ : state) {
        time += 1.0 / 86400;
        values[1] = time;
        if (!nimbar::AppendRecord(path, time, values))
            state.SkipWithError("append failed");
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(appendDurableRecord)->Unit(benchmark::kMicrosecond);

} // namespace
