// Hostile or broken peers over loopback: a client flooding the server with oversized requests,
// a listening socket paused by a resource error, and a logger whose connection drops in the
// middle of a frame.
#include "net/NetClient.h"
#include "net/NetFrame.h"
#include "net/NetServer.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <memory>

using namespace nimbar;

namespace {

std::unique_ptr<QTcpSocket> connectTo(int port) {
    auto socket = std::make_unique<QTcpSocket>();
    socket->connectToHost("127.0.0.1", static_cast<quint16>(port));
    socket->waitForConnected(3000);
    return socket;
}

// Sends a request and waits, bounded, for an answer of size bytes.
QByteArray ask(QTcpSocket& socket, uint8_t code, int size) {
    socket.write(encodeRequest(code));
    socket.flush();
    (void)QTest::qWaitFor([&] { return socket.bytesAvailable() >= size; }, 3000);
    return socket.readAll();
}

} // namespace

class NetFaultsTest : public QObject {
    Q_OBJECT
private slots:
    void aFloodOfOversizedRequestsIsDroppedAndServingGoesOn() {
        BoardConfigs boards{};
        BoardRuntimes runtimes{};
        NetServer server(boards, runtimes, 0);
        QCOMPARE(server.openAll(), 4);
        auto flooder = connectTo(server.port(0));
        auto other = connectTo(server.port(1));
        QVERIFY(QTest::qWaitFor([&] { return server.listed().size() == 2; }, 3000));

        const QByteArray block(64 * 1024, '\xA0');
        for (int i = 0; i < 64; ++i) { // 4 MB
            flooder->write(block);
            flooder->waitForBytesWritten(1000);
            QCoreApplication::processEvents();
            if (i % 16 == 0)
                QCOMPARE(ask(*other, NetCode::Measurement, 88).size(), 88);
        }
        QTest::qWait(200);
        QCOMPARE(flooder->bytesAvailable(), 0); // nothing of it was answered
        QCOMPARE(ask(*flooder, NetCode::Measurement, 88).size(), 88);
        QCOMPARE(ask(*other, NetCode::Configuration, 1168).size(), 1168);
        QCOMPARE(server.listed().size(), 2);
    }

    void acceptingResumesAfterAResourceError() {
        BoardConfigs boards{};
        BoardRuntimes runtimes{};
        NetServer server(boards, runtimes, 0);
        QCOMPARE(server.openAll(), 4);
        // As the socket layer does when descriptors run out: pause, then report.
        auto* listener = server.findChild<QTcpServer*>("SS1");
        QVERIFY(listener);
        listener->pauseAccepting();
        emit listener->acceptError(QAbstractSocket::SocketResourceError);
        auto client = connectTo(server.port(0));
        QVERIFY(QTest::qWaitFor([&] { return server.listed().size() == 1; }, 5000));
        QCOMPARE(ask(*client, NetCode::Measurement, 88).size(), 88);
    }

    void aFrameCutByADroppedConnectionIsForgotten() {
        QTcpServer logger;
        QVERIFY(logger.listen(QHostAddress::LocalHost));
        BoardRuntimes runtimes{};
        ClientSettings settings = defaultClientSettings("");
        settings.remoteBoard[0] = 0;
        NetClient client(runtimes, settings, logger.serverPort());
        QSignalSpy lines(&client, &NetClient::measurementReceived);
        const auto accept = [&] {
            return QTest::qWaitFor([&] { return logger.hasPendingConnections(); }, 3000)
                       ? logger.nextPendingConnection()
                       : nullptr;
        };

        QVERIFY(client.connectBoard(0, "127.0.0.1"));
        QTcpSocket* first = accept();
        QVERIFY(first);
        char stale[kLineBufferSize] = "111111, 111111\r\n";
        first->write(measurementResponse(stale).left(40));
        first->flush();
        QTest::qWait(50);
        first->abort();
        QVERIFY(QTest::qWaitFor([&] { return !client.isConnected(0); }, 3000));

        QVERIFY(client.connectBoard(0, "127.0.0.1"));
        QTcpSocket* second = accept();
        QVERIFY(second);
        char fresh[kLineBufferSize] = "222222, 222222\r\n";
        second->write(measurementResponse(fresh));
        second->flush();
        QVERIFY(lines.wait(3000));
        QCOMPARE(lines.size(), 1);
        QCOMPARE(QByteArray(lines.at(0).at(1).toByteArray().constData()), QByteArray(fresh));
    }
};

QTEST_GUILESS_MAIN(NetFaultsTest)
#include "tst_NetFaults.moc"
