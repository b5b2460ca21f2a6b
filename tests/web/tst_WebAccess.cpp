// Who the web side and the board service answer: the allow-list file, the --web address, the
// token, the Host and Origin checks; and the JSON texts the API answers with.
#include "net/AllowList.h"
#include "net/ListenAddress.h"
#include "settings/RecordText.h"
#include "web/WebAccess.h"
#include "web/WebJson.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <QTest>

using namespace nimbar;

namespace {

HttpRequest request(const QByteArray& head) {
    return parseRequestHead(head + "\r\n").request;
}

} // namespace

class WebAccessTest : public QObject {
    Q_OBJECT
private slots:
    void allowListTakesAddressesAndRanges() {
        const AllowList list = AllowList::parse("# the lab\n"
                                                "192.168.10.0/24   # bench PCs\r\n"
                                                "\n"
                                                "10.1.2.3\n"
                                                "fd00::/8\n"
                                                "10.1\n"
                                                "192.168.0.0/33\n"
                                                "host.example\n");
        QVERIFY(list.restricts());
        QCOMPARE(list.errorLines(), QList<int>({6, 7, 8}));
        QVERIFY(list.allows(QHostAddress("192.168.10.77")));
        QVERIFY(list.allows(QHostAddress("::ffff:192.168.10.77"))); // a dual-stack peer
        QVERIFY(list.allows(QHostAddress("10.1.2.3")));
        QVERIFY(list.allows(QHostAddress("fd12::1")));
        QVERIFY(!list.allows(QHostAddress("192.168.11.1")));
        QVERIFY(!list.allows(QHostAddress("10.1.2.4")));
        QVERIFY(!list.allows(QHostAddress("127.0.0.1"))); // the loopback only when listed

        QTemporaryDir dir;
        const AllowList absent = AllowList::load(dir.filePath("none.allow"));
        QVERIFY(!absent.restricts());
        QVERIFY(absent.allows(QHostAddress("203.0.113.9")));
        QVERIFY(QDir().mkpath(dir.filePath("folder.allow")));
        const AllowList unreadable = AllowList::load(dir.filePath("folder.allow"));
        QCOMPARE(unreadable.errorLines(), QList<int>{0});
        QVERIFY(!unreadable.allows(QHostAddress("127.0.0.1")));

        QCOMPARE(allowListErrorText("Nimbar5610.allow", {6, 7}, false),
                 QString("Nimbar5610.allow: lines 6, 7 are not addresses or CIDR ranges and were "
                         "ignored."));
        QVERIFY(allowListErrorText("Nimbar5610.allow", {0}, true).contains("읽을 수 없어"));
    }

