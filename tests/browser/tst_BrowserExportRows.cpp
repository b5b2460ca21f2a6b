// The browser's exports: Korean titles padded in bytes, rows as the formats say, the
// spreadsheet's row limit, and the streamed export of every record in time order.
#include "RecordingFiles.h"
#include "browser/BrowserExport.h"
#include "browser/BrowserTime.h"
#include "browser/ExportRows.h"
#include "browser/RecordingLoader.h"
#include "browser/StreamExport.h"
#include "processing/InvalidValue.h"
#include "settings/RecordText.h"

#include <QBuffer>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

using namespace nimbar;
using recfiles::Layout;

namespace {

const QDate kDay(2007, 3, 15);

QString streamed(const QStringList& paths, const LoadOptions& options, ExportFormat format,
                 BrowserDataSet& data) {
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    const StreamReport report = streamExport(paths, options, format, out, data);
    if (!report.written)
        return {};
    return QString::fromUtf8(out.data());
}

} // namespace

class BrowserExportRowsTest : public QObject {
    Q_OBJECT
private slots:
    void koreanTitlesArePaddedInBytes() {
        BrowserDataSet data;
        data.channelCount = 3;
        data.series[0].title = "온도";         // 4 bytes in code page 949
        data.series[1].title = "가나다라마바"; // 12 bytes: cut after the fifth syllable
        data.series[2].title = "T";
        data.series[0].x = {0.5};
        data.series[0].y = {1};
        const QByteArray text = browserTextBytes(data);
        const QList<QByteArray> lines = text.split('\n');
        QCOMPARE(lines[1], "         Time         " + encodeCp949("온도") + "      " +
                               encodeCp949("가나다라마") + "T         \r");
    }

    // As C's printf writes them, whatever the locale: exact ties to even, the sign of -0.
    void rowsFollowTheirFormats() {
        const auto printed = [](const char* format, double v) {
            char text[400];
            std::snprintf(text, sizeof text, format, v);
            return QByteArray(text);
        };
        const double values[] = {0.0,
                                 -0.0,
                                 1.0005,
                                 -123.4564,
                                 123456789.0,
                                 1e300,
                                 -1e-7,
                                 0.0625,
                                 99.9995,
                                 std::numeric_limits<double>::quiet_NaN(),
                                 -std::numeric_limits<double>::infinity(),
                                 InvalidValue};
        for (double v : values) {
            QByteArray row;
            ExportRowWriter(ExportFormat::Text, XAxisMode::ElapsedSeconds, 1).append(row, v, &v);
            const QByteArray column =
                v == InvalidValue ? QByteArray("         *") : printed(" %9.3f", v);
            QCOMPARE(row, printed("%14.1f    ", v) + column + "\r\n");
        }
        for (double x : {0.0, 39156.5, 39156.999994, 39157.0000057, -1.25, 2958465.99999})
            QCOMPARE(FormatXValue(x, XAxisMode::RecordTime),
                     QDateTime(QDate(1899, 12, 30), QTime(0, 0), Qt::UTC)
                         .addMSecs(std::llround(x * 86400000.0) / 1000 * 1000)
                         .toString("yyyy-MM-dd hh:mm:ss"));
        QCOMPARE(FormatXValue(-1.25, XAxisMode::ElapsedTime), QString("    -1 06:00:00"));
        QByteArray csv;
        const double row[] = {1.5, InvalidValue, 1.0 / 3};
        ExportRowWriter(ExportFormat::Csv, XAxisMode::ElapsedTime, 3).append(csv, 1.5, row);
        QCOMPARE(csv, QByteArray("1 12:00:00,1.5,,0.3333333333333333\r\n"));
    }

    void spreadsheetRefusesRowsItCannotNumber() {
        QTemporaryDir dir;
        BrowserDataSet data;
        data.series[0].x.assign(kXlsMaxPoints + 1, 1.0);
        data.series[0].y.assign(kXlsMaxPoints + 1, 1.0);
        const ExportResult result = ExportBrowserXls(data, dir.filePath("a.XLS"), false);
        QVERIFY(!result.written);
        QCOMPARE(result.status, QString("A spreadsheet holds at most 65534 data rows: use "
                                        "subsampling."));
        QVERIFY(!QFile::exists(dir.filePath("a.XLS")));
    }

    void streamedExportIsTheLoadsExportInTimeOrder() {
        QTemporaryDir dir;
        const double start = recfiles::dayValue(kDay, 10);
        const QString first = dir.filePath("100000.KRN");
        const QString second = dir.filePath("110000.KRN");
        QVERIFY(recfiles::write(first, Layout::Current, "A4", start, start, 700));
        QVERIFY(recfiles::write(second, Layout::Current, "A4", start, start + 1 / 24.0, 500));
        for (const ExportFormat format : {ExportFormat::Text, ExportFormat::Csv}) {
            for (int factor : {1, 3}) {
                const LoadOptions options{.subsampling = factor, .pointLimit = 0};
                BrowserDataSet loaded;
                LoadFiles({first, second}, loaded, options);
                const QByteArray whole = format == ExportFormat::Text ? browserTextBytes(loaded)
                                                                      : browserCsvBytes(loaded);
                BrowserDataSet data;
                QCOMPARE(streamed({first, second}, options, format, data).toUtf8(), whole);
                QCOMPARE(data.summary->records, qint64(loaded.points()));
                QCOMPARE(data.summary->channels[1].maximum,
                         *std::max_element(loaded.series[1].y.begin(), loaded.series[1].y.end()));
            }
        }

        // The clock set back by an hour inside the second file: its later records come first,
        // and records of equal times keep the order of the files.
        QByteArray bytes = recfiles::header(Layout::Current, "A4", start);
        for (int k = 0; k < 4; ++k)
            bytes += recfiles::record(Layout::Current, start + (3600 + k) / 86400.0, 100 + k);
        for (int k = 0; k < 3; ++k)
            bytes += recfiles::record(Layout::Current, start + (1 + k) / 86400.0, 200 + k);
        QFile file(second);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        file.close();
        BrowserDataSet data;
        const QStringList lines =
            streamed({first, second}, {.xMode = XAxisMode::ElapsedSeconds}, ExportFormat::Csv, data)
                .split("\r\n");
        QCOMPARE(lines.size(), 1 + 700 + 7 + 1);
        QVERIFY(lines[1].startsWith("0.0,1,"));
        QVERIFY(lines[2].startsWith("1.0,2,"));
        QVERIFY(lines[3].startsWith("1.0,200,"));
        QVERIFY(lines[4].startsWith("2.0,3,"));
        QVERIFY(lines[5].startsWith("2.0,201,"));
        QVERIFY(lines[700 + 4].startsWith("3600.0,100,"));
        QCOMPARE(data.summary->records, qint64(707));
    }
};

QTEST_GUILESS_MAIN(BrowserExportRowsTest)
#include "tst_BrowserExportRows.moc"
