#include "net/NetServer.h"

#include "net/NetTexts.h"
#include "net/PeerReset.h"

#include <QHostAddress>
#include <QHostInfo>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>

namespace nimbar {

namespace {

QString peerKey(const QTcpSocket* socket) {
    const QHostAddress address(socket->peerAddress().toIPv4Address());
    return QString("%1:%2").arg(address.toString()).arg(socket->peerPort());
}

} // namespace

NetServer::NetServer(const BoardConfigs& boards, const BoardRuntimes& runtimes, int firstPort,
                     QObject* parent)
    : QObject(parent), m_boards(boards), m_runtimes(runtimes), m_firstPort(firstPort) {
    for (int b = 0; b < kBoardCount; ++b) {
        auto* server = new QTcpServer(this);
        server->setObjectName(QString("SS%1").arg(b + 1));
        server->setMaxPendingConnections(64);
        connect(server, &QTcpServer::newConnection, this, [this, b] { clientConnect(b); });
        connect(server, &QTcpServer::acceptError, this, [this, b] { acceptFailed(b); });
        m_servers[b] = server;
    }
}

NetServer::~NetServer() {
    // The sockets are the servers' children; their last signals must not reach a half-gone
    // object.
    for (QTcpSocket* socket : m_peers.keys())
        socket->disconnect(this);
}

int NetServer::port(int board) const {
    const QTcpServer* server = m_servers[board];
    if (server->isListening())
        return server->serverPort();
    return m_firstPort == 0 ? 0 : m_firstPort + board;
}

int NetServer::openAll() {
    int opened = 0;
    for (int b = 0; b < kBoardCount; ++b) {
        QTcpServer* server = m_servers[b];
        if (server->isListening()) {
            ++opened;
            continue;
        }
        if (!server->listen(QHostAddress::AnyIPv4, static_cast<quint16>(port(b)))) {
            emit listenFailed(port(b), server->errorString());
            break;
        }
        ++opened;
        const QString text = listeningText(QHostInfo::localHostName(), port(b), m_korean);
        emit receiveLogged(kNetSeparator);
        emit receiveLogged(text);
        emit statusShown(text);
    }
    return opened;
}

void NetServer::closeAll() {
    for (QTcpServer* server : m_servers) {
        if (!server->isListening())
            continue;
        server->close();
        // Closing a listening socket drops its connections as well.
        for (QTcpSocket* socket : server->findChildren<QTcpSocket*>())
            socket->abort();
    }
}

bool NetServer::isListening(int board) const {
    return m_servers[board]->isListening();
}

void NetServer::clientConnect(int board) {
    QTcpServer* server = m_servers[board];
    while (QTcpSocket* socket = server->nextPendingConnection()) {
        if (m_listed.size() >= kUserLimit) {
            refuse(socket);
            continue;
        }
        const Peer peer{board, peerKey(socket)};
        m_peers.insert(socket, peer);
        connect(socket, &QTcpSocket::readyRead, this,
                [this, board, socket] { clientRead(board, socket); });
        connect(socket, &QTcpSocket::disconnected, this,
                [this, socket] { clientDisconnect(socket); });
        connect(socket, &QTcpSocket::errorOccurred, this,
                [this, socket](QAbstractSocket::SocketError error) {
                    clientError(socket, static_cast<int>(error));
                });
        watchForReset(socket);
        if (!m_listed.contains(peer.key)) {
            m_listed << peer.key;
            m_clientList << socket;
            emit listChanged(m_listed);
        }
        emit receiveLogged(kNetSeparator);
        emit receiveLogged(clientConnectText(peer.key, m_korean));
    }
}

void NetServer::refuse(QTcpSocket* socket) {
    // Neither listed, logged nor served. Closed here once the notice is out, so that peers
    // which never close cannot use up the logger's descriptors.
    connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    QTimer::singleShot(kRefusedGraceMs, socket, [socket] {
        socket->abort();
        socket->deleteLater();
    });
    // Bytes already waiting (the peer's first request) are dropped first: closing over unread
    // bytes resets the connection, and a reset may cost the peer the notice.
    for (int i = 0; i < 16 && socket->waitForReadyRead(0); ++i)
        socket->readAll();
    socket->write(closingResponse("Too many user"));
    socket->flush();
    socket->disconnectFromHost();
}

void NetServer::acceptFailed(int board) {
    // The listening socket stops accepting after a resource error; try again later rather
    // than stay deaf for good or spin while descriptors are short.
    QTcpServer* server = m_servers[board];
    QTimer::singleShot(kAcceptRetryMs, server, [server] {
        if (server->isListening())
            server->resumeAccepting();
    });
}

void NetServer::unlist(QTcpSocket* socket) {
    const QString key = m_peers.value(socket).key;
    m_clientList.removeAll(socket);
    if (m_listed.removeAll(key) > 0)
        emit listChanged(m_listed);
}

void NetServer::clientDisconnect(QTcpSocket* socket) {
    if (!m_peers.contains(socket))
        return;
    unlist(socket);
    emit receiveLogged(kNetSeparator);
    emit receiveLogged(clientDisconnectText(m_peers.value(socket).key, m_korean));
    m_peers.remove(socket);
    socket->deleteLater();
}

void NetServer::clientError(QTcpSocket* socket, int errorCode) {
    // A peer that closes its end is an ordinary disconnect; one that resets it is an error.
    if ((errorCode == QAbstractSocket::RemoteHostClosedError && !wasReset(socket)) ||
        !m_peers.contains(socket))
        return;
    const QString text = clientSocketErrorText(m_peers.value(socket).key, errorCode, m_korean);
    emit receiveLogged(kNetSeparator);
    emit receiveLogged(text);
    unlist(socket);
    emit unhandledError(text);
    if (socket->state() == QAbstractSocket::ConnectedState)
        socket->close();
    else
        clientDisconnect(socket);
}

void NetServer::clientRead(int board, QTcpSocket* socket) {
    const qint64 waiting = socket->bytesAvailable();
    if (waiting <= 0)
        return;
    if (waiting > kNetRequestSize) {
        // Not a request: dropped unanswered, so that the socket stops signalling it.
        socket->readAll();
        return;
    }
    const QByteArray request = socket->read(waiting);
    const auto code = static_cast<uint8_t>(request[0]);
    emit receiveLogged(QString("[DAQ%1] Request:[%2] %3 / %4 bytes")
                           .arg(board + 1)
                           .arg(code, 2, 16, QChar('0'))
                           .arg(m_peers.value(socket).key)
                           .arg(request.size()));
    const BoardRuntime& runtime = m_runtimes[board];
    switch (answerFor(code, runtime.linkIdle)) {
    case ServerAnswer::Measurement:
        send(board, socket, measurementResponse(runtime.servedLine));
        break;
    case ServerAnswer::Paused:
        send(board, socket, pausedResponse());
        break;
    case ServerAnswer::Configuration:
        send(board, socket, configurationResponse(m_boards[board]));
        break;
    case ServerAnswer::Unknown:
        emit receiveLogged("Unkown Code");
        break;
    }
}

void NetServer::send(int board, QTcpSocket* socket, const QByteArray& frame) {
    const qint64 sent = socket->write(frame);
    socket->flush();
    emit sendLogged(
        QString("[DAQ%1] Send:[%2] %3 / %4 bytes")
            .arg(board + 1)
            .arg(QString("%1").arg(static_cast<uint8_t>(frame[0]), 2, 16, QChar('0')).toUpper())
            .arg(m_peers.value(socket).key)
            .arg(sent));
}

void NetServer::broadcastClosing() {
    const QByteArray frame = closingResponse("Server is closed");
    const QList<QPointer<QTcpSocket>> snapshot(m_clientList.begin(), m_clientList.end());
    for (const QPointer<QTcpSocket>& socket : snapshot) {
        if (socket && socket->state() == QAbstractSocket::ConnectedState) {
            socket->write(frame);
            socket->flush();
        }
        QThread::msleep(kBroadcastPauseMs);
    }
}

void NetServer::clearClientList() {
    m_clientList.clear();
    if (!m_listed.isEmpty()) {
        m_listed.clear();
        emit listChanged(m_listed);
    }
}

void NetServer::disableNetworking() {
    broadcastClosing();
    clearClientList();
    closeAll();
}

} // namespace nimbar
