#include "net/ListenAddress.h"

namespace nimbar {

std::optional<ListenAddress> parseListenAddress(const QString& text, QString& error) {
    const auto refuse = [&](const QString& why) -> std::optional<ListenAddress> {
        error = why;
        return std::nullopt;
    };
    const QString form = QString("'%1' is not [ADDRESS:]PORT").arg(text);
    QString host;
    QString port = text;
    if (text.startsWith('[')) {
        // An IPv6 address goes in brackets, so that its colons are not taken for the port's.
        const qsizetype close = text.indexOf("]:");
        if (close < 0)
            return refuse(form);
        host = text.mid(1, close - 1);
        port = text.mid(close + 2);
    } else if (text.count(':') == 1) {
        host = text.section(':', 0, 0);
        port = text.section(':', 1);
    } else if (text.contains(':')) {
        return refuse(form + " (an IPv6 address goes in brackets: [::1]:8080)");
    }
    bool digits = !port.isEmpty() && port.size() <= 5;
    for (QChar c : port)
        digits = digits && c >= u'0' && c <= u'9';
    if (!digits || port.toInt() > 65535 || (text.contains(':') && host.isEmpty()))
        return refuse(form);

    ListenAddress result;
    result.port = static_cast<quint16>(port.toInt());
    if (host.isEmpty() || host.compare("localhost", Qt::CaseInsensitive) == 0)
        result.address = QHostAddress(QHostAddress::LocalHost);
    // A dotted quad or an IPv6 address, nothing shorter: "10.1" is a typo, not 10.0.0.1.
    else if ((!host.contains(':') && host.count('.') != 3) || !result.address.setAddress(host))
        return refuse(QString("'%1' is not an IP address").arg(host));
    return result;
}

} // namespace nimbar
