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

quint16 WebServer::port() const {
    return m_tcp->serverPort();
}

void WebServer::acceptConnections() {
    while (QTcpSocket* socket = m_tcp->nextPendingConnection()) {
        if (m_connections >= kMaxConnections || !m_allowList.allows(socket->peerAddress())) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        // Counted until the socket is gone, across an upgrade to a WebSocket too.
        ++m_connections;
        connect(socket, &QObject::destroyed, this, [this] { --m_connections; });
        auto* connection = new HttpConnection(socket, this);
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
        // The handshake reads the request that is still in the socket.
        socket->setParent(m_webSockets);
        m_webSockets->handleConnection(socket);
    }
}

void WebServer::addViewers() {
    while (QWebSocket* viewer = m_webSockets->nextPendingConnection()) {
        viewer->setParent(this);
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
