#pragma once

#include "browser/RecordingLayout.h"

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QFile>
#include <QStringList>

#include <optional>

namespace nimbar {

// The records of one board in a time range as CSV text, read from its recording files a piece
// at a time, so that a month of them never sits in memory. The columns and the text are those
// of the browser's CSV export (nimbar-export --format csv): "Time" and the channel titles of the
// first file, then one row per record with from <= time < to.
class HistoryCsv {
public:
    // Records read for one piece at most.
    static constexpr int kRecordsPerPiece = 512;

    // fallbackTitles head the text when the range holds no recording file.
    HistoryCsv(const QString& dataDirectory, int board, const QDateTime& from, const QDateTime& to,
               const QStringList& fallbackTitles);

    // The next piece of the text: empty when this call found nothing to say (call again),
    // nothing at the end.
    std::optional<QByteArray> next();

private:
    void openFile(const QString& path);
    QByteArray takeHeader();
    QByteArray readRecords();

    QString m_dataDirectory;
    QChar m_letter;
    double m_from;
    double m_to;
    QDate m_firstDay;
    QDate m_day;
    QDate m_lastDay;
    int m_firstHour;
    int m_endHour; // on the last day, exclusive
    QStringList m_dayFiles;
    QFile m_file;
    const RecordingLayout* m_layout = nullptr;
    int m_channels = 0;
    QStringList m_titles;
    qsizetype m_headerSize = -1; // of the header line the export puts before the rows
    bool m_headerSent = false;
    bool m_done = false;
};

} // namespace nimbar
