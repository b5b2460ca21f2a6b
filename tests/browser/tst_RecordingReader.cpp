// The recorded-file reader on files of all three layouts: range scan, load, subsampling, the
// point limit, the X-axis modes and the status texts.
#include "RecordingFiles.h"
#include "browser/BrowserTime.h"
#include "browser/RangeScan.h"
#include "browser/RecordingLoader.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace nimbar;
using recfiles::Layout;

namespace {

const QDate kDay(2007, 3, 15);

QString dayFile(const QTemporaryDir& data, const QDate& date, const QString& name,
                QChar board = 'B') {
    return dayDirectory(data.path(), date, board) + '/' + name;
}

std::vector<double> firstValues(const BrowserSeries& s) {
    return s.y;
}

} // namespace

class RecordingReaderTest : public QObject {
    Q_OBJECT
private slots:
    void rangeTakesFilesByStartingHour() {
        QTemporaryDir data;
        for (const char* name : {"095807.KRN", "100007.KRN", "113000.KRN", "120000.KRN",
                                 "notes.KRN", "1x0000.KRN", "110000.TXT"})
            QVERIFY(recfiles::write(dayFile(data, kDay, name), Layout::Current, "A4001",
                                    recfiles::dayValue(kDay, 9), recfiles::dayValue(kDay, 10), 1));
        const RangeScanResult scan = scanRecordingRange(data.path(), 'B', kDay, 10, kDay, 12);
        QCOMPARE(scan.paths, QStringList({dayFile(data, kDay, "100007.KRN"),
                                          dayFile(data, kDay, "113000.KRN")}));
        QCOMPARE(scan.lastDirectory, dayDirectory(data.path(), kDay, 'B'));
        // Another board's letter finds nothing; an end before the start selects nothing.
        QVERIFY(scanRecordingRange(data.path(), 'A', kDay, 0, kDay, 23).paths.isEmpty());
        QVERIFY(scanRecordingRange(data.path(), 'B', kDay, 12, kDay, 10).paths.isEmpty());
        QVERIFY(scanRecordingRange(data.path(), 'B', kDay.addDays(1), 0, kDay, 23).paths.isEmpty());
        BrowserDataSet chart;
        chart.series[3].x = {1.0};
        const LoadReport report = LoadFiles({}, chart, {});
        QCOMPARE(report.status, QString("No data!!"));
        QCOMPARE(chart.series[3].count(), 1); // the chart keeps what it showed
        QCOMPARE(LoadFiles({}, chart, {.korean = true}).status,
                 QString("해당하는 내용이 없습니다."));
    }

    void rangeOverThreeDatesIsInTimeOrder() {
        QTemporaryDir data;
        const QStringList names{"220000.KRN", "230000.KRN"};
        for (int d = 0; d < 3; ++d)
            for (const QString& name : names + QStringList{"000000.KRN", "050000.KRN"})
                QVERIFY(recfiles::write(dayFile(data, kDay.addDays(d), name), Layout::Current, "A4",
                                        0, 0, 1));
        const RangeScanResult scan =
            scanRecordingRange(data.path(), 'B', kDay, 23, kDay.addDays(2), 5);
        QCOMPARE(scan.paths, QStringList({dayFile(data, kDay, "230000.KRN"),
                                          dayFile(data, kDay.addDays(1), "000000.KRN"),
                                          dayFile(data, kDay.addDays(1), "050000.KRN"),
                                          dayFile(data, kDay.addDays(1), "220000.KRN"),
                                          dayFile(data, kDay.addDays(1), "230000.KRN"),
                                          dayFile(data, kDay.addDays(2), "000000.KRN")}));
    }

