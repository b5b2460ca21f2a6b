// The daily event log: where it lives, what one evaluation appends, and how a failure reads.
#include "processing/AlarmTexts.h"
#include "recording/EventLog.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace nimbar;

namespace {

const QDate kDay(2007, 3, 15);

QByteArray contents(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return "<missing>";
    return file.readAll();
}

} // namespace

class EventLogTest : public QObject {
    Q_OBJECT
private slots:
    void allBoardsShareTheDayFile() {
        QTemporaryDir temp;
        const QString data = temp.filePath("deep/Nimbar"); // parents made too
        const QString expected = QDir::toNativeSeparators(data + "/20070315/20070315.eve");
        QCOMPARE(eventLogPath(data, kDay), expected);

        const QByteArray boardC = "[3] t CH1 High Alarm(101.000), Max is 100.000. \r\n";
        const QByteArray boardA = "[1] t CH2 Low Alarm(-21.000), Min is -20.000. \r\n";
        auto r = AppendEvents(data, kDay, QString::fromLatin1(boardC));
        QVERIFY(r.written);
        QCOMPARE(r.path, expected);
        r = AppendEvents(data, kDay, QString::fromLatin1(boardA));
        QVERIFY(r.written);
        QCOMPARE(r.path, expected);
        QCOMPARE(contents(expected), boardC + boardA);
    }

    void aDayBeginsItsOwnFile() {
        QTemporaryDir temp;
        QVERIFY(AppendEvents(temp.path(), kDay, "a\r\n").written);
        QVERIFY(AppendEvents(temp.path(), kDay.addDays(1), "b\r\n").written);
        QCOMPARE(contents(temp.filePath("20070316/20070316.eve")), QByteArray("b\r\n"));
        QCOMPARE(contents(temp.filePath("20070315/20070315.eve")), QByteArray("a\r\n"));
    }

    void twoMessagesGoInAsTheyCame() {
        QTemporaryDir temp;
        const QString text = "[1] s CH1 High Alarm(150.000), Max is 100.000. \r\n"
                             "[1] s CH3 Low Alarm(-30.000), Min is -20.000. \r\n";
        QVERIFY(AppendEvents(temp.path(), kDay, text).written);
        // CR LF kept as they are, no translation, no header.
        QCOMPARE(contents(eventLogPath(temp.path(), kDay)), text.toLatin1());
    }

    void koreanTextIsStoredInCodePage949() {
        QTemporaryDir temp;
        QVERIFY(AppendEvents(temp.path(), kDay, QStringLiteral("[2] 하한 알람 파일\r\n")).written);
        QCOMPARE(contents(eventLogPath(temp.path(), kDay)), QByteArray::fromHex("5b325d20"
                                                                                "c7cfc7d120becbb6f7"
                                                                                "20"
                                                                                "c6c4c0cf"
                                                                                "0d0a"));
    }

    void unopenableFileNamesThePath() {
        QTemporaryDir temp;
        // A plain file where the data directory should be: nothing can be made under it.
        QFile blocker(temp.filePath("blocker"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        const QString data = temp.filePath("blocker/Nimbar");

        const auto r = AppendEvents(data, kDay, "x\r\n");
        QVERIFY(!r.written);
        QCOMPARE(r.path, eventLogPath(data, kDay));
        QVERIFY(!QFile::exists(r.path));
        QCOMPARE(cannotOpenFileText(r.path, false), "Cannot open file " + r.path);
        QCOMPARE(cannotOpenFileText(r.path, true), "파일 열기 실패 " + r.path);
    }
};

QTEST_GUILESS_MAIN(EventLogTest)

#include "tst_EventLog.moc"
