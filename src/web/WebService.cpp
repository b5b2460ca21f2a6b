#include "web/WebService.h"

#include "settings/RecordText.h"
#include "web/HistoryCsv.h"
#include "web/HttpConnection.h"
#include "web/WebAccess.h"
#include "web/WebJson.h"
#include "web/WebServer.h"

#include <QCoreApplication>
#include <QFile>
#include <QUrl>

#include <memory>

namespace nimbar {

namespace {

struct Asset {
    const char* name;
    const char* type;
};
constexpr Asset kAssets[] = {
    {"/app.js", "text/javascript; charset=utf-8"},
    {"/style.css", "text/css; charset=utf-8"},
    {"/chart.min.js", "text/javascript; charset=utf-8"},
};

constexpr char kJson[] = "application/json";

// The page may run its own scripts and talk to this server, nothing else.
const HttpHeaders kPageHeaders{
    {"Content-Security-Policy", "default-src 'self'; connect-src 'self' ws: wss:; "
                                "img-src 'self' data:; frame-ancestors 'none'"},
    {"Referrer-Policy", "no-referrer"},
};

QByteArray resource(const QString& name) {
    QFile file(":/web" + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// An ISO 8601 time; a '+' of the offset that a form encoding turned into a blank is taken back.
std::optional<QDateTime> isoParameter(const HttpRequest& request, const QString& key) {
    QString text = request.query.queryItemValue(key, QUrl::FullyDecoded).replace(' ', '+');
    const QDateTime time = QDateTime::fromString(text, Qt::ISODateWithMs);
    if (!time.isValid())
        return std::nullopt;
    return time;
}

} // namespace

WebService::WebService(LiveFeed& feed, QObject* parent)
    : QObject(parent), m_feed(feed), m_server(new WebServer(this)) {
    m_server->setHandler([this](HttpConnection& c, const HttpRequest& r) { handle(c, r); });
    connect(&m_feed, &LiveFeed::lineProcessed, this, [this](const LiveLine& line) {
        if (m_server->viewerCount() > 0)
            m_server->broadcast(liveMessage(line));
    });
}

bool WebService::start(const ListenAddress& where, const std::optional<QByteArray>& token,
                       const AllowList& allowList, QString& error) {
    m_where = where;
    m_token = token;
    m_server->setAllowList(allowList);
    if (!m_server->listen(where, error)) {
        error = QString("the web page cannot listen on %1: %2").arg(address(), error);
        return false;
    }
    m_where.port = m_server->port();
    return true;
}

quint16 WebService::port() const {
    return m_server->port();
}

QString WebService::address() const {
    const QString host = m_where.address.protocol() == QAbstractSocket::IPv6Protocol
                             ? '[' + m_where.address.toString() + ']'
                             : m_where.address.toString();
    return QString("http://%1:%2/").arg(host).arg(m_where.port);
}

void WebService::handle(HttpConnection& connection, const HttpRequest& request) {
    if (!m_where.beyondLoopback() && !namesLoopback(request)) {
        connection.respondText(421, "421 Misdirected Request: this server answers localhost\n");
        return;
    }
    if (m_token && !carriesToken(request, *m_token)) {
        connection.respondText(401,
                               "401 Unauthorized: add ?token=... to the address, or send "
                               "Authorization: Bearer ...\n",
                               {{"WWW-Authenticate", "Bearer realm=\"Nimbar\""}});
        return;
    }
    if (request.method != "GET" && request.method != "HEAD") {
        connection.respondText(405, "405 Method Not Allowed: this server only reads\n",
                               {{"Allow", "GET, HEAD"}});
        return;
    }
    const QString& path = request.path;
    if (path == "/" || path == "/index.html") {
        servePage(connection, request);
    } else if (path == "/api/boards") {
        connection.respond(200, kJson, boardsJson(m_feed));
    } else if (path == "/api/latest") {
        connection.respond(200, kJson, latestJson(m_feed));
    } else if (path == "/api/history") {
        serveHistory(connection, request);
    } else if (path == "/api/live") {
        if (!request.wantsWebSocket())
            connection.respondText(426, "426 Upgrade Required: /api/live is a WebSocket\n",
                                   {{"Upgrade", "websocket"}});
        else if (!sameOrigin(request))
            connection.respondText(403, "403 Forbidden: another site's page\n");
        else
            m_server->upgrade(connection);
    } else {
        serveAsset(connection, path);
    }
}

void WebService::servePage(HttpConnection& connection, const HttpRequest& request) {
    // The page's own files carry the token of its address too, as the browser asks for them
    // without a header.
    QByteArray query;
    if (m_token && request.query.hasQueryItem("token"))
        query = "?token=" +
                QUrl::toPercentEncoding(request.query.queryItemValue("token", QUrl::FullyDecoded));
    QByteArray page = resource("/index.html");
    page.replace("{{LANG}}", m_feed.korean() ? "ko" : "en");
    page.replace("{{TITLE}}", QCoreApplication::applicationName().toHtmlEscaped().toUtf8());
    page.replace("{{QUERY}}", query);
    connection.respond(200, "text/html; charset=utf-8", page, kPageHeaders);
}

void WebService::serveAsset(HttpConnection& connection, const QString& name) {
    // Only the names listed: a path never reaches the file system.
    for (const Asset& asset : kAssets) {
        if (name == QLatin1String(asset.name)) {
            connection.respond(200, asset.type, resource(name));
            return;
        }
    }
    connection.respondText(404, "404 Not Found\n");
}

void WebService::serveHistory(HttpConnection& connection, const HttpRequest& request) {
    bool ok = false;
    const int board = request.query.queryItemValue("board").toInt(&ok);
    const std::optional<QDateTime> from = isoParameter(request, "from");
    const std::optional<QDateTime> to = isoParameter(request, "to");
    if (!ok || board < 1 || board > kBoardCount || !from || !to) {
        connection.respondText(400, "400 Bad Request: /api/history?board=1..4&from=ISO&to=ISO, "
                                    "times as 2026-12-11T14:30:00+09:00\n");
        return;
    }
    if (*to < *from || from->daysTo(*to) > kMaxHistoryDays) {
        connection.respondText(
            400, QString("400 Bad Request: from comes before to, at most %1 days apart\n")
                     .arg(kMaxHistoryDays)
                     .toUtf8());
        return;
    }
    const int b = board - 1;
    QStringList titles;
    for (const char(&name)[21] : m_feed.board(b).config.channelName)
        titles << fieldText(name).trimmed();
    auto csv = std::make_shared<HistoryCsv>(m_feed.dataDirectory(), b, *from, *to, titles);
    const QString file = QString("%1-%2.csv")
                             .arg(QChar(boardLetter(b)))
                             .arg(from->toLocalTime().toString("yyyyMMdd-HHmmss"));
    connection.respondStream(
        200, "text/csv; charset=utf-8", [csv] { return csv->next(); },
        {{"Content-Disposition", "inline; filename=\"" + file.toLatin1() + "\""}});
}

} // namespace nimbar
