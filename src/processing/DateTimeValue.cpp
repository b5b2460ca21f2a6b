#include "processing/DateTimeValue.h"

#include <cmath>

namespace nimbar {

namespace {
constexpr qint64 kMillisecondsPerDay = 86'400'000;
// 1899-12-30, made at compile time so that static initialisers elsewhere may convert dates.
constexpr QDate kDayZero = QDate::fromJulianDay(2415019);
} // namespace

double toDateTimeValue(const QDateTime& localTime) {
    const qint64 days = kDayZero.daysTo(localTime.date());
    const qint64 milliseconds = localTime.time().msecsSinceStartOfDay();
    return static_cast<double>(days) +
           static_cast<double>(milliseconds) / static_cast<double>(kMillisecondsPerDay);
}

namespace {

struct DateAndTime {
    QDate date;
    QTime time;
};

// The calendar fields of a value, without the local time zone's lookups that a QDateTime makes:
// the time texts of a full chart's export would spend most of their time there.
DateAndTime splitDateTimeValue(double value) {
    if (!std::isfinite(value))
        return {kDayZero, QTime(0, 0)};
    const qint64 total = std::llround(value * static_cast<double>(kMillisecondsPerDay));
    qint64 days = total / kMillisecondsPerDay;
    qint64 milliseconds = total % kMillisecondsPerDay;
    if (milliseconds < 0) {
        milliseconds += kMillisecondsPerDay;
        --days;
    }
    return {kDayZero.addDays(days),
            QTime::fromMSecsSinceStartOfDay(static_cast<int>(milliseconds))};
}

} // namespace

QDateTime fromDateTimeValue(double value) {
    const DateAndTime t = splitDateTimeValue(value);
    return QDateTime(t.date, t.time);
}

QString LongTimeText(double value) {
    const DateAndTime t = splitDateTimeValue(value);
    return QString::asprintf("%d-%02d-%02d %02d:%02d:%02d", t.date.year(), t.date.month(),
                             t.date.day(), t.time.hour(), t.time.minute(), t.time.second());
}

QString ShortTimeText(double value) {
    const DateAndTime t = splitDateTimeValue(value);
    return QString::asprintf("%02d-%02d %02d:%02d:%02d", t.date.month(), t.date.day(),
                             t.time.hour(), t.time.minute(), t.time.second());
}

double SecondsToTime(int seconds) {
    const int hours = seconds / 3600;
    const int minutes = (seconds % 3600) / 60;
    const int rest = seconds % 60;
    return (hours * 3600.0 + minutes * 60.0 + rest) / 86400.0;
}

} // namespace nimbar
