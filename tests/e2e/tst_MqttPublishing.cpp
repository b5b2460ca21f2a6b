// The logger publishing to a real mosquitto broker: what arrives equals what it recorded, an
// outage of the broker loses nothing, a late subscriber finds the boards' descriptions and newest
// records, and a killed logger is announced offline by its Last Will.
#include "MosquittoBroker.h"
#include "MqttSubscriber.h"
#include "RecordedValues.h"
#include "SimulatedBoard.h"
#include "Simulator.h"
#include "processing/DateTimeValue.h"
#include "processing/InvalidValue.h"
#include "settings/BoardConfig.h"
#include "settings/RecordText.h"
#include "settings/SettingsFile.h"

#include <QJsonArray>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <memory>
#include <set>

using namespace nimbar;

namespace {

// A logger home with a KARN-5610 on board A and a KARN-5400 on board B. Board A's CH1 has its
// high limit at -100 C, so that it enters an alarm with the first line.
struct LoggerHome {
    QTemporaryDir dir;
    std::vector<std::unique_ptr<Simulator>> devices;
    QString data = dir.filePath("data");

    explicit LoggerHome(int boardCount) {
        const QStringList models{"KARN-5610", "KARN-5400"};
        QFile portMap(dir.filePath("Nimbar5610.ports"));
        portMap.open(QIODevice::WriteOnly);
        BoardConfigs boards{};
        fillDefaultBoardConfigs(boards, data.toUtf8().constData());
        for (int b = 0; b < boardCount; ++b) {
            devices.push_back(
                std::make_unique<Simulator>(dir.filePath(QString("board%1").arg(b)), models[b]));
            portMap.write(QString("COM%1=%2\n").arg(60 + b).arg(devices.back()->link()).toUtf8());
            setSimulatedKBoard(boards[static_cast<std::size_t>(b)], models[b], 60 + b);
        }
        boards[0].alarmEnabled[1] = 1;
        boards[0].alarmHigh[1] = -100.0;
        boards[0].english = 1;
        saveBoardSettings(dir.filePath("Nimbar5610.SET"), boards);
    }
    bool ready() const {
        for (const auto& device : devices)
            if (!device->ready())
                return false;
        return true;
    }
    void writeMqttFile(const QByteArray& text) {
        QFile file(dir.filePath("Nimbar5610.mqtt"));
        file.open(QIODevice::WriteOnly);
        file.write(text);
    }
};

struct Logger {
    QProcess process;
    Logger(const QString& home, const QStringList& options) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("HOME", home);
        process.setProcessEnvironment(env);
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(qEnvironmentVariable("NIMBAR_BIN_DIR") + "/Nimbar5610",
                      QStringList{"--home", home} + options);
        process.waitForStarted();
    }
    ~Logger() {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(5000);
        }
    }
    void signal(int number) { ::kill(static_cast<pid_t>(process.processId()), number); }
};

bool payloadIs(const MqttSubscriber::Message& message, const char* text) {
    return message.payload == text;
}

// The records a subscriber received on a board's topic, each once (QoS 1 may deliver twice) and
// in the order they first arrived.
QList<QJsonObject> receivedRecords(const MqttSubscriber& subscriber, const QByteArray& topic) {
    QList<QJsonObject> records;
    std::set<qint64> seen;
    for (const auto& message : subscriber.on(topic)) {
        const QJsonObject record = jsonOf(message.payload);
        if (seen.insert(record["ts"].toInteger()).second)
            records << record;
    }
    return records;
}

} // namespace

class MqttPublishingTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        if (!MosquittoBroker::available())
            QSKIP("mosquitto is not installed (scripts/setup installs it)");
    }

    void publishesWhatItRecordsThroughABrokerOutage() {
        MosquittoBroker broker;
        MqttSubscriber subscriber(broker.port(), "test-all");
        LoggerHome home(2);
        QVERIFY(home.ready());
        // The file names the broker; the option's topic wins over the file's.
        home.writeMqttFile("# the lab's broker\nurl = " + broker.url().toUtf8() +
                           "\ntopic = from/the/file\n");
        Logger logger(home.dir.path(), {"--mqtt-topic", "lab/one"});

        QVERIFY2(subscriber.waitFor("lab/one/status",
                                    [](const auto& m) { return payloadIs(m, "online"); }),
                 qPrintable(broker.log()));
        QVERIFY(subscriber.waitFor("lab/one/B/record", [&](const auto&) {
            return subscriber.on("lab/one/B/record").size() >= 3;
        }));
        QVERIFY(subscriber.on("from/the/file/status").isEmpty());

        // The first line puts CH1 of board A above its high limit of -100 C.
        QVERIFY(subscriber.waitFor("lab/one/A/alarm", [](const auto& m) {
            const QJsonObject alarm = jsonOf(m.payload);
            return alarm["channel"].toInt() == 1 && alarm["state"].toString() == "high" &&
                   alarm["limit"].toDouble() == -100.0 && alarm["value"].toDouble() > -100.0 &&
                   alarm["ts"].toInteger() > 0 && alarm["time"].toString().size() == 29;
        }));

        {
            MqttSubscriber late(broker.port(), "test-late", "lab/one/+/+");
            QVERIFY(late.waitFor("lab/one/A/meta", [](const auto& m) { return m.retained; }));
            QVERIFY(late.waitFor("lab/one/B/state", [](const auto& m) { return m.retained; }));
            const QJsonObject meta = jsonOf(late.on("lab/one/B/meta").value(0).payload);
            QCOMPARE(meta["board"].toInt(), 2);
            QCOMPARE(meta["letter"].toString(), "B");
            QCOMPARE(meta["model"].toString(), "KARN-5400");
            const QJsonArray channels = meta["channels"].toArray();
            QCOMPARE(channels.size(), 5); // CH0 and the model's four inputs
            for (const auto& channel : channels) {
                const QJsonObject c = channel.toObject();
                QCOMPARE(c["unit"].toString(), QString::fromUtf8("°C"));
                QCOMPARE(c["name"].toString(), c["name"].toString().trimmed());
                QVERIFY(!c["name"].toString().isEmpty());
                QVERIFY(c["visible"].toBool());
            }
            // The newest record, as it was also published on the record topic.
            const QByteArray state = late.on("lab/one/B/state").value(0).payload;
            bool published = false;
            for (const auto& message : subscriber.on("lab/one/B/record"))
                published = published || message.payload == state;
            QVERIFY(published);
        }

        broker.stop();
        QTest::qWait(10000);
        QVERIFY(broker.start());
        // The outage's records come after the reconnect, then the clean stop says offline.
        const int before = static_cast<int>(receivedRecords(subscriber, "lab/one/A/record").size());
        QVERIFY(subscriber.waitFor(
            "lab/one/A/record",
            [&](const auto&) {
                return receivedRecords(subscriber, "lab/one/A/record").size() >= before + 12;
            },
            30000));
        logger.signal(SIGTERM);
        QVERIFY(logger.process.waitForFinished(20000));
        QCOMPARE(logger.process.exitCode(), 0);
        QVERIFY(subscriber.waitFor("lab/one/status", [&](const auto&) {
            return subscriber.on("lab/one/status").last().payload == "offline";
        }));

        for (const char letter : {'A', 'B'}) {
            const QList<RecordingRecord> recorded = readRecordedRecords(
                home.data + "/" + QDate::currentDate().toString("yyyyMMdd") + "/" + QChar(letter));
            const QList<QJsonObject> received =
                receivedRecords(subscriber, QByteArray("lab/one/") + letter + "/record");
            QCOMPARE(received.size(), recorded.size());
            for (qsizetype i = 0; i < recorded.size(); ++i) {
                const QJsonObject& payload = received[i];
                const qint64 ts = payload["ts"].toInteger();
                QVERIFY2(qAbs(ts - fromDateTimeValue(recorded[i].time).toMSecsSinceEpoch()) <= 1,
                         qPrintable(QString("board %1 record %2 out of place").arg(letter).arg(i)));
                for (int ch = 0; ch < kChannelCount; ++ch) {
                    const QString key = QString("CH%1").arg(ch);
                    if (recorded[i].values[ch] == InvalidValue)
                        QVERIFY(!payload.contains(key));
                    else
                        QCOMPARE(payload[key].toDouble(), recorded[i].values[ch]);
                }
            }
        }
    }

    void killedLoggerIsAnnouncedOfflineByItsLastWill() {
        MosquittoBroker broker;
        MqttSubscriber subscriber(broker.port(), "test-will");
        LoggerHome home(1);
        QVERIFY(home.ready());
        Logger logger(home.dir.path(), {"--mqtt", broker.url(), "--mqtt-topic", "lab/two"});
        QVERIFY(subscriber.waitFor("lab/two/A/record", [](const auto&) { return true; }));
        logger.signal(SIGKILL);
        QVERIFY(logger.process.waitForFinished(5000));
        QVERIFY(subscriber.waitFor("lab/two/status", [&](const auto&) {
            return subscriber.on("lab/two/status").last().payload == "offline";
        }));
        MqttSubscriber late(broker.port(), "test-will-late", "lab/two/status");
        QVERIFY(late.waitFor("lab/two/status",
                             [](const auto& m) { return m.retained && m.payload == "offline"; }));
    }
};

QTEST_GUILESS_MAIN(MqttPublishingTest)
#include "tst_MqttPublishing.moc"
