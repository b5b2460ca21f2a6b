// Byte layout of recording files and the rules of their paths.
#include "processing/DateTimeValue.h"
#include "processing/InvalidValue.h"
#include "recording/RecordingFile.h"
#include "settings/BoardConfig.h"
#include "settings/RecordText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <cstring>

#include <sys/resource.h>

using namespace nimbar;

namespace {

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray doubleBytes(double value) {
    return QByteArray(reinterpret_cast<const char*>(&value), sizeof value);
}

QByteArray slot(const QByteArray& text, int size) {
    return text.leftJustified(size, '\0');
}

std::array<double, kChannelCount> ramp(double start) {
    std::array<double, kChannelCount> values{};
    for (int i = 0; i < kChannelCount; ++i)
        values[static_cast<std::size_t>(i)] = start + i;
    return values;
}

} // namespace

class RecordingFileTest : public QObject {
    Q_OBJECT
private slots:
    void headerAndRecordsAreByteExact() {
        QTemporaryDir dir;
        BoardConfig board = defaultBoardConfig(1, "D");
        setFieldText(board.serial, "ABCDEFGHIJKLMNO"); // 15 characters, 11 are kept
        setFieldText(board.xAxisTitle, "Time");
        const double start = toDateTimeValue(QDateTime(QDate(2007, 3, 15), QTime(9, 58, 7)));
        const QString path = dir.filePath("095807.KRN");
        QVERIFY(WriteRecordingHeader(path, buildRecordingHeader(board, start)));
        QVERIFY(AppendRecord(path, start, ramp(1.5)));

        QByteArray expected = slot("2.0.0", 11) + slot("Board B Data", 81) +
                              slot("Data Chart", 81) + slot("Time", 81) +
                              slot("Temperature (C)", 81);
        for (int ch = 0; ch < kChannelCount; ++ch)
            expected += slot(QString("B-%1       ").arg(ch).toLatin1(), 21);
        expected += slot("ABCDEFGHIJK", 12) + doubleBytes(start);
        QCOMPARE(expected.size(), 544);
        expected += doubleBytes(start);
        for (double value : ramp(1.5))
            expected += doubleBytes(value);
        QCOMPARE(readAll(path), expected);
    }

    void headerRewriteKeepsTheRecords() {
        QTemporaryDir dir;
        BoardConfig board = defaultBoardConfig(0, "D");
        const QString path = dir.filePath("x.KRN");
        QVERIFY(WriteRecordingHeader(path, buildRecordingHeader(board, 100.0)));
        for (int i = 0; i < 10; ++i)
            QVERIFY(AppendRecord(path, 100.0 + i, ramp(i)));
        const QByteArray before = readAll(path);
        setFieldText(board.jobTitle, "Renamed");
        QVERIFY(WriteRecordingHeader(path, buildRecordingHeader(board, 100.0)));
        const QByteArray after = readAll(path);
        QCOMPARE(after.size(), 544 + 10 * 80);
        QCOMPARE(after.mid(544), before.mid(544));
        QCOMPARE(after.mid(11, 8), QByteArray("Renamed\0", 8));
    }

    void partialRecordLeftByACrashIsCutBeforeTheNextAppend() {
        QTemporaryDir dir;
        const QString path = dir.filePath("crash.KRN");
        QVERIFY(WriteRecordingHeader(path, buildRecordingHeader(defaultBoardConfig(0, "D"), 1.0)));
        QVERIFY(AppendRecord(path, 1.0, ramp(1)));
        {
            QFile file(path);
            QVERIFY(file.open(QIODevice::Append));
            file.write(QByteArray(37, '\x55')); // the power went while a record was written
        }
        QVERIFY(AppendRecord(path, 2.0, ramp(2)));
        const QByteArray bytes = readAll(path);
        QCOMPARE(bytes.size(), 544 + 2 * 80);
        QCOMPARE(bytes.mid(544 + 80, 8), doubleBytes(2.0));
    }

