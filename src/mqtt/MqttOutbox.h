#pragma once

#include "mqtt/MqttEvent.h"

#include <array>
#include <cstddef>
#include <deque>

namespace nimbar {

// The records and alarm events on their way to the broker, in the order they happened. An event
// leaves only when the broker has acknowledged it (QoS 1 PUBACK); when the connection ends, the
// events in flight are sent again on the next one, so an outage loses nothing (a message whose
// acknowledgement was lost arrives twice, as QoS 1 allows). When the queue is full the oldest
// event not in flight is given up.
class MqttOutbox {
public:
    explicit MqttOutbox(std::size_t limit) : m_limit(limit) {}

    // Returns whether an older event had to be given up to make room.
    bool append(const MqttEvent& event);

    // The next event to send, or nothing when all are in flight or window of them are.
    const MqttEvent* next(std::size_t window) const;
    // The event next() returned is in flight under mid. Returns whether it is the newest record
    // of its board in the queue (its board's state follows it then).
    bool sent(int mid);
    // The broker has the event sent under mid; unknown mids (retained messages) are ignored.
    void acknowledged(int mid);
    // The connection ended: what was in flight is sent again.
    void resendAll();

    std::size_t size() const { return m_entries.size(); }
    std::size_t inFlight() const { return m_inFlight; }
    bool empty() const { return m_entries.empty(); }

private:
    struct Entry {
        MqttEvent event;
        int mid = 0; // 0: not sent on this connection
        bool acknowledged = false;
    };
    std::size_t firstUnsent() const;

    std::size_t m_limit;
    std::deque<Entry> m_entries;
    std::size_t m_sentPrefix = 0; // entries before this index are sent or acknowledged
    std::size_t m_inFlight = 0;
    std::array<std::size_t, kBoardCount> m_unsentRecords{};
};

} // namespace nimbar
