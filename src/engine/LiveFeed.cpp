#include "engine/LiveFeed.h"

#include <cstring>

namespace nimbar {

LiveFeed::LiveFeed(QObject* parent) : QObject(parent) {}

void LiveFeed::setBoard(int b, const BoardConfig& config, bool active) {
    BoardSnapshot& snapshot = m_boards.at(b);
    if (snapshot.active == active && std::memcmp(&snapshot.config, &config, sizeof config) == 0)
        return;
    snapshot.config = config;
    snapshot.active = active;
    emit boardChanged(b);
}

void LiveFeed::setRecordingStart(int b, const QDateTime& start) {
    m_boards.at(b).recordingStart = start;
}

void LiveFeed::publishLine(const LiveLine& line) {
    BoardSnapshot& snapshot = m_boards.at(line.board);
    const BoardConfig& config = snapshot.config;
    for (int ch = 1; ch < kChannelCount; ++ch) {
        const AlarmState before =
            snapshot.latest ? snapshot.latest->alarms[ch] : AlarmState::Normal;
        const AlarmState now = line.alarms[ch];
        if (now == before)
            continue;
        const AlarmState crossed = now == AlarmState::Normal ? before : now;
        emit alarmChanged(
            AlarmChange{line.board, ch, line.time, now, line.values[ch],
                        crossed == AlarmState::High ? config.alarmHigh[ch] : config.alarmLow[ch]});
    }
    snapshot.latest = line;
    emit lineProcessed(line);
    if (line.recorded)
        emit recordWritten(line);
}

} // namespace nimbar
