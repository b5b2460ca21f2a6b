#pragma once

#include "mqtt/MosquittoClient.h"
#include "mqtt/MqttEvent.h"
#include "mqtt/MqttNotice.h"
#include "mqtt/MqttOutbox.h"
#include "mqtt/MqttSettings.h"

#include <QByteArray>

#include <atomic>
#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <thread>
#include <vector>

namespace nimbar {

// The connection to one broker, on a thread of its own so that nothing the broker does (a name
// lookup, a slow or silent peer, an outage) can hold up the recording. The owner posts records,
// alarm events and retained messages; the session publishes them in order, keeps them while the
// broker cannot be reached and tries again from 1 s to 60 s apart. Notices come on the session's
// thread. Destroying the session stops it cleanly: what waits is sent for up to two seconds, then
// the status "offline" and a disconnect.
class MqttSession {
public:
    using NoticeSink = std::function<void(const MqttNotice&)>;
    // A day and an hour of four boards recording every second.
    static constexpr std::size_t kDefaultQueueLimit = 4 * (86400 + 3600);

    MqttSession(MqttSettings settings, NoticeSink sink,
                std::size_t queueLimit = kDefaultQueueLimit);
    ~MqttSession();
    MqttSession(const MqttSession&) = delete;
    MqttSession& operator=(const MqttSession&) = delete;

    // Any thread; takes a mutex for a moment and never waits on the broker. The session sees
    // what was posted at its next wake-up: call flush() after a batch (the records of one tick),
    // so that the batch costs the session's thread one wake-up.
    void post(const MqttEvent& event);
    void flush();
    // A retained message sent at every connect and now if connected; an empty payload removes
    // it from the broker and from the session.
    void setRetained(const QByteArray& topic, const QByteArray& payload);

    // Records and alarm events the broker has acknowledged so far.
    std::uint64_t acknowledgedCount() const { return m_acknowledgedCount.load(); }
    // The CPU time the session's thread has used, in seconds (benchmarks, diagnostics).
    double threadCpuSeconds();

private:
    using Clock = std::chrono::steady_clock;
    enum class State { Idle, Connecting, Connected };

    void run();
    bool takeInbox(); // true once a stop is asked for
    void startConnection();
    void connackArrived(int code);
    void connectionEnded(const MqttNotice& cause);
    void publishPending();
    void publishRetained(const QByteArray& topic);
    void publishEvent(const MqttEvent& event);
    bool waitForActivity(Clock::time_point until);
    int offsetFromUtc(std::int64_t msecs);
    void tell(const MqttNotice& notice);

    const MqttSettings m_settings;
    const NoticeSink m_sink;
    int m_wakeRead = -1;
    int m_wakeWrite = -1;

    // Shared with the posting thread.
    std::mutex m_mutex;
    std::vector<MqttEvent> m_incoming;
    std::vector<std::pair<QByteArray, QByteArray>> m_incomingRetained;
    bool m_stopAsked = false;
    std::atomic<std::uint64_t> m_acknowledgedCount{0};

    // The session's thread only.
    MqttOutbox m_outbox;
    std::unique_ptr<MosquittoClient> m_client;
    State m_state = State::Idle;
    std::map<QByteArray, QByteArray> m_retained;
    std::set<QByteArray> m_dirtyRetained;
    std::optional<MqttNotice> m_refusal; // the CONNACK's refusal, until the connection closes
    QString m_lastLibraryError;
    Clock::time_point m_nextAttempt;
    Clock::time_point m_connackDeadline;
    std::chrono::seconds m_backoff{1};
    bool m_stopping = false;
    bool m_everConnected = false;
    bool m_down = false; // an outage has been told and not yet its end
    std::uint64_t m_dropped = 0;
    int m_offlineMid = -1;
    bool m_offlineAcknowledged = false;
    std::int64_t m_offsetSlot = INT64_MIN;
    int m_offset = 0;
    std::array<QByteArray, kBoardCount> m_recordTopic, m_stateTopic, m_alarmTopic;
    QByteArray m_statusTopic;

    std::thread m_thread; // last: started when everything above exists
};

} // namespace nimbar