    void listenAddressIsLoopbackUnlessGiven_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("address"); // empty: refused
        QTest::addColumn<int>("port");
        QTest::newRow("port") << "8080"
                              << "127.0.0.1" << 8080;
        QTest::newRow("any") << "0.0.0.0:8080"
                             << "0.0.0.0" << 8080;
        QTest::newRow("v6") << "[::]:80"
                            << "::" << 80;
        QTest::newRow("localhost") << "localhost:1"
                                   << "127.0.0.1" << 1;
        QTest::newRow("free port") << "0"
                                   << "127.0.0.1" << 0;
        QTest::newRow("too big") << "65536"
                                 << "" << 0;
        QTest::newRow("no port") << "0.0.0.0:"
                                 << "" << 0;
        QTest::newRow("no address") << ":8080"
                                    << "" << 0;
        QTest::newRow("v6 bare") << "::1:8080"
                                 << "" << 0;
        QTest::newRow("name") << "lab.example:8080"
                              << "" << 0;
        QTest::newRow("short v4") << "1.2.3:80"
                                  << "" << 0;
        QTest::newRow("sign") << "+80"
                              << "" << 0;
    }
    void listenAddressIsLoopbackUnlessGiven() {
        QFETCH(QString, text);
        QFETCH(QString, address);
        QFETCH(int, port);
        QString error;
        const std::optional<ListenAddress> parsed = parseListenAddress(text, error);
        QCOMPARE(parsed.has_value(), !address.isEmpty());
        QCOMPARE(error.isEmpty(), !address.isEmpty());
        if (!parsed)
            return;
        QCOMPARE(parsed->address, QHostAddress(address));
        QCOMPARE(int(parsed->port), port);
        QCOMPARE(parsed->beyondLoopback(), !QHostAddress(address).isLoopback());
    }

    void tokenHostAndOrigin() {
        QTemporaryDir dir;
        QFile file(dir.filePath("token"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("  s3cret-Tok+en \nsecond line\n");
        file.close();
        QString error;
        const std::optional<QByteArray> token = readWebToken(file.fileName(), error);
        QCOMPARE(token.value_or(""), QByteArray("s3cret-Tok+en"));
        QVERIFY(!readWebToken(dir.filePath("missing"), error));
        QVERIFY(error.contains("cannot read"));
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("\n");
        file.close();
        QVERIFY(!readWebToken(file.fileName(), error));

        const QByteArray t = "s3cret-Tok+en";
        QVERIFY(carriesToken(
            request("GET / HTTP/1.1\r\nHost: h\r\nAuthorization: bearer " + t + "\r\n"), t));
        QVERIFY(carriesToken(request("GET /?token=s3cret-Tok%2Ben HTTP/1.1\r\nHost: h\r\n"), t));
        QVERIFY(!carriesToken(request("GET /?token=s3cret-Tok%2Be HTTP/1.1\r\nHost: h\r\n"), t));
        QVERIFY(!carriesToken(
            request("GET / HTTP/1.1\r\nHost: h\r\nAuthorization: Basic " + t + "\r\n"), t));
        QVERIFY(!carriesToken(request("GET / HTTP/1.1\r\nHost: h\r\n"), t));

        QVERIFY(namesLoopback(request("GET / HTTP/1.1\r\nHost: 127.0.0.1:8080\r\n")));
        QVERIFY(namesLoopback(request("GET / HTTP/1.1\r\nHost: [::1]:8080\r\n")));
        QVERIFY(namesLoopback(request("GET / HTTP/1.1\r\nHost: LOCALHOST\r\n")));
        QVERIFY(!namesLoopback(request("GET / HTTP/1.1\r\nHost: evil.example:8080\r\n")));

        QVERIFY(sameOrigin(request("GET / HTTP/1.1\r\nHost: 127.0.0.1:8080\r\n")));
        QVERIFY(sameOrigin(request("GET / HTTP/1.1\r\nHost: 127.0.0.1:8080\r\n"
                                   "Origin: http://127.0.0.1:8080\r\n")));
        QVERIFY(sameOrigin(request("GET / HTTP/1.1\r\nHost: [::1]:8080\r\n"
                                   "Origin: http://[::1]:8080\r\n")));
        QVERIFY(!sameOrigin(request("GET / HTTP/1.1\r\nHost: 127.0.0.1:8080\r\n"
                                    "Origin: http://evil.example\r\n")));
        QVERIFY(!sameOrigin(request("GET / HTTP/1.1\r\nHost: 127.0.0.1:8080\r\n"
                                    "Origin: null\r\n")));
    }

    void jsonOfABoardAndItsLine() {
        BoardConfig config = defaultBoardConfig(2, "~/Nimbar");
        setFieldText(config.model, QString("KARN-5400"));
        setFieldText(config.jobTitle, QString("가마 1"));
        config.tcType = 1;
        for (int ch = 0; ch < kChannelCount; ++ch)
            config.channelType[ch] = ch == 3 ? 0 : 1;
        config.channelVisible[2] = 0;
        BoardSnapshot snapshot{
            config, true, QDateTime(QDate(2026, 12, 11), QTime(14, 0), Qt::OffsetFromUTC, 9 * 3600),
            std::nullopt};
        const QJsonObject board = boardObject(2, snapshot);
        QCOMPARE(board["board"].toInt(), 3);
        QCOMPARE(board["letter"].toString(), QString("C"));
        QCOMPARE(board["jobTitle"].toString(), QString("가마 1"));
        QCOMPARE(board["recordingStart"].toString(), QString("2026-12-11T14:00:00.000+09:00"));
        const QJsonArray channels = board["channels"].toArray();
        QCOMPARE(channels.size(), 9);
        QCOMPARE(channels[0].toObject()["name"].toString(), QString("C-0")); // blanks trimmed
        QCOMPARE(channels[0].toObject()["unit"].toString(), QString("°C"));
        QCOMPARE(channels[3].toObject()["unit"].toString(), QString("mV"));
        QCOMPARE(channels[1].toObject()["unit"].toString(), QString("°C"));
        QVERIFY(!channels[2].toObject()["visible"].toBool()); // unticked
        QVERIFY(channels[4].toObject()["visible"].toBool());
        QVERIFY(!channels[5].toObject()["visible"].toBool()); // a KARN-5400 sends CH0..CH4
        config.tcType = 0;
        QCOMPARE(channelUnit(config, 1), QString("mV"));
        QCOMPARE(channelUnit(config, 0), QString("°C")); // a 5400's reference stays a temperature
        setFieldText(config.model, QString("KARN-5610"));
        QCOMPARE(channelUnit(config, 0), QString("mV"));

        QCOMPARE(lineObject(2, std::nullopt)["time"].type(), QJsonValue::Null);
        LiveLine line;
        line.board = 2;
        line.time = QDateTime(QDate(2026, 12, 11), QTime(14, 30, 1, 250), Qt::OffsetFromUTC,
                              -(3 * 3600 + 1800));
        line.values.fill(1.5);
        line.values[1] = 0.1 + 0.2;
        line.valid.fill(true);
        line.valid[4] = false;
        line.alarms[1] = AlarmState::High;
        line.alarms[2] = AlarmState::Low;
        const QJsonObject message = QJsonDocument::fromJson(liveMessage(line).toUtf8()).object();
        QCOMPARE(message["board"].toInt(), 3);
        QCOMPARE(message["time"].toString(), QString("2026-12-11T14:30:01.250-03:30"));
        const QJsonArray values = message["values"].toArray();
        QCOMPARE(values[1].toDouble(), 0.1 + 0.2); // every bit of the double
        QVERIFY(values[4].isNull());
        const QJsonArray alarms = message["alarms"].toArray();
        QCOMPARE(alarms[1].toString(), QString("high"));
        QCOMPARE(alarms[2].toString(), QString("low"));
        QVERIFY(alarms[3].isNull());
    }
};

QTEST_APPLESS_MAIN(WebAccessTest)
#include "tst_WebAccess.moc"
