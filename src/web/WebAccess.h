#pragma once

#include "web/HttpRequest.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace nimbar {

// The token of --web-token-file: the file's first line without its blanks, visible ASCII only.
// Nothing, with the reason in error, when the file cannot be read or holds none.
std::optional<QByteArray> readWebToken(const QString& filePath, QString& error);

// Whether the request carries the token: "Authorization: Bearer <token>", or "?token=" (the
// page's first load, and its WebSocket, which a browser cannot give a header).
bool carriesToken(const HttpRequest& request, const QByteArray& token);

// Whether the Host header names the loopback: a server on the loopback answers only those,
// so that a web site cannot reach it through a name it points at 127.0.0.1.
bool namesLoopback(const HttpRequest& request);

// Whether a WebSocket request comes from a page of this server: a browser sends the page's
// origin, which must be the host asked for. Programs that send no origin are let through.
bool sameOrigin(const HttpRequest& request);

} // namespace nimbar
