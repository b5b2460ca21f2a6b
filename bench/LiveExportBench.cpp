// The exports of a full live chart (nine series of 3600 points): the text and spreadsheet
// files written from the copy, and the memo log of a full memo.
#include "processing/DateTimeValue.h"
#include "recording/LiveExport.h"

#include <QDateTime>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

nimbar::ChartSnapshot fullChart() {
    nimbar::ChartSnapshot chart;
    const double start = nimbar::toDateTimeValue(QDateTime(QDate(2007, 3, 15), QTime(10, 0)));
    for (int j = 0; j < 3600; ++j) {
        chart.times.push_back(start + nimbar::SecondsToTime(j));
        for (auto& series : chart.values)
            series.push_back(20.0 + (j % 97) * 0.37);
    }
    return chart;
}

nimbar::ExportTexts texts() {
    nimbar::ExportTexts t;
    t.jobTitle = "Oven";
    for (auto& name : t.channelNames)
        name = "CH        ";
    return t;
}

void BM_SaveChartTxtFullChart(benchmark::State& state) {
    QTemporaryDir dir;
    const auto chart = fullChart();
    for (auto _ : state)
        benchmark::DoNotOptimize(nimbar::SaveChartTxt(dir.filePath("A"), texts(), chart));
}
BENCHMARK(BM_SaveChartTxtFullChart)->Unit(benchmark::kMillisecond);

void BM_SaveChartXlsFullChart(benchmark::State& state) {
    QTemporaryDir dir;
    const auto chart = fullChart();
    for (auto _ : state)
        benchmark::DoNotOptimize(nimbar::SaveChartXls(dir.filePath("A"), texts(), chart));
}
BENCHMARK(BM_SaveChartXlsFullChart)->Unit(benchmark::kMillisecond);

void BM_SaveMemoLogFullMemo(benchmark::State& state) {
    QTemporaryDir dir;
    QStringList lines;
    for (int j = 0; j < 250; ++j)
        lines << QString("%1  03-15 10:00:00   20.00   21.00   22.00   23.00").arg(j, 5);
    for (auto _ : state)
        benchmark::DoNotOptimize(nimbar::SaveMemoLog(dir.filePath("A"), lines));
}
BENCHMARK(BM_SaveMemoLogFullMemo)->Unit(benchmark::kMillisecond);

} // namespace
