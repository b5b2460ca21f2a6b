// The cost of one durable record: open, append 80 bytes, put them on the disk, close (as the
// recording writer does for a record that queued up alone); what the tick pays to hand a record
// to the writer; and the writer's rate when records queue up. The temporary folder lies on the disk
// that TMPDIR names; run it on the disk that holds the data.
#include "recording/RecordingFile.h"
#include "recording/RecordingWriter.h"

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

// The tick's part with the recording writer: handing one record over.
void handOffRecord(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = dir.filePath("bench.KRN");
    const auto header = nimbar::buildRecordingHeader(nimbar::defaultBoardConfig(0, "D"), 1.0);
    nimbar::RecordingWriter writer;
    writer.createFile(path, header);
    std::array<double, nimbar::kChannelCount> values{};
    double time = 1.0;
    for (auto _ : state) {
        time += 1.0 / 86400;
        values[1] = time;
        if (!writer.appendRecord(0, path, header, time, values)) {
            state.PauseTiming();
            writer.waitForIdle();
            state.ResumeTiming();
        }
    }
    writer.waitForIdle();
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(handOffRecord)->Unit(benchmark::kMicrosecond);

// Records through the writer until they are on the disk: syncs are shared by what queued up.
void writerThroughput(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = dir.filePath("bench.KRN");
    const auto header = nimbar::buildRecordingHeader(nimbar::defaultBoardConfig(0, "D"), 1.0);
    nimbar::RecordingWriter writer;
    writer.createFile(path, header);
    std::array<double, nimbar::kChannelCount> values{};
    double time = 1.0;
    for (auto _ : state) {
        for (int i = 0; i < 100; ++i) {
            time += 1.0 / 86400;
            writer.appendRecord(0, path, header, time, values);
        }
        writer.waitForIdle();
    }
    state.SetItemsProcessed(state.iterations() * 100);
}
BENCHMARK(writerThroughput)->Unit(benchmark::kMicrosecond)->UseRealTime();

} // namespace
