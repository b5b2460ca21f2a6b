#include "browser/BrowserTime.h"

#include <QDate>

#include <cmath>
#include <cstdint>

namespace nimbar {

namespace {

constexpr std::int64_t kMillisecondsPerDay = 86'400'000;

struct Elapsed {
    bool negative;
    std::int64_t days;
    int hour, minute, second, millisecond;
};

// Splits a day count into whole days and the time of day, rounded to the millisecond. A value
// before the reference counts backwards instead of wrapping into a time of day.
Elapsed splitDays(double days) {
    Elapsed e{};
    e.negative = days < 0;
    const double magnitude = std::fabs(days);
    if (!std::isfinite(magnitude) || magnitude > 1e12)
        return e;
    const auto total = static_cast<std::int64_t>(std::llround(magnitude * kMillisecondsPerDay));
    e.days = total / kMillisecondsPerDay;
    std::int64_t rest = total % kMillisecondsPerDay;
    e.hour = static_cast<int>(rest / 3'600'000);
    rest %= 3'600'000;
    e.minute = static_cast<int>(rest / 60'000);
    rest %= 60'000;
    e.second = static_cast<int>(rest / 1000);
    e.millisecond = static_cast<int>(rest % 1000);
    return e;
}

// "%d-%02d-%02d %02d:%02d:%02d" of a date-time value, by plain arithmetic: the local-time
// conversions of a date-time object cost far too much for thousands of rows.
QString dateTimeText(double value) {
    if (!std::isfinite(value) || std::fabs(value) > 1e7)
        value = 0;
    const auto total = static_cast<std::int64_t>(std::llround(value * kMillisecondsPerDay));
    std::int64_t days = total / kMillisecondsPerDay;
    std::int64_t rest = total % kMillisecondsPerDay;
    if (rest < 0) {
        rest += kMillisecondsPerDay;
        --days;
    }
    const QDate date = QDate(1899, 12, 30).addDays(days);
    const int seconds = static_cast<int>(rest / 1000);
    return QString::asprintf("%d-%02d-%02d %02d:%02d:%02d", date.year(), date.month(), date.day(),
                             seconds / 3600, seconds / 60 % 60, seconds % 60);
}

} // namespace

double ElapsedSeconds(double days) {
    const Elapsed e = splitDays(days);
    const double seconds = 3600.0 * e.hour + 60.0 * e.minute + e.second + 0.001 * e.millisecond +
                           86400.0 * static_cast<double>(e.days);
    return e.negative ? -seconds : seconds;
}

QString FormatStartTime(double dateTime) {
    return dateTimeText(dateTime);
}

QString FormatXValue(double x, XAxisMode mode) {
    switch (mode) {
    case XAxisMode::ElapsedSeconds:
        return QString::asprintf("%14.1f    ", x);
    case XAxisMode::ElapsedTime: {
        const Elapsed e = splitDays(x);
        const long long days = e.negative ? -e.days : e.days;
        return QString::asprintf("%6lld %02d:%02d:%02d", days, e.hour, e.minute, e.second);
    }
    case XAxisMode::RecordTime:
        break;
    }
    return dateTimeText(x);
}

} // namespace nimbar