    void everyLayoutGivesItsTitlesAndValues_data() {
        QTest::addColumn<int>("layout");
        QTest::addColumn<QByteArray>("serial");
        QTest::addColumn<int>("channels");
        QTest::newRow("2.0.0, 9 channels") << int(Layout::Current) << QByteArray("A4123") << 9;
        QTest::newRow("2.0.0, serial A2") << int(Layout::Current) << QByteArray("A2123") << 7;
        QTest::newRow("2.0.0, serial A3") << int(Layout::Current) << QByteArray("A3123") << 7;
        QTest::newRow("old 7-channel") << int(Layout::Old7) << QByteArray("A3999") << 7;
        QTest::newRow("old 9-channel") << int(Layout::Old9) << QByteArray("A4777") << 9;
    }
    void everyLayoutGivesItsTitlesAndValues() {
        QFETCH(int, layout);
        QFETCH(QByteArray, serial);
        QFETCH(int, channels);
        QTemporaryDir data;
        const QString path = data.filePath("100000.KRN");
        const double start = recfiles::dayValue(kDay, 10);
        QVERIFY(recfiles::write(path, Layout(layout), serial, start, start, 3));
        // A record still being written is no record.
        QFile file(path);
        QVERIFY(file.open(QIODevice::Append));
        file.write(QByteArray(30, '\1'));
        file.close();

        BrowserDataSet chart;
        chart.series[8].title = "earlier";
        const LoadReport report = LoadFiles({path}, chart, {});
        QCOMPARE(report.outcome, LoadOutcome::Loaded);
        QCOMPARE(report.status, QString("Total data are 3"));
        QCOMPARE(chart.channelCount, channels);
        QCOMPARE(chart.jobTitle, QString("Job"));
        QCOMPARE(chart.chartTitle, QString("Chart"));
        QCOMPARE(chart.xAxisTitle, QString("Record Time(hh:mm:ss)"));
        QCOMPARE(chart.yAxisTitle, QString("Y"));
        QCOMPARE(chart.serial, QString(serial));
        QCOMPARE(chart.startText, QString("2007-03-15 10:00:00"));
        QCOMPARE(chart.series[1].title, QString("Ch 1"));
        QCOMPARE(chart.series[6].count(), 3);
        QCOMPARE(chart.series[6].y, std::vector<double>({7, 8, 9}));
        QCOMPARE(chart.series[0].x[2], start + 2 / 86400.0);
        QCOMPARE(chart.series[7].count(), channels == 9 ? 3 : 0);
        QCOMPARE(chart.series[8].title, channels == 9 ? QString("Ch 8") : QString("earlier"));
    }

    void subsamplingRestartsInEveryFile() {
        QTemporaryDir data;
        const QStringList paths{data.filePath("100000.KRN"), data.filePath("110000.KRN")};
        QVERIFY(recfiles::write(paths[0], Layout::Current, "A4", 0, 1, 10));
        QVERIFY(recfiles::write(paths[1], Layout::Old9, "A4", 0, 2, 10)); // skipped: other layout
        BrowserDataSet chart;
        QCOMPARE(LoadFiles(paths, chart, {.subsampling = 3}).totalPoints, 3);
        QCOMPARE(firstValues(chart.series[0]), std::vector<double>({3, 6, 9}));

        QVERIFY(recfiles::write(paths[1], Layout::Current, "A4", 0, 2, 10));
        const LoadReport report = LoadFiles(paths, chart, {.subsampling = 3});
        QCOMPARE(report.totalPoints, 6);
        QCOMPARE(firstValues(chart.series[0]), std::vector<double>({3, 6, 9, 3, 6, 9}));
        QCOMPARE(firstValues(chart.series[4]), std::vector<double>({7, 10, 13, 7, 10, 13}));
    }

