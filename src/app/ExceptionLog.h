#pragma once

#include <QDateTime>
#include <QString>

namespace nimbar {

// Appends one line per exception that no handler caught; never shown to the user. A log that
// cannot be opened drops the line.
class ExceptionLog {
public:
    explicit ExceptionLog(QString path) : m_path(std::move(path)) {}

    void append(const QString& className, const QString& message,
                const QDateTime& when = QDateTime::currentDateTime()) const;

    static QString formatLine(const QDateTime& when, const QString& className,
                              const QString& message);

    QString path() const { return m_path; }

private:
    QString m_path;
};

} // namespace nimbar
