#pragma once

#include <QDateTime>
#include <QString>

namespace nimbar {

// Date-time values count days since 1899-12-30 00:00 local time, the time of day as the
// fraction. Recording files, charts and time texts use them; this is the one place that
// converts them.
double toDateTimeValue(const QDateTime& localTime);
// Rounded to the millisecond, so that a value made from 11:00:00 never reads as 10:59:59.
QDateTime fromDateTimeValue(double value);

// "2006-12-27 09:05:03"
QString LongTimeText(double value);
// "12-27 09:05:03"
QString ShortTimeText(double value);
// A duration of whole seconds as a date-time value (hours, minutes and seconds of the day).
double SecondsToTime(int seconds);

} // namespace nimbar
