// The broker publisher against a real mosquitto on loopback. Reports the CPU the program spends
// per published record (post() on the recording's thread plus the session's thread: payload,
// record and state messages, the acknowledgement) and the delay from posting a record to a
// subscriber holding it (median, 99th percentile, maximum).
#include "MosquittoBroker.h"
#include "mqtt/MqttSession.h"

#include <mosquitto.h>

#include <QCoreApplication>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <mutex>
#include <thread>
#include <vector>

using namespace nimbar;

namespace {

using Clock = std::chrono::steady_clock;

double threadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

MqttSettings settingsFor(const MosquittoBroker& broker, const char* topic) {
    MqttSettings settings;
    settings.broker = BrokerAddress{false, "127.0.0.1", broker.port()};
    settings.topicPrefix = topic;
    settings.clientId = QString("bench-") + topic;
    return settings;
}

MqttEvent record(int board, std::int64_t id) {
    MqttEvent event;
    event.board = static_cast<std::uint8_t>(board);
    event.msecs = id;
    for (int ch = 0; ch < kChannelCount; ++ch)
        event.values[ch] = 20.0 + ch + 0.123456789 * static_cast<double>(id % 97);
    event.validMask = 0x1ff;
    return event;
}

bool waitUntil(const std::function<bool()>& done, std::chrono::seconds limit) {
    const auto end = Clock::now() + limit;
    while (!done()) {
        if (Clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

// Ticks of records, one per board and tick as the one-second tick records them (4), or a record
// alone (1), fast-forwarded to 1000 records a second; each acknowledged by the broker.
void cpuPerPublishedRecord(benchmark::State& state) {
    const int perTick = static_cast<int>(state.range(0));
    MosquittoBroker broker;
    MqttSession session(settingsFor(broker, "bench/cpu"), {});
    session.post(record(0, 0));
    session.flush();
    if (!waitUntil([&] { return session.acknowledgedCount() == 1; }, std::chrono::seconds(10))) {
        state.SkipWithError("the broker did not answer");
        return;
    }
    constexpr int kRecords = 4000;
    for (auto _ : state) {
        // The posting thread's share is timed around post() and flush(); the session's thread
        // is measured whole. The pacing between ticks is neither.
        double postCpu = 0.0;
        const double sessionBefore = session.threadCpuSeconds();
        const auto start = Clock::now();
        for (int i = 1; i <= kRecords; i += perTick) {
            const double before = threadCpuSeconds();
            for (int b = 0; b < perTick; ++b)
                session.post(record(b, i + b));
            session.flush();
            postCpu += threadCpuSeconds() - before;
            std::this_thread::sleep_until(start + std::chrono::milliseconds(i + perTick - 1));
        }
        waitUntil([&] { return session.acknowledgedCount() == kRecords + 1; },
                  std::chrono::seconds(30));
        const double sessionCpu = session.threadCpuSeconds() - sessionBefore;
        state.SetIterationTime(postCpu + sessionCpu);
        state.counters["us_cpu_per_record"] = (postCpu + sessionCpu) / kRecords * 1e6;
        state.counters["us_post"] = postCpu / kRecords * 1e6;
        state.counters["us_session"] = sessionCpu / kRecords * 1e6;
    }
}

// A subscriber in this process takes the record topics; the delay runs from post() to its
// callback; a tick of four boards' records every 20 ms.
void recordToSubscriberDelay(benchmark::State& state) {
    MosquittoBroker broker;
    constexpr int kRecords = 2000;
    std::vector<Clock::time_point> posted(kRecords + kBoardCount);
    std::vector<double> delays;
    delays.reserve(kRecords);
    std::mutex mutex;
    struct Context {
        std::vector<Clock::time_point>* posted;
        std::vector<double>* delays;
        std::mutex* mutex;
    } context{&posted, &delays, &mutex};

    mosquitto_lib_init();
    mosquitto* subscriber = mosquitto_new("bench-subscriber", true, &context);
    mosquitto_message_callback_set(
        subscriber, [](mosquitto*, void* self, const mosquitto_message* message) {
            const auto now = Clock::now();
            auto* c = static_cast<Context*>(self);
            // {"ts":<id>,...
            const char* payload = static_cast<const char*>(message->payload);
            const long id = std::strtol(payload + 6, nullptr, 10);
            const std::lock_guard lock(*c->mutex);
            if (id > 0 && id < static_cast<long>(c->posted->size()))
                c->delays->push_back(
                    std::chrono::duration<double, std::milli>(now - (*c->posted)[id]).count());
        });
    mosquitto_connect(subscriber, "127.0.0.1", broker.port(), 60);
    mosquitto_subscribe(subscriber, nullptr, "bench/delay/+/record", 1);
    mosquitto_loop_start(subscriber);

    {
        MqttSession session(settingsFor(broker, "bench/delay"), {});
        session.post(record(0, 0));
        session.flush();
        waitUntil([&] { return session.acknowledgedCount() == 1; }, std::chrono::seconds(10));
        for (auto _ : state) {
            const auto start = Clock::now();
            for (int i = 1; i <= kRecords; i += kBoardCount) {
                {
                    const std::lock_guard lock(mutex);
                    for (int b = 0; b < kBoardCount; ++b)
                        posted[i + b] = Clock::now();
                }
                for (int b = 0; b < kBoardCount; ++b)
                    session.post(record(b, i + b));
                session.flush();
                std::this_thread::sleep_until(start + std::chrono::milliseconds(5 * i));
            }
            waitUntil(
                [&] {
                    const std::lock_guard lock(mutex);
                    return delays.size() >= kRecords;
                },
                std::chrono::seconds(30));
        }
    }
    mosquitto_disconnect(subscriber);
    mosquitto_loop_stop(subscriber, true);
    mosquitto_destroy(subscriber);

    std::sort(delays.begin(), delays.end());
    if (delays.empty()) {
        state.SkipWithError("no record arrived");
        return;
    }
    const auto at = [&](double share) {
        return delays[std::min(delays.size() - 1, static_cast<std::size_t>(share * delays.size()))];
    };
    state.counters["received"] = static_cast<double>(delays.size());
    state.counters["ms_p50"] = at(0.50);
    state.counters["ms_p99"] = at(0.99);
    state.counters["ms_max"] = delays.back();
}

} // namespace

BENCHMARK(cpuPerPublishedRecord)
    ->Arg(4)
    ->Arg(1)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(recordToSubscriberDelay)->Iterations(1)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (!MosquittoBroker::available()) {
        std::fprintf(stderr, "mosquitto is not installed (scripts/setup installs it)\n");
        return 0;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
