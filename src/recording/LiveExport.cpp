#include "recording/LiveExport.h"

#include "app/RecordText.h"
#include "processing/DateTimeValue.h"
#include "processing/InvalidValue.h"
#include "recording/ChartText.h"
#include "recording/XlsWriter.h"

#include <QDir>
#include <QSaveFile>

namespace nimbar {

namespace {

ExportOutcome outcome(ExportOutcome::Result result, const QString& path, QString cause = {}) {
    return {result, QDir::toNativeSeparators(path), std::move(cause)};
}

} // namespace

ExportOutcome writeWholeFile(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return outcome(ExportOutcome::Result::Failed, path, file.errorString());
    file.write(bytes);
    // A failed write makes the commit refuse and remove the temporary file.
    if (!file.commit())
        return outcome(ExportOutcome::Result::Failed, path, file.errorString());
    return outcome(ExportOutcome::Result::Saved, path);
}

ExportOutcome SaveChartTxt(const QString& base, const ExportTexts& texts,
                           const ChartSnapshot& chart) {
    const QString path = base + ".TXT";
    if (chart.times.empty())
        return outcome(ExportOutcome::Result::NothingToSave, path);
    return writeWholeFile(path, chartText(texts, chart));
}

ExportOutcome SaveChartXls(const QString& base, const ExportTexts& texts,
                           const ChartSnapshot& chart) {
    const QString path = base + ".xls";
    XlsWriter sheet;
    if (!sheet.XlsOpen(path))
        return outcome(ExportOutcome::Result::Failed, path, sheet.errorString());
    if (!chart.times.empty()) {
        sheet.XlsWriteLabel(0, 0, texts.jobTitle);
        sheet.XlsWriteLabel(1, 0, texts.serial);
        sheet.XlsWriteLabel(2, 0, texts.xAxisTitle);
        sheet.XlsWriteLabel(3, 0, texts.yAxisTitle);
        sheet.XlsWriteLabel(4, 0, LongTimeText(texts.startTime));
        sheet.XlsWriteLabel(0, 1, "Time");
        for (int i = 0; i < kChannelCount; ++i)
            sheet.XlsWriteLabel(i + 1, 1, texts.channelNames[i]);
        // Rows are 16-bit: a chart holds at most 3600 points, far below the limit.
        for (std::size_t j = 0; j < chart.times.size(); ++j) {
            const int row = static_cast<int>(j) + 2;
            sheet.XlsWriteLabel(0, row, ShortTimeText(chart.times[j]));
            const auto values = pointValues(chart, j);
            for (int i = 0; i < kChannelCount; ++i) {
                if (values[i] == InvalidValue)
                    sheet.XlsWriteLabel(i + 1, row, "*");
                else
                    sheet.XlsWriteNumber(i + 1, row, values[i]);
            }
        }
    }
    if (!sheet.XlsClose())
        return outcome(ExportOutcome::Result::Failed, path, sheet.errorString());
    return outcome(chart.times.empty() ? ExportOutcome::Result::NothingToSave
                                       : ExportOutcome::Result::Saved,
                   path);
}

ExportOutcome SaveMemoLog(const QString& base, const QStringList& memoLines) {
    const QString path = base + ".LOG";
    if (memoLines.isEmpty())
        return outcome(ExportOutcome::Result::NothingToSave, path);
    QByteArray text;
    for (const QString& line : memoLines)
        text += encodeCp949(line) + "\r\n";
    return writeWholeFile(path, text);
}

} // namespace nimbar
