#pragma once

#include "net/NetFrame.h"
#include "processing/BoardRuntime.h"
#include "settings/BoardConfig.h"
#include "settings/ClientSettings.h"

#include <QObject>
#include <QString>

#include <array>

class QTcpSocket;
class QTimer;

namespace nimbar {

// The client program's side of network sharing: one connection per local board (CS1..CS4)
// to the port of the logger's board it follows, the poll countdowns and the handling of the
// responses. The window shows what it reports and installs what it receives.
class NetClient : public QObject {
    Q_OBJECT
public:
    static constexpr int kRetryIntervalMs = 10000;

    NetClient(BoardRuntimes& runtimes, ClientSettings& settings, int firstPort = kFirstBoardPort,
              QObject* parent = nullptr);
    ~NetClient() override;

    void setKorean(bool korean) { m_korean = korean; }
    // Unattended mode: a connection that ends is tried again after the interval.
    void setRetry(bool retry, int intervalMs = kRetryIntervalMs);
    bool retrying() const { return m_retry; }

    // The port that board b connects to: the logger's port of its remote board.
    int port(int board) const;
    bool isConnected(int board) const;
    QTcpSocket* socket(int board) const { return m_boards[board].socket; }
    bool configReceived(int board) const { return m_boards[board].configReceived; }
    bool pollStopped(int board) const { return m_boards[board].pollStopped; }
    // The connection was closed by the user's disconnect or the shutdown.
    bool endedByUser(int board) const { return m_closing || m_boards[board].userClosed; }

    // Starts a connection of board b (a pending attempt is replaced); false, logged, when it
    // cannot be started.
    bool connectBoard(int board, const QString& host);
    // The user's disconnect: closes the connection and ends any retrying of the board.
    void disconnectBoard(int board);
    // Asks the logger for the board's configuration again (BtC).
    void requestConfiguration(int board);
    // The poll timer's tick (Timer2).
    void tick(bool chartBusy);
    // Shutdown: closes every connection; nothing is retried from then on.
    void closeAll();

signals:
    void statusShown(const QString& text);
    void receiveLogged(const QString& line);
    void sendLogged(const QString& line);
    void serverListed(const QString& hostName);
    void boardConnected(int board);
    void boardDisconnected(int board);
    void boardError(int board, const QString& text);
    // A measurement line of 180 bytes, NUL-terminated.
    void measurementReceived(int board, const QByteArray& line);
    void configurationReceived(int board, const nimbar::BoardConfig& config);

private:
    struct Board {
        QTcpSocket* socket = nullptr;
        QTimer* retryTimer = nullptr;
        FrameAssembler assembler;
        QString host;
        bool configReceived = false;
        bool pollStopped = false;
        bool userClosed = false;
    };
    void onConnected(int board);
    void onDisconnected(int board);
    void onError(int board, int errorCode);
    void onRead(int board);
    void handleFrame(int board, const ReceivedFrame& frame);
    void sendRequest(int board, uint8_t code, bool upperCase);
    void poll(int board);
    void scheduleRetry(int board);

    BoardRuntimes& m_runtimes;
    ClientSettings& m_settings;
    int m_firstPort;
    bool m_korean = true;
    bool m_retry = false;
    bool m_closing = false;
    std::array<Board, kBoardCount> m_boards;
};

} // namespace nimbar
