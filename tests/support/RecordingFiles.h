#pragma once

// Recording files of the three header layouts, built byte by byte from the layout tables (not
// with the logger's writer), for the browser's tests and benchmark.

#include <QByteArray>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QStringList>

#include <array>
#include <cstring>
#include <functional>

namespace recfiles {

enum class Layout { Current, Old7, Old9 };

struct Offsets {
    int header, record, valueSlots;
    int job, chart, xAxis, yAxis, names, nameSlots, serial, serialSize, start;
};

inline Offsets offsets(Layout layout) {
    switch (layout) {
    case Layout::Old7:
        return {492, 64, 7, 0, 81, 162, 243, 324, 7, 471, 13, 484};
    case Layout::Old9:
        return {532, 80, 9, 0, 81, 162, 243, 324, 9, 513, 11, 524};
    case Layout::Current:
        break;
    }
    return {544, 80, 9, 11, 92, 173, 254, 335, 9, 524, 12, 536};
}

inline void put(QByteArray& bytes, int offset, const QByteArray& text) {
    std::memcpy(bytes.data() + offset, text.constData(), static_cast<std::size_t>(text.size()));
}

inline void putDouble(QByteArray& bytes, int offset, double value) {
    std::memcpy(bytes.data() + offset, &value, sizeof value); // little-endian machine
}

// Titles "Job", "Chart", "X", "Y"; channel names " Ch i " (blanks to trim) unless given.
inline QByteArray header(Layout layout, const QByteArray& serial, double startTime,
                         const QList<QByteArray>& names = {}) {
    const Offsets o = offsets(layout);
    QByteArray bytes(o.header, '\0');
    if (layout == Layout::Current)
        put(bytes, 0, "2.0.0");
    put(bytes, o.job, "Job");
    put(bytes, o.chart, "Chart");
    put(bytes, o.xAxis, "X");
    put(bytes, o.yAxis, "Y");
    for (int i = 0; i < o.nameSlots; ++i)
        put(bytes, o.names + 21 * i,
            i < names.size() ? names[i] : QByteArray(" Ch ") + QByteArray::number(i) + ' ');
    put(bytes, o.serial, serial.left(o.serialSize - 1));
    putDouble(bytes, o.start, startTime);
    return bytes;
}

// A record whose channel i holds value + i.
inline QByteArray record(Layout layout, double time, double value) {
    const Offsets o = offsets(layout);
    QByteArray bytes(o.record, '\0');
    putDouble(bytes, 0, time);
    for (int i = 0; i < o.valueSlots; ++i)
        putDouble(bytes, 8 + 8 * i, value + i);
    return bytes;
}

// A record with the given values in its slots.
template <typename Values> QByteArray recordWith(Layout layout, double time, const Values& values) {
    const Offsets o = offsets(layout);
    QByteArray bytes(o.record, '\0');
    putDouble(bytes, 0, time);
    for (int i = 0; i < o.valueSlots && i < int(values.size()); ++i)
        putDouble(bytes, 8 + 8 * i, values[i]);
    return bytes;
}

// A file of count records, one a second from time, record k holding the value k + 1 (+ i).
inline bool write(const QString& path, Layout layout, const QByteArray& serial, double startTime,
                  double time, int count) {
    QDir().mkpath(QFileInfo(path).path());
    QByteArray bytes = header(layout, serial, startTime);
    bytes.reserve(bytes.size() + count * offsets(layout).record);
    for (int k = 0; k < count; ++k)
        bytes += record(layout, time + k / 86400.0, k + 1);
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Days since 1899-12-30 of a local date and time.
inline double dayValue(const QDate& date, int hour, int minute = 0, double second = 0) {
    return QDate(1899, 12, 30).daysTo(date) + (hour * 3600.0 + minute * 60.0 + second) / 86400.0;
}

// The nine values of record k of a run of hourly files.
using Values = std::array<double, 9>;

// Hourly current-layout files of one board, as the logger leaves them: data/YYYYMMDD/L/HH0000.KRN
// for hours hours from date and firstHour, a record every step seconds from each hour's start,
// record k (counted over all files) holding values(k). The paths in time order.
inline QStringList writeHours(const QString& data, char board, const QDate& date, int firstHour,
                              int hours, int step, const std::function<Values(qint64)>& values) {
    QStringList paths;
    const double start = dayValue(date, firstHour);
    qint64 k = 0;
    for (int h = 0; h < hours; ++h) {
        const QDate day = date.addDays((firstHour + h) / 24);
        const int hour = (firstHour + h) % 24;
        const QString path =
            QDir(data).filePath(day.toString("yyyyMMdd") + '/' + board + '/' +
                                QString("%10000.KRN").arg(hour, 2, 10, QChar('0')));
        QDir().mkpath(QFileInfo(path).path());
        QByteArray bytes = header(Layout::Current, "A4", start);
        const int records = 3600 / step;
        bytes.reserve(bytes.size() + records * 80);
        for (int r = 0; r < records; ++r, ++k)
            bytes += recordWith(Layout::Current, dayValue(day, hour, 0, r * step), values(k));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            return {};
        paths << path;
    }
    return paths;
}

} // namespace recfiles
