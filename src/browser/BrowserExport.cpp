#include "browser/BrowserExport.h"

#include "browser/BrowserTexts.h"
#include "browser/BrowserTime.h"
#include "browser/ExportRows.h"
#include "processing/InvalidValue.h"
#include "recording/XlsWriter.h"
#include "settings/RecordText.h"

#include <QFileInfo>
#include <QSaveFile>

namespace nimbar {

namespace {

void pumpEvery301(const LoadPump& pump, int row) {
    if (pump && row > 0 && row % kRecordsPerPump == 0)
        pump();
}

double valueAt(const BrowserDataSet& data, int channel, int row) {
    const BrowserSeries& s = data.series[static_cast<std::size_t>(channel)];
    return row < s.count() ? s.y[static_cast<std::size_t>(row)] : InvalidValue;
}

double xAt(const BrowserDataSet& data, int row) {
    return data.series[0].x[static_cast<std::size_t>(row)];
}

bool writeWhole(const QString& fileName, const QByteArray& bytes) {
    QSaveFile file(fileName);
    // Unbuffered: a write that the disk cuts short fails here; commit() ignores a failed flush.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    file.write(bytes);
    return file.commit();
}

QByteArray exportBytes(ExportFormat format, const BrowserDataSet& data, const LoadPump& pump) {
    QByteArray bytes = exportHead(format, data);
    ExportRowWriter rows(format, data.xMode, data.channelCount);
    std::array<double, kChannelCount> values{};
    for (int j = 0; j < data.points(); ++j) {
        pumpEvery301(pump, j);
        for (int i = 0; i < data.channelCount; ++i)
            values[static_cast<std::size_t>(i)] = valueAt(data, i, j);
        rows.append(bytes, xAt(data, j), values.data());
    }
    return bytes;
}

} // namespace

QByteArray browserTextBytes(const BrowserDataSet& data, const LoadPump& pump) {
    return exportBytes(ExportFormat::Text, data, pump);
}

QByteArray browserCsvBytes(const BrowserDataSet& data, const LoadPump& pump) {
    return exportBytes(ExportFormat::Csv, data, pump);
}

namespace {

template <typename Build>
ExportResult exportText(const BrowserDataSet& data, const QString& fileName, bool korean,
                        Build&& build) {
    ExportResult result;
    if (data.points() == 0)
        return result;
    result.written = writeWhole(fileName, build());
    result.status =
        result.written ? savedAsText(fileName, korean) : saveErrorText(fileName, korean);
    return result;
}

} // namespace

ExportResult ExportBrowserTxt(const BrowserDataSet& data, const QString& fileName, bool korean,
                              const LoadPump& pump) {
    return exportText(data, fileName, korean, [&] { return browserTextBytes(data, pump); });
}

ExportResult ExportBrowserCsv(const BrowserDataSet& data, const QString& fileName, bool korean,
                              const LoadPump& pump) {
    return exportText(data, fileName, korean, [&] { return browserCsvBytes(data, pump); });
}

ExportResult ExportBrowserXls(const BrowserDataSet& data, const QString& fileName, bool korean,
                              const LoadPump& pump) {
    ExportResult result;
    if (data.points() == 0)
        return result;
    // Row numbers are 16 bits: a longer sheet would wrap onto its first rows.
    if (data.points() > kXlsMaxPoints) {
        result.status = spreadsheetTooLongText(korean);
        return result;
    }
    XlsWriter xls;
    if (!xls.XlsOpen(fileName)) {
        result.status = spreadsheetFailedText(fileName, korean);
        return result;
    }
    xls.XlsWriteLabel(0, 0, data.chartTitle);
    xls.XlsWriteLabel(1, 0, data.yAxisTitle);
    xls.XlsWriteLabel(2, 0, data.startText);
    xls.XlsWriteLabel(0, 1, "Time");
    for (int i = 0; i < data.channelCount; ++i)
        xls.XlsWriteLabel(i + 1, 1, data.series[static_cast<std::size_t>(i)].title);
    for (int j = 0; j < data.points(); ++j) {
        pumpEvery301(pump, j);
        xls.XlsWriteLabel(0, j + 2, FormatXValue(xAt(data, j), data.xMode).trimmed());
        for (int i = 0; i < data.channelCount; ++i) {
            const double v = valueAt(data, i, j);
            if (v == InvalidValue)
                xls.XlsWriteLabel(i + 1, j + 2, "*");
            else
                xls.XlsWriteNumber(i + 1, j + 2, v);
        }
    }
    result.written = xls.XlsClose();
    result.status =
        result.written ? savedAsText(fileName, korean) : spreadsheetFailedText(fileName, korean);
    return result;
}

QString exportFileName(const QString& chosen, const QString& extension) {
    const QString name = chosen.trimmed();
    if (name.isEmpty())
        return {};
    const QFileInfo info(name);
    const QString suffix = info.suffix();
    if (suffix.isEmpty() || info.fileName().startsWith('.'))
        return name + extension;
    return name.left(name.size() - suffix.size() - 1) + extension;
}

} // namespace nimbar
