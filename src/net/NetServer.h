#pragma once

#include "net/AllowList.h"
#include "net/NetFrame.h"
#include "processing/BoardRuntime.h"
#include "settings/BoardConfig.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QStringList>

#include <array>

class QTcpServer;
class QTcpSocket;

namespace nimbar {

// The logger's side of network sharing: one listening socket per board (SS1..SS4), the list
// of connected clients over all four, and the answers to their requests from the boards'
// current data. What it logs goes out as signals; the window shows it.
class NetServer : public QObject {
    Q_OBJECT
public:
    static constexpr int kUserLimit = 15;
    static constexpr int kBroadcastPauseMs = 50;
    // A refused connection whose close has not completed by then is dropped.
    static constexpr int kRefusedGraceMs = 2000;
    // Accepting paused by a resource error (descriptors used up) is tried again after this.
    static constexpr int kAcceptRetryMs = 1000;

    NetServer(const BoardConfigs& boards, const BoardRuntimes& runtimes,
              int firstPort = kFirstBoardPort, QObject* parent = nullptr);
    ~NetServer() override;

    void setKorean(bool korean) { m_korean = korean; }
    // A connection from an address the list does not allow is closed at once, without a byte,
    // and is not counted among the users.
    void setAllowList(const AllowList& list) { m_allowList = list; }
    // The port of board b's listening socket. A first port of 0 lets each socket take any
    // free port (tests), known once it listens.
    int port(int board) const;

    // Opens SS1..SS4 in this order; a socket that cannot listen ends the pass, leaving it and
    // the ones after it closed. Returns how many listen.
    int openAll();
    // Closes the listening sockets and drops their connections.
    void closeAll();
    bool isListening(int board) const;

    // Tells every listed client that serving stops, pausing after each.
    void broadcastClosing();
    // "Disable All Networking": tell the clients, forget them, stop listening.
    void disableNetworking();
    // Forgets the listed clients without telling them.
    void clearClientList();

    // The connection memo's lines ("address:port") and their connections, in list order.
    const QStringList& listed() const { return m_listed; }
    const QList<QTcpSocket*>& clientList() const { return m_clientList; }
    // The read handler of board b's listening socket (SSnClientRead).
    void clientRead(int board, QTcpSocket* socket);

signals:
    void listChanged(const QStringList& lines);
    void receiveLogged(const QString& line);
    void sendLogged(const QString& line);
    void statusShown(const QString& text);
    // A connection error that the exception log records as well.
    void unhandledError(const QString& text);
    // A port that could not listen (another program holds it).
    void listenFailed(int port, const QString& reason);

private:
    struct Peer {
        int board = 0;
        QString key;
    };
    void clientConnect(int board);
    void refuse(QTcpSocket* socket);
    void acceptFailed(int board);
    void clientDisconnect(QTcpSocket* socket);
    void clientError(QTcpSocket* socket, int errorCode);
    void send(int board, QTcpSocket* socket, const QByteArray& frame);
    void unlist(QTcpSocket* socket);

    const BoardConfigs& m_boards;
    const BoardRuntimes& m_runtimes;
    int m_firstPort;
    bool m_korean = true;
    AllowList m_allowList;
    std::array<QTcpServer*, kBoardCount> m_servers{};
    QStringList m_listed;
    QList<QTcpSocket*> m_clientList;
    QHash<QTcpSocket*, Peer> m_peers;
};

} // namespace nimbar
