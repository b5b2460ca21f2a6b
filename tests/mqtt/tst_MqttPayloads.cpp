// The broker side's pure parts: payload bytes, the settings file and URL, and the queue that
// keeps events until the broker has them.
#include "mqtt/MqttOutbox.h"
#include "mqtt/MqttPayloads.h"
#include "mqtt/MqttSettings.h"
#include "settings/BoardConfig.h"
#include "settings/RecordText.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

using namespace nimbar;

namespace {

MqttEvent record(int board, std::int64_t msecs) {
    MqttEvent event;
    event.board = static_cast<std::uint8_t>(board);
    event.msecs = msecs;
    return event;
}

} // namespace

class MqttPayloadsTest : public QObject {
    Q_OBJECT
private slots:
    void recordAndAlarmPayloadsAreExact() {
        MqttEvent event = record(0, 1797003105654);
        event.values = {25.5, -3.25, 0.1, 1e-7, 99.0, 1234.5678, 0.0, 7.0, 8.0};
        event.validMask = 0b001010111; // CH0, CH1, CH2, CH4, CH6
        QCOMPARE(recordPayload(event, 9 * 3600),
                 QByteArray(R"({"ts":1797003105654,"time":"2026-12-12T00:31:45.654+09:00",)"
                            R"("CH0":25.5,"CH1":-3.25,"CH2":0.1,"CH4":99,"CH6":0})"));
        event.values[1] = std::numeric_limits<double>::quiet_NaN(); // never JSON
        QVERIFY(!recordPayload(event, 0).contains("CH1"));

        MqttEvent alarm = record(1, 1797003105654);
        alarm.kind = MqttEvent::Kind::Alarm;
        alarm.channel = 3;
        alarm.state = AlarmState::Low;
        alarm.values[0] = -21.5;
        alarm.values[1] = -20;
        QCOMPARE(alarmPayload(alarm, -(3 * 3600 + 1800)),
                 QByteArray(R"({"ts":1797003105654,"time":"2026-12-11T12:01:45.654-03:30",)"
                            R"("channel":3,"state":"low","value":-21.5,"limit":-20})"));

        QByteArray before1970;
        appendLocalIsoTime(before1970, -1, 0);
        QCOMPARE(before1970, QByteArray("1969-12-31T23:59:59.999+00:00"));
    }

    void metaAndDiscoveryDescribeTheBoard() {
        BoardConfig board = defaultBoardConfig(2, "~/Nimbar");
        setFieldText(board.model, "KARN-5400");
        setFieldText(board.serial, "S12345");
        setFieldText(board.jobTitle, QString::fromUtf8("소성로 \"2\""));
        setFieldText(board.channelName[1], "  Oven  ");
        board.tcType = 1;
        board.channelType[1] = 1; // K
        board.channelType[2] = 0; // millivolts
        board.channelVisible[3] = 0;
        const QJsonObject meta = QJsonDocument::fromJson(metaPayload(2, board)).object();
        QCOMPARE(meta["board"].toInt(), 3);
        QCOMPARE(meta["letter"].toString(), "C");
        QCOMPARE(meta["serial"].toString(), "S12345");
        QCOMPARE(meta["jobTitle"].toString(), QString::fromUtf8("소성로 \"2\""));
        const QJsonArray channels = meta["channels"].toArray();
        QCOMPARE(channels.size(), 5);
        QCOMPARE(channels[1].toObject()["name"].toString(), "Oven");
        QCOMPARE(channels[1].toObject()["unit"].toString(), QString::fromUtf8("°C"));
        QCOMPARE(channels[2].toObject()["unit"].toString(), "mV");
        QCOMPARE(channels[3].toObject()["visible"].toBool(), false);

        const QString node = discoveryNode("lab/oven-1.b");
        QCOMPARE(node, "lab_oven-1_b");
        QCOMPARE(discoveryTopic(node, 2, 1), "homeassistant/sensor/lab_oven-1_b/C_ch1/config");
        const auto config = [&](int ch) {
            return QJsonDocument::fromJson(discoveryPayload("lab/oven-1.b", node, 2, board, ch))
                .object();
        };
        QCOMPARE(config(1)["device_class"].toString(), "temperature");
        QCOMPARE(config(2)["device_class"].toString(), "voltage");
        QCOMPARE(config(2)["unit_of_measurement"].toString(), "mV");
        QCOMPARE(config(1)["state_topic"].toString(), "lab/oven-1.b/C/state");
        QCOMPARE(config(1)["availability_topic"].toString(), "lab/oven-1.b/status");
        QCOMPARE(config(1)["name"].toString(), "CH1 Oven");
        QVERIFY(config(1)["value_template"].toString().contains("value_json.CH1"));
        QCOMPARE(config(1)["device"].toObject()["identifiers"].toArray()[0].toString(),
                 "lab_oven-1_b_C");
        QVERIFY(config(1)["unique_id"] != config(2)["unique_id"]);
    }

