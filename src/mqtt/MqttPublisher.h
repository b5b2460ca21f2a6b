#pragma once

#include "engine/LiveFeed.h"
#include "mqtt/MqttEvent.h"
#include "mqtt/MqttNotice.h"
#include "mqtt/MqttSettings.h"

#include <QList>
#include <QObject>
#include <QPointer>

#include <array>
#include <cstdint>
#include <memory>

namespace nimbar {

class MqttSession;

// Publishes the live feed to a broker: every record, every alarm event, each active board's
// description (and its Home Assistant discovery when asked for). A listener of the feed; the
// broker work runs in an MqttSession on its own thread, so a record costs the feed's thread
// only a copy into the session's queue. The broker's state is told through the feed.
class MqttPublisher : public QObject {
    Q_OBJECT
public:
    // Publishes when the setup has settings; its notices (skipped lines of the settings file,
    // a broker that cannot be used) are told once the language is known, as the session's are.
    MqttPublisher(LiveFeed& feed, const MqttSetup& setup, QObject* parent = nullptr);
    ~MqttPublisher() override;

private:
    void announceBoard(int board);
    void recordWritten(const LiveLine& line);
    void alarmChanged(const AlarmChange& change);
    void noticeArrived(const MqttNotice& notice);
    void becomeReady();
    void post(const MqttEvent& event);

    QPointer<LiveFeed> m_feed; // may go before this listener at shutdown
    MqttSettings m_settings;
    QString m_node;
    std::array<std::uint16_t, kBoardCount> m_announced{}; // discovery configs sent, per channel
    bool m_ready = false;
    bool m_flushQueued = false;
    QList<MqttNotice> m_waiting;
    std::unique_ptr<MqttSession> m_session; // last: stopped first
};

} // namespace nimbar
