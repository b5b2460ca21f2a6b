// The client's board connections against a server scripted here: the poll pace, the
// response handling (split, merged, oversized frames) and the retrying of the unattended mode.
#include "net/NetClient.h"
#include "net/NetFrame.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <sys/socket.h>

#include <memory>

using namespace nimbar;

namespace {

// One listening socket whose accepted connections the test writes to and reads from.
struct ScriptedServer {
    QTcpServer listener;
    QTcpSocket* peer = nullptr;
    ScriptedServer() { listener.listen(QHostAddress::LocalHost); }
    int port() const { return listener.serverPort(); }
    bool accept() {
        if (!QTest::qWaitFor([&] { return listener.hasPendingConnections(); }, 3000))
            return false;
        peer = listener.nextPendingConnection();
        return true;
    }
    // The requests received so far, each 5 bytes, as their codes.
    QList<int> requests() {
        QTest::qWait(20);
        QList<int> codes;
        m_bytes += peer->readAll();
        while (m_bytes.size() >= kNetRequestSize) {
            codes << static_cast<uint8_t>(m_bytes[0]);
            m_bytes.remove(0, kNetRequestSize);
        }
        return codes;
    }
    void send(const QByteArray& bytes) {
        peer->write(bytes);
        peer->flush();
    }
    QByteArray m_bytes;
};

struct Fixture {
    BoardRuntimes runtimes{};
    ClientSettings settings = defaultClientSettings("");
    ScriptedServer server;
    std::unique_ptr<NetClient> client;
    QStringList received;
    QStringList sent;
    explicit Fixture(int remoteBoard = 0) {
        settings.remoteBoard[0] = remoteBoard;
        client = std::make_unique<NetClient>(runtimes, settings, server.port() - remoteBoard);
        client->setKorean(false);
        QObject::connect(client.get(), &NetClient::receiveLogged,
                         [this](const QString& line) { received << line; });
        QObject::connect(client.get(), &NetClient::sendLogged,
                         [this](const QString& line) { sent << line; });
    }
    bool connectBoard() {
        return client->connectBoard(0, "127.0.0.1") && server.accept() &&
               QTest::qWaitFor([&] { return client->isConnected(0); }, 3000);
    }
};

} // namespace

class NetClientTest : public QObject {
    Q_OBJECT
private slots:
    void pollFollowsTheIntervalAndChartBusy() {
        Fixture f;
        f.settings.interval[0] = 2;
        f.runtimes[0].recordCountdown = 2;
        QVERIFY(f.connectBoard());
        QCOMPARE(f.server.requests(), QList<int>{0xB0});
        QCOMPARE(f.sent, QStringList{"[DAQ1] Request:[B0]"});

        QList<int> perTick;
        for (int tick = 0; tick < 4; ++tick) {
            f.client->tick(false);
            perTick << f.server.requests().size();
        }
        QCOMPARE(perTick, QList<int>({0, 1, 0, 1}));
        QCOMPARE(f.sent.last(), QString("[DAQ1] Request:[b0]"));

        // Ran down while the charts were busy: fires on the first free tick, then restarts.
        f.client->tick(true);
        f.client->tick(true);
        f.client->tick(true);
        QVERIFY(f.server.requests().isEmpty());
        f.client->tick(false);
        QCOMPARE(f.server.requests().size(), 1);
        QCOMPARE(f.runtimes[0].recordCountdown, 2);

        // Unconnected boards send nothing but restart their countdowns.
        f.settings.interval[1] = 1;
        f.client->tick(false);
        QCOMPARE(f.runtimes[1].recordCountdown, 1);
        QVERIFY(!f.client->isConnected(1));
    }

    void remoteBoardChoosesThePort() {
        Fixture f(2);
        QCOMPARE(f.client->port(0), f.server.port());
        QVERIFY(f.connectBoard());
    }

