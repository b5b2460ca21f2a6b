#include "browser/RangeScan.h"

#include <QDir>

namespace nimbar {

namespace {

// Hours since an arbitrary day, so that ranges compare without clock-change surprises.
qint64 hourKey(const QDate& date, int hour) {
    return QDate(1899, 12, 30).daysTo(date) * 24 + hour;
}

int leadingHour(const QString& name) {
    if (name.size() < 2 || !name[0].isDigit() || !name[1].isDigit() || name[0].unicode() > '9' ||
        name[1].unicode() > '9')
        return -1;
    return (name[0].unicode() - '0') * 10 + (name[1].unicode() - '0');
}

} // namespace

QString dayDirectory(const QString& dataDirectory, const QDate& date, QChar boardLetter) {
    return QDir(dataDirectory).filePath(date.toString("yyyyMMdd") + '/' + boardLetter);
}

RangeScanResult scanRecordingRange(const QString& dataDirectory, QChar boardLetter,
                                   const QDate& startDate, int startHour, const QDate& endDate,
                                   int endHour) {
    RangeScanResult result;
    const qint64 start = hourKey(startDate, startHour);
    const qint64 end = hourKey(endDate, endHour);
    const qint64 days = startDate.daysTo(endDate);
    for (qint64 d = 0; d <= days; ++d) {
        const QDate date = startDate.addDays(d);
        const QDir directory(dayDirectory(dataDirectory, date, boardLetter));
        if (!directory.exists())
            continue;
        result.lastDirectory = directory.path();
        for (const QString& name : directory.entryList({"*.KRN"}, QDir::Files, QDir::Name)) {
            const int hour = leadingHour(name);
            if (hour < 0)
                continue;
            const qint64 t = hourKey(date, hour);
            if (start <= t && t < end)
                result.paths << directory.filePath(name);
        }
    }
    return result;
}

} // namespace nimbar
