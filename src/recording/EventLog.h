#pragma once

#include <QDate>
#include <QString>

namespace nimbar {

// One plain-text file per day that collects the alarm messages of all four boards.

struct EventLogWrite {
    bool written = false;
    QString path; // the file, with native separators
};

// dataDirectory/YYYYMMDD/YYYYMMDD.eve of day; the board is not part of the path.
QString eventLogPath(const QString& dataDirectory, QDate day);

// Appends text, as handed over, in code page 949 and in one write, to today's event log,
// making the day directory (with its parents) when it is missing. The file is opened and closed
// here; on failure nothing is written and the result names the path.
EventLogWrite AppendEvents(const QString& dataDirectory, QDate today, const QString& text);

} // namespace nimbar
