// The logger as a user runs it: the built program with a simulated device of every model
// class, stopped by SIGTERM after a few seconds. The recording files it leaves must hold what
// the devices sent.
#include "RecordedValues.h"
#include "SimulatedBoard.h"
#include "Simulator.h"
#include "processing/DateTimeValue.h"
#include "processing/InvalidValue.h"
#include "recording/RecordingFile.h"
#include "settings/BoardConfig.h"
#include "settings/ModelClass.h"
#include "settings/RecordText.h"
#include "settings/SettingsFile.h"

#include <QDirIterator>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstring>
#include <map>

using namespace nimbar;

class LoggerRecordingTest : public QObject {
    Q_OBJECT
private slots:
    void recordsHoldWhatTheDevicesSent() {
        QTemporaryDir dir;
        const QStringList models{"KARN-5610", "KARN-5400", "KARN-5800", "KARN-5600"};
        std::vector<std::unique_ptr<Simulator>> devices;
        QFile portMap(dir.filePath("Nimbar5610.ports"));
        QVERIFY(portMap.open(QIODevice::WriteOnly));
        BoardConfigs boards{};
        fillDefaultBoardConfigs(boards, dir.filePath("data").toUtf8().constData());
        for (int b = 0; b < 4; ++b) {
            devices.push_back(std::make_unique<Simulator>(
                dir.filePath(QString("board%1").arg(b)), models[b],
                QStringList{"--values-file", dir.filePath(QString("values%1").arg(b))}));
            QVERIFY(devices.back()->ready());
            portMap.write(QString("COM%1=%2\n").arg(60 + b).arg(devices.back()->link()).toUtf8());
            setSimulatedKBoard(boards[static_cast<std::size_t>(b)], models[b], 60 + b);
        }
        portMap.close();
        boards[0].english = 1;
        QVERIFY(saveBoardSettings(dir.filePath("Nimbar5610.SET"), boards));

        QProcess logger;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("HOME", dir.path());
        logger.setProcessEnvironment(env);
        logger.start(qEnvironmentVariable("NIMBAR_BIN_DIR") + "/Nimbar5610",
                     {"--home", dir.path()});
        QVERIFY(logger.waitForStarted());
        QTest::qWait(6000);
        ::kill(static_cast<pid_t>(logger.processId()), SIGTERM);
        QVERIFY(logger.waitForFinished(20000));
        QCOMPARE(logger.exitCode(), 0);
        QVERIFY(!QFile::exists(dir.filePath("Exception1.Err")));

        for (int b = 0; b < 4; ++b) {
            const int channels = channelCountOf(*modelClassOf(models[b].toLatin1()));
            const auto sent = readSentValues(dir.filePath(QString("values%1").arg(b)));
            const QList<RecordingRecord> records = readRecordedRecords(
                dir.filePath("data") + "/" + QDate::currentDate().toString("yyyyMMdd") + "/" +
                QChar('A' + b));
            QVERIFY2(records.size() >= 3,
                     qPrintable(QString("board %1: %2 records").arg(b).arg(records.size())));
            for (const RecordingRecord& record : records) {
                // A record holds a line the device sent shortly before the record's time; the
                // window covers the line's wait for the one-second tick. Of those lines the one
                // recorded is the one whose values it matches to conversion precision: the
                // inverse polynomials of type K are within -0.02..0.06 C of the reference
                // function the device encoded with.
                const double unixTime = fromDateTimeValue(record.time).toMSecsSinceEpoch() / 1000.0;
                double bestDeviation = 1e9;
                for (auto line = sent.lower_bound(unixTime - 4.0);
                     line != sent.end() && line->first <= unixTime + 0.5; ++line) {
                    double deviation = 0.0;
                    for (int ch = 0; ch < channels; ++ch)
                        deviation = std::max(deviation,
                                             std::abs(record.values[ch] - line->second.value(ch)));
                    bestDeviation = std::min(bestDeviation, deviation);
                }
                QVERIFY2(bestDeviation < 0.07,
                         qPrintable(QString("board %1 at %2: no sent line matches (off by %3)")
                                        .arg(b)
                                        .arg(unixTime, 0, 'f', 3)
                                        .arg(bestDeviation)));
                for (int ch = channels; ch < kChannelCount; ++ch)
                    QCOMPARE(record.values[ch], InvalidValue);
            }
        }
    }
};

QTEST_GUILESS_MAIN(LoggerRecordingTest)
#include "tst_LoggerRecording.moc"
