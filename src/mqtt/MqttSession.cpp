#include "mqtt/MqttSession.h"

#include "mqtt/MqttPayloads.h"

#include <QDateTime>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <time.h>
#include <unistd.h>

namespace nimbar {

namespace {

using namespace std::chrono_literals;

constexpr int kKeepAliveSeconds = 30;
constexpr auto kConnackTime = 10s; // a peer that takes the connection but never answers
constexpr auto kMaxBackoff = 60s;
constexpr auto kStopFlushTime = 2s;                    // what waits at a clean stop
constexpr auto kStopOfflineTime = 1s;                  // the broker's acknowledgement of "offline"
constexpr std::size_t kWindow = 64;                    // QoS 1 messages in flight at once
constexpr std::int64_t kOffsetSlotMs = 15 * 60 * 1000; // offsets change on quarter hours at most

const QByteArray kOnline = "online";
const QByteArray kOffline = "offline";
const QByteArray kHomeAssistantStatus = "homeassistant/status";

} // namespace

MqttSession::MqttSession(MqttSettings settings, NoticeSink sink, std::size_t queueLimit)
    : m_settings(std::move(settings)), m_sink(std::move(sink)), m_outbox(queueLimit) {
    const QByteArray prefix = m_settings.topicPrefix.toUtf8();
    for (int b = 0; b < kBoardCount; ++b) {
        const QByteArray board = prefix + '/' + boardLetter(b) + '/';
        m_recordTopic[b] = board + "record";
        m_stateTopic[b] = board + "state";
        m_alarmTopic[b] = board + "alarm";
    }
    m_statusTopic = prefix + "/status";
    int fds[2];
    if (::pipe2(fds, O_NONBLOCK | O_CLOEXEC) == 0) {
        m_wakeRead = fds[0];
        m_wakeWrite = fds[1];
    }
    m_nextAttempt = Clock::now();
    m_thread = std::thread([this] { run(); });
}

MqttSession::~MqttSession() {
    {
        const std::lock_guard lock(m_mutex);
        m_stopAsked = true;
    }
    const char byte = 0;
    [[maybe_unused]] const auto written = ::write(m_wakeWrite, &byte, 1);
    m_thread.join();
    ::close(m_wakeRead);
    ::close(m_wakeWrite);
}

void MqttSession::post(const MqttEvent& event) {
    const std::lock_guard lock(m_mutex);
    m_incoming.push_back(event);
}

void MqttSession::flush() {
    const char byte = 0;
    [[maybe_unused]] const auto written = ::write(m_wakeWrite, &byte, 1);
}

void MqttSession::setRetained(const QByteArray& topic, const QByteArray& payload) {
    {
        const std::lock_guard lock(m_mutex);
        m_incomingRetained.emplace_back(topic, payload);
    }
    const char byte = 0;
    [[maybe_unused]] const auto written = ::write(m_wakeWrite, &byte, 1);
}

bool MqttSession::takeInbox() {
    std::vector<MqttEvent> events;
    std::vector<std::pair<QByteArray, QByteArray>> retained;
    bool stop = false;
    {
        const std::lock_guard lock(m_mutex);
        events.swap(m_incoming);
        retained.swap(m_incomingRetained);
        stop = m_stopAsked;
    }
    for (const MqttEvent& event : events)
        if (m_outbox.append(event))
            ++m_dropped;
    for (auto& [topic, payload] : retained) {
        m_retained[topic] = payload;
        m_dirtyRetained.insert(topic);
    }
    return stop;
}

void MqttSession::run() {
    std::optional<Clock::time_point> flushDeadline;
    std::optional<Clock::time_point> offlineDeadline;
    while (true) {
        m_stopping = takeInbox() || m_stopping;
        const auto now = Clock::now();
        if (m_stopping) {
            // Without a broker there is nothing to say goodbye to: what waits is in the
            // recording files.
            if (m_state != State::Connected)
                break;
            if (!flushDeadline)
                flushDeadline = now + kStopFlushTime;
            if (!offlineDeadline && (m_outbox.empty() || now >= *flushDeadline)) {
                m_client->publish(&m_offlineMid, m_statusTopic, kOffline, 1, true);
                offlineDeadline = now + kStopOfflineTime;
            }
            if (offlineDeadline && (m_offlineAcknowledged || now >= *offlineDeadline)) {
                m_client->disconnect();
                for (int i = 0; i < 10 && m_client->socket() >= 0 && m_client->wantWrite(); ++i)
                    m_client->loopWrite();
                break;
            }
        }
        if (m_state == State::Idle && now >= m_nextAttempt)
            startConnection();
        if (m_state == State::Connecting && Clock::now() >= m_connackDeadline)
            connectionEnded(MqttNotice{MqttNotice::Kind::NoAnswer, {}, 0});
        if (m_state == State::Connected && !offlineDeadline)
            publishPending();

        auto until = Clock::now() + 1s;
        if (m_state == State::Idle)
            until = std::min(until, m_nextAttempt);
        if (m_state == State::Connecting)
            until = std::min(until, m_connackDeadline);
        if (flushDeadline)
            until = std::min(until, *flushDeadline);
        if (offlineDeadline)
            until = std::min(until, *offlineDeadline);
        waitForActivity(until);
    }
    m_client.reset();
    if (m_dropped > 0)
        tell(MqttNotice{MqttNotice::Kind::Dropped, {}, static_cast<qint64>(m_dropped)});
}

bool MqttSession::waitForActivity(Clock::time_point until) {
    // While the records flow live, the broker's acknowledgements are read at the next wake-up
    // (the next record, or a second later) instead of waking the thread for each one: that
    // halves the thread's wake-ups per record. Connecting, stopping, or with many messages in
    // flight (a backlog after an outage), every answer is read at once.
    const bool deferInput =
        m_state == State::Connected && !m_stopping && m_outbox.inFlight() < kWindow / 2;
    pollfd fds[2] = {{m_wakeRead, POLLIN, 0}, {-1, 0, 0}};
    const bool open = m_client && m_client->socket() >= 0;
    if (open)
        fds[1] = {
            m_client->socket(),
            static_cast<short>((deferInput ? 0 : POLLIN) | (m_client->wantWrite() ? POLLOUT : 0)),
            0};
    const auto wait =
        std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now()).count();
    const int ready =
        ::poll(fds, open ? 2 : 1, static_cast<int>(std::clamp<long long>(wait, 0, 1000)));
    if (ready < 0 && errno != EINTR)
        return false;
    if (fds[0].revents & POLLIN) {
        // One read: what a burst leaves behind wakes the next poll at once.
        char buffer[256];
        [[maybe_unused]] const auto got = ::read(m_wakeRead, buffer, sizeof buffer);
    }
    if (!open)
        return true;
    int code = 0;
    if (deferInput || (fds[1].revents & (POLLIN | POLLHUP | POLLERR)))
        code = m_client->loopRead();
    if (code == 0 && m_client->socket() >= 0 && (fds[1].revents & POLLOUT))
        code = m_client->loopWrite();
    if (code == 0 && m_client->socket() >= 0)
        code = m_client->loopMisc();
    if (code == 0 && m_client->socket() >= 0)
        return true;
    // The connection is over: say why, as precisely as the library tells it.
    if (m_refusal)
        connectionEnded(*m_refusal);
    else if (m_state == State::Connected)
        connectionEnded(MqttNotice{MqttNotice::Kind::Lost, MosquittoClient::errorText(code), 0});
    else if (m_settings.broker.tls &&
             (code == MosquittoClient::kErrorTls || !m_lastLibraryError.isEmpty()))
        connectionEnded(MqttNotice{MqttNotice::Kind::TlsFailed,
                                   m_lastLibraryError.isEmpty() ? MosquittoClient::errorText(code)
                                                                : m_lastLibraryError,
                                   0});
    else
        connectionEnded(
            MqttNotice{MqttNotice::Kind::CannotReach, MosquittoClient::errorText(code), 0});
    return true;
}

