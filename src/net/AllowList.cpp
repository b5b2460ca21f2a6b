#include "net/AllowList.h"

#include <QFile>

namespace nimbar {

namespace {

constexpr qint64 kMaxFileSize = 1 << 20;

// A dotted quad or an IPv6 address, nothing shorter: "10.1" is a typo, not 10.0.0.1.
bool parseAddress(const QString& text, QHostAddress& address) {
    if (!text.contains(':') && text.count('.') != 3)
        return false;
    return address.setAddress(text) && address.scopeId().isEmpty();
}

// "address" or "address/prefix".
bool parseEntry(const QString& entry, QPair<QHostAddress, int>& range) {
    const QString address = entry.section('/', 0, 0);
    if (!parseAddress(address, range.first))
        return false;
    const int width = range.first.protocol() == QAbstractSocket::IPv4Protocol ? 32 : 128;
    if (!entry.contains('/')) {
        range.second = width;
        return true;
    }
    const QString prefix = entry.section('/', 1);
    bool digits = !prefix.isEmpty() && prefix.size() <= 3;
    for (QChar c : prefix)
        digits = digits && c >= u'0' && c <= u'9';
    range.second = digits ? prefix.toInt() : -1;
    return range.second >= 0 && range.second <= width;
}

} // namespace

AllowList AllowList::load(const QString& filePath) {
    QFile file(filePath);
    if (!file.exists())
        return {};
    AllowList list;
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxFileSize) {
        list.m_restricts = true;
        list.m_errorLines << 0;
        return list;
    }
    return parse(file.readAll());
}

AllowList AllowList::parse(QByteArrayView text) {
    AllowList list;
    list.m_restricts = true;
    int number = 0;
    for (const QByteArray& line : text.toByteArray().split('\n')) {
        ++number;
        QString entry = QString::fromUtf8(line);
        if (const qsizetype hash = entry.indexOf('#'); hash >= 0)
            entry.truncate(hash);
        entry = entry.trimmed();
        if (entry.isEmpty())
            continue;
        QPair<QHostAddress, int> range;
        if (parseEntry(entry, range))
            list.m_ranges << range;
        else
            list.m_errorLines << number;
    }
    return list;
}

bool AllowList::allows(const QHostAddress& peer) const {
    if (!m_restricts)
        return true;
    // A dual-stack socket reports IPv4 peers as ::ffff:a.b.c.d; the list writes them plainly.
    QHostAddress address = peer;
    bool mapped = false;
    const quint32 v4 = peer.toIPv4Address(&mapped);
    if (mapped)
        address = QHostAddress(v4);
    for (const auto& range : m_ranges)
        if (address.isInSubnet(range.first, range.second))
            return true;
    return false;
}

QString allowListErrorText(const QString& fileName, const QList<int>& lines, bool korean) {
    QStringList numbers;
    for (int line : lines)
        numbers << QString::number(line);
    const QString list = numbers.join(QStringLiteral(", "));
    if (lines == QList<int>{0})
        return korean
                   ? QStringLiteral("%1 파일을 읽을 수 없어 아무 연결도 받지 않습니다.")
                         .arg(fileName)
                   : QStringLiteral("%1 cannot be read: no connection is accepted.").arg(fileName);
    if (korean)
        return QStringLiteral("%1: %2번째 줄은 주소나 CIDR 범위가 아니어서 무시했습니다.")
            .arg(fileName, list);
    if (lines.size() == 1)
        return QStringLiteral("%1: line %2 is not an address or a CIDR range and was ignored.")
            .arg(fileName, list);
    return QStringLiteral("%1: lines %2 are not addresses or CIDR ranges and were ignored.")
        .arg(fileName, list);
}

} // namespace nimbar
