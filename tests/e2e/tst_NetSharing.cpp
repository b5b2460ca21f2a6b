// Network sharing end to end: the logger program with a simulated device, the client program
// Tessel5610 --connect 127.0.0.1, and a client window in this process that watches the logger
// go away and come back.
#include "FakePrompts.h"
#include "FreePorts.h"
#include "RecordedValues.h"
#include "Simulator.h"
#include "net/NetClient.h"
#include "processing/DateTimeValue.h"
#include "recording/RecordingFile.h"
#include "settings/BoardConfig.h"
#include "settings/RecordText.h"
#include "settings/SettingsFile.h"
#include "ui/main/TForm1.h"

#include <QPlainTextEdit>
#include <QRandomGenerator>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

using namespace nimbar;

namespace {

class Program {
public:
    Program(const QString& name, const QStringList& arguments, int basePort) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("NIMBAR_BASE_PORT", QString::number(basePort));
        m_process.setProcessEnvironment(env);
        m_process.setProcessChannelMode(QProcess::ForwardedChannels);
        m_process.start(qEnvironmentVariable("NIMBAR_BIN_DIR") + "/" + name, arguments);
        m_process.waitForStarted();
    }
    ~Program() { stop(); }
    bool stop() {
        if (m_process.state() == QProcess::NotRunning)
            return true;
        ::kill(static_cast<pid_t>(m_process.processId()), SIGTERM);
        if (m_process.waitForFinished(20000))
            return m_process.exitCode() == 0;
        m_process.kill();
        m_process.waitForFinished();
        return false;
    }

private:
    QProcess m_process;
};

} // namespace

class NetSharingTest : public QObject {
    Q_OBJECT
private slots:
    void clientRecordsWhatTheLoggerServes() {
        QTemporaryDir dir;
        const QString loggerHome = dir.filePath("logger");
        const QString clientHome = dir.filePath("client");
        const QString watcherHome = dir.filePath("watcher");
        for (const QString& home : {loggerHome, clientHome, watcherHome})
            QVERIFY(QDir().mkpath(home));
        const int basePort = freeBasePort();
        QVERIFY(basePort > 0);

        Simulator device(dir.filePath("board0"), "KARN-5610",
                         {"--values-file", dir.filePath("values0")});
        QVERIFY(device.ready());
        QFile portMap(loggerHome + "/Nimbar5610.ports");
        QVERIFY(portMap.open(QIODevice::WriteOnly));
        portMap.write(QString("COM60=%1\n").arg(device.link()).toUtf8());
        portMap.close();
        BoardConfigs boards{};
        fillDefaultBoardConfigs(boards, (loggerHome + "/data").toUtf8().constData());
        setFieldText(boards[0].model, QString("KARN-5610"));
        boards[0].comPort = 60;
        boards[0].tcType = 1;
        boards[0].cjcRefVolts = 5.0;
        boards[0].interval = 1;
        for (int ch = 0; ch < kChannelCount; ++ch)
            boards[0].channelType[ch] = 1;
        boards[0].english = 1;
        QVERIFY(saveBoardSettings(loggerHome + "/Nimbar5610.SET", boards));
        for (const QString& home : {clientHome, watcherHome}) {
            ClientSettings settings = defaultClientSettings((home + "/data").toUtf8().constData());
            settings.english = 1;
            settings.interval[0] = 1;
            QVERIFY(
                saveClientSettings(ProgramPaths(BuildKind::Client, home).settingsFile(), settings));
        }

        auto logger =
            std::make_unique<Program>("Nimbar5610", QStringList{"--home", loggerHome}, basePort);
        // The clients start once the logger serves, so that their first attempt succeeds.
        QVERIFY(QTest::qWaitFor(
            [&] {
                QTcpSocket probe;
                probe.connectToHost("127.0.0.1", static_cast<quint16>(basePort));
                return probe.waitForConnected(200);
            },
            15000));
        Program client("Tessel5610", {"--home", clientHome, "--connect", "127.0.0.1"}, basePort);

        qputenv("NIMBAR_BASE_PORT", QByteArray::number(basePort));
        FakePrompts::Log prompts;
        TForm1 watcher(BuildKind::Client, ProgramPaths(BuildKind::Client, watcherHome));
        qunsetenv("NIMBAR_BASE_PORT");
        watcher.setPrompts(std::make_unique<FakePrompts>(prompts));
        watcher.connectAtStart("127.0.0.1");
        watcher.TimerSTimer();

        const QString today = QDate::currentDate().toString("yyyyMMdd");
        const QString clientBoard = clientHome + "/data/" + today + "/A";
        QVERIFY(
            QTest::qWaitFor([&] { return readRecordedRecords(clientBoard).size() >= 4; }, 20000));
        QVERIFY(QTest::qWaitFor([&] { return watcher.netClient()->configReceived(0); }, 5000));

        // The logger stops: the watcher is told, and picks up again once it is back.
        QVERIFY(logger->stop());
        auto* memoR = watcher.findChild<QPlainTextEdit*>("MemoR");
        QVERIFY2(QTest::qWaitFor(
                     [&] { return memoR->toPlainText().contains("Nimbar terminated."); }, 5000),
                 qPrintable(watcher.statusText()));
        QVERIFY(!watcher.netClient()->isConnected(0));
        const qsizetype before = readRecordedRecords(watcherHome + "/data/" + today + "/A").size();
        logger =
            std::make_unique<Program>("Nimbar5610", QStringList{"--home", loggerHome}, basePort);
        QVERIFY(QTest::qWaitFor(
            [&] {
                return readRecordedRecords(watcherHome + "/data/" + today + "/A").size() >=
                       before + 2;
            },
            30000));
        watcher.shutdownWithoutConfirmation();
        QVERIFY(client.stop());
        QVERIFY(logger->stop());

        // Every record of the client holds the values of a line the device sent shortly before.
        const auto sent = readSentValues(dir.filePath("values0"));
        const QList<RecordingRecord> records = readRecordedRecords(clientBoard);
        QVERIFY(records.size() >= 4);
        for (const RecordingRecord& record : records) {
            const double unixTime = fromDateTimeValue(record.time).toMSecsSinceEpoch() / 1000.0;
            double bestDeviation = 1e9;
            for (auto line = sent.lower_bound(unixTime - 6.0);
                 line != sent.end() && line->first <= unixTime + 0.5; ++line) {
                double deviation = 0.0;
                for (int ch = 0; ch < 7; ++ch)
                    deviation =
                        std::max(deviation, std::abs(record.values[ch] - line->second.value(ch)));
                bestDeviation = std::min(bestDeviation, deviation);
            }
            QVERIFY2(bestDeviation < 0.07,
                     qPrintable(QString("record at %1 matches no sent line (off by %2)")
                                    .arg(unixTime, 0, 'f', 3)
                                    .arg(bestDeviation)));
        }
    }
};

QTEST_MAIN(NetSharingTest)
#include "tst_NetSharing.moc"
