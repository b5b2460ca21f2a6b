// The logger's server over loopback sockets: the user limit and the refused connection, the
// answers, the ignored requests, the networking switch and a failing connection.
#include "net/NetFrame.h"
#include "net/NetServer.h"
#include "net/NetTexts.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <sys/socket.h>

#include <cstring>
#include <memory>
#include <vector>

using namespace nimbar;

namespace {

struct Fixture {
    BoardConfigs boards{};
    BoardRuntimes runtimes{};
    NetServer server{boards, runtimes, 0}; // any free ports
    QStringList received;
    QStringList sent;
    Fixture() {
        QObject::connect(&server, &NetServer::receiveLogged,
                         [this](const QString& line) { received << line; });
        QObject::connect(&server, &NetServer::sendLogged,
                         [this](const QString& line) { sent << line; });
    }
    std::unique_ptr<QTcpSocket> connectClient(int board) {
        auto socket = std::make_unique<QTcpSocket>();
        socket->connectToHost("127.0.0.1", static_cast<quint16>(server.port(board)));
        socket->waitForConnected(3000);
        return socket;
    }
};

// Waits until the socket holds size bytes (or a little longer for no more) and reads them.
QByteArray readBytes(QTcpSocket& socket, int size) {
    if (!QTest::qWaitFor([&] { return socket.bytesAvailable() >= size; }, 3000))
        qWarning("only %lld of %d bytes arrived", socket.bytesAvailable(), size);
    return socket.readAll();
}

QByteArray request(QTcpSocket& socket, QByteArray bytes, int answerSize) {
    socket.write(bytes);
    socket.flush();
    return readBytes(socket, answerSize);
}

} // namespace

class NetServerTest : public QObject {
    Q_OBJECT
private slots:
    void sixteenthUserGetsTooManyUser() {
        Fixture f;
        f.server.setKorean(false);
        QCOMPARE(f.server.openAll(), 4);
        std::vector<std::unique_ptr<QTcpSocket>> clients;
        for (int i = 0; i < 15; ++i)
            clients.push_back(f.connectClient(i % 4));
        QVERIFY(QTest::qWaitFor([&] { return f.server.listed().size() == 15; }, 5000));
        QCOMPARE(f.server.clientList().size(), 15);
        QVERIFY(
            f.received.contains(QString("Client Connect: %1").arg(f.server.listed().constFirst())));

        const int logged = static_cast<int>(f.received.size());
        auto extra = f.connectClient(2);
        extra->write(encodeRequest(0xB0));
        extra->flush();
        // The notice alone, then the logger closes the connection and forgets it.
        QCOMPARE(readBytes(*extra, 21), closingResponse("Too many user"));
        QVERIFY(QTest::qWaitFor([&] { return extra->state() == QAbstractSocket::UnconnectedState; },
                                3000));
        QCOMPARE(extra->bytesAvailable(), 0);
        QVERIFY(QTest::qWaitFor([&] { return f.server.findChildren<QTcpSocket*>().size() == 15; },
                                3000));
        QCOMPARE(f.server.listed().size(), 15);
        QCOMPARE(f.received.size(), logged);
        QVERIFY(f.sent.isEmpty());
        for (auto& client : clients)
            QCOMPARE(request(*client, encodeRequest(0xA0), 88).size(), 88);
    }

    void measurementRequestsFollowTheLinkWatchdog() {
        Fixture f;
        f.server.setKorean(false);
        f.server.openAll();
        auto client = f.connectClient(1);
        QVERIFY(QTest::qWaitFor([&] { return f.server.listed().size() == 1; }, 3000));
        const QString key = f.server.listed().constFirst();

        // No line yet (linkIdle -1 and 0): a measurement with an empty line.
        const char noLine[kLineBufferSize] = {};
        QCOMPARE(request(*client, encodeRequest(0xA0), 88), measurementResponse(noLine));
        f.runtimes[1].linkIdle = 0;
        QCOMPARE(request(*client, encodeRequest(0xA0), 88), measurementResponse(noLine));
        // A line arrived, then the device stopped.
        std::strcpy(f.runtimes[1].servedLine, "0001, 0002\r\n");
        f.runtimes[1].linkIdle = -2;
        QCOMPARE(request(*client, encodeRequest(0xA0), 88),
                 measurementResponse(f.runtimes[1].servedLine));
        f.runtimes[1].linkIdle = 1;
        QCOMPARE(request(*client, encodeRequest(0xA0), 88), pausedResponse());

        f.boards[1].queueLength = 3600;
        QCOMPARE(request(*client, encodeRequest(0xB0), 1168), configurationResponse(f.boards[1]));
        QCOMPARE(f.received.last(), QString("[DAQ2] Request:[b0] %1 / 5 bytes").arg(key));
        QCOMPARE(f.sent.last(), QString("[DAQ2] Send:[B0] %1 / 1168 bytes").arg(key));
        QCOMPARE(f.sent.at(3), QString("[DAQ2] Send:[C0] %1 / 88 bytes").arg(key));
    }

