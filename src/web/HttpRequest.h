#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QUrlQuery>

#include <utility>

namespace nimbar {

// One request head of HTTP/1.0 or 1.1, as the web side takes it: no request has a body.
struct HttpRequest {
    QByteArray method;
    QByteArray target; // as sent: "/api/history?board=1&..."
    QByteArray version;
    QString path; // the target's path, percent-decoded
    QUrlQuery query;
    QList<std::pair<QByteArray, QByteArray>> headers; // names in lower case, values trimmed

    // The first value of a header (name in lower case); empty when absent.
    QByteArray header(QByteArrayView name) const;
    bool hasHeader(QByteArrayView name) const;
    // Whether the connection stays open after the answer.
    bool keepAlive() const;
    // Whether it asks to become a WebSocket.
    bool wantsWebSocket() const;
};

struct HeadParse {
    enum Result { Incomplete, Complete, Refused };
    Result result = Incomplete;
    qsizetype length = 0; // bytes of the head, its blank line included
    int status = 0;       // for Refused: the 4xx or 5xx to answer before closing
    HttpRequest request;
};

inline constexpr qsizetype kMaxHeadBytes = 8192;
inline constexpr int kMaxHeaderLines = 64;

// Reads a request head from the start of bytes. A head that has not ended within maxBytes is
// refused with 431; one that breaks the grammar with 400, an unknown version with 505, and a
// request that announces a body with 413.
HeadParse parseRequestHead(QByteArrayView bytes, qsizetype maxBytes = kMaxHeadBytes);

} // namespace nimbar
