// The engine's sample pipeline, fed with lines built here and a clock set by the test.
#include "EngineFixture.h"
#include "processing/ChannelConversion.h"
#include "processing/ColdJunction.h"
#include "processing/DateTimeValue.h"
#include "processing/InvalidValue.h"
#include "recording/RecordingFile.h"
#include "settings/RecordText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTest>

#include <cstring>

#include <unistd.h>

using namespace nimbar;

namespace {

QByteArray classTwoLine(double referenceC, int channelCode = 0x000100) {
    const auto raw = static_cast<unsigned>(qRound(referenceC * 25600.0)) & 0xFFFFFF;
    QByteArray line = QByteArray::number(raw, 16).toUpper().rightJustified(6, '0');
    for (int ch = 1; ch <= 8; ++ch)
        line += ", " + QByteArray::number(channelCode, 16).toUpper().rightJustified(6, '0');
    return line + "\r\n";
}

struct PipelineFixture : EngineFixture {
    QDateTime now{QDate(2026, 3, 15), QTime(10, 59, 58)};

    Engine& startWith(const std::function<void(BoardConfigs&)>& edit) {
        writeSettings([&](BoardConfigs& boards) {
            boards[0].english = 1;
            edit(boards);
        });
        Engine& w = start();
        w.timer1().stop(); // the tests hand the lines over
        w.setClock([this] { return now; });
        return w;
    }

    // A line that the recording gate lets through.
    void feedRecorded(int board, const QByteArray& line) {
        engine->runtimes()[board].recordCountdown = 0;
        feed(board, line);
    }

    void feed(int board, const QByteArray& line) {
        char buffer[180] = {};
        std::memcpy(buffer, line.constData(), std::min<qsizetype>(line.size(), 179));
        engine->ProcessLine(board, buffer);
        // The files are written off the tick: what the line wrote is read right after.
        engine->recordingWriter().waitForIdle();
    }

    QString dataDir() const { return engine->dataDirectory(); }
};

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

double startTimeOf(const QString& path) {
    double start = 0;
    const QByteArray bytes = fileBytes(path);
    if (bytes.size() >= 544)
        std::memcpy(&start, bytes.constData() + 536, sizeof start);
    return start;
}

} // namespace

class PipelineTest : public QObject {
    Q_OBJECT
private slots:
    void classZeroThermocoupleLine() {
        PipelineFixture f;
        Engine& w = f.startWith([](BoardConfigs& boards) {
            boards[0].tcType = 1; // K
            boards[0].cjcRefVolts = 5.0;
            for (int ch = 1; ch < 9; ++ch)
                boards[0].channelType[ch] = 1;
        });
        f.feed(0, "0F3A21, 000123, FFFFFF, 7FFFFF, 800000, 000000, 400000\r\n");
        const BoardRuntime& r = w.runtimes()[0];
        const double reference = *CjTempFromSensor(0x0F3A21 * 2500.0 / 8388607, 5.0);
        QCOMPARE(r.values[0], reference);
        QVERIFY(r.values[1] > reference);
        // FFFFFF is 0 counts: the channel reads the reference temperature itself.
        QVERIFY2(std::abs(r.values[2] - reference) < 0.1,
                 qPrintable(QString("%1 %2").arg(r.values[2]).arg(reference)));
        for (int ch : {3, 4, 7, 8}) {
            QCOMPARE(r.status[ch], 1);
            QCOMPARE(r.values[ch], InvalidValue);
        }
        QCOMPARE(r.status[5], 0);
        QCOMPARE(r.linkIdle, -2);
        QCOMPARE(r.sampleCount, 1);
        // Invalid from the first line: no longer visible in the settings.
        QCOMPARE(w.boards()[0].channelVisible[3], 0);
        QCOMPARE(w.boards()[0].channelVisible[5], 1);
        QCOMPARE(w.runtimes()[0].startTime, toDateTimeValue(f.now));
    }