void MqttSession::startConnection() {
    m_refusal.reset();
    m_lastLibraryError.clear();
    MosquittoClient::Handlers handlers;
    handlers.connected = [this](int code) { connackArrived(code); };
    handlers.published = [this](int mid) {
        if (mid == m_offlineMid) {
            m_offlineAcknowledged = true;
            return;
        }
        const std::size_t before = m_outbox.size();
        m_outbox.acknowledged(mid);
        m_acknowledgedCount += before - m_outbox.size();
    };
    handlers.message = [this](const QByteArray& topic, const QByteArray& payload) {
        // Home Assistant started again: it needs the discovery configurations once more.
        if (topic == kHomeAssistantStatus && payload == kOnline)
            for (const auto& [retainedTopic, unused] : m_retained)
                if (retainedTopic.startsWith("homeassistant/"))
                    m_dirtyRetained.insert(retainedTopic);
    };
    handlers.error = [this](const QString& text) { m_lastLibraryError = text; };
    m_client = std::make_unique<MosquittoClient>(m_settings.clientId.toUtf8(),
                                                 m_settings.protocolVersion, std::move(handlers));
    int code = m_client->valid() ? 0 : 1;
    if (code == 0)
        code = m_client->setWill(m_statusTopic, kOffline, 1, true);
    if (code == 0)
        code = m_client->setCredentials(m_settings.username.toUtf8(), m_settings.password);
    if (code == 0 && m_settings.broker.tls)
        code = m_client->setTls(m_settings.caFile);
    if (code == 0)
        code = m_client->connectAsync(m_settings.broker.host.toUtf8(), m_settings.broker.port,
                                      kKeepAliveSeconds);
    if (code == 0) {
        m_state = State::Connecting;
        m_connackDeadline = Clock::now() + kConnackTime;
        return;
    }
    if (code == MosquittoClient::kErrorLookup)
        connectionEnded(MqttNotice{MqttNotice::Kind::UnknownHost, m_settings.broker.host, 0});
    else if (code == MosquittoClient::kErrorTls)
        connectionEnded(MqttNotice{MqttNotice::Kind::TlsFailed,
                                   m_lastLibraryError.isEmpty() ? MosquittoClient::errorText(code)
                                                                : m_lastLibraryError,
                                   0});
    else
        connectionEnded(
            MqttNotice{MqttNotice::Kind::CannotReach, MosquittoClient::errorText(code), 0});
}

