// The exports of a board page's data, written from a copy: file names, the text layout byte for
// byte, the spreadsheet cells (also as an independent reader sees them), the memo log, and
// files that cannot be written.
#include "FileContents.h"
#include "processing/DateTimeValue.h"
#include "processing/InvalidValue.h"
#include "recording/ChartText.h"
#include "recording/ExportFileName.h"
#include "recording/LiveExport.h"
#include "recording/XlsWriter.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace nimbar;

namespace {

const QString kKoreanName = QString::fromUtf8("온도"); // code page 949: BF C2 B5 B5
const QByteArray kKoreanBytes = "\xBF\xC2\xB5\xB5";
// Converted while statics are made: the conversion's day zero must be a compile-time constant.
const double kStart = toDateTimeValue(QDateTime(QDate(2007, 3, 15), QTime(10, 0, 0)));

ExportTexts texts() {
    ExportTexts t;
    t.jobTitle = "Job 100%";
    t.serial = "S01";
    t.xAxisTitle = "Record Time";
    t.yAxisTitle = kKoreanName;
    for (int ch = 0; ch < kChannelCount; ++ch)
        t.channelNames[ch] = QString("CH%1").arg(ch);
    t.channelNames[1] = kKoreanName;
    t.startTime = kStart;
    return t;
}

// Two points 90 s apart; the second holds an invalid CH1 and a number wider than its column.
ChartSnapshot twoPoints() {
    ChartSnapshot chart;
    chart.times = {kStart + SecondsToTime(90), kStart + SecondsToTime(91)};
    for (int i = 0; i < kChannelCount; ++i)
        chart.values[i] = {double(i), double(i) + 0.5};
    chart.values[1][1] = InvalidValue;
    chart.values[2][1] = 12345678901.0;
    return chart;
}

} // namespace

class LiveExportTest : public QObject {
    Q_OBJECT
private slots:
    void fileNameIsDayDirectoryBoardLetterAndTime() {
        QTemporaryDir temp;
        const QString data = temp.filePath("Nimbar");
        const QString base =
            ExportFileName(data, 2, QDateTime(QDate(2007, 3, 15), QTime(14, 3, 7)));
        QCOMPARE(base, data + "/20070315/C140307");
        QVERIFY(QFileInfo(data + "/20070315").isDir()); // made with its parents
    }

    void textFileIsByteExact() {
        QTemporaryDir temp;
        const ExportOutcome saved = SaveChartTxt(temp.filePath("A"), texts(), twoPoints());
        QCOMPARE(saved.result, ExportOutcome::Result::Saved);
        QCOMPARE(saved.path, QDir::toNativeSeparators(temp.filePath("A.TXT")));
        const QByteArray expected =
            "Job 100%#S01#Record Time#" + kKoreanBytes + "#2007-03-15 10:00:00\r\n" +
            "         Time                 CH0       " + kKoreanBytes +
            "        CH2        CH3        CH4        CH5        CH6        CH7        CH8\r\n"
            "2007-03-15 10:01:30       0.00       1.00       2.00       3.00       4.00"
            "       5.00       6.00       7.00       8.00\r\n"
            "2007-03-15 10:01:31       0.50      -0.00 12345678901.00       3.50       4.50"
            "       5.50       6.50       7.50       8.50\r\n";
        QCOMPARE(fileContents(temp.filePath("A.TXT")), expected);

        // A series shorter than the first reads as invalid; nothing is read past its end.
        ChartSnapshot ragged = twoPoints();
        ragged.values[8].resize(1);
        QVERIFY(chartText(texts(), ragged).endsWith("      -0.00\r\n"));
    }