    void fixedReferenceThatIsNotANumberSpoilsOnlyThermocouples() {
        PipelineFixture f;
        Engine& w = f.startWith([](BoardConfigs& boards) {
            for (int b : {0, 1}) {
                boards[b].tcType = b == 0 ? 1 : 0; // K, then a mV board
                boards[b].cjcRefVolts = 5.0;
                for (int ch = 1; ch < 9; ++ch)
                    boards[b].channelType[ch] = boards[b].tcType;
            }
        });
        w.setFixedReference(true, "-");
        const QByteArray line = "0F3A21, 000123, 000456, 7FFFFF, 000001, 000000, 400000\r\n";
        for (int tick = 0; tick < 3; ++tick) {
            for (int b : {0, 1}) {
                std::memcpy(w.runtimes()[b].lineBuffer, line.constData(), line.size() + 1);
                w.runtimes()[b].lineReady = true;
            }
            w.Timer1Timer();
        }
        for (int b : {0, 1}) {
            QCOMPARE(w.runtimes()[b].sampleCount, 3);
            QCOMPARE(w.runtimes()[b].linkIdle, -2);
            QCOMPARE(QByteArray(w.runtimes()[b].servedLine), line);
        }
        const BoardRuntime& k = w.runtimes()[0];
        QCOMPARE(k.status[0], 0);
        for (int ch = 1; ch < 9; ++ch)
            QCOMPARE(k.values[ch], InvalidValue);
        QCOMPARE(w.runtimes()[1].status[1], 0);
        QVERIFY(!QFile::exists(f.home.filePath("Exception1.Err")));
        QVERIFY(w.recordingWriter().waitForIdle());
        QCOMPARE(QDir(f.dataDir() + "/20260315/A").entryList(QDir::Files).size(), 1);
        QVERIFY(f.status.contains("Tref = '-' is not a number"));

        w.ShowStatus(QString());
        w.runtimes()[0].recordCountdown = 0;
        f.feed(0, line);
        QVERIFY(f.status.isEmpty()); // said once while the text stays bad
        w.setFixedReference(true, "20");
        f.feedRecorded(0, line);
        QCOMPARE(k.status[1], 0);
    }

    void typeCodesOutsideTheLettersAreInvalid() {
        PipelineFixture f;
        Engine& w = f.startWith([](BoardConfigs& boards) {
            boards[0].tcType = kTypePerChannel;
            boards[0].channelType[1] = 42;
            boards[0].channelType[2] = -3;
            boards[0].channelType[3] = 0;
        });
        f.feed(0, "0F3A21, 000123, 000123, 000123, 000000, 000000, 400000\r\n");
        const BoardRuntime& r = w.runtimes()[0];
        for (int ch : {1, 2})
            QCOMPARE(r.values[ch], InvalidValue);
        QCOMPARE(r.status[3], 0);
    }

    void missingReferenceVoltageIsSaidOnce() {
        PipelineFixture f;
        Engine& w = f.startWith([](BoardConfigs& boards) {
            boards[1].tcType = 1;
            for (int ch = 1; ch < 9; ++ch)
                boards[1].channelType[ch] = 1;
        });
        const QByteArray line = "0F3A21, 000123, 000123, 000123, 000000, 000000, 400000\r\n";
        f.feed(1, line);
        QCOMPARE(w.runtimes()[1].values[1], InvalidValue);
        QCOMPARE(f.status, QString("DAQ2: the reference voltage Vs is not set, so CH0 and "
                                   "the thermocouple channels are invalid."));
        w.ShowStatus(QString());
        f.feed(1, line);
        QVERIFY(f.status.isEmpty());
    }

    void shortLinesOnlyArrive() {
        PipelineFixture f;
        Engine& w = f.startWith([](BoardConfigs&) {});
        QSignalSpy arrived(&w, &Engine::lineArrived);
        QSignalSpy processed(&w, &Engine::lineProcessed);
        f.feed(0, "0F3A21");
        QCOMPARE(w.runtimes()[0].sampleCount, 0);
        QCOMPARE(w.runtimes()[0].linkIdle, -1);
        QCOMPARE(arrived.size(), 1);
        QCOMPARE(processed.size(), 0);
    }

    void referenceJumpsAreFilteredFromTheFourthLine() {
        PipelineFixture f;
        Engine& w = f.startWith([](BoardConfigs& boards) {
            setFieldText(boards[2].model, "KARN-5800");
            boards[2].tcType = 1;
        });
        const BoardRuntime& r = w.runtimes()[2];
        f.feedRecorded(2, classTwoLine(20.0));
        f.feedRecorded(2, classTwoLine(40.0)); // sampleCount 1: no filter
        QCOMPARE(r.values[0], 40.0);
        f.feedRecorded(2, classTwoLine(20.0));
        f.feedRecorded(2, classTwoLine(30.0)); // sampleCount 3: a jump of exactly 10 is taken
        QCOMPARE(r.values[0], 30.0);
        f.feedRecorded(2, classTwoLine(40.5));
        QCOMPARE(r.values[0], 30.0);
        QCOMPARE(r.prevRefTemp, 30.0);

        // A garbled reference field is no reference: CH0 and the thermocouples are invalid.
        QByteArray garbled = classTwoLine(30.0);
        garbled[2] = ' ';
        f.feedRecorded(2, garbled);
        QCOMPARE(r.values[0], InvalidValue);
        QCOMPARE(r.values[1], InvalidValue);
        QCOMPARE(r.prevRefTemp, 30.0);
    }

