#include "web/WebServer.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QWebSocket>
#include <QWebSocketServer>

namespace nimbar {

WebServer::WebServer(QObject* parent)
    : QObject(parent), m_tcp(new QTcpServer(this)),
      m_webSockets(new QWebSocketServer("Nimbar", QWebSocketServer::NonSecureMode, this)) {
    m_webSockets->setHandshakeTimeout(kHandshakeTimeoutMs);
    connect(m_tcp, &QTcpServer::newConnection, this, &WebServer::acceptConnections);
    connect(m_tcp, &QTcpServer::acceptError, this, &WebServer::acceptFailed);
    connect(m_webSockets, &QWebSocketServer::newConnection, this, &WebServer::addViewers);
}

WebServer::~WebServer() {
    for (QWebSocket* viewer : m_viewers)
        viewer->disconnect(this);
}

bool WebServer::listen(const ListenAddress& where, QString& error) {
    if (m_tcp->listen(where.address, where.port))
        return true;
    error = m_tcp->errorString();
    return false;
}

int WebServer::connectionCount() const {
    // A connection counts from its acceptance through its WebSocket handshake to the end of
    // its viewer.
    int upgrading = 0;
    for (const QPointer<QTcpSocket>& socket : m_upgrading)
        upgrading += socket && socket->parent() == m_webSockets ? 1 : 0;
    return m_httpConnections + upgrading + static_cast<int>(m_viewers.size());
}

int WebServer::connectionsFrom(const QHostAddress& peer) const {
    int count = 0;
    for (const HttpConnection* connection :
         findChildren<HttpConnection*>(Qt::FindDirectChildrenOnly))
        count += connection->peerAddress() == peer ? 1 : 0;
    for (const QPointer<QTcpSocket>& socket : m_upgrading)
        count += socket && socket->parent() == m_webSockets && socket->peerAddress() == peer;
    for (const QWebSocket* viewer : m_viewers)
        count += viewer->peerAddress() == peer ? 1 : 0;
    return count;
}

quint16 WebServer::port() const {
    return m_tcp->serverPort();
}

void WebServer::acceptConnections() {
    while (QTcpSocket* socket = m_tcp->nextPendingConnection()) {
        const QHostAddress peer = socket->peerAddress();
        if (connectionCount() >= kMaxConnections || !m_allowList.allows(peer) ||
            (!peer.isLoopback() && connectionsFrom(peer) >= kMaxPerPeer)) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        auto* connection = new HttpConnection(socket, this);
        ++m_httpConnections;
        connect(connection, &QObject::destroyed, this, [this] { --m_httpConnections; });
        connect(connection, &HttpConnection::requestReceived, this,
                [this](HttpConnection* c, const HttpRequest& request) {
                    if (m_handler)
                        m_handler(*c, request);
                    else
                        c->respondText(503, "503 Service Unavailable\n");
                });
    }
}

void WebServer::acceptFailed() {
    // Accepting stops after a resource error (descriptors used up): try again later.
    m_tcp->pauseAccepting();
    QTimer::singleShot(kAcceptRetryMs, m_tcp, [tcp = m_tcp] { tcp->resumeAccepting(); });
}

void WebServer::upgrade(HttpConnection& connection) {
    if (QTcpSocket* socket = connection.release()) {
        // A handshake that fails or times out closes the socket; it goes unless a viewer took
        // it over.
        socket->setParent(m_webSockets);
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            if (socket->parent() == m_webSockets)
                socket->deleteLater();
        });
        m_upgrading.removeAll(nullptr);
        m_upgrading.append(socket);
        // The handshake reads the request that is still in the socket.
        m_webSockets->handleConnection(socket);
    }
}

void WebServer::addViewers() {
    while (QWebSocket* viewer = m_webSockets->nextPendingConnection()) {
        viewer->setParent(this);
        // A viewer does not own the socket it was made from: it becomes its child here, so
        // that both go together.
        for (const QPointer<QTcpSocket>& socket : std::as_const(m_upgrading)) {
            if (socket && socket->peerPort() == viewer->peerPort() &&
                socket->peerAddress() == viewer->peerAddress()) {
                socket->setParent(viewer);
                m_upgrading.removeOne(socket);
                break;
            }
        }
        viewer->setMaxAllowedIncomingFrameSize(kViewerMessageLimit);
        viewer->setMaxAllowedIncomingMessageSize(kViewerMessageLimit);
        m_viewers.append(viewer);
        connect(viewer, &QWebSocket::disconnected, this, [this, viewer] {
            m_viewers.removeOne(viewer);
            viewer->deleteLater();
        });
        emit viewerJoined();
    }
}

void WebServer::broadcast(const QString& message) {
    const QList<QWebSocket*> viewers = m_viewers;
    for (QWebSocket* viewer : viewers) {
        if (viewer->bytesToWrite() > kViewerBacklog) {
            m_viewers.removeOne(viewer);
            viewer->disconnect(this);
            viewer->abort();
            viewer->deleteLater();
            continue;
        }
        viewer->sendTextMessage(message);
    }
}

} // namespace nimbar