    void brokerUrls_data() {
        QTest::addColumn<QString>("url");
        QTest::addColumn<QString>("shown"); // empty: refused
        QTest::newRow("plain") << "mqtt://broker.lab"
                               << "mqtt://broker.lab:1883";
        QTest::newRow("tls") << "MQTTS://broker.lab"
                             << "mqtts://broker.lab:8883";
        QTest::newRow("port") << "mqtt://10.0.0.5:11883/"
                              << "mqtt://10.0.0.5:11883";
        QTest::newRow("ipv6") << "mqtt://[::1]:1884"
                              << "mqtt://[::1]:1884";
        QTest::newRow("no scheme") << "broker.lab:1883"
                                   << "";
        QTest::newRow("http") << "http://broker.lab"
                              << "";
        QTest::newRow("no host") << "mqtt://:1883"
                                 << "";
        QTest::newRow("port 0") << "mqtt://h:0"
                                << "";
        QTest::newRow("port too big") << "mqtt://h:65536"
                                      << "";
        QTest::newRow("user info") << "mqtt://u:p@h"
                                   << "";
        QTest::newRow("path") << "mqtt://h/topic"
                              << "";
    }
    void brokerUrls() {
        QFETCH(QString, url);
        QFETCH(QString, shown);
        const auto address = parseBrokerUrl(url);
        QCOMPARE(address ? address->url() : QString(), shown);
    }