    void recordingGateFollowsTheInterval() {
        PipelineFixture f;
        Engine& w = f.startWith([](BoardConfigs& boards) { boards[0].interval = 5; });
        BoardRuntime& r = w.runtimes()[0];
        const QByteArray line = "000000, 000100, 000100, 000100, 000100, 000100, 000100\r\n";
        std::memcpy(r.lineBuffer, line.constData(), static_cast<std::size_t>(line.size()));
        QSignalSpy lines(&w.liveFeed(), &LiveFeed::lineProcessed);
        QSignalSpy records(&w.liveFeed(), &LiveFeed::recordWritten);
        QSignalSpy engineLines(&w, &Engine::lineProcessed);
        int recorded = 0;
        for (int tick = 0; tick < 11; ++tick) {
            r.lineReady = true;
            const int before = r.sampleCount;
            w.Timer1Timer();
            recorded += r.sampleCount - before;
            if (tick == 0)
                QCOMPARE(r.sampleCount, 1); // the first line is recorded at once
        }
        QCOMPARE(recorded, 3); // ticks 0, 5 and 10
        QVERIFY(w.recordingWriter().waitForIdle());
        QCOMPARE(QFileInfo(r.filePath).size(), 544 + 3 * 80);
        // Listeners see every line, and as records exactly what the file holds.
        QCOMPARE(lines.size(), 11);
        QCOMPARE(records.size(), 3);
        QCOMPARE(engineLines.size(), 11);
        QVERIFY(engineLines.at(10).at(0).value<LiveLine>().recorded);
        QVERIFY(!engineLines.at(9).at(0).value<LiveLine>().recorded);
        const auto last = records.last().at(0).value<LiveLine>();
        QVERIFY(last.recorded);
        QCOMPARE(last.values, r.values);
        QCOMPARE(w.liveFeed().board(0).latest->timeValue, last.timeValue);
    }

    void medianOfFiveAfterFourLines() {
        PipelineFixture f;
        Engine& w = f.startWith([](BoardConfigs& boards) {
            setFieldText(boards[1].model, "KARN-5800");
            boards[1].queueLength = 5;
        });
        const QList<double> references{20, 24, 22, 28, 26, 21};
        QList<double> shown;
        for (double reference : references) {
            f.feed(1, classTwoLine(reference));
            shown << w.runtimes()[1].values[0];
        }
        QCOMPARE(shown, (QList<double>{20, 24, 22, 28, 24, 24}));
    }

    void hourChangeStartsANewFileWithTheSameStartTime() {
        PipelineFixture f;
        Engine& w = f.startWith([](BoardConfigs& boards) { boards[0].english = 1; });
        const QByteArray line = "000000, 000100, 000100, 000100, 000100, 000100, 000100\r\n";
        f.now = QDateTime(QDate(2026, 3, 15), QTime(10, 59, 59));
        f.feed(0, line);
        const QString first = w.runtimes()[0].filePath;
        f.now = QDateTime(QDate(2026, 3, 15), QTime(11, 0, 0));
        w.runtimes()[0].recordCountdown = 0;
        f.feed(0, line);
        const QString second = w.runtimes()[0].filePath;
        QCOMPARE(QDir::fromNativeSeparators(first), f.dataDir() + "/20260315/A/105959.KRN");
        QCOMPARE(QDir::fromNativeSeparators(second), f.dataDir() + "/20260315/A/110000.KRN");
        QCOMPARE(QFileInfo(first).size(), 544 + 80);
        QCOMPARE(QFileInfo(second).size(), 544 + 80);
        QCOMPARE(startTimeOf(second), startTimeOf(first));

        f.now = QDateTime(QDate(2026, 3, 16), QTime(0, 0, 1));
        w.runtimes()[0].recordCountdown = 0;
        f.feed(0, line);
        QCOMPARE(QDir::fromNativeSeparators(w.runtimes()[0].filePath),
                 f.dataDir() + "/20260316/A/000001.KRN");

        // After a day without lines, the same hour of the next day is another file.
        f.now = QDateTime(QDate(2026, 3, 17), QTime(0, 30, 0));
        w.runtimes()[0].recordCountdown = 0;
        f.feed(0, line);
        QCOMPARE(QDir::fromNativeSeparators(w.runtimes()[0].filePath),
                 f.dataDir() + "/20260317/A/003000.KRN");
        QCOMPARE(QFileInfo(w.runtimes()[0].filePath).size(), 544 + 80);
    }

