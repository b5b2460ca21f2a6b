// Runs the built nimbar-export: what it writes, what it says, and its exit statuses.
#include "FileContents.h"
#include "RecordingFiles.h"
#include "ToolRun.h"
#include "browser/RangeScan.h"
#include "processing/InvalidValue.h"
#include "recording/XlsWriter.h"
#include "settings/RecordText.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace nimbar;
using recfiles::Layout;

namespace {

const QDate kDay(2007, 3, 15);

} // namespace

class NimbarExportTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        const QString binDir = qEnvironmentVariable("NIMBAR_BIN_DIR");
        if (binDir.isEmpty())
            QSKIP("NIMBAR_BIN_DIR is not set: run through ctest");
        program = binDir + "/tools/nimbar-export/nimbar-export";
        QVERIFY2(QFileInfo(program).isExecutable(), qPrintable(program));
        QVERIFY(data.isValid());
        start = recfiles::dayValue(kDay, 10);
        file10 = dayDirectory(data.path(), kDay, 'C') + "/100000.KRN";
        file11 = dayDirectory(data.path(), kDay, 'C') + "/110000.KRN";
        QVERIFY(recfiles::write(file10, Layout::Current, "A4", start, start, 5));
        QVERIFY(recfiles::write(file11, Layout::Current, "A4", start, start + 1 / 24.0, 20));
        // One missing measurement in the first record of the first file, and a title with a comma.
        QFile f(file10);
        QVERIFY(f.open(QIODevice::ReadWrite));
        f.seek(544 + 8 + 8 * 2);
        const double invalid = InvalidValue;
        f.write(reinterpret_cast<const char*>(&invalid), 8);
        f.seek(335 + 21 * 1);
        f.write(QByteArray("a,\"b\"").leftJustified(21, '\0'));
    }

    void textIsTheBrowsersExport() {
        const QString out = data.filePath("out.txt");
        const Result r = run({file10, file11, "--out", out, "--x-axis", "seconds"});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.err, QByteArray("Total data are 25\nSaved as " + out.toUtf8() + "\n"));
        const QList<QByteArray> lines = fileContents(out).split('\n');
        QCOMPARE(lines.size(), 2 + 25 + 1);
        QCOMPARE(lines[0], QByteArray("Chart # Y # 2007-03-15 10:00:00\r"));
        QVERIFY(lines[1].startsWith("         Time         Ch 0      a,\"b\"     Ch 2      "));
        QCOMPARE(lines[2], QByteArray("           0.0    ") + "     1.000     2.000         *" +
                               "     4.000     5.000     6.000     7.000     8.000     9.000\r");
        QVERIFY(lines[7].startsWith(QByteArray("        3600.0    ") + "     1.000"));
    }

    void csvToStandardOutput() {
        const Result r = run({file10, "--out", "-", "--format", "csv", "--x-axis", "elapsed"});
        QCOMPARE(r.exitCode, 0);
        const QList<QByteArray> lines = r.out.split('\n');
        QCOMPARE(lines[0],
                 QByteArray("Time,Ch 0,\"a,\"\"b\"\"\",Ch 2,Ch 3,Ch 4,Ch 5,Ch 6,Ch 7,Ch 8\r"));
        QCOMPARE(lines[1], QByteArray("0 00:00:00,1,2,,4,5,6,7,8,9\r"));
        QCOMPARE(lines[2], QByteArray("0 00:00:01,2,3,4,5,6,7,8,9,10\r"));
    }

    void spreadsheetAndRangeScan() {
        const QString out = data.filePath("range.xls");
        const Result r =
            run({"--board", "c", "--from", "20070315-11", "--to", "20070315-12", "--data",
                 data.path(), "--out", out, "--subsample", "10", "--korean"});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(QString::fromUtf8(r.err).split('\n').first(), QString("2개 데이터를 읽었습니다."));
        const QByteArray xls = fileContents(out);
        QVERIFY(xls.startsWith(XlsWriter::bofRecord() + XlsWriter::labelRecord(0, 0, "Chart")));
        QVERIFY(xls.endsWith(XlsWriter::numberRecord(9, 3, 28) + XlsWriter::eofRecord()));
    }

    void limitAndSmoothing() {
        const Result r =
            run({file11, "--out", "-", "--format", "csv", "--limit", "12", "--smooth", "1"});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.err, QByteArray("Too many data!!! Use subsampling.(Max=3600)\n"));
        const QList<QByteArray> lines = r.out.trimmed().split('\n');
        QCOMPARE(lines.size(), 13);
        QVERIFY(lines[5].contains(",5,6,7,")); // the first five points stay
    }

    void exitStatuses_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("message");
        const QString empty = data.filePath("empty.KRN");
        QVERIFY(recfiles::write(empty, Layout::Current, "A4", start, start, 0));
        const QString out = QDir::tempPath() + "/nimbar-export-never.txt";
        QTest::newRow("no data") << QStringList{"--board", "A",
                                                "--from",  "20070315-00",
                                                "--to",    "20070316-00",
                                                "--data",  "/nonexistent",
                                                "--out",   out}
                                 << 1 << QByteArray("No data!!\n");
        QTest::newRow("missing first file") << QStringList{"/nonexistent/100000.KRN", "--out", out}
                                            << 1 << QByteArray("Some errors!\n");
        QTest::newRow("no files") << QStringList{"--out", out} << 2 << QByteArray();
        QTest::newRow("no record, streamed")
            << QStringList{empty, "--limit", "0", "--format", "csv", "--out", "-"} << 1
            << QByteArray("Total data are 0\nNo data!!\n");
        QTest::newRow("no out") << QStringList{"x.KRN"} << 2 << QByteArray();
        QTest::newRow("xls to stdout")
            << QStringList{"x.KRN", "--out", "-", "--format", "xls"} << 2 << QByteArray();
        QTest::newRow("bad mode") << QStringList{"x.KRN", "--out", out, "--x-axis", "days"} << 2
                                  << QByteArray();
        QTest::newRow("bad factor")
            << QStringList{"x.KRN", "--out", out, "--subsample", "101"} << 2 << QByteArray();
        QTest::newRow("bad hour") << QStringList{"--board", "A",           "--from", "20070315-24",
                                                 "--to",    "20070316-00", "--out",  out}
                                  << 2 << QByteArray();
        QTest::newRow("files and range")
            << QStringList{"x.KRN", "--board",     "A",     "--from", "20070315-00",
                           "--to",  "20070316-00", "--out", out}
            << 2 << QByteArray();
    }
    void exitStatuses() {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QByteArray, message);
        const Result r = run(arguments);
        QCOMPARE(r.exitCode, status);
        if (!message.isEmpty())
            QCOMPARE(r.err, message);
        QVERIFY(r.out.isEmpty());
        QVERIFY(!QFile::exists(QDir::tempPath() + "/nimbar-export-never.txt"));
    }

    void versionAnswers() {
        const Result r = run({"--version"});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out, QByteArray("nimbar-export Ver 2.0.2\n"));
    }

    void autoGivesTheStatisticsOfEveryRecord() {
        Result r = run({file10, file11, "--subsample", "auto", "--statistics"});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.err, QByteArray("Total data are 25\n"));
        QList<QByteArray> lines = r.out.split('\n');
        QCOMPARE(lines[2],
                 QByteArray("Every record, 25: 2007-03-15 10:00:00 - 2007-03-15 11:00:19"));
        // Channel 1 holds 2..6 and 2..21.
        QCOMPARE(lines[4],
                 QByteArray("CH1: Count=25,  Average=10.00, Max=21.00, Min=2.00, Std=6.00"));
        QCOMPARE(lines.size(), 3 + 9 + 2);

        // Four points at most: the envelope, with the statistics of all 25 records.
        const QString out = data.filePath("envelope.csv");
        r = run(
            {file10, file11, "--subsample", "auto", "--limit", "4", "--out", out, "--statistics"});
        QCOMPARE(r.exitCode, 0);
        QVERIFY(r.err.startsWith("Total data are 25, drawn as their minimum and maximum in 4"));
        QCOMPARE(fileContents(out).count('\n'), 1 + 4);
        QCOMPARE(r.out.split('\n')[4], lines[4]);
    }

    void everyRecordStreams() {
        const Result all = run(
            {file10, file11, "--limit", "0", "--format", "csv", "--out", "-", "--subsample", "2"});
        const Result loaded = run({file10, file11, "--limit", "1000", "--format", "csv", "--out",
                                   "-", "--subsample", "2"});
        QCOMPARE(all.exitCode, 0);
        QCOMPARE(all.out, loaded.out);
        QCOMPARE(all.out.count('\n'), 1 + 2 + 10);
        QCOMPARE(all.err, QByteArray("Total data are 12\n"));
    }

    void spreadsheetNeverWraps() {
        // 70,000 records: more than the 65,536 rows a sheet numbers.
        const QString many = data.filePath("many.KRN");
        QVERIFY(recfiles::write(many, Layout::Current, "A4", start, start, 70'000));
        const QString out = data.filePath("many.xls");
        const Result r = run({many, "--limit", "0", "--out", out});
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(r.err, QByteArray("A spreadsheet holds at most 65534 data rows: use "
                                   "subsampling.\n"));
        QVERIFY(!QFile::exists(out));
    }

    void koreanTitlesKeepTheirColumns() {
        const QString korean = data.filePath("korean.KRN");
        QByteArray bytes =
            recfiles::header(Layout::Current, "A4", start, {encodeCp949("온도"), "T"});
        bytes += recfiles::record(Layout::Current, start, 1);
        QFile file(korean);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        file.close();
        const Result r = run({korean, "--format", "txt", "--out", "-"});
        QCOMPARE(r.exitCode, 0);
        // Ten bytes of code page 949 per title: the two syllables take four.
        QVERIFY(r.out.split('\n')[1].startsWith("         Time         " + encodeCp949("온도") +
                                                "      T         "));
    }

    void unsupportedFirstFile() {
        const QString strange = data.filePath("strange.KRN");
        QVERIFY(recfiles::write(strange, Layout::Old9, "B4", 0, 0, 3));
        const Result r = run({strange, file10, "--out", data.filePath("x.csv")});
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(r.err, QByteArray("It's not supported file format\n"));
        QVERIFY(!QFile::exists(data.filePath("x.csv")));
    }

private:
    using Result = ToolResult;
    Result run(const QStringList& arguments) { return runTool(program, arguments); }

    QString program;
    QTemporaryDir data;
    double start = 0;
    QString file10, file11;
};

QTEST_GUILESS_MAIN(NimbarExportTest)
#include "tst_nimbarexport.moc"
