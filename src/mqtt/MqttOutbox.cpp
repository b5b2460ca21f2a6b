#include "mqtt/MqttOutbox.h"

namespace nimbar {

bool MqttOutbox::append(const MqttEvent& event) {
    bool dropped = false;
    if (m_entries.size() >= m_limit) {
        // The oldest that is not in flight: in an outage nothing is, and the front goes.
        const std::size_t at = m_inFlight == 0 ? 0 : firstUnsent();
        if (at < m_entries.size()) {
            const MqttEvent& old = m_entries[at].event;
            if (old.kind == MqttEvent::Kind::Record && m_entries[at].mid == 0)
                --m_unsentRecords.at(old.board);
            m_entries.erase(m_entries.begin() + static_cast<std::ptrdiff_t>(at));
            if (at < m_sentPrefix)
                --m_sentPrefix;
            dropped = true;
        }
    }
    m_entries.push_back(Entry{event, 0, false});
    if (event.kind == MqttEvent::Kind::Record)
        ++m_unsentRecords.at(event.board);
    return dropped;
}

std::size_t MqttOutbox::firstUnsent() const {
    std::size_t at = m_sentPrefix;
    while (at < m_entries.size() && (m_entries[at].mid != 0 || m_entries[at].acknowledged))
        ++at;
    return at;
}

const MqttEvent* MqttOutbox::next(std::size_t window) const {
    if (m_inFlight >= window)
        return nullptr;
    const std::size_t at = firstUnsent();
    return at < m_entries.size() ? &m_entries[at].event : nullptr;
}

bool MqttOutbox::sent(int mid) {
    const std::size_t at = firstUnsent();
    Entry& entry = m_entries.at(at);
    entry.mid = mid;
    m_sentPrefix = at + 1;
    ++m_inFlight;
    if (entry.event.kind != MqttEvent::Kind::Record)
        return false;
    return --m_unsentRecords.at(entry.event.board) == 0;
}

void MqttOutbox::acknowledged(int mid) {
    for (std::size_t at = 0; at < m_sentPrefix; ++at) {
        Entry& entry = m_entries[at];
        if (entry.mid == mid && !entry.acknowledged) {
            entry.acknowledged = true;
            --m_inFlight;
            break;
        }
    }
    while (!m_entries.empty() && m_entries.front().acknowledged) {
        m_entries.pop_front();
        --m_sentPrefix;
    }
}

void MqttOutbox::resendAll() {
    for (std::size_t at = 0; at < m_sentPrefix; ++at) {
        Entry& entry = m_entries[at];
        if (entry.mid != 0 && !entry.acknowledged) {
            entry.mid = 0;
            if (entry.event.kind == MqttEvent::Kind::Record)
                ++m_unsentRecords.at(entry.event.board);
        }
    }
    m_sentPrefix = 0;
    m_inFlight = 0;
}

} // namespace nimbar