    void restartBeginsANewRun() {
        PipelineFixture f;
        Engine& w = f.startWith([](BoardConfigs&) {});
        const QByteArray line = "000000, 000100, 000100, 000100, 000100, 000100, 000100\r\n";
        f.feed(0, line);
        w.runtimes()[0].recordCountdown = 0;
        f.feed(0, line);
        QCOMPARE(w.runtimes()[0].sampleCount, 2);
        w.RestartBoard(0);
        QCOMPARE(f.status, QString("Chart 1 recording re-started."));
        QCOMPARE(w.runtimes()[0].values[4], InvalidValue);
        f.now = f.now.addSecs(30);
        QSignalSpy started(&w, &Engine::runStarted);
        f.feed(0, line);
        QCOMPARE(started.size(), 1);
        QCOMPARE(w.runtimes()[0].sampleCount, 1);
        QCOMPARE(QFileInfo(w.runtimes()[0].filePath).fileName(), QString("110028.KRN"));
    }

    void lostRecordIsReportedOncePerFile() {
        PipelineFixture f;
        Engine& w = f.startWith([](BoardConfigs&) {});
        const QByteArray line = "000000, 000100, 000100, 000100, 000100, 000100, 000100\r\n";
        f.feed(0, line);
        // The recording file turns into a directory: the next records cannot be written.
        const QString path = w.runtimes()[0].filePath;
        QFile::remove(path);
        QDir().mkpath(path);
        w.ShowStatus(QString());
        w.runtimes()[0].recordCountdown = 0;
        f.feed(0, line);
        QVERIFY2(f.status.contains("record lost"), qPrintable(f.status));
        w.ShowStatus(QString());
        w.runtimes()[0].recordCountdown = 0;
        f.feed(0, line);
        QVERIFY(f.status.isEmpty());
    }

    void readOnlyDataDirectoryLosesRecordsSaysSoAndResumes() {
        PipelineFixture f;
        Engine& w = f.startWith([](BoardConfigs&) {});
        const QString data = f.dataDir();
        QDir(data).removeRecursively();
        // Root writes through mode bits: for root a file where the directory belongs stands in.
        const bool root = ::geteuid() == 0;
        if (root) {
            QFile blocker(data);
            QVERIFY(blocker.open(QIODevice::WriteOnly));
        } else {
            QVERIFY(QDir().mkpath(data));
            QVERIFY(QFile::setPermissions(data, QFile::ReadOwner | QFile::ExeOwner));
        }
        const QByteArray line = "000000, 000100, 000100, 000100, 000100, 000100, 000100\r\n";
        f.feedRecorded(0, line);
        QVERIFY2(f.status.contains("record lost"), qPrintable(f.status));
        const QString path = w.runtimes()[0].filePath;
        QVERIFY(!QFile::exists(path));

        if (root)
            QFile::remove(data);
        else
            QFile::setPermissions(data, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        f.now = f.now.addSecs(1); // still the same hour: the same file takes the records
        f.feedRecorded(0, line);
        QCOMPARE(w.runtimes()[0].filePath, path);
        QCOMPARE(QFileInfo(path).size(), 544 + 80);
    }

    void alarmsReportAndLog() {
        PipelineFixture f;
        Engine& w = f.startWith([](BoardConfigs& boards) {
            setFieldText(boards[2].model, "KARN-5800");
            boards[2].alarmHigh[3] = 0.001;
            boards[2].alarmHigh[5] = 0.001;
        });
        QSignalSpy changes(&w.liveFeed(), &LiveFeed::alarmChanged);
        QSignalSpy evaluated(&w, &Engine::alarmsEvaluated);
        // Linear channels at 78.125 mV full scale: 0x100 counts is about 0.0024 mV.
        f.feed(2, classTwoLine(25.0));
        QCOMPARE(changes.size(), 2);
        const auto change = changes.at(1).at(0).value<AlarmChange>();
        QCOMPARE(change.channel, 5);
        QCOMPARE(change.state, AlarmState::High);
        QCOMPARE(change.limit, 0.001);
        QCOMPARE(f.status,
                 QString("[3] 2026-03-15 10:59:58 CH5 High Alarm(0.002), Max is 0.001. "));
        QCOMPARE(evaluated.size(), 1);
        const auto result = evaluated.at(0).at(1).value<AlarmEvaluation>();
        QCOMPARE(result.count, 2);
        QVERIFY(result.alarm[3] && result.alarm[5] && !result.alarm[4]);

        QFile log(f.dataDir() + "/20260315/20260315.eve");
        QVERIFY(log.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = log.readAll().split('\n');
        QCOMPARE(lines.size(), 3); // CH3 and CH5 in channel order, then the empty tail
        QVERIFY(
            lines[0].startsWith("[3] 2026-03-15 10:59:58 CH3 High Alarm(0.002), Max is 0.001."));
        QVERIFY(lines[1].startsWith("[3] 2026-03-15 10:59:58 CH5 "));
        f.feed(2, classTwoLine(25.0)); // still in alarm: no new change
        QCOMPARE(changes.size(), 2);
    }
};

QTEST_GUILESS_MAIN(PipelineTest)
#include "tst_Pipeline.moc"