    void configurationAndMeasurements() {
        Fixture f;
        QSignalSpy configs(f.client.get(), &NetClient::configurationReceived);
        QSignalSpy lines(f.client.get(), &NetClient::measurementReceived);
        f.runtimes[0].recordCountdown = 1;
        f.settings.interval[0] = 1;
        QVERIFY(f.connectBoard());

        BoardConfig board{};
        board.queueLength = 3600;
        const QByteArray config = configurationResponse(board);
        f.server.send(config.left(500));
        QTest::qWait(20);
        QVERIFY(configs.isEmpty());
        f.server.send(config.mid(500));
        QVERIFY(configs.wait(3000));
        QCOMPARE(configs.at(0).at(1).value<BoardConfig>().queueLength, 3600);
        QVERIFY(f.client->configReceived(0));
        QCOMPARE(f.received.last(), QString("[DAQ1] Received:[b0] 1168 bytes"));

        f.server.requests();
        f.client->tick(false);
        QCOMPARE(f.server.requests(), QList<int>{0xA0});

        char first[kLineBufferSize] = "0001, 0002\r\n";
        char second[kLineBufferSize] = "0003, 0004\r\n";
        f.server.send(measurementResponse(first) + measurementResponse(second));
        QVERIFY(QTest::qWaitFor([&] { return lines.size() == 2; }, 3000));
        QCOMPARE(QByteArray(lines.at(1).at(1).toByteArray().constData()), QByteArray(second));
        QCOMPARE(lines.at(1).at(1).toByteArray().size(), kReceivedLineSize);

        f.server.send(encodeResponse(0x77, "?"));
        QVERIFY(
            QTest::qWaitFor([&] { return f.received.last() == "Unknown Nimbar response."; }, 3000));

        QByteArray oversized = encodeResponse(0xA0, QByteArray(80, '1'));
        oversized[5] = 0x10; // length 4184
        f.server.send(oversized);
        QVERIFY(QTest::qWaitFor([&] { return f.received.last() == "Too many data"; }, 3000));
        // Still following afterwards.
        f.server.send(measurementResponse(first));
        QVERIFY(QTest::qWaitFor([&] { return lines.size() == 3; }, 3000));
    }

    void pausedStopsPollingUntilTheNextConnect() {
        Fixture f;
        QSignalSpy disconnected(f.client.get(), &NetClient::boardDisconnected);
        f.settings.interval[0] = 1;
        QVERIFY(f.connectBoard());
        f.server.requests();
        f.server.send(pausedResponse());
        QVERIFY(disconnected.wait(3000));
        QCOMPARE(f.received.last(), QString("Nimbar DAQ paused."));
        QVERIFY(f.client->pollStopped(0));
        for (int tick = 0; tick < 3; ++tick)
            f.client->tick(false);
        QVERIFY(f.server.requests().isEmpty());

        QVERIFY(f.connectBoard());
        QVERIFY(!f.client->pollStopped(0));
        QCOMPARE(f.server.requests(), QList<int>{0xB0});
    }

    // Qt reports a reset like an orderly close; only the reset is a connection error.
    void resetIsAConnectionErrorAndAnOrderlyCloseIsNot() {
        for (const bool reset : {false, true}) {
            Fixture f;
            QSignalSpy errors(f.client.get(), &NetClient::boardError);
            QSignalSpy disconnected(f.client.get(), &NetClient::boardDisconnected);
            QVERIFY(f.connectBoard());
            f.server.requests(); // closing over unread requests would reset the connection too
            if (reset) {
                const linger now{1, 0};
                QCOMPARE(::setsockopt(int(f.server.peer->socketDescriptor()), SOL_SOCKET, SO_LINGER,
                                      &now, sizeof now),
                         0);
            }
            f.server.peer->abort();
            QVERIFY(QTest::qWaitFor([&] { return disconnected.size() == 1; }, 3000));
            QCOMPARE(errors.size(), reset ? 1 : 0);
            if (reset)
                QCOMPARE(errors.front().at(1).toString(), QString("DAQ1 Connection Error."));
        }
    }

    void unattendedModeRetriesAfterClosing() {
        Fixture f;
        f.client->setRetry(true, 50);
        QVERIFY(f.connectBoard());
        f.server.send(closingResponse("Server is closed"));
        QVERIFY(QTest::qWaitFor([&] { return f.received.contains("Nimbar terminated."); }, 3000));
        QVERIFY(f.server.accept());
        QVERIFY(QTest::qWaitFor([&] { return f.client->isConnected(0); }, 3000));

        // The user's own disconnect is not retried.
        f.client->disconnectBoard(0);
        QTest::qWait(150);
        QVERIFY(!f.server.listener.hasPendingConnections());
    }
};

QTEST_GUILESS_MAIN(NetClientTest)
#include "tst_NetClient.moc"
