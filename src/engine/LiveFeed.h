#pragma once

#include "processing/AlarmEvaluation.h"
#include "settings/BoardConfig.h"

#include <QDateTime>
#include <QObject>
#include <QString>

#include <array>
#include <optional>

namespace nimbar {

// One processed line of a board as the running system reports it to its listeners (the web
// side, the broker publisher): final values after conversion and filtering, with their validity
// and alarm states.
struct LiveLine {
    int board = 0; // 0..3
    QDateTime time;
    double timeValue = 0.0; // the same instant as the recording files hold it (days since 1899)
    std::array<double, kChannelCount> values{};
    std::array<bool, kChannelCount> valid{};
    std::array<AlarmState, kChannelCount> alarms{}; // CH0 has no alarm: always Normal
    bool recorded = false;                          // the line became a record of the board
};

// A channel that entered or left an alarm.
struct AlarmChange {
    int board = 0;
    int channel = 0;
    QDateTime time;
    AlarmState state = AlarmState::Normal;
    double value = 0.0;
    double limit = 0.0; // the limit crossed; for Normal, the one that was crossed before
};

// What a listener may ask of a board at any time.
struct BoardSnapshot {
    BoardConfig config{};
    bool active = false; // it has a port (logger) or a connection (client)
    QDateTime recordingStart;
    std::optional<LiveLine> latest;
};

// The running system's live data for listeners that are not windows. The system publishes into
// it; listeners connect to its signals and read snapshots. Everything runs on one thread.
class LiveFeed : public QObject {
    Q_OBJECT
public:
    explicit LiveFeed(QObject* parent = nullptr);

    const BoardSnapshot& board(int board) const { return m_boards.at(board); }
    bool korean() const { return m_korean; }
    QString dataDirectory() const { return m_dataDirectory; }

    // Called by the running system.
    void setLanguage(bool korean) { m_korean = korean; }
    void setDataDirectory(const QString& directory) { m_dataDirectory = directory; }
    // A board's configuration or activity changed; listeners are told only of a real change.
    void setBoard(int board, const BoardConfig& config, bool active);
    void setRecordingStart(int board, const QDateTime& start);
    void publishLine(const LiveLine& line);
    void publishStatus(const QString& text) { emit statusShown(text); }

    // Called by a listener with something the user must be told (a broker lost, a port taken):
    // the window shows it in its status bar, a program without one on standard error.
    void tellUser(const QString& text) { emit userNotice(text); }

signals:
    void lineProcessed(const nimbar::LiveLine& line);
    void recordWritten(const nimbar::LiveLine& line);
    void alarmChanged(const nimbar::AlarmChange& change);
    void boardChanged(int board);
    void statusShown(const QString& text);
    void userNotice(const QString& text);

private:
    std::array<BoardSnapshot, kBoardCount> m_boards{};
    bool m_korean = false;
    QString m_dataDirectory;
};

} // namespace nimbar
