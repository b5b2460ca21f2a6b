#include "recording/LiveExport.h"

#include "processing/DateTimeValue.h"
#include "processing/InvalidValue.h"
#include "recording/ChartText.h"
#include "recording/XlsWriter.h"
#include "settings/RecordText.h"

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
    // Unbuffered: a write that the disk cuts short fails here; commit() ignores a failed flush.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return outcome(ExportOutcome::Result::Failed, path, file.errorString());
    file.write(bytes);
    // A failed write makes the commit refuse and remove the temporary file.
    if (!file.commit())
        return outcome(ExportOutcome::Result::Failed, path, file.errorString());
    return outcome(ExportOutcome::Result::Saved, path);
}

ExportOutcome SaveChartTxt(const QString& base, const ExportTexts& texts,
                           const ChartSnapshot& chart, const ExportYield& yield) {
    const QString path = base + ".TXT";
    if (chart.times.empty())
        return outcome(ExportOutcome::Result::NothingToSave, path);
    return writeWholeFile(path, chartText(texts, chart, yield));
}

// The sheet is built in memory from the writer's records and written in one go: the cells of a
// full chart are 32400 records.
ExportOutcome SaveChartXls(const QString& base, const ExportTexts& texts,
                           const ChartSnapshot& chart, const ExportYield& yield) {
    const QString path = base + ".xls";
    QByteArray sheet = XlsWriter::bofRecord();
    if (!chart.times.empty()) {
        sheet.reserve(static_cast<qsizetype>(chart.times.size()) * 190 + 1024);
        const QString head[] = {texts.jobTitle, texts.serial, texts.xAxisTitle, texts.yAxisTitle,
                                LongTimeText(texts.startTime)};
        for (int column = 0; column < 5; ++column)
            sheet += XlsWriter::labelRecord(column, 0, encodeCp949(head[column]));
        sheet += XlsWriter::labelRecord(0, 1, "Time");
        for (int i = 0; i < kChannelCount; ++i)
            sheet += XlsWriter::labelRecord(i + 1, 1, encodeCp949(texts.channelNames[i]));
        // Rows are 16-bit: a chart holds at most 3600 points, far below the limit.
        for (std::size_t j = 0; j < chart.times.size(); ++j) {
            const int row = static_cast<int>(j) + 2;
            sheet += XlsWriter::labelRecord(0, row, ShortTimeText(chart.times[j]).toLatin1());
            const auto values = pointValues(chart, j);
            for (int i = 0; i < kChannelCount; ++i)
                sheet += values[i] == InvalidValue ? XlsWriter::labelRecord(i + 1, row, "*")
                                                   : XlsWriter::numberRecord(i + 1, row, values[i]);
            if (yield && (j + 1) % kExportYieldPoints == 0)
                yield();
        }
    }
    sheet += XlsWriter::eofRecord();
    ExportOutcome written = writeWholeFile(path, sheet);
    if (written.result == ExportOutcome::Result::Saved && chart.times.empty())
        written.result = ExportOutcome::Result::NothingToSave;
    return written;
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
