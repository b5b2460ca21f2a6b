// The logger's steady state: one processed line per board and second, and the redraw of a full
// chart (nine series of 3600 points). Runs offscreen with its files in a temporary folder.
#include "settings/SettingsFile.h"
#include "ui/main/LiveChart.h"
#include "ui/main/TForm1.h"

#include <QApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>

namespace {

struct Logger {
    QTemporaryDir home;
    std::unique_ptr<nimbar::TForm1> window;

    Logger() {
        qputenv("HOME", home.path().toUtf8());
        nimbar::BoardConfigs boards{};
        nimbar::fillDefaultBoardConfigs(boards, home.filePath("data").toUtf8().constData());
        for (nimbar::BoardConfig& board : boards) {
            board.english = 1;
            board.tcType = 1;
            board.cjcRefVolts = 5.0;
            for (int ch = 1; ch < nimbar::kChannelCount; ++ch)
                board.channelType[ch] = 1;
        }
        nimbar::ProgramPaths paths(nimbar::BuildKind::Logger, home.path());
        nimbar::saveBoardSettings(paths.settingsFile(), boards);
        window = std::make_unique<nimbar::TForm1>(nimbar::BuildKind::Logger, paths);
        window->TimerSTimer();
        window->timer1().stop();
        window->resize(1024, 736);
        window->show();
    }
};

void processedLine(benchmark::State& state) {
    Logger logger;
    const char line[] = "0F3A21, 001234, 0A0123, 000456, 000789, 000ABC, 000DEF\r\n";
    char buffer[180] = {};
    std::memcpy(buffer, line, sizeof line);
    for (auto _ : state) {
        logger.window->runtimes()[0].recordCountdown = 0; // every line recorded
        logger.window->ProcessLine(0, buffer);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(processedLine)->Unit(benchmark::kMicrosecond);

// Fills a chart with count points a second apart.
void fillChart(nimbar::LiveChart* chart, int count) {
    chart->clearPoints();
    std::array<double, nimbar::kChannelCount> values{};
    for (int i = 0; i < count; ++i) {
        for (int ch = 0; ch < nimbar::kChannelCount; ++ch)
            values[static_cast<std::size_t>(ch)] = 25.0 + 50.0 * std::sin(i / 300.0 + ch);
        chart->addPoints(46000.0 + i / 86400.0, values);
    }
    chart->setTimeAutomatic(46000.0, 46000.0 + count / 86400.0);
}

void fullChartRedraw(benchmark::State& state) {
    Logger logger;
    auto* chart = logger.window->findChild<nimbar::LiveChart*>("Chart1");
    logger.window->pages()->setCurrentIndex(0);
    fillChart(chart, 3600);
    for (auto _ : state)
        chart->replot(QCustomPlot::rpImmediateRefresh);
    state.counters["points"] = chart->pointCount() * nimbar::kChannelCount;
}
BENCHMARK(fullChartRedraw)->Unit(benchmark::kMillisecond);

// One second of the running logger: a line from each of the four boards through the main
// timer, their charts nearly full, and the queued redraw of the chart on view.
void loggerSecondWithFullCharts(benchmark::State& state) {
    Logger logger;
    logger.window->pages()->setCurrentIndex(0);
    const QByteArrayList lines{
        "0F3A21, 001234, 0A0123, 000456, 000789, 000ABC, 000DEF\r\n",
        "000000, 000100, 000100, 000100, 000100\r\n",
        "000000, 000100, 000100, 000100, 000100, 000100, 000100, 000100, 000100\r\n",
        "0F3A21, 001234, 0A0123, 000456, 000789, 000ABC, 000DEF\r\n"};
    std::array<nimbar::LiveChart*, nimbar::kBoardCount> charts{};
    for (int b = 0; b < nimbar::kBoardCount; ++b)
        charts[static_cast<std::size_t>(b)] =
            logger.window->findChild<nimbar::LiveChart*>(QString("Chart%1").arg(b + 1));
    for (auto _ : state) {
        state.PauseTiming();
        for (nimbar::LiveChart* chart : charts)
            if (chart->pointCount() < 3500 || chart->pointCount() >= 3599)
                fillChart(chart, 3500);
        for (int b = 0; b < nimbar::kBoardCount; ++b) {
            nimbar::BoardRuntime& runtime = logger.window->runtimes()[b];
            const QByteArray& line = lines[b];
            std::memcpy(runtime.lineBuffer, line.constData(), line.size() + 1);
            runtime.lineReady = true;
            runtime.recordCountdown = 1;
        }
        state.ResumeTiming();
        logger.window->Timer1Timer();
        QCoreApplication::processEvents();
    }
}
BENCHMARK(loggerSecondWithFullCharts)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
