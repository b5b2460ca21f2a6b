#include "browser/BrowserTime.h"

#include <QDate>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>

namespace nimbar {

namespace {

constexpr std::int64_t kMillisecondsPerDay = 86'400'000;
constexpr double kSecondsPerDay = 86400.0;

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

void appendTwoDigits(QByteArray& out, int value) {
    out.append(char('0' + value / 10));
    out.append(char('0' + value % 10));
}

// Text right-aligned in width, as printf's "%<width>..." does.
void appendRightAligned(QByteArray& out, const char* text, qsizetype length, int width) {
    if (length < width)
        out.append(width - length, ' ');
    out.append(text, length);
}

void appendInteger(QByteArray& out, long long value, int width) {
    char digits[24];
    const auto result = std::to_chars(digits, digits + sizeof digits, value);
    appendRightAligned(out, digits, result.ptr - digits, width);
}

} // namespace

// "%d-%02d-%02d %02d:%02d:%02d" of a date-time value, by plain arithmetic: the local-time
// conversions of a date-time object cost far too much for thousands of rows.
void XValueFormatter::appendDateTime(QByteArray& out, double value) {
    if (!std::isfinite(value) || std::fabs(value) > 1e7)
        value = 0;
    const auto total = static_cast<std::int64_t>(std::llround(value * kMillisecondsPerDay));
    std::int64_t days = total / kMillisecondsPerDay;
    std::int64_t rest = total % kMillisecondsPerDay;
    if (rest < 0) {
        rest += kMillisecondsPerDay;
        --days;
    }
    if (m_dateLength == 0 || days != m_day) {
        const QDate date = QDate(1899, 12, 30).addDays(days);
        QByteArray text;
        appendInteger(text, date.year(), 0);
        text.append('-');
        appendTwoDigits(text, date.month());
        text.append('-');
        appendTwoDigits(text, date.day());
        text.append(' ');
        m_dateLength = static_cast<int>(qMin<qsizetype>(text.size(), sizeof m_date));
        std::copy_n(text.constData(), m_dateLength, m_date);
        m_day = days;
    }
    out.append(m_date, m_dateLength);
    const int seconds = static_cast<int>(rest / 1000);
    appendTwoDigits(out, seconds / 3600);
    out.append(':');
    appendTwoDigits(out, seconds / 60 % 60);
    out.append(':');
    appendTwoDigits(out, seconds % 60);
}

void XValueFormatter::append(QByteArray& out, double x) {
    switch (m_mode) {
    case XAxisMode::ElapsedSeconds: {
        char digits[400];
        const auto result =
            std::to_chars(digits, digits + sizeof digits, x, std::chars_format::fixed, 1);
        appendRightAligned(out, digits, result.ptr - digits, 14);
        out.append("    ", 4);
        return;
    }
    case XAxisMode::ElapsedTime: {
        const Elapsed e = splitDays(x);
        appendInteger(out, e.negative ? -e.days : e.days, 6);
        out.append(' ');
        appendTwoDigits(out, e.hour);
        out.append(':');
        appendTwoDigits(out, e.minute);
        out.append(':');
        appendTwoDigits(out, e.second);
        return;
    }
    case XAxisMode::RecordTime:
        break;
    }
    appendDateTime(out, x);
}

double ElapsedSeconds(double days) {
    const Elapsed e = splitDays(days);
    const double seconds = 3600.0 * e.hour + 60.0 * e.minute + e.second + 0.001 * e.millisecond +
                           86400.0 * static_cast<double>(e.days);
    return e.negative ? -seconds : seconds;
}

QString FormatStartTime(double dateTime) {
    return FormatXValue(dateTime, XAxisMode::RecordTime);
}

QString FormatXValue(double x, XAxisMode mode) {
    QByteArray text;
    XValueFormatter(mode).append(text, x);
    return QString::fromLatin1(text);
}

double xOfTime(double time, XAxisMode mode, double startTime) {
    switch (mode) {
    case XAxisMode::ElapsedTime:
        return time - startTime;
    case XAxisMode::ElapsedSeconds:
        return ElapsedSeconds(time - startTime);
    case XAxisMode::RecordTime:
        break;
    }
    return time;
}

double timeOfX(double x, XAxisMode mode, double startTime) {
    switch (mode) {
    case XAxisMode::ElapsedTime:
        return x + startTime;
    case XAxisMode::ElapsedSeconds:
        return startTime + x / kSecondsPerDay;
    case XAxisMode::RecordTime:
        break;
    }
    return x;
}

} // namespace nimbar
