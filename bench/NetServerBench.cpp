// The logger's server under its full load: 15 clients, each asking for the latest measurement
// ten times a second, over loopback. Reports the request-to-response latency (median, 99th
// percentile) and the CPU the server's thread used, as a share of one core.
#include "net/NetFrame.h"
#include "net/NetServer.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <ctime>
#include <memory>
#include <vector>

namespace {

constexpr int kClients = 15;
constexpr int kPollMs = 100;
constexpr int kRunMs = 5000;

double threadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

struct Poller {
    std::unique_ptr<QTcpSocket> socket = std::make_unique<QTcpSocket>();
    QTimer timer;
    qint64 sentAt = -1;
    QByteArray pending;
};

void serverUnderFullLoad(benchmark::State& state) {
    nimbar::BoardConfigs boards{};
    nimbar::BoardRuntimes runtimes{};
    for (nimbar::BoardRuntime& runtime : runtimes) {
        std::strcpy(runtime.servedLine,
                    "000123, 000456, 000789, 000abc, 000def, 000111, 000222\r\n");
        runtime.linkIdle = -2;
    }
    QThread thread;
    auto* server = new nimbar::NetServer(boards, runtimes, 0);
    server->moveToThread(&thread);
    QObject::connect(&thread, &QThread::finished, server, &QObject::deleteLater);
    thread.start();
    std::array<int, nimbar::kBoardCount> ports{};
    QMetaObject::invokeMethod(
        server,
        [&] {
            server->openAll();
            for (int b = 0; b < nimbar::kBoardCount; ++b)
                ports[b] = server->port(b);
        },
        Qt::BlockingQueuedConnection);

    std::vector<double> latencies;
    double cpu = 0.0;
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        std::vector<std::unique_ptr<Poller>> pollers;
        for (int i = 0; i < kClients; ++i) {
            auto poller = std::make_unique<Poller>();
            Poller* p = poller.get();
            p->socket->connectToHost("127.0.0.1", static_cast<quint16>(ports[i % 4]));
            p->socket->waitForConnected(3000);
            p->socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
            QObject::connect(p->socket.get(), &QTcpSocket::readyRead, [p, &clock, &latencies] {
                p->pending += p->socket->readAll();
                if (p->pending.size() >= 88 && p->sentAt >= 0) {
                    latencies.push_back(static_cast<double>(clock.nsecsElapsed() - p->sentAt) /
                                        1000.0);
                    p->pending.clear();
                    p->sentAt = -1;
                }
            });
            p->timer.setInterval(kPollMs);
            p->timer.setTimerType(Qt::PreciseTimer);
            QObject::connect(&p->timer, &QTimer::timeout, [p, &clock] {
                if (p->sentAt >= 0)
                    return; // still waiting: never two requests in one read
                p->sentAt = clock.nsecsElapsed();
                p->socket->write(nimbar::encodeRequest(nimbar::NetCode::Measurement));
                p->socket->flush();
            });
            // Spread the clients over the period.
            QTimer::singleShot(i * kPollMs / kClients, &p->timer, [p] { p->timer.start(); });
            pollers.push_back(std::move(poller));
        }

        double cpuStart = 0.0;
        QMetaObject::invokeMethod(
            server, [&] { cpuStart = threadCpuSeconds(); }, Qt::BlockingQueuedConnection);
        QElapsedTimer wall;
        wall.start();
        QEventLoop loop;
        QTimer::singleShot(kRunMs, &loop, &QEventLoop::quit);
        loop.exec();
        double cpuEnd = 0.0;
        QMetaObject::invokeMethod(
            server, [&] { cpuEnd = threadCpuSeconds(); }, Qt::BlockingQueuedConnection);
        cpu = (cpuEnd - cpuStart) / (static_cast<double>(wall.elapsed()) / 1000.0);
        pollers.clear();
    }
    thread.quit();
    thread.wait();

    std::sort(latencies.begin(), latencies.end());
    const auto at = [&](double q) {
        return latencies.empty() ? 0.0
                                 : latencies[static_cast<std::size_t>(
                                       q * static_cast<double>(latencies.size() - 1))];
    };
    state.counters["responses"] = static_cast<double>(latencies.size());
    state.counters["median_us"] = at(0.5);
    state.counters["p99_us"] = at(0.99);
    state.counters["server_cpu_pct"] = cpu * 100.0;
}
BENCHMARK(serverUnderFullLoad)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace
