// The request-head parser of the web side, byte for byte: what it takes, what it waits for and
// what it refuses with which status.
#include "web/HttpRequest.h"
#include "web/HttpResponse.h"

#include <QTest>

using namespace nimbar;

class HttpRequestTest : public QObject {
    Q_OBJECT
private slots:
    void takesAGetWithItsParts() {
        const QByteArray bytes = "GET /api/history?board=1&from=2026-12-11T14%3A00%3A00%2B09%3A00 "
                                 "HTTP/1.1\r\nHost: 127.0.0.1:8080\r\nX-Long:  a b \t\r\n"
                                 "CONNECTION: Upgrade, keep-alive\r\nUpgrade: WebSocket\r\n\r\n"
                                 "GET / HTTP/1.1\r\n";
        const HeadParse parse = parseRequestHead(bytes);
        QCOMPARE(parse.result, HeadParse::Complete);
        QCOMPARE(parse.length, bytes.indexOf("\r\n\r\n") + 4);
        const HttpRequest& r = parse.request;
        QCOMPARE(r.method, QByteArray("GET"));
        QCOMPARE(r.path, QString("/api/history"));
        QCOMPARE(r.query.queryItemValue("from", QUrl::FullyDecoded),
                 QString("2026-12-11T14:00:00+09:00"));
        QCOMPARE(r.header("host"), QByteArray("127.0.0.1:8080"));
        QCOMPARE(r.header("x-long"), QByteArray("a b"));
        QVERIFY(r.keepAlive());
        QVERIFY(r.wantsWebSocket());

        const HttpRequest old = parseRequestHead("GET /%2e%2e/a%20b HTTP/1.0\r\n\r\n").request;
        QCOMPARE(old.path, QString("/../a b")); // decoded, never a file name
        QVERIFY(!old.keepAlive());
        QVERIFY(!parseRequestHead("GET / HTTP/1.1\r\nHost: h\r\nConnection: close\r\n\r\n")
                     .request.keepAlive());
    }

    void waitsOrRefuses_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("result");
        QTest::addColumn<int>("status");
        const int wait = HeadParse::Incomplete;
        const int refused = HeadParse::Refused;
        QTest::newRow("partial") << QByteArray("GET / HTTP/1.1\r\nHost: h\r\n") << wait << 0;
        QTest::newRow("one byte") << QByteArray("G") << wait << 0;
        QTest::newRow("garbage at once") << QByteArray("\x16\x03\x01\x02", 4) << refused << 400;
        QTest::newRow("no host") << QByteArray("GET / HTTP/1.1\r\n\r\n") << refused << 400;
        QTest::newRow("bare LF") << QByteArray("GET / HTTP/1.1\nHost: h\r\n\r\n") << refused << 400;
        QTest::newRow("folded") << QByteArray("GET / HTTP/1.1\r\nHost: h\r\n x\r\n\r\n") << refused
                                << 400;
        QTest::newRow("blank before colon")
            << QByteArray("GET / HTTP/1.1\r\nHost : h\r\n\r\n") << refused << 400;
        QTest::newRow("control in value")
            << QByteArray("GET / HTTP/1.1\r\nHost: h\x01\r\n\r\n") << refused << 400;
        QTest::newRow("absolute target")
            << QByteArray("GET http://h/ HTTP/1.1\r\nHost: h\r\n\r\n") << refused << 400;
        QTest::newRow("blank in target")
            << QByteArray("GET /a b HTTP/1.1\r\nHost: h\r\n\r\n") << refused << 400;
        QTest::newRow("version 2")
            << QByteArray("GET / HTTP/2.0\r\nHost: h\r\n\r\n") << refused << 505;
        QTest::newRow("body") << QByteArray(
                                     "POST / HTTP/1.1\r\nHost: h\r\nContent-Length: 5\r\n\r\n")
                              << refused << 413;
        QTest::newRow("chunked body")
            << QByteArray("POST / HTTP/1.1\r\nHost: h\r\nTransfer-Encoding: chunked\r\n\r\n")
            << refused << 413;
        QTest::newRow("bad length")
            << QByteArray("GET / HTTP/1.1\r\nHost: h\r\nContent-Length: -1\r\n\r\n") << refused
            << 400;
        QTest::newRow("huge header")
            << "GET / HTTP/1.1\r\nHost: h\r\nX: " + QByteArray(kMaxHeadBytes, 'a') + "\r\n\r\n"
            << refused << 431;
        QByteArray many = "GET / HTTP/1.1\r\nHost: h\r\n";
        for (int i = 0; i < kMaxHeaderLines; ++i)
            many += "X: y\r\n";
        QTest::newRow("too many lines") << many + "\r\n" << refused << 431;
    }
    void waitsOrRefuses() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, result);
        QFETCH(int, status);
        const HeadParse parse = parseRequestHead(bytes);
        QCOMPARE(int(parse.result), result);
        QCOMPARE(parse.status, status);
    }

    void answersAreWellFormed() {
        QCOMPARE(responseHead(404, {{"Content-Length", "0"}}),
                 QByteArray("HTTP/1.1 404 Not Found\r\nCache-Control: no-store\r\n"
                            "X-Content-Type-Options: nosniff\r\nContent-Length: 0\r\n\r\n"));
        QCOMPARE(chunk("hello, world"), QByteArray("c\r\nhello, world\r\n"));
        QCOMPARE(chunk({}), QByteArray("0\r\n\r\n"));
    }
};

QTEST_APPLESS_MAIN(HttpRequestTest)
#include "tst_HttpRequest.moc"
