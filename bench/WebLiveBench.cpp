// The web side under its load, on a thread of its own as the logger's loop would run it:
// - liveViewers/N: N WebSocket viewers at four boards' line rate (four lines a second). Reports
//   the CPU of the serving thread (publishing included) as a share of one core, and the delay
//   from a published line to its message received (median, 99th percentile).
// - historyWeek: one week of one board's records (604800) streamed as CSV to a reader on the
//   loopback. Reports rows a second and the longest stall of the serving thread's event loop,
//   which is how long a record of the live side could have waited.
#include "RecordingFiles.h"
#include "browser/RangeScan.h"
#include "engine/LiveFeed.h"
#include "web/WebServer.h"
#include "web/WebService.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QWebSocket>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <ctime>
#include <memory>
#include <vector>

namespace {

constexpr int kLinesPerSecond = 4;
constexpr int kRunMs = 20000;
constexpr int kMaxLines = kRunMs / 1000 * kLinesPerSecond + 16;

double threadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// A live feed and the web service on a thread of their own.
struct ServingThread {
    QThread thread;
    QObject anchor; // lives on the thread: what the calls run on
    nimbar::LiveFeed* feed = nullptr;
    nimbar::WebService* web = nullptr;
    quint16 port = 0;

    explicit ServingThread(const QString& dataDirectory = {}) {
        anchor.moveToThread(&thread);
        thread.start();
        run([&] {
            feed = new nimbar::LiveFeed;
            feed->setDataDirectory(dataDirectory);
            nimbar::BoardConfigs boards{};
            nimbar::fillDefaultBoardConfigs(boards, "~/Nimbar");
            for (int b = 0; b < nimbar::kBoardCount; ++b)
                feed->setBoard(b, boards[b], true);
            web = new nimbar::WebService(*feed, feed);
            QString error;
            web->start({QHostAddress(QHostAddress::LocalHost), 0}, std::nullopt, {}, error);
            port = web->port();
        });
    }
    ~ServingThread() {
        run([&] { delete feed; });
        thread.quit();
        thread.wait();
    }
    template <typename F> void run(F&& f) {
        QMetaObject::invokeMethod(&anchor, std::forward<F>(f), Qt::BlockingQueuedConnection);
    }
};

void wait(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

void liveViewers(benchmark::State& state) {
    const int viewers = static_cast<int>(state.range(0));
    ServingThread serving;
    QElapsedTimer clock;
    clock.start();
    std::vector<std::atomic<qint64>> publishedAt(kMaxLines);
    std::vector<double> delays;

    std::vector<std::unique_ptr<QWebSocket>> sockets;
    for (int i = 0; i < viewers; ++i) {
        auto socket = std::make_unique<QWebSocket>();
        QObject::connect(socket.get(), &QWebSocket::textMessageReceived, [&](const QString& text) {
            const qint64 now = clock.nsecsElapsed();
            const QJsonObject line = QJsonDocument::fromJson(text.toUtf8()).object();
            const int sequence = line["values"].toArray()[8].toInt();
            delays.push_back(double(now - publishedAt[sequence]) / 1e6);
        });
        socket->open(QUrl(QString("ws://127.0.0.1:%1/api/live").arg(serving.port)));
        sockets.push_back(std::move(socket));
    }
    for (int i = 0; i < 500; ++i) {
        int viewing = 0;
        serving.run([&] { viewing = serving.web->server().viewerCount(); });
        if (viewing == viewers)
            break;
        wait(10);
    }

    double cpu = 0.0;
    for (auto _ : state) {
        QTimer* publisher = nullptr;
        double cpuStart = 0.0;
        serving.run([&] {
            cpuStart = threadCpuSeconds();
            publisher = new QTimer;
            publisher->setTimerType(Qt::PreciseTimer);
            auto sequence = std::make_shared<int>(0);
            QObject::connect(publisher, &QTimer::timeout, [&, sequence] {
                const int n = (*sequence)++;
                if (n >= kMaxLines)
                    return;
                nimbar::LiveLine line;
                line.board = n % nimbar::kBoardCount;
                line.time = QDateTime::currentDateTime();
                for (int ch = 0; ch < nimbar::kChannelCount; ++ch) {
                    line.values[ch] = 20.0 + ch + n * 0.01;
                    line.valid[ch] = true;
                }
                line.values[8] = n;
                line.recorded = true;
                publishedAt[n] = clock.nsecsElapsed();
                serving.feed->publishLine(line);
            });
            publisher->start(1000 / kLinesPerSecond);
        });
        QElapsedTimer wall;
        wall.start();
        wait(kRunMs);
        double cpuEnd = 0.0;
        serving.run([&] {
            cpuEnd = threadCpuSeconds();
            delete publisher;
        });
        cpu = (cpuEnd - cpuStart) / (static_cast<double>(wall.elapsed()) / 1000.0);
        wait(200);
    }
    sockets.clear();

    std::sort(delays.begin(), delays.end());
    const auto at = [&](double q) {
        return delays.empty()
                   ? 0.0
                   : delays[static_cast<std::size_t>(q * static_cast<double>(delays.size() - 1))];
    };
    state.counters["messages"] = static_cast<double>(delays.size());
    state.counters["delay_median_ms"] = at(0.5);
    state.counters["delay_p99_ms"] = at(0.99);
    state.counters["serving_cpu_pct"] = cpu * 100.0;
}
BENCHMARK(liveViewers)->Arg(0)->Arg(50)->Iterations(1)->Unit(benchmark::kMillisecond);

void historyWeek(benchmark::State& state) {
    QTemporaryDir data;
    const QDate first(2026, 11, 30);
    for (int day = 0; day < 7; ++day)
        for (int hour = 0; hour < 24; ++hour)
            recfiles::write(nimbar::dayDirectory(data.path(), first.addDays(day), 'A') +
                                QString("/%1").arg(hour, 2, 10, QChar('0')) + "0000.KRN",
                            recfiles::Layout::Current, "A4001", recfiles::dayValue(first, 0),
                            recfiles::dayValue(first.addDays(day), hour), 3600);
    ServingThread serving(data.path());

    qint64 rows = 0;
    double seconds = 0.0;
    qint64 longestStallMs = 0;
    for (auto _ : state) {
        // The serving loop's pulse: a 10 ms timer that notes how late it comes.
        QTimer* pulse = nullptr;
        auto longest = std::make_shared<std::atomic<qint64>>(0);
        serving.run([&] {
            pulse = new QTimer;
            pulse->setTimerType(Qt::PreciseTimer);
            auto last = std::make_shared<QElapsedTimer>();
            last->start();
            QObject::connect(pulse, &QTimer::timeout, [last, longest] {
                const qint64 late = last->restart() - 10;
                if (late > *longest)
                    *longest = late;
            });
            pulse->start(10);
        });
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, serving.port);
        socket.waitForConnected(3000);
        // HTTP/1.0: the body is not chunked and ends with the connection.
        socket.write("GET /api/history?board=1&from=2026-11-30T00:00:00&to=2026-12-07T00:00:00 "
                     "HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n");
        QElapsedTimer clock;
        clock.start();
        qint64 newlines = 0;
        qint64 headLines = -1;
        while (socket.state() == QAbstractSocket::ConnectedState || socket.bytesAvailable() > 0) {
            if (socket.bytesAvailable() == 0 && !socket.waitForReadyRead(5000))
                break;
            const QByteArray bytes = socket.readAll();
            if (headLines < 0)
                headLines = bytes.left(bytes.indexOf("\r\n\r\n") + 4).count('\n');
            newlines += bytes.count('\n');
        }
        seconds = static_cast<double>(clock.elapsed()) / 1000.0;
        rows = newlines - headLines - 1; // less the answer's head and the CSV's header line
        serving.run([&] { delete pulse; });
        longestStallMs = *longest;
    }
    state.counters["rows"] = static_cast<double>(rows);
    state.counters["rows_per_s"] = static_cast<double>(rows) / seconds;
    state.counters["longest_loop_stall_ms"] = static_cast<double>(longestStallMs);
}
BENCHMARK(historyWeek)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace
