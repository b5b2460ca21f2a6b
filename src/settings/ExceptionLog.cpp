#include "settings/ExceptionLog.h"

#include "settings/RecordText.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>

namespace nimbar {

QString ExceptionLog::formatLine(const QDateTime& when, const QString& className,
                                 const QString& message) {
    const QString stamp = QLocale::system().toString(when.date(), QLocale::ShortFormat) + ' ' +
                          when.toString("hh:mm:ss");
    // The class as the program's developers name it, without the namespace of the code.
    const qsizetype cut = className.lastIndexOf(QStringLiteral("::"));
    const QString bareName = cut < 0 ? className : className.mid(cut + 2);
    return QString(" %1 : %2 ===> %3\n").arg(stamp, bareName, message);
}

void ExceptionLog::append(const QString& className, const QString& message,
                          const QDateTime& when) const {
    if (QFileInfo(m_path).size() >= m_maxBytes) {
        QFile::remove(previousPath());
        QFile::rename(m_path, previousPath());
    }
    QFile file(m_path);
    if (!file.open(QIODevice::Append | QIODevice::Text))
        return;
    file.write(encodeCp949(formatLine(when, className, message)));
}

} // namespace nimbar