    void limitStopsAtExactly3600WithItsMessage() {
        QTemporaryDir data;
        const QStringList paths{data.filePath("a.KRN"), data.filePath("b.KRN")};
        QVERIFY(recfiles::write(paths[0], Layout::Current, "A4", 0, 1, 3000));
        QVERIFY(recfiles::write(paths[1], Layout::Current, "A4", 0, 2, 600));
        BrowserDataSet chart;
        int pumps = 0;
        LoadReport report = LoadFiles(paths, chart, {}, [&] { return ++pumps > 0; });
        QCOMPARE(report.outcome, LoadOutcome::LimitReached);
        QCOMPARE(report.totalPoints, 3600);
        QCOMPARE(chart.series[0].count(), 3600);
        QCOMPARE(report.status, QString("Too many data!!! Use subsampling.(Max=3600)"));
        QCOMPARE(pumps, 3001 / 301 + 601 / 301);
        report = LoadFiles(paths, chart, {.xMode = XAxisMode::ElapsedSeconds, .korean = true});
        QCOMPARE(report.status,
                 QString("데이터가 너무 많습니다. 서브샘플링 기능을 사용하십시오. (최대=3600)"));
        report = LoadFiles(paths, chart, {.pointLimit = 0});
        QCOMPARE(report.totalPoints, 3600);
        QCOMPARE(report.outcome, LoadOutcome::Loaded);
        // A pump that says stop ends the load with what it has.
        report = LoadFiles(paths, chart, {}, [] { return false; });
        QCOMPARE(report.outcome, LoadOutcome::Aborted);
        QCOMPARE(chart.series[0].count(), 300);
    }

    void xAxisModes() {
        QTemporaryDir data;
        const QString path = data.filePath("a.KRN");
        const double start = recfiles::dayValue(kDay, 10);
        QByteArray bytes = recfiles::header(Layout::Current, "A4", start);
        bytes +=
            recfiles::record(Layout::Current, start + 1 + (2 * 3600 + 3 * 60 + 4.5) / 86400.0, 1);
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        file.close();
        BrowserDataSet chart;
        LoadFiles({path}, chart, {.xMode = XAxisMode::ElapsedSeconds});
        QCOMPARE(chart.series[0].x[0], 93784.5);
        QVERIFY(!chart.xIsDateTime());
        QCOMPARE(chart.xAxisTitle, QString(" Time (sec)"));
        QCOMPARE(FormatXValue(93784.5, XAxisMode::ElapsedSeconds), QString("       93784.5    "));
        LoadFiles({path}, chart, {.xMode = XAxisMode::ElapsedTime, .korean = true});
        QCOMPARE(chart.xAxisTitle, QString("경과시간(hh:mm:ss)"));
        QCOMPARE(FormatXValue(chart.series[0].x[0], chart.xMode), QString("     1 02:03:04"));
        QCOMPARE(FormatXValue(start, XAxisMode::RecordTime), QString("2007-03-15 10:00:00"));
        QCOMPARE(ElapsedSeconds(-1.5), -129600.0);
    }

    void firstFileDecides() {
        QTemporaryDir data;
        const QString current = data.filePath("a.KRN");
        const QString old9 = data.filePath("b.KRN");
        const QString strange = data.filePath("c.KRN");
        QVERIFY(recfiles::write(current, Layout::Current, "A4", 0, 1, 4));
        QVERIFY(recfiles::write(old9, Layout::Old9, "A4", 0, 2, 5));
        QVERIFY(recfiles::write(strange, Layout::Old9, "B4", 0, 2, 5));
        BrowserDataSet chart;
        QCOMPARE(LoadFiles({current, old9}, chart, {}).totalPoints, 4);
        QCOMPARE(LoadFiles({old9, current, data.filePath("gone.KRN")}, chart, {}).totalPoints, 5);

        LoadReport report = LoadFiles({strange, current}, chart, {});
        QCOMPARE(report.status, QString("It's not supported file format"));
        QCOMPARE(chart.series[0].count(), 0);
        report = LoadFiles({data.filePath("gone.KRN"), current}, chart, {.korean = true});
        QCOMPARE(report.outcome, LoadOutcome::OpenFailed);
        QCOMPARE(report.status, QString("파일을 읽어들이는 데 오류가 발생하였습니다."));
    }

    void writeProtectedFileLoads() {
        QTemporaryDir data;
        const QString path = data.filePath("100000.KRN");
        QVERIFY(recfiles::write(path, Layout::Current, "A4", 0, 1, 2));
        QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup));
        BrowserDataSet chart;
        QCOMPARE(LoadFiles({path}, chart, {}).totalPoints, 2);
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }
};

QTEST_GUILESS_MAIN(RecordingReaderTest)
#include "tst_RecordingReader.moc"
