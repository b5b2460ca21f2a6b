#pragma once

#include "web/HttpRequest.h"
#include "web/HttpResponse.h"

#include <QHostAddress>
#include <QObject>
#include <QTimer>

#include <functional>
#include <optional>

class QTcpSocket;

namespace nimbar {

// One HTTP/1.1 connection of the web side: reads request heads one at a time (a head must
// arrive whole within kHeadTimeoutMs), hands each to the server, and writes the answer no
// faster than the peer reads it. A peer that reads nothing for kStallTimeoutMs is dropped.
class HttpConnection : public QObject {
    Q_OBJECT
public:
    static constexpr int kHeadTimeoutMs = 10000;
    static constexpr int kStallTimeoutMs = 30000;
    // Unsent bytes kept queued for the peer; the body is produced as they drain.
    static constexpr qint64 kWriteWindow = 64 * 1024;

    // A piece of a streamed body: empty when nothing is ready yet (asked again soon), nothing
    // at the end.
    using Producer = std::function<std::optional<QByteArray>()>;

    // Takes over a connected socket as its child.
    HttpConnection(QTcpSocket* socket, QObject* parent = nullptr);

    QHostAddress peerAddress() const { return m_peer; }

    // The answers to the current request; each ends it.
    void respond(int status, const QByteArray& contentType, const QByteArray& body,
                 const HttpHeaders& extra = {});
    void respondText(int status, const QByteArray& text, const HttpHeaders& extra = {});
    void respondStream(int status, const QByteArray& contentType, Producer producer,
                       const HttpHeaders& extra = {});
    // Gives up the socket with the request still unread, for a WebSocket upgrade; the caller
    // owns it from now on and this connection goes away.
    QTcpSocket* release();

signals:
    void requestReceived(nimbar::HttpConnection* connection, const nimbar::HttpRequest& request);

private:
    enum class State { ReadingHead, Handling, Writing, Closing };

    void readHead();
    void begin(int status, const QByteArray& contentType, const HttpHeaders& extra,
               std::optional<qint64> length);
    void pump();
    void finishAnswer();
    void closeAfterWriting();
    void drop();

    QTcpSocket* m_socket;
    QHostAddress m_peer;
    QTimer m_timer;
    State m_state = State::ReadingHead;
    qsizetype m_headLength = 0;
    bool m_keepAlive = false;
    bool m_headOnly = false;
    bool m_http10 = false;
    bool m_chunked = false;
    QByteArray m_body;
    qsizetype m_bodyAt = 0;
    Producer m_producer;
    bool m_producerDone = true;
    bool m_pumpQueued = false;
};

} // namespace nimbar