void MqttSession::connackArrived(int code) {
    if (code != 0) {
        m_refusal =
            MosquittoClient::refusesCredentials(code)
                ? MqttNotice{MqttNotice::Kind::CredentialsRefused, {}, 0}
                : MqttNotice{MqttNotice::Kind::Refused, MosquittoClient::connackText(code), 0};
        return;
    }
    m_state = State::Connected;
    m_backoff = 1s;
    if (!m_everConnected)
        tell(MqttNotice{MqttNotice::Kind::Connected, {}, 0});
    else if (m_down)
        tell(MqttNotice{MqttNotice::Kind::Reconnected, {}, static_cast<qint64>(m_outbox.size())});
    if (m_dropped > 0)
        tell(MqttNotice{MqttNotice::Kind::Dropped, {}, static_cast<qint64>(m_dropped)});
    m_dropped = 0;
    m_everConnected = true;
    m_down = false;
    int mid = 0;
    m_client->publish(&mid, m_statusTopic, kOnline, 1, true);
    for (const auto& [topic, unused] : m_retained)
        m_dirtyRetained.insert(topic);
    if (m_settings.homeAssistant)
        m_client->subscribe(kHomeAssistantStatus, 1);
}

void MqttSession::connectionEnded(const MqttNotice& cause) {
    m_client.reset();
    m_state = State::Idle;
    m_outbox.resendAll();
    if (!m_down)
        tell(cause);
    m_down = true;
    m_nextAttempt = Clock::now() + m_backoff;
    m_backoff = std::min(m_backoff * 2, std::chrono::seconds(kMaxBackoff));
}

void MqttSession::publishPending() {
    while (!m_dirtyRetained.empty()) {
        const QByteArray topic = *m_dirtyRetained.begin();
        publishRetained(topic);
    }
    while (const MqttEvent* event = m_outbox.next(kWindow)) {
        publishEvent(*event);
        if (!m_client || m_state != State::Connected)
            return;
    }
}

void MqttSession::publishRetained(const QByteArray& topic) {
    m_dirtyRetained.erase(topic);
    const auto found = m_retained.find(topic);
    if (found == m_retained.end())
        return;
    int mid = 0;
    m_client->publish(&mid, topic, found->second, 1, true);
    if (found->second.isEmpty())
        m_retained.erase(found);
}

void MqttSession::publishEvent(const MqttEvent& event) {
    const int offset = offsetFromUtc(event.msecs);
    const bool record = event.kind == MqttEvent::Kind::Record;
    const QByteArray payload = record ? recordPayload(event, offset) : alarmPayload(event, offset);
    const int board = event.board;
    int mid = 0;
    const int code = m_client->publish(
        &mid, record ? m_recordTopic.at(board) : m_alarmTopic.at(board), payload, 1, false);
    if (code != 0) {
        // The library lost the connection under us; the event waits for the next one.
        connectionEnded(MqttNotice{MqttNotice::Kind::Lost, MosquittoClient::errorText(code), 0});
        return;
    }
    if (m_outbox.sent(mid)) {
        int stateMid = 0;
        m_client->publish(&stateMid, m_stateTopic.at(board), payload, 0, true);
    }
}

double MqttSession::threadCpuSeconds() {
    clockid_t clock{};
    timespec used{};
    if (pthread_getcpuclockid(m_thread.native_handle(), &clock) != 0 ||
        clock_gettime(clock, &used) != 0)
        return 0.0;
    return static_cast<double>(used.tv_sec) + static_cast<double>(used.tv_nsec) * 1e-9;
}

int MqttSession::offsetFromUtc(std::int64_t msecs) {
    std::int64_t slot = msecs / kOffsetSlotMs;
    if (msecs < 0 && msecs % kOffsetSlotMs != 0)
        --slot;
    if (slot != m_offsetSlot) {
        m_offsetSlot = slot;
        m_offset = QDateTime::fromMSecsSinceEpoch(msecs).offsetFromUtc();
    }
    return m_offset;
}

void MqttSession::tell(const MqttNotice& notice) {
    if (m_sink)
        m_sink(notice);
}

} // namespace nimbar