    void overlongAndUnknownRequestsGetNoAnswer() {
        Fixture f;
        f.server.openAll();
        auto client = f.connectClient(0);
        QVERIFY(QTest::qWaitFor([&] { return f.server.listed().size() == 1; }, 3000));
        const int logged = static_cast<int>(f.received.size());

        client->write(encodeRequest(0xA0) + "x");
        client->flush();
        QTest::qWait(100);
        QCOMPARE(client->bytesAvailable(), 0);
        QCOMPARE(f.received.size(), logged);
        QVERIFY(f.sent.isEmpty());
        // Drained: the next proper request is answered.
        QCOMPARE(request(*client, encodeRequest(0xA0), 88).size(), 88);

        client->write(encodeRequest(0x11));
        client->flush();
        QVERIFY(QTest::qWaitFor([&] { return f.received.last() == "Unkown Code"; }, 3000));
        QTest::qWait(50);
        QCOMPARE(client->bytesAvailable(), 0);
    }

    void disablingNetworkingClosesEverything() {
        Fixture f;
        f.server.setKorean(false);
        f.server.openAll();
        std::vector<std::unique_ptr<QTcpSocket>> clients;
        for (int i = 0; i < 3; ++i)
            clients.push_back(f.connectClient(i));
        QVERIFY(QTest::qWaitFor([&] { return f.server.listed().size() == 3; }, 3000));

        f.received.clear();
        f.server.disableNetworking();
        QVERIFY(f.server.listed().isEmpty());
        QVERIFY(f.server.clientList().isEmpty());
        for (int b = 0; b < 4; ++b)
            QVERIFY(!f.server.isListening(b));
        for (auto& client : clients)
            QCOMPARE(readBytes(*client, 24), closingResponse("Server is closed"));
        // The dropped connections find no key and only log.
        QVERIFY(QTest::qWaitFor([&] { return f.received.count(kNetSeparator) == 3; }, 3000));
        QCOMPARE(f.received.filter("Client Disconnect: ").size(), 3);

        f.received.clear();
        QCOMPARE(f.server.openAll(), 4);
        QCOMPARE(f.received.filter("Listening: ").size(), 4);
    }

    void connectionErrorUnlistsAndCloses() {
        Fixture f;
        f.server.setKorean(false);
        QSignalSpy unhandled(&f.server, &NetServer::unhandledError);
        f.server.openAll();
        auto client = f.connectClient(3);
        QVERIFY(QTest::qWaitFor([&] { return f.server.listed().size() == 1; }, 3000));
        const QString key = f.server.listed().constFirst();
        f.received.clear();

        QTcpSocket* connection = f.server.clientList().constFirst();
        emit connection->errorOccurred(QAbstractSocket::NetworkError);
        QVERIFY(f.server.listed().isEmpty());
        QCOMPARE(f.received, QStringList({QString(kNetSeparator),
                                          QString("Client Socket Error: %1, Error Code:%2")
                                              .arg(key)
                                              .arg(int(QAbstractSocket::NetworkError)),
                                          QString(kNetSeparator), "Client Disconnect: " + key}));
        QCOMPARE(unhandled.size(), 1);
        QVERIFY(QTest::qWaitFor(
            [&] { return client->state() == QAbstractSocket::UnconnectedState; }, 3000));
    }

    // Qt reports a reset like an orderly close; only the reset is an error.
    void resetIsAnErrorAndAnOrderlyCloseIsNot() {
        Fixture f;
        f.server.setKorean(false);
        QSignalSpy unhandled(&f.server, &NetServer::unhandledError);
        f.server.openAll();
        for (const bool reset : {false, true}) {
            auto client = f.connectClient(1);
            QVERIFY(QTest::qWaitFor([&] { return f.server.listed().size() == 1; }, 3000));
            const QString key = f.server.listed().constFirst();
            f.received.clear();
            if (reset) {
                const linger now{1, 0};
                QCOMPARE(::setsockopt(int(client->socketDescriptor()), SOL_SOCKET, SO_LINGER, &now,
                                      sizeof now),
                         0);
            }
            client->abort();
            QVERIFY(QTest::qWaitFor([&] { return f.server.listed().isEmpty(); }, 3000));
            QStringList expected{QString(kNetSeparator), "Client Disconnect: " + key};
            if (reset)
                expected = QStringList{QString(kNetSeparator),
                                       QString("Client Socket Error: %1, Error Code:%2")
                                           .arg(key)
                                           .arg(int(QAbstractSocket::RemoteHostClosedError))} +
                           expected;
            QCOMPARE(f.received, expected);
            QCOMPARE(unhandled.size(), reset ? 1 : 0);
        }
    }

    void busyPortIsReportedAndEndsThePass() {
        QTcpServer holder;
        QVERIFY(holder.listen(QHostAddress::AnyIPv4));
        BoardConfigs boards{};
        BoardRuntimes runtimes{};
        // Board 2's port is taken: boards 1 and 2 listen, 3 and 4 stay closed.
        NetServer server(boards, runtimes, holder.serverPort() - 2);
        QSignalSpy failed(&server, &NetServer::listenFailed);
        const int opened = server.openAll();
        QCOMPARE(failed.size(), 1);
        QCOMPARE(failed.at(0).at(0).toInt(), int(holder.serverPort()));
        QVERIFY(opened <= 2);
        QVERIFY(!server.isListening(2));
        QVERIFY(!server.isListening(3));
    }
};

QTEST_GUILESS_MAIN(NetServerTest)
#include "tst_NetServer.moc"
