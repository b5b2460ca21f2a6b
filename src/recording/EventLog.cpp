#include "recording/EventLog.h"

#include "settings/RecordText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace nimbar {

QString eventLogPath(const QString& dataDirectory, QDate day) {
    const QString name = day.toString(QStringLiteral("yyyyMMdd"));
    return QDir::toNativeSeparators(
        QDir(QDir(dataDirectory).filePath(name)).filePath(name + QStringLiteral(".eve")));
}

EventLogWrite AppendEvents(const QString& dataDirectory, QDate today, const QString& text) {
    EventLogWrite result;
    result.path = eventLogPath(dataDirectory, today);
    const QString file = QDir::fromNativeSeparators(result.path);
    // A directory that cannot be made shows up as a file that cannot be opened.
    QDir().mkpath(QFileInfo(file).path());

    const QByteArray bytes = encodeCp949(text);
    // The messages carry their own CR LF: no text-mode translation.
    QFile out(file);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Append))
        return result;
    result.written = out.write(bytes) == bytes.size();
    return result;
}

} // namespace nimbar
