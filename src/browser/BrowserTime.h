#pragma once

#include "browser/BrowserDataSet.h"

#include <QByteArray>
#include <QString>

namespace nimbar {

// An elapsed date-time difference (days) in seconds, to the millisecond.
double ElapsedSeconds(double days);

// "2007-03-15 10:00:00"
QString FormatStartTime(double dateTime);

// The text of an X value in the given mode: seconds "%14.1f    ", elapsed "%6d %02d:%02d:%02d"
// (days and time of day), record time "%d-%02d-%02d %02d:%02d:%02d". Untrimmed.
QString FormatXValue(double x, XAxisMode mode);

// The same texts appended as bytes, for exports of many rows: the date of the previous row is
// kept, so a row costs a few divisions.
class XValueFormatter {
public:
    explicit XValueFormatter(XAxisMode mode) : m_mode(mode) {}
    void append(QByteArray& out, double x);

private:
    void appendDateTime(QByteArray& out, double value);

    XAxisMode m_mode;
    qint64 m_day = 0;
    char m_date[24] = {};
    int m_dateLength = 0; // 0 while no date is kept
};

// The X value of a record's date-time in a mode, from the load's reference start time, and
// back.
double xOfTime(double time, XAxisMode mode, double startTime);
double timeOfX(double x, XAxisMode mode, double startTime);

} // namespace nimbar
