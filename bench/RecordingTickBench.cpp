// How late the recording tick ends while another process writes a large file with fdatasync on
// the same disk: four boards' records per tick, synced on the tick itself (/0, the path before
// the recording writer) or handed to the recording writer (/1). Lateness is measured from each
// tick's due time, as a timer would run it, until the tick returns.
//
// The files go in the current directory: run it on the disk that holds the data. The load is
// dd writing NIMBAR_BENCH_LOAD_MB megabytes (2048 unless set) with conv=fdatasync, started again
// as it ends until NIMBAR_BENCH_LOAD_SECONDS (20 unless set) have passed, so that there are
// enough ticks for a 99th percentile.
#include "recording/RecordingWriter.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double percentile(std::vector<double> values, double fraction) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const auto index = static_cast<std::size_t>(fraction * double(values.size() - 1) + 0.5);
    return values[std::min(index, values.size() - 1)];
}

void tickLatenessUnderWriteLoad(benchmark::State& state) {
    const bool viaWriter = state.range(0) == 1;
    const auto interval = std::chrono::milliseconds(state.range(1));
    const QString loadMb = qEnvironmentVariable("NIMBAR_BENCH_LOAD_MB", "2048");
    const auto loadTime =
        std::chrono::seconds(qEnvironmentVariable("NIMBAR_BENCH_LOAD_SECONDS", "20").toInt());
    for (auto _ : state) {
        QTemporaryDir dir(QDir::currentPath() + "/tick-bench-XXXXXX");
        const nimbar::RecordingHeader header =
            nimbar::buildRecordingHeader(nimbar::defaultBoardConfig(0, "D"), 1.0);
        std::array<QString, nimbar::kBoardCount> paths;
        for (int b = 0; b < nimbar::kBoardCount; ++b) {
            paths[b] = dir.filePath(QString("board%1.KRN").arg(b));
            nimbar::WriteRecordingHeader(paths[b], header);
        }
        nimbar::RecordingWriter writer;

        QProcess load;
        const auto startLoad = [&] {
            load.start("dd", {"if=/dev/zero", "of=" + dir.filePath("load.bin"), "bs=1M",
                              "count=" + loadMb, "conv=fdatasync"});
            return load.waitForStarted();
        };
        if (!startLoad()) {
            state.SkipWithError("dd did not start");
            return;
        }
        std::vector<double> lateness;
        int lost = 0, mostQueued = 0, loads = 1;
        std::array<double, nimbar::kChannelCount> values{};
        const Clock::time_point start = Clock::now();
        const auto loading = [&] {
            if (!load.waitForFinished(0))
                return true;
            if (Clock::now() - start >= loadTime || !startLoad())
                return false;
            ++loads;
            return true;
        };
        for (int tick = 1; loading(); ++tick) {
            const Clock::time_point due = start + tick * interval;
            std::this_thread::sleep_until(due);
            const double time = 1.0 + tick / 86400.0;
            values[1] = tick;
            for (int b = 0; b < nimbar::kBoardCount; ++b) {
                const bool kept = viaWriter ? writer.appendRecord(b, paths[b], header, time, values)
                                            : nimbar::AppendRecord(paths[b], time, values);
                lost += kept ? 0 : 1;
            }
            lateness.push_back(
                std::chrono::duration<double, std::milli>(Clock::now() - due).count());
            mostQueued = std::max(mostQueued, writer.queuedRecords());
        }
        const Clock::time_point loadEnd = Clock::now();
        writer.waitForIdle();
        const double drainMs =
            std::chrono::duration<double, std::milli>(Clock::now() - loadEnd).count();
        qint64 written = 0;
        for (const QString& path : paths)
            written += (QFileInfo(path).size() - 544) / 80;
        state.counters["ticks"] = double(lateness.size());
        state.counters["p50_ms"] = percentile(lateness, 0.50);
        state.counters["p99_ms"] = percentile(lateness, 0.99);
        state.counters["max_ms"] = percentile(lateness, 1.0);
        state.counters["lost"] = lost;
        state.counters["missing"] = double(qint64(lateness.size()) * nimbar::kBoardCount - written);
        state.counters["queued_max"] = mostQueued;
        state.counters["drain_ms"] = drainMs;
        state.counters["loads"] = loads;
        state.counters["load_s"] = std::chrono::duration<double>(loadEnd - start).count();
    }
}
BENCHMARK(tickLatenessUnderWriteLoad)
    ->ArgNames({"writer", "tick_ms"})
    ->Args({0, 100})
    ->Args({1, 100})
    ->Iterations(1)
    ->Unit(benchmark::kSecond);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
}
