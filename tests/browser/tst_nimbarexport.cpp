// Runs the built nimbar-export: what it writes, what it says, and its exit statuses.
#include "FileContents.h"
#include "RecordingFiles.h"
#include "ToolRun.h"
#include "browser/RangeScan.h"
#include "processing/InvalidValue.h"
#include "recording/XlsWriter.h"

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
