#pragma once

#include <QDateTime>
#include <QString>

namespace nimbar {

// Appends one line per exception that no handler caught; never shown to the user. A log that
// cannot be opened drops the line. Socket errors land here too, so a peer that fails again and
// again for weeks must not fill the disk: a log that has reached its size limit is kept as
// "<name>.old" (replacing the previous one) and a new log is begun.
class ExceptionLog {
public:
    static constexpr qint64 kDefaultMaxBytes = 1024 * 1024;

    explicit ExceptionLog(QString path, qint64 maxBytes = kDefaultMaxBytes)
        : m_path(std::move(path)), m_maxBytes(maxBytes) {}

    void append(const QString& className, const QString& message,
                const QDateTime& when = QDateTime::currentDateTime()) const;

    static QString formatLine(const QDateTime& when, const QString& className,
                              const QString& message);

    QString path() const { return m_path; }
    QString previousPath() const { return m_path + QStringLiteral(".old"); }

private:
    QString m_path;
    qint64 m_maxBytes;
};

} // namespace nimbar