    void fullDiskLosesWholeRecordsOnlyAndRecordingResumes() {
        QTemporaryDir dir;
        const QString path = dir.filePath("full.KRN");
        QVERIFY(WriteRecordingHeader(path, buildRecordingHeader(defaultBoardConfig(0, "D"), 1.0)));
        QVERIFY(AppendRecord(path, 1.0, ramp(1)));
        // The disk fills up 40 bytes into the next record: a file-size limit, its signal ignored,
        // makes the write stop there as a full disk does.
        rlimit saved{};
        QVERIFY(::getrlimit(RLIMIT_FSIZE, &saved) == 0);
        const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit full = saved;
        full.rlim_cur = 544 + 80 + 40;
        QVERIFY(::setrlimit(RLIMIT_FSIZE, &full) == 0);
        const bool lost1 = !AppendRecord(path, 2.0, ramp(2));
        const bool lost2 = !AppendRecord(path, 3.0, ramp(3));
        const qint64 sizeWhileFull = QFileInfo(path).size();
        ::setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previousHandler);
        QVERIFY(lost1 && lost2);
        QCOMPARE(sizeWhileFull, 544 + 80);
        // Space is back.
        QVERIFY(AppendRecord(path, 4.0, ramp(4)));
        const QByteArray bytes = readAll(path);
        QCOMPARE(bytes.size(), 544 + 2 * 80);
        QCOMPARE(bytes.mid(544 + 80, 8), doubleBytes(4.0));
    }

    void classOneSlotsHoldTheInvalidValue() {
        QTemporaryDir dir;
        std::array<double, kChannelCount> values = ramp(0);
        for (int ch = 5; ch < kChannelCount; ++ch)
            values[static_cast<std::size_t>(ch)] = InvalidValue;
        QVERIFY(AppendRecord(dir.filePath("r.KRN"), 1.0, values));
        const QByteArray bytes = readAll(dir.filePath("r.KRN"));
        for (int ch = 5; ch < kChannelCount; ++ch)
            QCOMPARE(bytes.mid(8 + 8 * ch, 8), QByteArray::fromHex("59e6087481261dbf"));
    }

    void pathsFollowDayBoardAndTime() {
        QTemporaryDir dir;
        int hour = -1;
        const QString base =
            RecordingBasePath(dir.path(), 2, QDateTime(QDate(2007, 3, 15), QTime(10, 0, 7)), hour);
        QCOMPARE(QDir::fromNativeSeparators(base), dir.path() + "/20070315/C/100007");
        QCOMPARE(hour, 10);
        QVERIFY(QDir(dir.path() + "/20070315/C").exists());
        RecordingBasePath(dir.path(), 2, QDateTime(QDate(2007, 3, 16), QTime(0, 0, 59)), hour);
        QCOMPARE(hour, 0);
        QVERIFY(QDir(dir.path() + "/20070316/C").exists());
    }

    void failedAppendLeavesTheFileAndALaterOneSucceeds() {
        QTemporaryDir dir;
        const QString path = dir.filePath("ro.KRN");
        QVERIFY(AppendRecord(path, 1.0, ramp(0)));
        QFile::setPermissions(path, QFile::ReadOwner);
        const bool root = QFile(path).open(QIODevice::ReadWrite); // root ignores permissions
        if (!root) {
            QVERIFY(!AppendRecord(path, 2.0, ramp(1)));
            QCOMPARE(QFileInfo(path).size(), 80);
        }
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
        QVERIFY(AppendRecord(path, 3.0, ramp(2)));
        QCOMPARE(QFileInfo(path).size() % 80, 0);

        // A directory where the file should be: nothing written, nothing reported as written.
        QDir().mkpath(dir.filePath("blocked.KRN"));
        QVERIFY(!AppendRecord(dir.filePath("blocked.KRN"), 1.0, ramp(0)));
        QVERIFY(!WriteRecordingHeader(dir.filePath("blocked.KRN"),
                                      buildRecordingHeader(defaultBoardConfig(0, ""), 0)));
    }

    void dateTimeValuesRoundTripToTheMillisecond() {
        const QDateTime t(QDate(2006, 12, 27), QTime(9, 5, 3, 250));
        QCOMPARE(fromDateTimeValue(toDateTimeValue(t)), t);
        QCOMPARE(toDateTimeValue(QDateTime(QDate(1899, 12, 31), QTime(12, 0))), 1.5);
        QCOMPARE(LongTimeText(toDateTimeValue(t)), QString("2006-12-27 09:05:03"));
        QCOMPARE(ShortTimeText(toDateTimeValue(t)), QString("12-27 09:05:03"));
        // 11:00:00 never reads as 10:59:59 through the floating point.
        const double eleven = toDateTimeValue(QDateTime(QDate(2026, 1, 1), QTime(11, 0)));
        QCOMPARE(LongTimeText(eleven), QString("2026-01-01 11:00:00"));
        QCOMPARE(SecondsToTime(35000) * 86400.0, 35000.0);
        QCOMPARE(qRound(SecondsToTime(350) * 86400.0), 350);
    }
};

QTEST_GUILESS_MAIN(RecordingFileTest)
#include "tst_RecordingFile.moc"
