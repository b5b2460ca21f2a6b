#pragma once

#include <QByteArray>
#include <QList>

#include <utility>

namespace nimbar {

using HttpHeaders = QList<std::pair<QByteArray, QByteArray>>;

// "Not Found" for 404; "Unknown" for a status the web side never sends.
QByteArray reasonPhrase(int status);

// The status line and headers of an answer, with the blank line that ends them. Every answer
// is kept out of caches and content sniffing.
QByteArray responseHead(int status, const HttpHeaders& headers);

// One piece of a chunked body: its size in hex, CR LF, the bytes, CR LF. Empty data gives the
// last piece, "0\r\n\r\n".
QByteArray chunk(const QByteArray& data);

} // namespace nimbar
