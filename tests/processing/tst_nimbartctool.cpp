#include "ToolRun.h"

#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

#include <cmath>

// Runs the built nimbar-tc and checks what a script relies on: the exit status, one number with
// six decimals on standard output, one line on standard error.
class TestNimbarTcTool : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void convertsAndPrintsSixDecimals_data();
    void convertsAndPrintsSixDecimals();
    void badInputIsOneLineAndStatusOne_data();
    void badInputIsOneLineAndStatusOne();
    void wrongUsageIsStatusTwo_data();
    void wrongUsageIsStatusTwo();
    void helpIsStatusZero();

private:
    using Result = ToolResult;
    Result run(const QStringList& arguments) { return runTool(program, arguments); }

    QString program;
};

void TestNimbarTcTool::initTestCase() {
    const QString binDir = qEnvironmentVariable("NIMBAR_BIN_DIR");
    if (binDir.isEmpty())
        QSKIP("NIMBAR_BIN_DIR is not set: run through ctest");
    program = binDir + "/tools/nimbar-tc/nimbar-tc";
    QVERIFY2(QFileInfo(program).isExecutable(), qPrintable(program));
}

void TestNimbarTcTool::convertsAndPrintsSixDecimals_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<double>("expected");
    QTest::addColumn<double>("tolerance");

    // Published NIST values.
    QTest::newRow("emf K 100") << QStringList{"emf", "K", "100"} << 4.096 << 0.0005;
    QTest::newRow("emf lower-case type") << QStringList{"emf", "k", "25"} << 1.000 << 0.0005;
    QTest::newRow("emf T -200") << QStringList{"emf", "T", "-200"} << -5.603 << 0.0005;
    QTest::newRow("emf K 0") << QStringList{"emf", "K", "0"} << 0.0 << 0.0;
    QTest::newRow("temp J 30") << QStringList{"temp", "J", "30"} << 546.2 << 0.05;
    QTest::newRow("temp with reference")
        << QStringList{"temp", "K", "3.096", "25"} << 100.0 << 0.065;
    QTest::newRow("temp R 19.732") << QStringList{"temp", "R", "19.732"} << 1664.0 << 0.04;
}

void TestNimbarTcTool::convertsAndPrintsSixDecimals() {
    QFETCH(QStringList, arguments);
    QFETCH(double, expected);
    QFETCH(double, tolerance);
    const Result r = run(arguments);
    QCOMPARE(r.exitCode, 0);
    QVERIFY2(QRegularExpression(R"(^-?\d+\.\d{6}\n$)").match(QString::fromLatin1(r.out)).hasMatch(),
             r.out.constData());
    QVERIFY(r.err.isEmpty());
    QVERIFY2(std::abs(r.out.trimmed().toDouble() - expected) <= tolerance, r.out.constData());
}

void TestNimbarTcTool::badInputIsOneLineAndStatusOne_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("unknown type") << QStringList{"emf", "X", "10"};
    QTest::newRow("two-letter type") << QStringList{"temp", "KK", "1"};
    QTest::newRow("temperature above K") << QStringList{"emf", "K", "1372.001"};
    QTest::newRow("temperature below R") << QStringList{"emf", "R", "-51"};
    QTest::newRow("EMF below B") << QStringList{"temp", "B", "0.2"};
    QTest::newRow("EMF plus reference above K") << QStringList{"temp", "K", "54", "25"};
    QTest::newRow("reference outside K") << QStringList{"temp", "K", "1", "5000"};
    QTest::newRow("not a number") << QStringList{"emf", "K", "abc"};
    QTest::newRow("trailing garbage") << QStringList{"emf", "K", "12x"};
    QTest::newRow("NaN") << QStringList{"emf", "K", "nan"};
    QTest::newRow("empty") << QStringList{"temp", "K", ""};
    QTest::newRow("reference not a number") << QStringList{"temp", "K", "1", "warm"};
}

void TestNimbarTcTool::badInputIsOneLineAndStatusOne() {
    QFETCH(QStringList, arguments);
    const Result r = run(arguments);
    QCOMPARE(r.exitCode, 1);
    QVERIFY(r.out.isEmpty());
    QVERIFY2(r.err.startsWith("nimbar-tc: ") && r.err.endsWith('\n') && r.err.count('\n') == 1,
             r.err.constData());
}

void TestNimbarTcTool::wrongUsageIsStatusTwo_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("nothing") << QStringList{};
    QTest::newRow("unknown command") << QStringList{"volts", "K", "1"};
    QTest::newRow("emf without temperature") << QStringList{"emf", "K"};
    QTest::newRow("emf with a reference") << QStringList{"emf", "K", "1", "2"};
    QTest::newRow("temp with too much") << QStringList{"temp", "K", "1", "2", "3"};
    QTest::newRow("help with more") << QStringList{"--help", "emf"};
}

void TestNimbarTcTool::wrongUsageIsStatusTwo() {
    QFETCH(QStringList, arguments);
    const Result r = run(arguments);
    QCOMPARE(r.exitCode, 2);
    QVERIFY(r.out.isEmpty());
    QVERIFY2(r.err.startsWith("Usage: nimbar-tc"), r.err.constData());
}

void TestNimbarTcTool::helpIsStatusZero() {
    const Result r = run({"--help"});
    QCOMPARE(r.exitCode, 0);
    QVERIFY(r.out.startsWith("Usage: nimbar-tc"));
    QVERIFY(r.out.contains("REF_TEMP_C"));
    QVERIFY(r.err.isEmpty());
}

QTEST_GUILESS_MAIN(TestNimbarTcTool)
#include "tst_nimbartctool.moc"
