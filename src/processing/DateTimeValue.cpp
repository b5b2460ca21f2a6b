#include "processing/DateTimeValue.h"

#include <cmath>

namespace nimbar {

namespace {
constexpr qint64 kMillisecondsPerDay = 86'400'000;
const QDate kDayZero(1899, 12, 30);
} // namespace

double toDateTimeValue(const QDateTime& localTime) {
    const qint64 days = kDayZero.daysTo(localTime.date());
    const qint64 milliseconds = localTime.time().msecsSinceStartOfDay();
    return static_cast<double>(days) +
           static_cast<double>(milliseconds) / static_cast<double>(kMillisecondsPerDay);
}

QDateTime fromDateTimeValue(double value) {
    if (!std::isfinite(value))
        return QDateTime(kDayZero, QTime(0, 0));
    const qint64 total = std::llround(value * static_cast<double>(kMillisecondsPerDay));
    qint64 days = total / kMillisecondsPerDay;
    qint64 milliseconds = total % kMillisecondsPerDay;
    if (milliseconds < 0) {
        milliseconds += kMillisecondsPerDay;
        --days;
    }
    return QDateTime(kDayZero.addDays(days),
                     QTime::fromMSecsSinceStartOfDay(static_cast<int>(milliseconds)));
}

QString LongTimeText(double value) {
    const QDateTime t = fromDateTimeValue(value);
    return QString::asprintf("%d-%02d-%02d %02d:%02d:%02d", t.date().year(), t.date().month(),
                             t.date().day(), t.time().hour(), t.time().minute(), t.time().second());
}

QString ShortTimeText(double value) {
    const QDateTime t = fromDateTimeValue(value);
    return QString::asprintf("%02d-%02d %02d:%02d:%02d", t.date().month(), t.date().day(),
                             t.time().hour(), t.time().minute(), t.time().second());
}

double SecondsToTime(int seconds) {
    const int hours = seconds / 3600;
    const int minutes = (seconds % 3600) / 60;
    const int rest = seconds % 60;
    return (hours * 3600.0 + minutes * 60.0 + rest) / 86400.0;
}

} // namespace nimbar
