#pragma once

#include "engine/LiveFeed.h"
#include "net/AllowList.h"
#include "net/ListenAddress.h"

#include <QByteArray>
#include <QObject>

#include <optional>

namespace nimbar {

class HttpConnection;
class WebServer;
struct HttpRequest;

// The live web page and its JSON API, served from the running system's live feed:
//   /              the page (its script, style and chart library beside it)
//   /api/boards    the boards with a port (logger) or a connection (client)
//   /api/latest    each such board's latest line
//   /api/live      WebSocket: one message per processed line
//   /api/history   CSV of a board's records in a time range, from the recording files
// Read-only: no request changes anything. With a token, every request must carry it.
class WebService : public QObject {
    Q_OBJECT
public:
    // A history range longer than this is refused.
    static constexpr int kMaxHistoryDays = 400;

    WebService(LiveFeed& feed, QObject* parent = nullptr);

    // Listens; peers that allowList does not allow are closed at once. False, with the reason
    // in error, when it cannot.
    bool start(const ListenAddress& where, const std::optional<QByteArray>& token,
               const AllowList& allowList, QString& error);
    quint16 port() const;
    // "http://127.0.0.1:8080/"
    QString address() const;
    const WebServer& server() const { return *m_server; }

private:
    void handle(HttpConnection& connection, const HttpRequest& request);
    void servePage(HttpConnection& connection, const HttpRequest& request);
    void serveAsset(HttpConnection& connection, const QString& name);
    void serveHistory(HttpConnection& connection, const HttpRequest& request);

    LiveFeed& m_feed;
    WebServer* m_server;
    ListenAddress m_where;
    std::optional<QByteArray> m_token;
};

} // namespace nimbar
