// The web side of the running logger: Nimbar5610 with two simulated devices, serving the page on
// every address with a token and an allow-list file. What the API, the WebSocket, the history
// and the page in headless Chromium show must be what the logger records; hostile peers get
// their 4xx or a closed connection while the records keep their pace.
#include "FreePorts.h"
#include "RecordedValues.h"
#include "RecordingFiles.h"
#include "SimulatedBoard.h"
#include "Simulator.h"
#include "ToolRun.h"
#include "net/NetFrame.h"
#include "processing/DateTimeValue.h"
#include "processing/InvalidValue.h"
#include "settings/BoardConfig.h"
#include "settings/RecordText.h"
#include "settings/SettingsFile.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWebSocket>

#include <algorithm>
#include <csignal>
#include <map>
#include <memory>

using namespace nimbar;

namespace {

constexpr char kToken[] = "Lab+Token/2026=";
constexpr char kTokenQuery[] = "Lab%2BToken%2F2026%3D";
const QStringList kModels{"KARN-5610", "KARN-5800"};

struct Answer {
    int status = 0;
    QByteArray head;
    QByteArray body;
    bool answered() const { return status > 0; }
};

QByteArray dechunk(const QByteArray& body) {
    QByteArray out;
    qsizetype at = 0;
    for (;;) {
        const qsizetype end = body.indexOf("\r\n", at);
        bool ok = false;
        const qsizetype size = end < 0 ? 0 : body.mid(at, end - at).toLongLong(&ok, 16);
        if (!ok || size == 0)
            return out;
        out += body.mid(end + 2, size);
        at = end + 2 + size + 2;
    }
}

// Sends bytes on a new connection (from the source address when given) and reads until the
// logger closes it.
Answer exchange(quint16 port, const QByteArray& bytes, const QHostAddress& from = {}) {
    QTcpSocket socket;
    if (!from.isNull())
        socket.bind(from);
    socket.connectToHost(QHostAddress::LocalHost, port);
    Answer answer;
    if (!socket.waitForConnected(5000))
        return answer;
    socket.write(bytes);
    QByteArray all;
    QElapsedTimer clock;
    clock.start();
    while (socket.state() == QAbstractSocket::ConnectedState && clock.elapsed() < 15000)
        if (socket.waitForReadyRead(200))
            all += socket.readAll();
    all += socket.readAll();
    const qsizetype end = all.indexOf("\r\n\r\n");
    answer.head = all.left(end);
    answer.body = all.mid(end + 4);
    if (answer.head.toLower().contains("transfer-encoding: chunked"))
        answer.body = dechunk(answer.body);
    answer.status = all.startsWith("HTTP/1.1 ") ? all.mid(9, 3).toInt() : 0;
    return answer;
}

QByteArray request(const QByteArray& target, const QByteArray& extra = {}) {
    return "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\nAuthorization: Bearer " + kToken +
           "\r\nConnection: close\r\n" + extra + "\r\n";
}

QDateTime parseIso(const QString& text) {
    return QDateTime::fromString(text, Qt::ISODateWithMs);
}

// The records of a board today, by time.
std::map<double, RecordingRecord> recordsByTime(const QString& boardDirectory) {
    std::map<double, RecordingRecord> records;
    for (const RecordingRecord& r : readRecordedRecords(boardDirectory))
        records[r.time] = r;
    return records;
}

const RecordingRecord* recordAt(const std::map<double, RecordingRecord>& records,
                                const QDateTime& time) {
    const auto found = records.lower_bound(toDateTimeValue(time.toLocalTime()) - 1e-8);
    if (found == records.end() ||
        std::abs(found->first - toDateTimeValue(time.toLocalTime())) > 1e-8)
        return nullptr;
    return &found->second;
}

// The API's values are the record's: null where it holds the invalid value.
bool sameValues(const QJsonArray& values, const RecordingRecord& record, int channels) {
    for (int ch = 0; ch < channels; ++ch) {
        const bool invalid = record.values[ch] == InvalidValue;
        if (invalid != values[ch].isNull() ||
            (!invalid && values[ch].toDouble() != record.values[ch]))
            return false;
    }
    return true;
}

} // namespace

