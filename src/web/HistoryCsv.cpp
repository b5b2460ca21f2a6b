#include "web/HistoryCsv.h"

#include "browser/BrowserExport.h"
#include "browser/RangeScan.h"
#include "processing/DateTimeValue.h"
#include "settings/BoardConfig.h"

#include <QtEndian>

namespace nimbar {

namespace {

// A data set with the titles of the text and no points: the export's header line, and the
// frame that a piece's rows are exported from.
BrowserDataSet titledSet(const QStringList& titles) {
    BrowserDataSet data;
    data.channelCount = static_cast<int>(qMin<qsizetype>(titles.size(), kChannelCount));
    for (int i = 0; i < data.channelCount; ++i)
        data.series[static_cast<std::size_t>(i)].title = titles[i];
    return data;
}

} // namespace

HistoryCsv::HistoryCsv(const QString& dataDirectory, int board, const QDateTime& from,
                       const QDateTime& to, const QStringList& fallbackTitles)
    : m_dataDirectory(dataDirectory), m_letter(QChar(boardLetter(board))),
      m_from(toDateTimeValue(from.toLocalTime())), m_to(toDateTimeValue(to.toLocalTime())),
      m_firstDay(from.toLocalTime().date()), m_day(m_firstDay), m_lastDay(to.toLocalTime().date()),
      m_firstHour(from.toLocalTime().time().hour()), m_endHour(to.toLocalTime().time().hour() + 1),
      m_titles(fallbackTitles) {}

std::optional<QByteArray> HistoryCsv::next() {
    if (m_done)
        return std::nullopt;
    // A bounded amount of work per call: one day's listing, one file's opening or one read.
    if (m_file.isOpen()) {
        const QByteArray rows = readRecords();
        return rows.isEmpty() ? rows : takeHeader() + rows;
    }
    if (!m_dayFiles.isEmpty()) {
        openFile(m_dayFiles.takeFirst());
        return QByteArray();
    }
    if (m_day <= m_lastDay) {
        // The files whose starting hour lies in the range; the first and the last ones may
        // hold records outside it, which are left out below.
        m_dayFiles = scanRecordingRange(m_dataDirectory, m_letter, m_day,
                                        m_day == m_firstDay ? m_firstHour : 0, m_day,
                                        m_day == m_lastDay ? m_endHour : 24)
                         .paths;
        m_day = m_day.addDays(1);
        return QByteArray();
    }
    m_done = true;
    // A range without records still gets its header line.
    const QByteArray header = takeHeader();
    return header.isEmpty() ? std::nullopt : std::optional<QByteArray>(header);
}

void HistoryCsv::openFile(const QString& path) {
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::ReadOnly))
        return;
    const std::optional<RecordingVariant> variant = recogniseRecording(m_file);
    // The first file decides the layout and the columns; a file of another layout is skipped,
    // as the browser's load skips it.
    if (!variant || (m_layout && m_layout->variant != *variant)) {
        m_file.close();
        return;
    }
    const RecordingLayout& layout = recordingLayout(*variant);
    m_file.seek(0);
    const QByteArray header = m_file.read(layout.headerSize);
    if (!headerMatches(header, layout)) {
        m_file.close();
        return;
    }
    if (!m_layout) {
        m_layout = &layout;
        m_channels = headerChannelCount(header, layout);
        m_titles.clear();
        for (int i = 0; i < m_channels; ++i)
            m_titles << headerText(header, layout.channelNames + kChannelNameSize * i,
                                   kChannelNameSize)
                            .trimmed();
    }
}

QByteArray HistoryCsv::takeHeader() {
    if (m_headerSent)
        return {};
    m_headerSent = true;
    return browserCsvBytes(titledSet(m_titles));
}

QByteArray HistoryCsv::readRecords() {
    const int recordSize = m_layout->recordSize;
    const QByteArray bytes = m_file.read(qint64(kRecordsPerPiece) * recordSize);
    // A short read is the end of the file, a record still being written included.
    if (bytes.size() < qsizetype(kRecordsPerPiece) * recordSize)
        m_file.close();
    BrowserDataSet piece = titledSet(m_titles);
    for (qsizetype at = 0; at + recordSize <= bytes.size(); at += recordSize) {
        const char* record = bytes.constData() + at;
        const double time = qFromLittleEndian<double>(record);
        if (!(time >= m_from && time < m_to))
            continue;
        for (int i = 0; i < piece.channelCount; ++i) {
            BrowserSeries& series = piece.series[static_cast<std::size_t>(i)];
            series.x.push_back(time);
            series.y.push_back(qFromLittleEndian<double>(record + 8 + 8 * i));
        }
    }
    if (piece.points() == 0)
        return {};
    // The export's rows, without its header line.
    if (m_headerSize < 0)
        m_headerSize = browserCsvBytes(titledSet(m_titles)).size();
    return browserCsvBytes(piece).mid(m_headerSize);
}

} // namespace nimbar
