// The web side's own HTTP server against peers that misbehave: too many connections, requests
// sent back to back, a reader that stops reading a stream, a WebSocket viewer that reads nothing.
#include "web/WebServer.h"

#include <QTcpSocket>
#include <QTest>
#include <QWebSocket>

#include <memory>
#include <vector>

using namespace nimbar;

namespace {

constexpr char kUpgrade[] = "GET /live HTTP/1.1\r\nHost: 127.0.0.1\r\nUpgrade: websocket\r\n"
                            "Connection: Upgrade\r\nSec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\n"
                            "Sec-WebSocket-Version: 13\r\n\r\n";

struct Fixture {
    WebServer server;
    qint64 produced = 0;

    Fixture() {
        server.setHandler([this](HttpConnection& c, const HttpRequest& r) {
            if (r.path == "/live")
                server.upgrade(c);
            else if (r.path == "/endless")
                c.respondStream(200, "text/plain", [this] {
                    produced += 65536;
                    return std::optional<QByteArray>(QByteArray(65536, 'x'));
                });
            else
                c.respondText(200, r.path.toUtf8());
        });
        QString error;
        ListenAddress where{QHostAddress(QHostAddress::LocalHost), 0};
        QVERIFY2(server.listen(where, error), qPrintable(error));
    }

    // Connects without waiting: the server accepts on this thread's event loop.
    std::unique_ptr<QTcpSocket> connect() {
        auto socket = std::make_unique<QTcpSocket>();
        socket->connectToHost(QHostAddress::LocalHost, server.port());
        return socket;
    }
};

} // namespace

class WebServerTest : public QObject {
    Q_OBJECT
private slots:
    void connectionsAreBounded() {
        Fixture f;
        std::vector<std::unique_ptr<QTcpSocket>> idle;
        for (int i = 0; i < WebServer::kMaxConnections + 20; ++i) {
            idle.push_back(f.connect());
            QTest::qWait(1);
        }
        QTRY_COMPARE(f.server.connectionCount(), WebServer::kMaxConnections);
        // The ones past the bound are closed at once, without a byte.
        int closed = 0;
        QTRY_VERIFY([&] {
            closed = 0;
            for (auto& socket : idle)
                closed += socket->state() == QAbstractSocket::UnconnectedState ? 1 : 0;
            return closed == 20;
        }());
        idle.clear();
        QTRY_COMPARE(f.server.connectionCount(), 0);
    }

    void requestsBackToBackAreAnsweredInOrder() {
        Fixture f;
        auto socket = f.connect();
        socket->write("GET /one HTTP/1.1\r\nHost: h\r\n\r\nGET /two HTTP/1.1\r\nHost: h\r\n"
                      "Connection: close\r\n\r\n");
        QByteArray answer;
        QTRY_VERIFY(
            (answer += socket->readAll(), socket->state() == QAbstractSocket::UnconnectedState));
        answer += socket->readAll();
        QCOMPARE(answer.count("HTTP/1.1 200 OK"), 2);
        QVERIFY(answer.indexOf("/one") < answer.indexOf("/two"));
        QVERIFY(answer.contains("Connection: close"));
    }

    void aStreamWaitsForItsReader() {
        Fixture f;
        auto socket = f.connect();
        socket->setReadBufferSize(1); // reads nothing more from the kernel
        socket->write("GET /endless HTTP/1.1\r\nHost: h\r\n\r\n");
        QTest::qWait(1500);
        // The kernel's buffers and one window, not an endless body in memory.
        const qint64 stalled = f.produced;
        QVERIFY2(stalled < 32 * 1024 * 1024, qPrintable(QString::number(stalled)));
        QTest::qWait(500);
        QCOMPARE(f.produced, stalled);
        socket->setReadBufferSize(0);
        qint64 read = 0;
        QTRY_VERIFY((read += socket->readAll().size(), read > stalled + 4 * 1024 * 1024));
        QVERIFY(f.produced > stalled);
    }

    void aViewerThatReadsNothingIsDropped() {
        Fixture f;
        QWebSocket reader;
        int received = 0;
        QObject::connect(&reader, &QWebSocket::textMessageReceived, [&] { ++received; });
        reader.open(QUrl(QString("ws://127.0.0.1:%1/live").arg(f.server.port())));
        auto stuck = f.connect();
        stuck->write(kUpgrade);
        QTRY_VERIFY(stuck->bytesAvailable() > 0 && f.server.viewerCount() == 2);
        QVERIFY(stuck->readAll().startsWith("HTTP/1.1 101"));
        stuck->setReadBufferSize(1);
        QCOMPARE(f.server.connectionCount(), 2);

        const QString message(32768, QChar('v'));
        int sent = 0;
        for (; sent < 2000 && f.server.viewerCount() == 2; ++sent) {
            f.server.broadcast(message);
            QTest::qWait(2);
        }
        QCOMPARE(f.server.viewerCount(), 1);
        QTRY_COMPARE(f.server.connectionCount(), 1); // its slot is free again
        QTRY_COMPARE(received, sent);                // the reader got every one
        reader.close();
        QTRY_COMPARE(f.server.viewerCount(), 0);
        QTRY_COMPARE(f.server.connectionCount(), 0);

        // A handshake that fails gives its slot back too.
        auto bad = f.connect();
        bad->write("GET /live HTTP/1.1\r\nHost: h\r\nUpgrade: websocket\r\nConnection: "
                   "Upgrade\r\n\r\n");
        QTRY_COMPARE(bad->state(), QAbstractSocket::UnconnectedState);
        QTRY_COMPARE(f.server.connectionCount(), 0);
    }
};

QTEST_GUILESS_MAIN(WebServerTest)
#include "tst_WebServer.moc"