class WebLiveTest : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    std::vector<std::unique_ptr<Simulator>> m_devices;
    QProcess m_logger;
    QByteArray m_errors;
    int m_basePort = 0;
    quint16 m_port = 0;

    QString boardDirectory(int b, const QDate& day = QDate::currentDate()) const {
        return m_dir.filePath("data/" + day.toString("yyyyMMdd") + '/' + QChar('A' + b));
    }
    Answer get(const QByteArray& target) const { return exchange(m_port, request(target)); }
    QJsonObject getJson(const QByteArray& target) const {
        const Answer answer = get(target);
        return answer.status == 200 ? QJsonDocument::fromJson(answer.body).object() : QJsonObject();
    }

private slots:
    void initTestCase() {
        m_basePort = freeBasePort();
        QVERIFY(m_basePort > 0);
        QFile portMap(m_dir.filePath("Nimbar5610.ports"));
        QVERIFY(portMap.open(QIODevice::WriteOnly));
        BoardConfigs boards{};
        fillDefaultBoardConfigs(boards, m_dir.filePath("data").toUtf8().constData());
        for (int b = 0; b < 2; ++b) {
            m_devices.push_back(
                std::make_unique<Simulator>(m_dir.filePath(QString("board%1").arg(b)), kModels[b]));
            QVERIFY(m_devices.back()->ready());
            portMap.write(QString("COM%1=%2\n").arg(60 + b).arg(m_devices.back()->link()).toUtf8());
            setSimulatedKBoard(boards[static_cast<std::size_t>(b)], kModels[b], 60 + b);
        }
        portMap.close();
        boards[0].english = 0; // the page follows the logger into Korean
        QVERIFY(saveBoardSettings(m_dir.filePath("Nimbar5610.SET"), boards));
        QFile token(m_dir.filePath("token"));
        QVERIFY(token.open(QIODevice::WriteOnly));
        token.write(QByteArray(kToken) + "\n");
        token.close();
        QFile allow(m_dir.filePath("Nimbar5610.allow"));
        QVERIFY(allow.open(QIODevice::WriteOnly));
        allow.write("# this machine only\n127.0.0.1\nthe lab\n");
        allow.close();
        // Yesterday of board A: a whole day of records, one a second.
        const QDate yesterday = QDate::currentDate().addDays(-1);
        for (int hour = 0; hour < 24; ++hour)
            QVERIFY(recfiles::write(boardDirectory(0, yesterday) +
                                        QString("/%1").arg(hour, 2, 10, QChar('0')) + "0000.KRN",
                                    recfiles::Layout::Current, "A3001",
                                    recfiles::dayValue(yesterday, 0),
                                    recfiles::dayValue(yesterday, hour), 3600));

        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("NIMBAR_BASE_PORT", QString::number(m_basePort));
        env.insert("HOME", m_dir.path());
        m_logger.setProcessEnvironment(env);
        m_logger.start(
            qEnvironmentVariable("NIMBAR_BIN_DIR") + "/Nimbar5610",
            {"--home", m_dir.path(), "--web", "0.0.0.0:0", "--web-token-file", token.fileName()});
        QVERIFY(m_logger.waitForStarted());
        static const QRegularExpression announced("web page at http://0\\.0\\.0\\.0:(\\d+)/");
        QTRY_VERIFY_WITH_TIMEOUT((m_errors += m_logger.readAllStandardError(),
                                  announced.match(QString::fromUtf8(m_errors)).hasMatch()),
                                 20000);
        m_port =
            static_cast<quint16>(announced.match(QString::fromUtf8(m_errors)).captured(1).toInt());
        // The bad line of the allow-list is said; no warning, as a token is asked for.
        QVERIFY2(m_errors.contains("Nimbar5610.allow: line 3 is not an address or a CIDR range"),
                 m_errors.constData());
        QVERIFY(!m_errors.contains("warning"));
        QTRY_VERIFY_WITH_TIMEOUT(readRecordedRecords(boardDirectory(0)).size() >= 3 &&
                                     readRecordedRecords(boardDirectory(1)).size() >= 3,
                                 30000);
    }

    void cleanupTestCase() {
        if (m_logger.state() != QProcess::NotRunning) {
            ::kill(static_cast<pid_t>(m_logger.processId()), SIGTERM);
            if (!m_logger.waitForFinished(20000))
                m_logger.kill();
        }
        m_devices.clear();
    }

    void apiValuesAreTheRecords() {
        const QJsonArray boards = getJson("/api/boards")["boards"].toArray();
        QCOMPARE(boards.size(), 2);
        const QJsonObject a = boards[0].toObject();
        QCOMPARE(a["board"].toInt(), 1);
        QCOMPARE(a["letter"].toString(), QString("A"));
        QCOMPARE(a["model"].toString(), QString("KARN-5610"));
        QCOMPARE(a["serial"].toString(), QString("A30000"));
        QCOMPARE(a["jobTitle"].toString(), QString("Board A Data"));
        const QJsonArray channels = a["channels"].toArray();
        QCOMPARE(channels.size(), 9);
        QCOMPARE(channels[1].toObject()["name"].toString(), QString("A-1"));
        QCOMPARE(channels[1].toObject()["unit"].toString(), QString("°C"));
        QVERIFY(channels[6].toObject()["visible"].toBool());
        QVERIFY(!channels[7].toObject()["visible"].toBool()); // a 5610 sends CH0..CH6
        QVERIFY(boards[1].toObject()["channels"].toArray()[8].toObject()["visible"].toBool());

        const QJsonArray latest = getJson("/api/latest")["boards"].toArray();
        QCOMPARE(latest.size(), 2);
        for (int b = 0; b < 2; ++b) {
            const QJsonObject line = latest[b].toObject();
            QCOMPARE(line["board"].toInt(), b + 1);
            const QDateTime time = parseIso(line["time"].toString());
            QVERIFY2(time.isValid(), qPrintable(line["time"].toString()));
            QCOMPARE(line["alarms"].toArray().size(), 9);
            // The line became a record (one a second): the same values to the last bit.
            std::map<double, RecordingRecord> records;
            QTRY_VERIFY((records = recordsByTime(boardDirectory(b)), recordAt(records, time)));
            QVERIFY(sameValues(line["values"].toArray(), *recordAt(records, time), 9));
        }
    }

    void webSocketDeliversEachLine() {
        QWebSocket socket;
        QList<QJsonObject> messages;
        connect(&socket, &QWebSocket::textMessageReceived, this, [&](const QString& text) {
            messages << QJsonDocument::fromJson(text.toUtf8()).object();
        });
        socket.open(
            QUrl(QString("ws://127.0.0.1:%1/api/live?token=%2").arg(m_port).arg(kTokenQuery)));
        QTRY_COMPARE(socket.state(), QAbstractSocket::ConnectedState);
        QTest::qWait(4500);
        socket.close();
        QVERIFY(messages.size() >= 6);
        QTest::qWait(1500); // the last lines reach the files
        for (int b = 0; b < 2; ++b) {
            QList<QDateTime> times;
            for (const QJsonObject& m : messages)
                if (m["board"].toInt() == b + 1)
                    times << parseIso(m["time"].toString());
            QVERIFY(times.size() >= 3);
            const auto records = recordsByTime(boardDirectory(b));
            // Every record between the first and the last message came as a message, with
            // the record's values.
            const double first = toDateTimeValue(times.first().toLocalTime()) - 1e-8;
            const double last = toDateTimeValue(times.last().toLocalTime()) + 1e-8;
            int inWindow = 0;
            for (auto r = records.lower_bound(first); r != records.end() && r->first <= last; ++r)
                ++inWindow;
            QCOMPARE(inWindow, times.size());
            for (const QJsonObject& m : messages) {
                if (m["board"].toInt() != b + 1)
                    continue;
                const RecordingRecord* record = recordAt(records, parseIso(m["time"].toString()));
                QVERIFY2(record, qPrintable(m["time"].toString()));
                QVERIFY(sameValues(m["values"].toArray(), *record, 9));
            }
        }
    }

    // The history's rows are the export's rows of the same files (nimbar-export --format csv).
    void historyRowsAreTheRecords() {
        const QDate today = QDate::currentDate();
        const QByteArray from = QDateTime(today, QTime(0, 0)).toString(Qt::ISODate).toUtf8();
        const QByteArray to =
            QDateTime(today.addDays(1), QTime(0, 0)).toString(Qt::ISODate).toUtf8();
        const Answer history = get("/api/history?board=1&from=" + from + "&to=" + to);
        QCOMPARE(history.status, 200);
        QVERIFY(history.head.contains("Content-Type: text/csv; charset=utf-8"));
        const ToolResult exported =
            runTool(qEnvironmentVariable("NIMBAR_BIN_DIR") + "/tools/nimbar-export/nimbar-export",
                    {"--board", "A", "--from", today.toString("yyyyMMdd") + "-00", "--to",
                     today.addDays(1).toString("yyyyMMdd") + "-00", "--data",
                     m_dir.filePath("data"), "--limit", "0", "--format", "csv", "--out", "-"});
        QCOMPARE(exported.exitCode, 0);
        // Asked first: the export, later, holds the records that came meanwhile too.
        QVERIFY(history.body.count('\n') >= 4);
        QVERIFY(exported.out.startsWith(history.body));

        // An inner range to the millisecond: exactly the records from <= t < to.
        QList<RecordingRecord> records = readRecordedRecords(boardDirectory(0));
        std::sort(
            records.begin(), records.end(),
            [](const RecordingRecord& a, const RecordingRecord& b) { return a.time < b.time; });
        QVERIFY(records.size() >= 5);
        const auto iso = [](double t) {
            return QUrl::toPercentEncoding(
                fromDateTimeValue(t).toOffsetFromUtc(9 * 3600).toString(Qt::ISODateWithMs));
        };
        const Answer inner = get("/api/history?board=1&from=" + iso(records[1].time) +
                                 "&to=" + iso(records[4].time));
        const QList<QByteArray> rows = exported.out.split('\n');
        QCOMPARE(inner.body, rows[0] + '\n' + rows[2] + '\n' + rows[3] + '\n' + rows[4] + '\n');
    }

    void badRequestsGetTheirAnswer() {
        const QByteArray host = "Host: 127.0.0.1\r\n";
        const auto status = [&](const QByteArray& bytes) { return exchange(m_port, bytes).status; };
        QCOMPARE(status("GET /api/latest HTTP/1.1\r\n" + host + "\r\n"), 401);
        QCOMPARE(status("GET /api/latest?token=wrong HTTP/1.1\r\n" + host + "\r\n"), 401);
        QCOMPARE(status(request("/nothing/here")), 404);
        QCOMPARE(status(request("/../../etc/passwd")), 404);
        QCOMPARE(status(request("/%2e%2e/%2e%2e/etc/passwd")), 404);
        QCOMPARE(status(request("/app.js/../../Nimbar5610.SET")), 404);
        QCOMPARE(status(request("/api/history?board=9&from=2026-12-11T00:00:00&to=now")), 400);
        QCOMPARE(status(request("/api/history?board=1&from=yesterday&to=today")), 400);
        QCOMPARE(status(request("/api/history?board=1&from=2026-12-11T00:00:00")), 400);
        QCOMPARE(status(request("/api/history?board=1&from=1900-01-01T00:00:00&to=2100-01-01T00:"
                                "00:00")),
                 400);
        QCOMPARE(status(request("/api/live")), 426);
        QCOMPARE(status("GET /api/live?token=" + QByteArray(kTokenQuery) + " HTTP/1.1\r\n" + host +
                        "Upgrade: websocket\r\nConnection: Upgrade\r\nSec-WebSocket-Version: 13\r\n"
                        "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\n"
                        "Origin: http://evil.example\r\n\r\n"),
                 403);
        QCOMPARE(status("POST /api/latest HTTP/1.1\r\n" + host + "Authorization: Bearer " + kToken +
                        "\r\n\r\n"),
                 405);
        QCOMPARE(status("POST / HTTP/1.1\r\n" + host + "Content-Length: 9\r\n\r\nboard=0\r\n"),
                 413);
        QCOMPARE(
            status("GET / HTTP/1.1\r\n" + host + "X-Big: " + QByteArray(20000, 'x') + "\r\n\r\n"),
            431);
        QCOMPARE(status("PRI * HTTP/2.0\r\n\r\nSM\r\n\r\n"), 400);
        QByteArray garbage(4096, '\0');
        for (qsizetype i = 0; i < garbage.size(); ++i)
            garbage[i] = static_cast<char>(QRandomGenerator::global()->bounded(256));
        const int garbled = status("\x16\x03\x01" + garbage);
        QVERIFY2(garbled == 400 || garbled == 0, qPrintable(QString::number(garbled)));
        // Still serving.
        QCOMPARE(get("/api/latest").status, 200);
        QCOMPARE(m_logger.state(), QProcess::Running);
    }

    // The allow-list closes strangers at once, uncounted, on the board service and the page.
    void allowListClosesStrangers() {
        const QHostAddress stranger("127.0.0.2");
        const Answer refused = exchange(m_port, request("/api/latest"), stranger);
        QCOMPARE(refused.status, 0);
        QVERIFY(refused.head.isEmpty());
        std::vector<std::unique_ptr<QTcpSocket>> strangers;
        for (int i = 0; i < 20; ++i) {
            strangers.push_back(std::make_unique<QTcpSocket>());
            strangers.back()->bind(stranger);
            strangers.back()->connectToHost(QHostAddress::LocalHost,
                                            static_cast<quint16>(m_basePort));
        }
        QTRY_VERIFY([&] {
            for (auto& s : strangers) {
                s->waitForReadyRead(0);
                if (s->state() != QAbstractSocket::UnconnectedState || s->bytesAvailable() > 0)
                    return false;
            }
            return true;
        }());
        // Twenty strangers later, a listed client is served, not told "Too many user".
        QTcpSocket client;
        client.connectToHost(QHostAddress::LocalHost, static_cast<quint16>(m_basePort));
        QVERIFY(client.waitForConnected(3000));
        client.write(encodeRequest(NetCode::Measurement));
        QByteArray answer;
        while (answer.size() < kNetHeaderSize && client.waitForReadyRead(3000))
            answer += client.readAll();
        QVERIFY(answer.size() >= kNetHeaderSize);
        QCOMPARE(static_cast<uint8_t>(answer[0]), NetCode::Measurement);
    }

    // Hundreds of idle connections, a slow sender and a day and more of history streaming:
    // the records keep their one-second pace; the idle ones and the slow one are closed.
    void hostilePeersDoNotStopRecording() {
        const QDateTime start = QDateTime::currentDateTime();
        QTcpSocket stream;
        QByteArray streamed;
        connect(&stream, &QTcpSocket::readyRead, this, [&] { streamed += stream.readAll(); });
        stream.connectToHost(QHostAddress::LocalHost, m_port);
        stream.write(request(
            "/api/history?board=1&from=" +
            QDateTime(QDate::currentDate().addDays(-1), QTime(0, 0))
                .toString(Qt::ISODate)
                .toUtf8() +
            "&to=" + QDateTime::currentDateTime().addSecs(60).toString(Qt::ISODate).toUtf8()));
        QTcpSocket slow;
        slow.connectToHost(QHostAddress::LocalHost, m_port);
        slow.write("GET /api/latest HTTP/1.1\r\nHost: 127.0.0.1\r\n");
        QTimer drip;
        connect(&drip, &QTimer::timeout, this, [&] { slow.write("X"); });
        drip.start(1000);
        std::vector<std::unique_ptr<QTcpSocket>> idle;
        for (int i = 0; i < 500; ++i) {
            idle.push_back(std::make_unique<QTcpSocket>());
            idle.back()->connectToHost(QHostAddress::LocalHost, m_port);
            if (i % 25 == 24)
                QTest::qWait(50); // within the listening socket's backlog
        }
        const auto closedIdle = [&] {
            int closed = 0;
            for (auto& s : idle)
                closed += s->state() == QAbstractSocket::UnconnectedState ? 1 : 0;
            return closed;
        };
        // Those past the bound go at once; the rest when their head is overdue.
        QTRY_VERIFY_WITH_TIMEOUT(closedIdle() >= 500 - 256, 5000);
        QTRY_VERIFY_WITH_TIMEOUT(slow.state() == QAbstractSocket::UnconnectedState, 15000);
        QTRY_COMPARE_WITH_TIMEOUT(closedIdle(), 500, 5000);
        QTRY_VERIFY_WITH_TIMEOUT(stream.state() == QAbstractSocket::UnconnectedState, 60000);
        const QByteArray csv = dechunk(streamed.mid(streamed.indexOf("\r\n\r\n") + 4));
        QVERIFY2(csv.count('\n') > 86400, qPrintable(QString::number(csv.count('\n'))));

        const QDateTime end = QDateTime::currentDateTime();
        QVERIFY(start.msecsTo(end) > 10000);
        const auto records = recordsByTime(boardDirectory(0));
        double previous = 0;
        int checked = 0;
        for (auto r = records.lower_bound(toDateTimeValue(start));
             r != records.end() && r->first <= toDateTimeValue(end); ++r, ++checked) {
            if (previous > 0)
                QVERIFY2((r->first - previous) * 86400.0 < 1.6,
                         qPrintable(QString("a record %1 s after the one before")
                                        .arg((r->first - previous) * 86400.0)));
            previous = r->first;
        }
        QVERIFY(checked >= 8);
        QCOMPARE(get("/api/latest").status, 200);
    }

    // The page in headless Chromium shows the values of the latest line it received, in
    // Korean as the logger speaks.
    void pageShowsTheLatestValues() {
        const QString chromium = QStandardPaths::findExecutable("chromium");
        if (chromium.isEmpty())
            QSKIP("chromium is not installed");
        QProcess browser;
        browser.start(chromium,
                      {"--headless", "--no-sandbox", "--disable-gpu", "--no-first-run",
                       "--user-data-dir=" + m_dir.filePath("chromium"),
                       "--virtual-time-budget=6000", "--dump-dom",
                       QString("http://127.0.0.1:%1/?token=%2").arg(m_port).arg(kTokenQuery)});
        QVERIFY(browser.waitForFinished(90000));
        const QString dom = QString::fromUtf8(browser.readAllStandardOutput());
        QVERIFY2(dom.contains("<th>채널</th>"), qPrintable(dom.left(2000)));
        QTest::qWait(1500); // the shown line reaches the files
        static const QRegularExpression timePattern("<time datetime=\"([^\"]+)\"");
        static const QRegularExpression rowPattern(
            "<tr data-channel=\"(\\d)\"[^>]*>.*?<td class=\"value\">([^<]*)</td>");
        const QStringList sections = dom.split("<section class=\"board\"").mid(1);
        QCOMPARE(sections.size(), 2);
        for (int b = 0; b < 2; ++b) {
            const QString& section = sections[b];
            const QDateTime shown = parseIso(timePattern.match(section).captured(1));
            QVERIFY2(shown.isValid(), qPrintable(section.left(1000)));
            QVERIFY(shown.secsTo(QDateTime::currentDateTime()) < 30);
            const auto records = recordsByTime(boardDirectory(b));
            const RecordingRecord* record = recordAt(records, shown);
            QVERIFY(record);
            int rows = 0;
            for (auto match = rowPattern.globalMatch(section); match.hasNext(); ++rows) {
                const QRegularExpressionMatch row = match.next();
                const double value = record->values[row.captured(1).toInt()];
                const QString expected =
                    value == InvalidValue ? QString("–") : QString::number(value, 'f', 2) + " °C";
                QCOMPARE(row.captured(2), expected);
            }
            QCOMPARE(rows, b == 0 ? 7 : 9);
        }
    }
};

QTEST_GUILESS_MAIN(WebLiveTest)
#include "tst_WebLive.moc"
