// The built logger under faults from outside: a device sending garbage, split lines and lines
// cut short, and a SIGKILL while it records. Records stay whole and true to what was sent.
#include "RecordedValues.h"
#include "Simulator.h"
#include "processing/DateTimeValue.h"
#include "settings/BoardConfig.h"
#include "settings/RecordText.h"
#include "settings/SettingsFile.h"

#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <memory>

using namespace nimbar;

namespace {

// A logger home with one KARN-5610 device on board A.
struct OneDeviceHome {
    QTemporaryDir dir;
    std::unique_ptr<Simulator> device;
    QString data = dir.filePath("data");

    OneDeviceHome(const QString& rate, const QStringList& simulatorOptions) {
        device = std::make_unique<Simulator>(
            dir.filePath("board0"), "KARN-5610",
            QStringList{"--rate", rate, "--values-file", dir.filePath("values")} +
                simulatorOptions);
        QFile portMap(dir.filePath("Nimbar5610.ports"));
        if (portMap.open(QIODevice::WriteOnly))
            portMap.write(QString("COM60=%1\n").arg(device->link()).toUtf8());
        BoardConfigs boards{};
        fillDefaultBoardConfigs(boards, data.toUtf8().constData());
        setFieldText(boards[0].model, "KARN-5610");
        boards[0].comPort = 60;
        boards[0].tcType = 1;
        boards[0].cjcRefVolts = 5.0;
        for (int ch = 0; ch < kChannelCount; ++ch)
            boards[0].channelType[ch] = 1;
        boards[0].english = 1;
        saveBoardSettings(dir.filePath("Nimbar5610.SET"), boards);
    }
};

struct Logger {
    QProcess process;
    explicit Logger(const QString& home) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("HOME", home);
        process.setProcessEnvironment(env);
        process.start(qEnvironmentVariable("NIMBAR_BIN_DIR") + "/Nimbar5610", {"--home", home});
    }
    ~Logger() {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(5000);
        }
    }
};

// Records in the files below data; -1 when a file is not a header followed by whole records.
int wholeRecords(const QString& data) {
    int total = 0;
    QDirIterator files(data, {"*.KRN"}, QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const qint64 size = QFileInfo(files.next()).size();
        if (size < 544 || (size - 544) % 80 != 0)
            return -1;
        total += static_cast<int>((size - 544) / 80);
    }
    return total;
}

bool recordsGrowBeyond(const QString& data, int count) {
    for (int i = 0; i < 150; ++i) {
        if (wholeRecords(data) > count)
            return true;
        QTest::qWait(100);
    }
    return false;
}

} // namespace

class LoggerFaultsTest : public QObject {
    Q_OBJECT
private slots:
    void aDeviceSendingGarbageSplitAndCutLinesIsRecordedTruly() {
        // Four lines a second leave room between a line's two halves and the garbage after it.
        OneDeviceHome home("4", {"--fault", "garbage", "--fault", "split", "--fault", "badlength"});
        QVERIFY(home.device->ready());
        Logger logger(home.dir.path());
        QVERIFY(logger.process.waitForStarted());
        QVERIFY(recordsGrowBeyond(home.data, 3));
        ::kill(static_cast<pid_t>(logger.process.processId()), SIGTERM);
        QVERIFY(logger.process.waitForFinished(20000));
        QCOMPARE(logger.process.exitCode(), 0);
        QVERIFY(!QFile::exists(home.dir.filePath("Exception1.Err")));

        // Every record holds the values of a whole line the device sent (cut lines are marked
        // in the values file and never match).
        const auto sent = readSentValues(home.dir.filePath("values"));
        const QList<RecordingRecord> records = readRecordedRecords(home.data);
        QVERIFY(records.size() > 3);
        for (const RecordingRecord& record : records) {
            const double unixTime = fromDateTimeValue(record.time).toMSecsSinceEpoch() / 1000.0;
            double best = 1e9;
            for (auto line = sent.lower_bound(unixTime - 4.0);
                 line != sent.end() && line->first <= unixTime + 0.5; ++line) {
                double deviation = 0.0;
                for (int ch = 0; ch < 7; ++ch)
                    deviation =
                        std::max(deviation, std::abs(record.values[ch] - line->second.value(ch)));
                best = std::min(best, deviation);
            }
            QVERIFY2(best < 0.07, qPrintable(QString("record off by %1").arg(best)));
        }
    }

    void everyRecordIsWholeAfterSigkillAndTheNextStartRecords() {
        OneDeviceHome home("10", {});
        QVERIFY(home.device->ready());
        int before = 0;
        for (int run = 0; run < 2; ++run) {
            Logger logger(home.dir.path());
            QVERIFY(logger.process.waitForStarted());
            QVERIFY2(recordsGrowBeyond(home.data, before + 2),
                     qPrintable(QString("run %1: %2").arg(run).arg(wholeRecords(home.data))));
            ::kill(static_cast<pid_t>(logger.process.processId()), SIGKILL);
            QVERIFY(logger.process.waitForFinished(10000));
            const int after = wholeRecords(home.data);
            QVERIFY2(after > before, qPrintable(QString("run %1: %2").arg(run).arg(after)));
            before = after;
        }
    }
};

QTEST_GUILESS_MAIN(LoggerFaultsTest)
#include "tst_LoggerFaults.moc"
