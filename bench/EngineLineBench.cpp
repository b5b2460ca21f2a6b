// The engine's steady state without any window: one processed line of a board, with and
// without a record, as the main timer hands it over. Compare processedLine of bench_live_board,
// the same line through the window. Its files go to a temporary folder; links no Gui.
#include "engine/Engine.h"
#include "settings/SettingsFile.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>

namespace {

struct Logger {
    QTemporaryDir home;
    std::unique_ptr<nimbar::Engine> engine;
    char line[nimbar::kLineBufferSize] = {};

    Logger() {
        qputenv("HOME", home.path().toUtf8());
        qputenv("NIMBAR_BASE_PORT", "0");
        nimbar::BoardConfigs boards{};
        nimbar::fillDefaultBoardConfigs(boards, home.filePath("data").toUtf8().constData());
        for (nimbar::BoardConfig& board : boards) {
            board.english = 1;
            board.tcType = 1;
            board.cjcRefVolts = 5.0;
            board.queueLength = 5; // the running median as well
            for (int ch = 1; ch < nimbar::kChannelCount; ++ch)
                board.channelType[ch] = 1;
        }
        nimbar::ProgramPaths paths(nimbar::BuildKind::Logger, home.path());
        nimbar::saveBoardSettings(paths.settingsFile(), boards);
        engine = std::make_unique<nimbar::Engine>(nimbar::BuildKind::Logger, paths);
        engine->TimerSTimer();
        engine->timer1().stop(); // the benchmark hands the lines over
        const char text[] = "0F3A21, 001234, 0A0123, 000456, 000789, 000ABC, 000DEF\r\n";
        std::memcpy(line, text, sizeof text);
    }
    ~Logger() { engine->shutdown(); }
};

// Every line becomes a record: conversion, median, alarms, the record handed to the writer
// thread, the live feed. Process CPU time: the writer's appends and syncs are counted too, up
// to the last record (fewer records than the writer's queue holds, so none is dropped).
void processedLine(benchmark::State& state) {
    Logger logger;
    benchmark::IterationCount done = 0;
    for (auto _ : state) {
        logger.engine->runtimes()[0].recordCountdown = 0;
        logger.engine->ProcessLine(0, logger.line);
        if (++done == state.max_iterations)
            logger.engine->recordingWriter().waitForIdle();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(processedLine)->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime()->Iterations(3000);

// A line within the recording interval: processed and published, not recorded.
void processedLineBetweenRecords(benchmark::State& state) {
    Logger logger;
    for (auto _ : state) {
        logger.engine->runtimes()[0].recordCountdown = 1000;
        logger.engine->ProcessLine(0, logger.line);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(processedLineBetweenRecords)->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime();

} // namespace
