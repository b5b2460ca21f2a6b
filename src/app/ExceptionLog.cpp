#include "app/ExceptionLog.h"

#include <QFile>
#include <QLocale>

namespace nimbar {

QString ExceptionLog::formatLine(const QDateTime& when, const QString& className,
                                 const QString& message) {
    const QString stamp = QLocale::system().toString(when.date(), QLocale::ShortFormat) + ' ' +
                          when.toString("hh:mm:ss");
    return QString(" %1 : %2 ===> %3\n").arg(stamp, className, message);
}

void ExceptionLog::append(const QString& className, const QString& message,
                          const QDateTime& when) const {
    QFile file(m_path);
    if (!file.open(QIODevice::Append | QIODevice::Text))
        return;
    file.write(formatLine(when, className, message).toLocal8Bit());
}

} // namespace nimbar