    void spreadsheetHoldsHeadRowsAndStarsForInvalidValues() {
        QTemporaryDir temp;
        ChartSnapshot chart = twoPoints();
        chart.times.resize(1);
        chart.values[3][0] = InvalidValue;
        QCOMPARE(SaveChartXls(temp.filePath("A"), texts(), chart).result,
                 ExportOutcome::Result::Saved);
        QByteArray expected = XlsWriter::bofRecord() + XlsWriter::labelRecord(0, 0, "Job 100%") +
                              XlsWriter::labelRecord(1, 0, "S01") +
                              XlsWriter::labelRecord(2, 0, "Record Time") +
                              XlsWriter::labelRecord(3, 0, kKoreanBytes) +
                              XlsWriter::labelRecord(4, 0, "2007-03-15 10:00:00") +
                              XlsWriter::labelRecord(0, 1, "Time");
        for (int i = 0; i < kChannelCount; ++i)
            expected += XlsWriter::labelRecord(
                i + 1, 1, i == 1 ? kKoreanBytes : QString("CH%1").arg(i).toLatin1());
        expected += XlsWriter::labelRecord(0, 2, "03-15 10:01:30");
        for (int i = 0; i < kChannelCount; ++i)
            expected += i == 3 ? XlsWriter::labelRecord(i + 1, 2, "*")
                               : XlsWriter::numberRecord(i + 1, 2, double(i));
        expected += XlsWriter::eofRecord();
        QCOMPARE(fileContents(temp.filePath("A.xls")), expected);
    }

    void spreadsheetReadsBackInAnIndependentReader() {
        QTemporaryDir temp;
        QVERIFY(SaveChartXls(temp.filePath("B"), texts(), twoPoints()).result ==
                ExportOutcome::Result::Saved);
        QProcess reader;
        reader.start(NIMBAR_SYSTEM_PYTHON,
                     {"-c",
                      "import sys, xlrd\n"
                      "s = xlrd.open_workbook(sys.argv[1], encoding_override='cp949')"
                      ".sheet_by_index(0)\n"
                      "for r in range(s.nrows):\n"
                      "    print('|'.join(str(c.value) for c in s.row(r)).rstrip('|'))\n",
                      temp.filePath("B.xls")});
        QVERIFY(reader.waitForFinished(30000));
        QVERIFY2(reader.exitCode() == 0, reader.readAllStandardError().constData());
        const QStringList rows =
            QString::fromUtf8(reader.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
        QCOMPARE(rows.size(), 4);
        QCOMPARE(rows[0], "Job 100%|S01|Record Time|" + kKoreanName + "|2007-03-15 10:00:00");
        QCOMPARE(rows[1], "Time|CH0|" + kKoreanName + "|CH2|CH3|CH4|CH5|CH6|CH7|CH8");
        QCOMPARE(rows[3], QString("03-15 10:01:31|0.5|*|12345678901.0|3.5|4.5|5.5|6.5|7.5|8.5"));
    }

    void longChartsLetTheWindowWorkEvery301Points() {
        QTemporaryDir temp;
        ChartSnapshot chart;
        chart.times.assign(602, kStart);
        int yields = 0;
        const ExportYield count = [&yields] { ++yields; };
        QCOMPARE(SaveChartTxt(temp.filePath("L"), texts(), chart, count).result,
                 ExportOutcome::Result::Saved);
        QCOMPARE(SaveChartXls(temp.filePath("L"), texts(), chart, count).result,
                 ExportOutcome::Result::Saved);
        QCOMPARE(yields, 4);
    }

    // Root writes into read-only directories, so the place of the file is taken instead.
    void unwritableFilesFailAndLeaveNothing() {
        QTemporaryDir temp;
        QVERIFY(QDir(temp.path()).mkpath("X.TXT"));
        QVERIFY(QDir(temp.path()).mkpath("X.xls"));
        QVERIFY(QDir(temp.path()).mkpath("X.LOG"));
        const QString base = temp.filePath("X");
        for (const ExportOutcome& failed :
             {SaveChartTxt(base, texts(), twoPoints()), SaveChartXls(base, texts(), twoPoints()),
              SaveMemoLog(base, {"line"})}) {
            QCOMPARE(failed.result, ExportOutcome::Result::Failed);
            QVERIFY(!failed.cause.isEmpty());
        }
        QCOMPARE(QDir(temp.path()).entryList(QDir::Files), QStringList());

        // A day directory that cannot be made: its place is a file.
        QFile blocker(temp.filePath("data/20070315"));
        QVERIFY(QDir(temp.path()).mkpath("data"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        const QString dayBase =
            ExportFileName(temp.filePath("data"), 0, QDateTime(QDate(2007, 3, 15), QTime(9, 0, 0)));
        QCOMPARE(SaveChartTxt(dayBase, texts(), twoPoints()).result, ExportOutcome::Result::Failed);
    }
};

QTEST_GUILESS_MAIN(LiveExportTest)
#include "tst_LiveExport.moc"
