#include "net/NetClient.h"

#include "net/NetTexts.h"
#include "net/PeerReset.h"

#include <QHostInfo>
#include <QPointer>
#include <QTcpSocket>
#include <QTimer>

#include <algorithm>

namespace nimbar {

namespace {

QString requestLine(int board, uint8_t code, bool upperCase) {
    const QString hex = QString("%1").arg(code, 2, 16, QChar('0'));
    return QString("[DAQ%1] Request:[%2]").arg(board + 1).arg(upperCase ? hex.toUpper() : hex);
}

} // namespace

NetClient::NetClient(BoardRuntimes& runtimes, ClientSettings& settings, int firstPort,
                     QObject* parent)
    : QObject(parent), m_runtimes(runtimes), m_settings(settings), m_firstPort(firstPort) {
    for (int b = 0; b < kBoardCount; ++b) {
        Board& board = m_boards[b];
        board.socket = new QTcpSocket(this);
        board.socket->setObjectName(QString("CS%1").arg(b + 1));
        connect(board.socket, &QTcpSocket::connected, this, [this, b] { onConnected(b); });
        connect(board.socket, &QTcpSocket::disconnected, this, [this, b] { onDisconnected(b); });
        connect(
            board.socket, &QTcpSocket::errorOccurred, this,
            [this, b](QAbstractSocket::SocketError error) { onError(b, static_cast<int>(error)); });
        connect(board.socket, &QTcpSocket::readyRead, this, [this, b] { onRead(b); });
        board.retryTimer = new QTimer(this);
        board.retryTimer->setSingleShot(true);
        board.retryTimer->setInterval(kRetryIntervalMs);
        connect(board.retryTimer, &QTimer::timeout, this, [this, b] {
            Board& retried = m_boards[b];
            if (retried.socket->state() == QAbstractSocket::UnconnectedState)
                connectBoard(b, retried.host);
        });
    }
}

NetClient::~NetClient() {
    m_closing = true;
    for (Board& board : m_boards)
        board.socket->disconnect(this);
}

void NetClient::setRetry(bool retry, int intervalMs) {
    m_retry = retry;
    for (Board& board : m_boards)
        board.retryTimer->setInterval(intervalMs);
}

int NetClient::port(int board) const {
    return m_firstPort + usableRemoteBoard(m_settings, board);
}

bool NetClient::isConnected(int board) const {
    return m_boards[board].socket->state() == QAbstractSocket::ConnectedState;
}

bool NetClient::connectBoard(int b, const QString& host) {
    Board& board = m_boards[b];
    board.host = host;
    board.userClosed = false;
    board.retryTimer->stop();
    if (board.socket->state() != QAbstractSocket::UnconnectedState)
        board.socket->abort();
    board.assembler.clear();
    board.socket->connectToHost(host, static_cast<quint16>(port(b)));
    if (board.socket->state() == QAbstractSocket::UnconnectedState) {
        emit receiveLogged(failedOpeningText(host, port(b), m_korean));
        scheduleRetry(b);
        return false;
    }
    return true;
}

void NetClient::disconnectBoard(int b) {
    Board& board = m_boards[b];
    board.userClosed = true;
    board.retryTimer->stop();
    board.socket->close();
}

void NetClient::requestConfiguration(int b) {
    if (isConnected(b))
        sendRequest(b, NetCode::Configuration, false);
}

void NetClient::tick(bool chartBusy) {
    for (BoardRuntime& runtime : m_runtimes)
        --runtime.recordCountdown;
    if (chartBusy)
        return;
    for (int b = 0; b < kBoardCount; ++b) {
        BoardRuntime& runtime = m_runtimes[b];
        if (runtime.recordCountdown < 1) {
            poll(b);
            runtime.recordCountdown = std::clamp(m_settings.interval[b], 1, 1000);
        }
    }
}

void NetClient::poll(int b) {
    const Board& board = m_boards[b];
    if (!isConnected(b) || board.pollStopped)
        return;
    sendRequest(b, board.configReceived ? NetCode::Measurement : NetCode::Configuration, false);
}

void NetClient::closeAll() {
    m_closing = true;
    for (Board& board : m_boards) {
        board.retryTimer->stop();
        if (board.socket->state() != QAbstractSocket::UnconnectedState)
            board.socket->close();
    }
}

void NetClient::sendRequest(int b, uint8_t code, bool upperCase) {
    QTcpSocket* socket = m_boards[b].socket;
    socket->write(encodeRequest(code));
    socket->flush();
    emit sendLogged(requestLine(b, code, upperCase));
}

void NetClient::onConnected(int b) {
    Board& board = m_boards[b];
    watchForReset(board.socket);
    board.configReceived = false;
    board.pollStopped = false;
    board.assembler.clear();
    emit boardConnected(b);
    // The host name comes by reverse lookup; the answer is listed when it arrives.
    const QString address = board.socket->peerAddress().toString();
    QPointer<NetClient> self(this);
    QHostInfo::lookupHost(address, this, [self, address](const QHostInfo& info) {
        if (self)
            emit self->serverListed(info.hostName() == address ? QString() : info.hostName());
    });
    sendRequest(b, NetCode::Configuration, true);
    emit statusShown(boardConnectedText(b, m_korean));
}

void NetClient::onDisconnected(int b) {
    emit boardDisconnected(b);
    emit statusShown(boardDisconnectedText(b, m_korean));
    scheduleRetry(b);
}

void NetClient::onError(int b, int errorCode) {
    // A logger that closes its end gives an ordinary disconnect; one that resets it an error.
    if (errorCode == QAbstractSocket::RemoteHostClosedError && !wasReset(m_boards[b].socket))
        return;
    const QString text = boardConnectionErrorText(b, m_korean);
    emit boardError(b, text);
    emit statusShown(text);
    scheduleRetry(b);
}

void NetClient::scheduleRetry(int b) {
    Board& board = m_boards[b];
    if (m_retry && !m_closing && !board.userClosed && !board.host.isEmpty())
        board.retryTimer->start();
}

void NetClient::onRead(int b) {
    Board& board = m_boards[b];
    const QByteArray bytes = board.socket->readAll();
    if (bytes.isEmpty())
        return;
    const FrameAssembler::Result result = board.assembler.feed(bytes);
    for (const ReceivedFrame& frame : result.frames) {
        if (!isConnected(b))
            return; // a Closing or Paused frame ended the connection
        emit receiveLogged(QString("[DAQ%1] Received:[%2] %3 bytes")
                               .arg(b + 1)
                               .arg(frame.code, 2, 16, QChar('0'))
                               .arg(frame.size()));
        handleFrame(b, frame);
    }
    if (result.oversized) {
        emit receiveLogged(QString("[DAQ%1] Received:[%2] %3 bytes")
                               .arg(b + 1)
                               .arg(static_cast<uint8_t>(bytes[0]), 2, 16, QChar('0'))
                               .arg(bytes.size()));
        emit receiveLogged(tooManyDataText(m_korean));
    }
}

void NetClient::handleFrame(int b, const ReceivedFrame& frame) {
    Board& board = m_boards[b];
    switch (frame.code) {
    case NetCode::Measurement:
        emit measurementReceived(b, frame.measurementLine());
        break;
    case NetCode::Configuration:
        board.configReceived = true;
        emit configurationReceived(b, frame.configuration());
        break;
    case NetCode::Closing:
        board.pollStopped = true;
        emit receiveLogged(serverTerminatedText(m_korean));
        board.socket->close();
        break;
    case NetCode::Paused:
        board.pollStopped = true;
        emit receiveLogged(serverPausedText(m_korean));
        board.socket->close();
        break;
    default:
        emit receiveLogged(unknownResponseText(m_korean));
        break;
    }
}

} // namespace nimbar
