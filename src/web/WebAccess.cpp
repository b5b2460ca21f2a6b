#include "web/WebAccess.h"

#include <QFile>
#include <QHostAddress>
#include <QUrl>

namespace nimbar {

namespace {

constexpr qint64 kMaxTokenFileSize = 4096;

// Compares in a time that does not depend on where the texts differ.
bool sameBytes(QByteArrayView a, QByteArrayView b) {
    if (a.size() != b.size())
        return false;
    unsigned char difference = 0;
    for (qsizetype i = 0; i < a.size(); ++i)
        difference |= static_cast<unsigned char>(a[i] ^ b[i]);
    return difference == 0;
}

// The host of a Host header value ("127.0.0.1:8080", "[::1]:8080", "localhost").
QString hostOf(const QByteArray& value) {
    const QString text = QString::fromLatin1(value);
    if (text.startsWith('['))
        return text.mid(1, text.indexOf(']') - 1);
    return text.section(':', 0, 0);
}

} // namespace

std::optional<QByteArray> readWebToken(const QString& filePath, QString& error) {
    QFile file(filePath);
    if (!file.open(QIODevice::ReadOnly)) {
        error = QString("cannot read the token file %1: %2").arg(filePath, file.errorString());
        return std::nullopt;
    }
    const QByteArray token = file.read(kMaxTokenFileSize).split('\n').value(0).trimmed();
    bool visible = !token.isEmpty();
    for (char c : token)
        visible = visible && c > 0x20 && c < 0x7f;
    if (!visible) {
        error = QString("the token file %1 holds no token (one line of visible ASCII characters)")
                    .arg(filePath);
        return std::nullopt;
    }
    return token;
}

bool carriesToken(const HttpRequest& request, const QByteArray& token) {
    const QByteArray authorization = request.header("authorization");
    if (authorization.size() > 7 &&
        authorization.first(7).compare("Bearer ", Qt::CaseInsensitive) == 0 &&
        sameBytes(authorization.mid(7).trimmed(), token))
        return true;
    return request.query.hasQueryItem("token") &&
           sameBytes(request.query.queryItemValue("token", QUrl::FullyDecoded).toUtf8(), token);
}

bool namesLoopback(const HttpRequest& request) {
    const QString host = hostOf(request.header("host"));
    if (host.compare("localhost", Qt::CaseInsensitive) == 0)
        return true;
    const QHostAddress address(host);
    // An HTTP/1.0 request may name no host at all.
    return address.isLoopback() || (host.isEmpty() && request.version == "HTTP/1.0");
}

bool sameOrigin(const HttpRequest& request) {
    if (!request.hasHeader("origin"))
        return true;
    const QUrl origin(QString::fromLatin1(request.header("origin")));
    QString host = QString::fromLatin1(request.header("host"));
    const QString expected =
        origin.port() < 0 ? origin.host() : QString("%1:%2").arg(origin.host()).arg(origin.port());
    const QString asked = host.remove('[').remove(']');
    return origin.scheme() == "http" && !origin.host().isEmpty() &&
           asked.compare(expected, Qt::CaseInsensitive) == 0;
}

} // namespace nimbar
