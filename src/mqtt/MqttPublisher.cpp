#include "mqtt/MqttPublisher.h"

#include "mqtt/MqttPayloads.h"
#include "mqtt/MqttSession.h"

#include <QTimer>

#include <utility>

namespace nimbar {

namespace {

// The language is known once the settings are read, at the first board set-up; a program
// without settings has none to wait for.
constexpr int kLanguageWaitMs = 1000;

} // namespace

MqttPublisher::MqttPublisher(LiveFeed& feed, const MqttSetup& setup, QObject* parent)
    : QObject(parent), m_feed(&feed), m_waiting(setup.notices) {
    QTimer::singleShot(kLanguageWaitMs, this, &MqttPublisher::becomeReady);
    connect(&feed, &LiveFeed::boardChanged, this, &MqttPublisher::becomeReady);
    if (!setup.settings)
        return;
    m_settings = *setup.settings;
    m_node = discoveryNode(m_settings.topicPrefix);
    connect(&feed, &LiveFeed::recordWritten, this, &MqttPublisher::recordWritten);
    connect(&feed, &LiveFeed::alarmChanged, this, &MqttPublisher::alarmChanged);
    connect(&feed, &LiveFeed::boardChanged, this, &MqttPublisher::announceBoard);
    // Notices come on the session's thread; they are shown on this one.
    m_session = std::make_unique<MqttSession>(m_settings, [this](const MqttNotice& notice) {
        QMetaObject::invokeMethod(
            this, [this, notice] { noticeArrived(notice); }, Qt::QueuedConnection);
    });
    for (int b = 0; b < kBoardCount; ++b)
        if (feed.board(b).active)
            announceBoard(b);
}

MqttPublisher::~MqttPublisher() = default;

void MqttPublisher::recordWritten(const LiveLine& line) {
    MqttEvent event;
    event.kind = MqttEvent::Kind::Record;
    event.board = static_cast<std::uint8_t>(line.board);
    event.msecs = line.time.toMSecsSinceEpoch();
    event.values = line.values;
    for (int ch = 0; ch < kChannelCount; ++ch)
        if (line.valid[ch])
            event.validMask |= static_cast<std::uint16_t>(1u << ch);
    post(event);
}

void MqttPublisher::alarmChanged(const AlarmChange& change) {
    MqttEvent event;
    event.kind = MqttEvent::Kind::Alarm;
    event.board = static_cast<std::uint8_t>(change.board);
    event.channel = static_cast<std::uint8_t>(change.channel);
    event.state = change.state;
    event.msecs = change.time.toMSecsSinceEpoch();
    event.values[0] = change.value;
    event.values[1] = change.limit;
    post(event);
}

void MqttPublisher::post(const MqttEvent& event) {
    m_session->post(event);
    // The boards' records of one tick go to the session together, at the end of the tick.
    if (m_flushQueued)
        return;
    m_flushQueued = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_flushQueued = false;
            m_session->flush();
        },
        Qt::QueuedConnection);
}

void MqttPublisher::announceBoard(int b) {
    if (!m_feed)
        return;
    const BoardSnapshot& snapshot = m_feed->board(b);
    // A board that is not running describes nothing; what it said last stays on the broker.
    if (!snapshot.active)
        return;
    const QByteArray board = m_settings.topicPrefix.toUtf8() + '/' + boardLetter(b);
    m_session->setRetained(board + "/meta", metaPayload(b, snapshot.config));
    if (!m_settings.homeAssistant)
        return;
    std::uint16_t announced = 0;
    for (int ch = 0; ch < sentChannelCount(snapshot.config); ++ch) {
        if (snapshot.config.channelVisible[ch] == 0)
            continue;
        announced |= static_cast<std::uint16_t>(1u << ch);
        m_session->setRetained(
            discoveryTopic(m_node, b, ch).toUtf8(),
            discoveryPayload(m_settings.topicPrefix, m_node, b, snapshot.config, ch));
    }
    // A channel hidden since: its sensor is removed from Home Assistant.
    for (int ch = 0; ch < kChannelCount; ++ch)
        if ((m_announced[b] >> ch & 1) && !(announced >> ch & 1))
            m_session->setRetained(discoveryTopic(m_node, b, ch).toUtf8(), QByteArray());
    m_announced[b] = announced;
}

void MqttPublisher::noticeArrived(const MqttNotice& notice) {
    if (!m_ready) {
        m_waiting << notice;
        return;
    }
    if (m_feed)
        m_feed->tellUser(mqttNoticeText(notice, m_settings.broker.url(), m_feed->korean()));
}

void MqttPublisher::becomeReady() {
    if (m_ready)
        return;
    m_ready = true;
    const QList<MqttNotice> waiting = std::exchange(m_waiting, {});
    for (const MqttNotice& notice : waiting)
        noticeArrived(notice);
}

} // namespace nimbar