    void settingsFileAndOptions() {
        QTemporaryDir home;
        QFile password(home.filePath("secret"));
        QVERIFY(password.open(QIODevice::WriteOnly));
        password.write("s3cret pass\r\nsecond line\n");
        password.close();
        MqttSetupInput input;
        input.home = home.path();
        input.defaultTopic = "nimbar/host";
        input.defaultClientId = "Nimbar5610-host-1";
        input.fileText = "# broker\n\nurl = mqtt://file.lab\n username=lab \n"
                         "password_file = secret\nhomeassistant = yes\nprotocol = 5\n"
                         "colour = blue\nthis is no setting\nhomeassistant = maybe\n";
        MqttSetup setup = mqttSetup(input);
        QVERIFY(setup.settings);
        QCOMPARE(setup.settings->broker.url(), "mqtt://file.lab:1883");
        QCOMPARE(setup.settings->topicPrefix, "nimbar/host");
        QCOMPARE(setup.settings->username, "lab");
        QCOMPARE(setup.settings->password, QByteArray("s3cret pass"));
        QVERIFY(setup.settings->homeAssistant);
        QCOMPARE(setup.settings->protocolVersion, 5);
        QCOMPARE(setup.settings->clientId, "Nimbar5610-host-1");
        QCOMPARE(setup.notices.size(),
                 3); // the unknown key and the two lines that are not settings
        QCOMPARE(setup.notices[0].kind, MqttNotice::Kind::UnknownKey);
        QCOMPARE(setup.notices[0].count, 8);
        QCOMPARE(setup.notices[2].kind, MqttNotice::Kind::BadSetting);

        input.urlOption = "mqtts://option.lab:9883";
        input.topicOption = "site/line3/";
        setup = mqttSetup(input);
        QCOMPARE(setup.settings->broker.url(), "mqtts://option.lab:9883");
        QCOMPARE(setup.settings->topicPrefix, "site/line3");

        const auto refusal = [&](const QByteArray& file, std::optional<QString> topic) {
            MqttSetupInput bad = input;
            bad.fileText = file;
            bad.urlOption.reset();
            bad.topicOption = topic;
            const MqttSetup result = mqttSetup(bad);
            return result.settings || result.notices.isEmpty()
                       ? std::nullopt
                       : std::optional(result.notices.value(0).kind);
        };
        input.fileText.clear();
        input.urlOption.reset();
        input.topicOption.reset();
        QVERIFY(!mqttSetup(input).settings); // nothing asks for a broker
        QCOMPARE(refusal("url = mqtt://h\npassword_file = missing\n", std::nullopt),
                 MqttNotice::Kind::UnreadableFile);
        QCOMPARE(refusal("url = mqtts://h\nca_file = /no/such/ca.pem\n", std::nullopt),
                 MqttNotice::Kind::UnreadableFile);
        QCOMPARE(refusal("", QString("a/b")), MqttNotice::Kind::TopicWithoutUrl);
        QCOMPARE(refusal("url = mqtt://h\n", QString("a/#")), MqttNotice::Kind::BadTopic);
        QCOMPARE(refusal("url = mqtt://h\n", QString("a//b")), MqttNotice::Kind::BadTopic);
        QCOMPARE(refusal("url = tcp://h\n", std::nullopt), MqttNotice::Kind::BadUrl);
    }

    void outboxKeepsOrderUntilAcknowledged() {
        MqttOutbox outbox(5);
        for (int i = 0; i < 4; ++i)
            outbox.append(record(i % 2, i));
        // A window of two: two in flight, the others wait.
        QCOMPARE(outbox.next(2)->msecs, 0);
        QVERIFY(!outbox.sent(10)); // board 0 has a newer record waiting
        QCOMPARE(outbox.next(2)->msecs, 1);
        outbox.sent(11);
        QVERIFY(!outbox.next(2));
        // The second is acknowledged first: nothing leaves before the first has.
        outbox.acknowledged(11);
        QCOMPARE(outbox.size(), 4u);
        QCOMPARE(outbox.next(2)->msecs, 2);
        QVERIFY(outbox.sent(12)); // the newest record of board 0
        // The connection ends: the first and third go again, in order; the second stays done.
        outbox.resendAll();
        QCOMPARE(outbox.inFlight(), 0u);
        QCOMPARE(outbox.next(8)->msecs, 0);
        outbox.sent(1);
        QCOMPARE(outbox.next(8)->msecs, 2);
        outbox.sent(2);
        QCOMPARE(outbox.next(8)->msecs, 3);
        QVERIFY(outbox.sent(3));
        outbox.acknowledged(1);
        outbox.acknowledged(2);
        QCOMPARE(outbox.size(), 1u);
        outbox.acknowledged(3);
        QVERIFY(outbox.empty());

        // Full in an outage: the oldest give way to the newest.
        for (int i = 0; i < 5; ++i)
            QVERIFY(!outbox.append(record(0, 100 + i)));
        QVERIFY(outbox.append(record(0, 105)));
        QVERIFY(outbox.append(record(0, 106)));
        QCOMPARE(outbox.size(), 5u);
        QCOMPARE(outbox.next(1)->msecs, 102);
    }
};

QTEST_GUILESS_MAIN(MqttPayloadsTest)
#include "tst_MqttPayloads.moc"
