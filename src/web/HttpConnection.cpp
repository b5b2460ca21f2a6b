#include "web/HttpConnection.h"

#include <QTcpSocket>

namespace nimbar {

namespace {

// Bytes of a fixed body written at a time.
constexpr qsizetype kBodySlice = 16 * 1024;

} // namespace

HttpConnection::HttpConnection(QTcpSocket* socket, QObject* parent)
    : QObject(parent), m_socket(socket), m_peer(socket->peerAddress()) {
    m_socket->setParent(this);
    // The socket buffers no more than one head: a peer that sends more waits on the kernel.
    m_socket->setReadBufferSize(kMaxHeadBytes);
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &HttpConnection::drop);
    connect(m_socket, &QTcpSocket::readyRead, this, [this] {
        if (m_state == State::ReadingHead)
            readHead();
    });
    connect(m_socket, &QTcpSocket::bytesWritten, this, [this] {
        if (m_state == State::Writing || m_state == State::Closing)
            m_timer.start(kStallTimeoutMs);
        if (m_state == State::Writing)
            pump();
    });
    connect(m_socket, &QTcpSocket::disconnected, this, &HttpConnection::drop);
    connect(m_socket, &QTcpSocket::errorOccurred, this, &HttpConnection::drop);
    m_timer.start(kHeadTimeoutMs);
    // Bytes that came with the connection are read once the server listens to this one.
    QTimer::singleShot(0, this, [this] {
        if (m_state == State::ReadingHead && m_socket->bytesAvailable() > 0)
            readHead();
    });
}

void HttpConnection::readHead() {
    const HeadParse parse = parseRequestHead(m_socket->peek(kMaxHeadBytes));
    if (parse.result == HeadParse::Incomplete)
        return;
    m_state = State::Handling;
    if (parse.result == HeadParse::Refused) {
        m_keepAlive = false;
        m_headLength = m_socket->bytesAvailable();
        respondText(parse.status, reasonPhrase(parse.status) + '\n');
        return;
    }
    m_headLength = parse.length;
    m_keepAlive = parse.request.keepAlive();
    m_headOnly = parse.request.method == "HEAD";
    m_http10 = parse.request.version == "HTTP/1.0";
    emit requestReceived(this, parse.request);
}

void HttpConnection::begin(int status, const QByteArray& contentType, const HttpHeaders& extra,
                           std::optional<qint64> length) {
    if (m_state != State::Handling)
        return;
    m_socket->skip(m_headLength);
    HttpHeaders headers = extra;
    if (!contentType.isEmpty())
        headers.emplaceBack("Content-Type", contentType);
    if (length) {
        headers.emplaceBack("Content-Length", QByteArray::number(*length));
    } else if (!m_http10) {
        m_chunked = !m_headOnly;
        headers.emplaceBack("Transfer-Encoding", "chunked");
    } else {
        m_keepAlive = false; // the body ends where the connection does
    }
    headers.emplaceBack("Connection", m_keepAlive ? "keep-alive" : "close");
    m_socket->write(responseHead(status, headers));
    m_state = State::Writing;
    m_timer.start(kStallTimeoutMs);
}

void HttpConnection::respond(int status, const QByteArray& contentType, const QByteArray& body,
                             const HttpHeaders& extra) {
    if (m_state != State::Handling)
        return;
    begin(status, contentType, extra, body.size());
    m_chunked = false;
    m_body = m_headOnly ? QByteArray() : body;
    m_bodyAt = 0;
    m_producer = {};
    m_producerDone = true;
    pump();
}

void HttpConnection::respondText(int status, const QByteArray& text, const HttpHeaders& extra) {
    respond(status, "text/plain; charset=utf-8", text, extra);
}

void HttpConnection::respondStream(int status, const QByteArray& contentType, Producer producer,
                                   const HttpHeaders& extra) {
    if (m_state != State::Handling)
        return;
    begin(status, contentType, extra, std::nullopt);
    m_body.clear();
    m_bodyAt = 0;
    m_producer = std::move(producer);
    m_producerDone = m_headOnly;
    pump();
}

void HttpConnection::pump() {
    while (m_state == State::Writing && m_socket->bytesToWrite() < kWriteWindow) {
        if (m_bodyAt < m_body.size()) {
            const qsizetype slice = qMin(kBodySlice, m_body.size() - m_bodyAt);
            m_socket->write(m_body.constData() + m_bodyAt, slice);
            m_bodyAt += slice;
            continue;
        }
        if (m_producerDone) {
            finishAnswer();
            return;
        }
        const std::optional<QByteArray> piece = m_producer();
        if (!piece) {
            m_producerDone = true;
            m_producer = {};
            if (m_chunked)
                m_socket->write(chunk({}));
            continue;
        }
        if (piece->isEmpty()) {
            // Nothing ready: ask again from the event loop rather than spin here.
            if (!m_pumpQueued) {
                m_pumpQueued = true;
                QTimer::singleShot(0, this, [this] {
                    m_pumpQueued = false;
                    pump();
                });
            }
            return;
        }
        m_body = m_chunked ? chunk(*piece) : *piece;
        m_bodyAt = 0;
    }
}

void HttpConnection::finishAnswer() {
    m_body.clear();
    m_bodyAt = 0;
    if (!m_keepAlive) {
        closeAfterWriting();
        return;
    }
    m_state = State::ReadingHead;
    m_headOnly = false;
    m_chunked = false;
    m_timer.start(kHeadTimeoutMs);
    // A request sent behind the last one is waiting already.
    QTimer::singleShot(0, this, [this] {
        if (m_state == State::ReadingHead && m_socket->bytesAvailable() > 0)
            readHead();
    });
}

void HttpConnection::closeAfterWriting() {
    m_state = State::Closing;
    m_timer.start(kStallTimeoutMs);
    // Closed once the queued bytes are out; the timer drops a peer that never takes them.
    m_socket->disconnectFromHost();
}

QTcpSocket* HttpConnection::release() {
    if (m_state != State::Handling)
        return nullptr;
    m_state = State::Closing;
    m_timer.stop();
    QTcpSocket* socket = m_socket;
    socket->disconnect(this);
    socket->setParent(nullptr);
    m_socket = nullptr;
    deleteLater();
    return socket;
}

void HttpConnection::drop() {
    if (!m_socket)
        return;
    m_timer.stop();
    m_state = State::Closing;
    m_socket->disconnect(this);
    m_socket->abort();
    deleteLater();
}

} // namespace nimbar
