#include "web/HttpRequest.h"

#include <QUrl>

namespace nimbar {

namespace {

bool isTokenChar(char c) {
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))
        return true;
    return QByteArrayView("!#$%&'*+-.^_`|~").contains(c);
}

bool isToken(QByteArrayView text) {
    if (text.isEmpty())
        return false;
    for (char c : text)
        if (!isTokenChar(c))
            return false;
    return true;
}

// Visible characters of the request target, as RFC 3986 allows them unencoded.
bool isTargetChar(char c) {
    return c > 0x20 && c < 0x7f && c != '"' && c != '<' && c != '>' && c != '\\' && c != '^' &&
           c != '`' && c != '{' && c != '|' && c != '}';
}

bool isFieldValue(QByteArrayView value) {
    for (char c : value) {
        const auto u = static_cast<unsigned char>(c);
        if ((u < 0x20 && c != '\t') || u == 0x7f)
            return false;
    }
    return true;
}

HeadParse refused(int status) {
    HeadParse parse;
    parse.result = HeadParse::Refused;
    parse.status = status;
    return parse;
}

bool parseRequestLine(QByteArrayView line, HttpRequest& request, int& status) {
    status = 400;
    const qsizetype first = line.indexOf(' ');
    const qsizetype last = line.lastIndexOf(' ');
    if (first <= 0 || last <= first)
        return false;
    request.method = line.first(first).toByteArray();
    request.target = line.sliced(first + 1, last - first - 1).toByteArray();
    request.version = line.sliced(last + 1).toByteArray();
    if (!isToken(request.method) || !request.target.startsWith('/'))
        return false;
    for (char c : request.target)
        if (!isTargetChar(c))
            return false;
    if (!request.version.startsWith("HTTP/") || request.version.size() != 8 ||
        request.version[6] != '.')
        return false;
    if (request.version != "HTTP/1.1" && request.version != "HTTP/1.0") {
        status = 505;
        return false;
    }
    const qsizetype question = request.target.indexOf('?');
    const QByteArray rawPath = question < 0 ? request.target : request.target.left(question);
    request.path = QUrl::fromPercentEncoding(rawPath);
    if (question >= 0)
        request.query.setQuery(QString::fromLatin1(request.target.mid(question + 1)));
    return true;
}

} // namespace

QByteArray HttpRequest::header(QByteArrayView name) const {
    for (const auto& [key, value] : headers)
        if (key == name)
            return value;
    return {};
}

bool HttpRequest::hasHeader(QByteArrayView name) const {
    for (const auto& header : headers)
        if (header.first == name)
            return true;
    return false;
}

namespace {

// Whether a comma-separated header value lists token (case-insensitively).
bool listsToken(const QByteArray& value, QByteArrayView token) {
    for (const QByteArray& part : value.split(','))
        if (part.trimmed().compare(token, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

} // namespace

bool HttpRequest::keepAlive() const {
    const QByteArray connection = header("connection");
    if (version == "HTTP/1.0")
        return listsToken(connection, "keep-alive");
    return !listsToken(connection, "close");
}

bool HttpRequest::wantsWebSocket() const {
    return listsToken(header("upgrade"), "websocket") &&
           listsToken(header("connection"), "upgrade");
}

HeadParse parseRequestHead(QByteArrayView bytes, qsizetype maxBytes) {
    const qsizetype end = bytes.first(qMin(bytes.size(), maxBytes)).indexOf("\r\n\r\n");
    if (end < 0) {
        if (bytes.size() >= maxBytes)
            return refused(431);
        // Garbage is refused as soon as it shows, not when the limit is reached: the request
        // line begins with a method, and no line holds a bare control character.
        for (char c : bytes.first(qMin<qsizetype>(bytes.size(), 16))) {
            if (c == ' ' || c == '\r' || c == '\n')
                break;
            if (!isTokenChar(c))
                return refused(400);
        }
        return {};
    }
    HeadParse parse;
    parse.length = end + 4;
    const QList<QByteArray> lines = bytes.first(end).toByteArray().split('\n');
    if (lines.size() - 1 > kMaxHeaderLines)
        return refused(431);
    for (const QByteArray& line : lines.first(lines.size() - 1))
        if (!line.endsWith('\r'))
            return refused(400); // a bare LF
    int status = 400;
    if (!parseRequestLine(QByteArrayView(lines[0]).chopped(lines.size() > 1 ? 1 : 0), parse.request,
                          status))
        return refused(status);
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArrayView line = QByteArrayView(lines[i]).chopped(i + 1 < lines.size() ? 1 : 0);
        const qsizetype colon = line.indexOf(':');
        // No folded lines, no blank before the colon.
        if (colon <= 0 || !isToken(line.first(colon)) || !isFieldValue(line.sliced(colon + 1)))
            return refused(400);
        parse.request.headers.append({line.first(colon).toByteArray().toLower(),
                                      line.sliced(colon + 1).toByteArray().trimmed()});
    }
    const HttpRequest& request = parse.request;
    if (request.version == "HTTP/1.1" && !request.hasHeader("host"))
        return refused(400);
    if (request.hasHeader("transfer-encoding"))
        return refused(413);
    if (request.hasHeader("content-length")) {
        const QByteArray length = request.header("content-length");
        bool ok = false;
        const qlonglong value = length.toLongLong(&ok);
        if (!ok || value < 0)
            return refused(400);
        if (value > 0)
            return refused(413);
    }
    parse.result = HeadParse::Complete;
    return parse;
}

} // namespace nimbar
