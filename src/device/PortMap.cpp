#include "device/PortMap.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSerialPortInfo>

#include <algorithm>
#include <set>

namespace nimbar {

namespace {

constexpr int kMaxComNumber = 9999;
constexpr qint64 kMaxMapFileSize = 1 << 20;

struct RuleFamily {
    const char* prefix;
    int firstNumber;
};
constexpr int kRuleFamilySize = 16;
constexpr RuleFamily kRuleFamilies[] = {{"ttyS", 1}, {"ttyUSB", 17}, {"ttyACM", 33}};

// Digits only, at most four of them, no leading sign: n, else 0.
int smallNumber(QStringView digits) {
    if (digits.isEmpty() || digits.size() > 4)
        return 0;
    int n = 0;
    for (QChar c : digits) {
        if (c < u'0' || c > u'9')
            return 0;
        n = n * 10 + (c.unicode() - u'0');
    }
    return n;
}

// The number after "COM" of a whole key, or 0.
int keyNumber(QStringView key) {
    if (!key.startsWith(u"COM", Qt::CaseInsensitive))
        return 0;
    const QStringView digits = key.mid(3);
    if (digits.startsWith(u'0'))
        return 0;
    return smallNumber(digits);
}

QString canonical(const QString& path) {
    const QString resolved = QFileInfo(path).canonicalFilePath();
    return resolved.isEmpty() ? path : resolved;
}

} // namespace

PortMap PortMap::load(const QString& filePath) {
    QFile file(filePath);
    if (!file.exists())
        return {};
    if (!file.open(QIODevice::ReadOnly)) {
        PortMap map;
        map.m_errorLines.append(0);
        return map;
    }
    return parse(file.read(kMaxMapFileSize));
}

PortMap PortMap::parse(QByteArrayView text) {
    PortMap map;
    int lineNumber = 0;
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = text.indexOf('\n', start);
        if (end < 0)
            end = text.size();
        ++lineNumber;
        const QString line = QString::fromUtf8(text.sliced(start, end - start)).trimmed();
        start = end + 1;
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        const qsizetype eq = line.indexOf(u'=');
        const int number = eq < 0 ? 0 : keyNumber(QStringView(line).first(eq).trimmed());
        const QString path = eq < 0 ? QString() : line.mid(eq + 1).trimmed();
        if (number < 1 || number > kMaxComNumber || path.isEmpty() ||
            map.m_bindings.contains(number)) {
            map.m_errorLines.append(lineNumber);
            continue;
        }
        map.m_bindings.emplace(number, path);
    }
    return map;
}

void PortMap::insert(int number, const QString& devicePath) {
    m_bindings[number] = devicePath;
}

QString PortMap::mappedPath(int number) const {
    const auto it = m_bindings.find(number);
    return it == m_bindings.end() ? QString() : it->second;
}

QString PortMap::devicePath(QStringView comName) const {
    const int number = comPortNumber(comName);
    if (number < 1)
        return {};
    const QString mapped = mappedPath(number);
    return mapped.isEmpty() ? systemPortForComNumber(number) : mapped;
}

QStringList PortMap::comNames(const QStringList& detectedPorts) const {
    std::set<QString> names;
    std::set<QString> boundDevices;
    for (const auto& [number, path] : m_bindings) {
        names.insert(QStringLiteral("COM%1").arg(number));
        boundDevices.insert(canonical(path));
    }
    for (const QString& port : detectedPorts) {
        const QString location = port.contains(u'/') ? port : QStringLiteral("/dev/") + port;
        if (boundDevices.contains(canonical(location)))
            continue;
        const QString name = comNameForSystemPort(port);
        if (!name.isEmpty())
            names.insert(name);
    }
    // std::set of QString orders by code units: plain text order.
    return QStringList(names.begin(), names.end());
}

int comPortNumber(QStringView comName) {
    // "COM%d": the prefix exactly, then optional blanks, an optional sign and digits; whatever
    // follows the digits is ignored.
    if (!comName.startsWith(u"COM"))
        return 0;
    QStringView rest = comName.mid(3).trimmed();
    if (rest.startsWith(u'+'))
        rest = rest.mid(1);
    qsizetype digits = 0;
    while (digits < rest.size() && digits < 5 && rest[digits] >= u'0' && rest[digits] <= u'9')
        ++digits;
    if (digits > 4)
        return 0;
    return smallNumber(rest.first(digits));
}

QString comNameForSystemPort(QStringView systemPort) {
    const qsizetype slash = systemPort.lastIndexOf(u'/');
    const QStringView name = slash < 0 ? systemPort : systemPort.mid(slash + 1);
#ifdef Q_OS_WIN
    if (comPortNumber(name) > 0 && name.startsWith(u"COM"))
        return name.toString();
    return {};
#else
    for (const RuleFamily& family : kRuleFamilies) {
        const QLatin1StringView prefix(family.prefix);
        if (!name.startsWith(prefix))
            continue;
        const QStringView digits = name.mid(prefix.size());
        if (digits.isEmpty() || (digits.size() > 1 && digits.startsWith(u'0')))
            return {};
        const int k = smallNumber(digits);
        if ((k == 0 && digits != u"0") || k >= kRuleFamilySize)
            return {};
        return QStringLiteral("COM%1").arg(family.firstNumber + k);
    }
    return {};
#endif
}

QString systemPortForComNumber(int number) {
#ifdef Q_OS_WIN
    return number > 0 ? QStringLiteral("COM%1").arg(number) : QString();
#else
    for (const RuleFamily& family : kRuleFamilies) {
        if (number >= family.firstNumber && number < family.firstNumber + kRuleFamilySize)
            return QStringLiteral("/dev/%1%2")
                .arg(QLatin1StringView(family.prefix))
                .arg(number - family.firstNumber);
    }
    return {};
#endif
}

QString serialByIdLink(const QString& byIdDirectory, const QString& devicePath) {
    const QDir directory(byIdDirectory);
    const QStringList links = directory.entryList(QDir::System | QDir::Files, QDir::Name);
    for (const QString& name : links) {
        const QFileInfo link(directory.filePath(name));
        if (link.isSymLink() && QDir::cleanPath(link.symLinkTarget()) == devicePath)
            return link.filePath();
    }
    return {};
}

bool appendPortBinding(const QString& filePath, int number, const QString& devicePath) {
    QFile file(filePath);
    if (!file.open(QIODevice::ReadWrite))
        return false;
    // A last line without its line end would swallow the new binding.
    const QByteArray line = QStringLiteral("COM%1=%2\n").arg(number).arg(devicePath).toUtf8();
    const qint64 size = file.size();
    QByteArray text;
    if (size > 0 && file.seek(size - 1) && file.read(1) != "\n")
        text += '\n';
    text += line;
    return file.seek(size) && file.write(text) == text.size() && file.flush();
}

QStringList EnumComPorts(const PortMap& map) {
    QStringList detected;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
        detected << info.systemLocation();
    return map.comNames(detected);
}

} // namespace nimbar
