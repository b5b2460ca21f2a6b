#pragma once

#include "net/AllowList.h"
#include "net/ListenAddress.h"
#include "web/HttpConnection.h"

#include <QList>
#include <QObject>
#include <QPointer>

#include <functional>

class QTcpServer;
class QWebSocket;
class QWebSocketServer;

namespace nimbar {

// The web side's thin layer over Qt Network and Qt WebSockets: a small HTTP/1.1 server of our
// own on QTcpServer, with QWebSocketServer taking over the connections that upgrade. Whatever a
// peer does, it holds at most one connection slot, a bounded buffer and no timer beyond its
// limits; nothing here waits on a peer.
class WebServer : public QObject {
    Q_OBJECT
public:
    // HTTP connections and WebSocket viewers together; one more is closed at once.
    static constexpr int kMaxConnections = 256;
    // Of those, one peer on another machine holds at most this many, so that a single PC cannot
    // lock the others out. The loopback (this machine, or a proxy in front) has no share.
    static constexpr int kMaxPerPeer = 32;
    // A viewer whose unsent messages pass this is dropped.
    static constexpr qint64 kViewerBacklog = 256 * 1024;
    static constexpr int kHandshakeTimeoutMs = 5000;
    // What a viewer may send: pings and a close, nothing large.
    static constexpr quint64 kViewerMessageLimit = 4096;
    static constexpr int kAcceptRetryMs = 1000;

    using Handler = std::function<void(HttpConnection& connection, const HttpRequest& request)>;

    explicit WebServer(QObject* parent = nullptr);
    ~WebServer() override;

    // Peers that the list does not allow are closed at once, before a byte is read.
    void setAllowList(const AllowList& list) { m_allowList = list; }
    void setHandler(Handler handler) { m_handler = std::move(handler); }
    bool listen(const ListenAddress& where, QString& error);
    quint16 port() const;

    // Makes the connection, whose request asks for a WebSocket, a viewer of broadcast().
    void upgrade(HttpConnection& connection);
    // Sends a text message to every viewer; a viewer too far behind is dropped.
    void broadcast(const QString& message);

    int connectionCount() const;
    // The connections of one peer address.
    int connectionsFrom(const QHostAddress& peer) const;
    int viewerCount() const { return static_cast<int>(m_viewers.size()); }

signals:
    void viewerJoined();

private:
    void acceptConnections();
    void acceptFailed();
    void addViewers();

    QTcpServer* m_tcp;
    QWebSocketServer* m_webSockets;
    AllowList m_allowList;
    Handler m_handler;
    int m_httpConnections = 0;
    QList<QWebSocket*> m_viewers;
    // Sockets in their WebSocket handshake, until a viewer takes them over.
    QList<QPointer<QTcpSocket>> m_upgrading;
};

} // namespace nimbar
