// The sample pipeline in the window, fed with lines built here and a clock set by the test.
#include "WindowFixture.h"
#include "app/RecordText.h"
#include "display/BoardMemo.h"
#include "display/LiveChart.h"
#include "processing/ChannelConversion.h"
#include "processing/ColdJunction.h"
#include "processing/DateTimeValue.h"
#include "processing/InvalidValue.h"
#include "recording/RecordingFile.h"

#include <QAudioDevice>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMediaDevices>
#include <QSignalSpy>
#include <QStatusBar>
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

struct PipelineFixture : WindowFixture {
    QDateTime now{QDate(2026, 3, 15), QTime(10, 59, 58)};

    TForm1& startWith(const std::function<void(BoardConfigs&)>& edit) {
        writeSettings([&](BoardConfigs& boards) {
            boards[0].english = 1;
            edit(boards);
        });
        TForm1& w = start();
        w.setClock([this] { return now; });
        return w;
    }

    // A line that the recording gate lets through.
    void feedRecorded(int board, const QByteArray& line) {
        window->runtimes()[board].recordCountdown = 0;
        feed(board, line);
    }

    void feed(int board, const QByteArray& line) {
        char buffer[180] = {};
        std::memcpy(buffer, line.constData(), std::min<qsizetype>(line.size(), 179));
        window->ProcessLine(board, buffer);
    }

