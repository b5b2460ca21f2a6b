#pragma once

#include <QChar>
#include <QDate>
#include <QString>
#include <QStringList>

namespace nimbar {

struct RangeScanResult {
    QStringList paths;     // in time order
    QString lastDirectory; // the last day directory that existed, for the file list
};

// The recording files of one board whose starting hour h has start <= h < end: the day
// directories from the start date to the end date, each file taken by the hour in the first two
// characters of its name. A name that does not begin with two digits is no recording file.
RangeScanResult scanRecordingRange(const QString& dataDirectory, QChar boardLetter,
                                   const QDate& startDate, int startHour, const QDate& endDate,
                                   int endHour);

// data directory/YYYYMMDD/L
QString dayDirectory(const QString& dataDirectory, const QDate& date, QChar boardLetter);

} // namespace nimbar
