#pragma once

#include "browser/BrowserDataSet.h"
#include "browser/RecordingLoader.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace nimbar {

// The exports of a loaded browser chart: series 0 gives the rows, the channels below the channel
// count the columns, hidden ones included. pump runs once every 301 rows.

// The text export's file contents: code page 949, CR LF.
QByteArray browserTextBytes(const BrowserDataSet& data, const LoadPump& pump = {});
// UTF-8, RFC 4180 quoting, CR LF: "Time" and the titles, then one row per point with the
// trimmed X text and each value in full precision, empty for a missing measurement.
QByteArray browserCsvBytes(const BrowserDataSet& data, const LoadPump& pump = {});

// A sheet has 65,536 rows; the export's two head rows come first.
inline constexpr int kXlsMaxPoints = 65536 - 2;

struct ExportResult {
    bool written = false;
    QString status; // for the status line
};

// Each writes the whole file or nothing and says which in the status text. Nothing happens
// (and nothing is said) while series 0 is empty. A spreadsheet of more than kXlsMaxPoints
// points is refused.
ExportResult ExportBrowserTxt(const BrowserDataSet& data, const QString& fileName, bool korean,
                              const LoadPump& pump = {});
ExportResult ExportBrowserXls(const BrowserDataSet& data, const QString& fileName, bool korean,
                              const LoadPump& pump = {});
ExportResult ExportBrowserCsv(const BrowserDataSet& data, const QString& fileName, bool korean,
                              const LoadPump& pump = {});

// The name the save dialog gave, trimmed, with its extension replaced (".TXT", ".XLS").
QString exportFileName(const QString& chosen, const QString& extension);

} // namespace nimbar