    QString dataDir() const { return window->dataDirectory(); }
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
        TForm1& w = f.startWith([](BoardConfigs& boards) {
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
        // Invalid from the first line: hidden and no longer visible in the settings.
        QVERIFY(!f.find<QCheckBox>("Chk07")->isChecked());
        QCOMPARE(w.boards()[0].channelVisible[3], 0);
        QVERIFY(f.find<QCheckBox>("Chk05")->isChecked());
        QCOMPARE(f.find<QLabel>("LblStart1")->text(), QString("2026-03-15 10:59:58"));
    }

    void fixedReferenceThatIsNotANumberSpoilsOnlyThermocouples() {
        PipelineFixture f;
        TForm1& w = f.startWith([](BoardConfigs& boards) {
            for (int b : {0, 1}) {
                boards[b].tcType = b == 0 ? 1 : 0; // K, then a mV board
                boards[b].cjcRefVolts = 5.0;
                for (int ch = 1; ch < 9; ++ch)
                    boards[b].channelType[ch] = boards[b].tcType;
            }
        });
        f.find<QCheckBox>("ChbTref")->setChecked(true);
        f.find<QLineEdit>("EdTref")->setText("-");
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
        QCOMPARE(QDir(f.dataDir() + "/20260315/A").entryList(QDir::Files).size(), 1);
        QVERIFY(w.statusText().contains("Tref = '-' is not a number"));

        w.ShowStatus(QString());
        w.runtimes()[0].recordCountdown = 0;
        f.feed(0, line);
        QVERIFY(w.statusText().isEmpty()); // said once while the text stays bad
        f.find<QLineEdit>("EdTref")->setText("20");
        f.feedRecorded(0, line);
        QCOMPARE(k.status[1], 0);
    }

    void typeCodesOutsideTheLettersAreInvalid() {
        PipelineFixture f;
        TForm1& w = f.startWith([](BoardConfigs& boards) {
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
        TForm1& w = f.startWith([](BoardConfigs& boards) {
            boards[1].tcType = 1;
            for (int ch = 1; ch < 9; ++ch)
                boards[1].channelType[ch] = 1;
        });
        const QByteArray line = "0F3A21, 000123, 000123, 000123, 000000, 000000, 400000\r\n";
        f.feed(1, line);
        QCOMPARE(w.runtimes()[1].values[1], InvalidValue);
        QCOMPARE(w.statusText(), QString("DAQ2: the reference voltage Vs is not set, so CH0 and "
                                         "the thermocouple channels are invalid."));
        w.ShowStatus(QString());
        f.feed(1, line);
        QVERIFY(w.statusText().isEmpty());
    }

    void shortLinesOnlyToggleTheLamp() {
        PipelineFixture f;
        TForm1& w = f.startWith([](BoardConfigs&) {});
        f.feed(0, "0F3A21");
        QCOMPARE(w.runtimes()[0].sampleCount, 0);
        QCOMPARE(w.runtimes()[0].linkIdle, -1);
        QVERIFY(w.display(0).lampOn);
    }

    void referenceJumpsAreFilteredFromTheFourthLine() {
        PipelineFixture f;
        TForm1& w = f.startWith([](BoardConfigs& boards) {
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
        TForm1& w = f.startWith([](BoardConfigs& boards) { boards[0].interval = 5; });
        BoardRuntime& r = w.runtimes()[0];
        const QByteArray line = "000000, 000100, 000100, 000100, 000100, 000100, 000100\r\n";
        std::memcpy(r.lineBuffer, line.constData(), static_cast<std::size_t>(line.size()));
        QSignalSpy lines(&w.liveFeed(), &LiveFeed::lineProcessed);
        QSignalSpy records(&w.liveFeed(), &LiveFeed::recordWritten);
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
        QCOMPARE(f.find<LiveChart>("Chart1")->pointCount(), 3);
        QCOMPARE(f.find<BoardMemo>("Memo1")->blockCount(), 3);
        QCOMPARE(QFileInfo(r.filePath).size(), 544 + 3 * 80);
        // Listeners see every line, and as records exactly what the file holds.
        QCOMPARE(lines.size(), 11);
        QCOMPARE(records.size(), 3);
        const auto last = records.last().at(0).value<LiveLine>();
        QVERIFY(last.recorded);
        QCOMPARE(last.values, r.values);
        QCOMPARE(w.liveFeed().board(0).latest->timeValue, last.timeValue);
    }

    void medianOfFiveAfterFourLines() {
        PipelineFixture f;
        TForm1& w = f.startWith([](BoardConfigs& boards) {
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
        TForm1& w = f.startWith([](BoardConfigs& boards) { boards[0].english = 1; });
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
        TForm1& w = f.startWith([](BoardConfigs&) {});
        const QByteArray line = "000000, 000100, 000100, 000100, 000100, 000100, 000100\r\n";
        f.feed(0, line);
        w.runtimes()[0].recordCountdown = 0;
        f.feed(0, line);
        QCOMPARE(w.runtimes()[0].sampleCount, 2);
        w.RestartBoard(0);
        QCOMPARE(w.statusText(), QString("Chart 1 recording re-started."));
        QCOMPARE(w.runtimes()[0].values[4], InvalidValue);
        f.now = f.now.addSecs(30);
        f.feed(0, line);
        QCOMPARE(w.runtimes()[0].sampleCount, 1);
        QVERIFY(f.find<BoardMemo>("Memo1")->toPlainText().startsWith("     1 "));
        QCOMPARE(QFileInfo(w.runtimes()[0].filePath).fileName(), QString("110028.KRN"));
    }

    void elapseMeasuresTheChartFromTheStart() {
        PipelineFixture f;
        TForm1& w = f.startWith([](BoardConfigs& boards) { boards[0].elapsedAxis = 1; });
        const QByteArray line = "000000, 000100, 000100, 000100, 000100, 000100, 000100\r\n";
        f.feed(0, line);
        QCOMPARE(w.display(0).chartOrigin, 0.0);
        QCOMPARE(w.display(0).lastX, 0.0);
        f.now = f.now.addSecs(60);
        w.runtimes()[0].recordCountdown = 0;
        f.feed(0, line);
        QCOMPARE(qRound(w.display(0).lastX * 86400), 60);
    }

    void lostRecordIsReportedOncePerFile() {
        PipelineFixture f;
        TForm1& w = f.startWith([](BoardConfigs&) {});
        const QByteArray line = "000000, 000100, 000100, 000100, 000100, 000100, 000100\r\n";
        f.feed(0, line);
        // The recording file turns into a directory: the next records cannot be written.
        const QString path = w.runtimes()[0].filePath;
        QFile::remove(path);
        QDir().mkpath(path);
        w.ShowStatus(QString());
        w.runtimes()[0].recordCountdown = 0;
        f.feed(0, line);
        QVERIFY2(w.statusText().contains("record lost"), qPrintable(w.statusText()));
        w.ShowStatus(QString());
        w.runtimes()[0].recordCountdown = 0;
        f.feed(0, line);
        QVERIFY(w.statusText().isEmpty());
    }

    void readOnlyDataDirectoryLosesRecordsSaysSoAndResumes() {
        PipelineFixture f;
        TForm1& w = f.startWith([](BoardConfigs&) {});
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
        QVERIFY2(w.statusText().contains("record lost"), qPrintable(w.statusText()));
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

    void alarmsColourReportAndLog() {
        PipelineFixture f;
        TForm1& w = f.startWith([](BoardConfigs& boards) {
            setFieldText(boards[2].model, "KARN-5800");
            boards[2].alarmHigh[3] = 0.001;
            boards[2].alarmHigh[5] = 0.001;
        });
        QSignalSpy changes(&w.liveFeed(), &LiveFeed::alarmChanged);
        // Linear channels at 78.125 mV full scale: 0x100 counts is about 0.0024 mV.
        f.feed(2, classTwoLine(25.0));
        QCOMPARE(changes.size(), 2);
        const auto change = changes.at(1).at(0).value<AlarmChange>();
        QCOMPARE(change.channel, 5);
        QCOMPARE(change.state, AlarmState::High);
        QCOMPARE(change.limit, 0.001);
        QCOMPARE(w.statusText(),
                 QString("[3] 2026-03-15 10:59:58 CH5 High Alarm(0.002), Max is 0.001. "));
        const QColor red = f.find<QLineEdit>("EdC5")->palette().color(QPalette::Base);
        QCOMPARE(red, QColor(Qt::red));
        QVERIFY(f.find<BoardMemo>("Memo3")->alarmColour());
        QVERIFY(f.find<LiveChart>("Chart3")->alarmBackground());

        QFile log(f.dataDir() + "/20260315/20260315.eve");
        QVERIFY(log.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = log.readAll().split('\n');
        QCOMPARE(lines.size(), 3); // CH3 and CH5 in channel order, then the empty tail
        QVERIFY(
            lines[0].startsWith("[3] 2026-03-15 10:59:58 CH3 High Alarm(0.002), Max is 0.001."));
        QVERIFY(lines[1].startsWith("[3] 2026-03-15 10:59:58 CH5 "));
        QCOMPARE(f.find<QLineEdit>("EdC4")->palette().color(QPalette::Base),
                 QColor(0xF3, 0xF5, 0xCB));
        f.feed(2, classTwoLine(25.0)); // still in alarm: no new change
        QCOMPARE(changes.size(), 2);
    }

    void alarmWithoutAudioOutputBeepsEachTime() {
        if (!QMediaDevices::defaultAudioOutput().isNull())
            QSKIP("this machine has an audio output");
        PipelineFixture f;
        f.startWith([](BoardConfigs& boards) {
            setFieldText(boards[2].model, "KARN-5800");
            boards[2].alarmHigh[5] = 0.001;
        });
        f.feed(2, classTwoLine(25.0));
        f.feed(2, classTwoLine(25.0));
        QCOMPARE(f.prompts.beeps, 2);
    }

    void elapseCursorBeforeTheStartCountsWholeDaysTowardsZero() {
        PipelineFixture f;
        TForm1& w = f.startWith([](BoardConfigs& boards) { boards[0].elapsedAxis = 1; });
        f.feed(0, "0F3A21, 000123, 000123, 000123, 000000, 000000, 400000\r\n");
        auto* chart = f.find<LiveChart>("Chart1");
        chart->resize(800, 600);
        chart->setTimeWindow(-40.0 / 86400, 0);
        chart->replot();
        w.Chart1MouseMove(0, chart->axisRect()->center()); // 20 s before the start
        const QString shown = f.find<QLabel>("LblTime1")->text();
        QVERIFY2(shown.startsWith("0 Day  00:00:"), qPrintable(shown));
    }

    void alarmBackgroundIsRepaintedBetweenRecords() {
        PipelineFixture f;
        TForm1& w = f.startWith([](BoardConfigs& boards) {
            setFieldText(boards[2].model, "KARN-5800");
            boards[2].interval = 60;
        });
        auto* chart = f.find<LiveChart>("Chart3");
        f.feed(2, classTwoLine(25.0)); // recorded, no alarm
        QCoreApplication::processEvents();
        QSignalSpy replots(chart, &QCustomPlot::afterReplot);
        w.boards()[2].alarmHigh[5] = 0.001;
        f.feed(2, classTwoLine(25.0)); // within the interval: not recorded
        QCOMPARE(w.runtimes()[2].sampleCount, 1);
        QVERIFY(chart->alarmBackground());
        QTRY_VERIFY(!replots.isEmpty());
    }
};

QTEST_MAIN(PipelineTest)
#include "tst_Pipeline.moc"
