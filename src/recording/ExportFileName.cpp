#include "recording/ExportFileName.h"

#include <QDir>

namespace nimbar {

QString ExportFileName(const QString& dataDirectory, int board, const QDateTime& now) {
    const QDate day = now.date();
    const QTime time = now.time();
    const QString dayDirectory =
        QDir(dataDirectory)
            .filePath(QString::asprintf("%d%02d%02d", day.year(), day.month(), day.day()));
    QDir().mkpath(dayDirectory);
    return QDir(dayDirectory)
        .filePath(QString::asprintf("%c%02d%02d%02d", 'A' + board, time.hour(), time.minute(),
                                    time.second()));
}

} // namespace nimbar
