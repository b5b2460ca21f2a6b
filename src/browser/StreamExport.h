#pragma once

#include "browser/ExportRows.h"
#include "browser/RecordingLoader.h"

#include <QIODevice>
#include <QStringList>

namespace nimbar {

struct StreamReport {
    LoadReport load;      // as a load of the same files says it
    bool written = false; // every byte reached out
};

// The text or CSV export of every N-th record of each file (N the subsampling factor, every
// record at 1) written to out as the files are read, in ascending time order: memory stays
// the same for an hour or a month, and no point limit applies. data gets the head of the first
// file, as a load gives it, and the summary of every record written. Without any record
// nothing at all is written.
StreamReport streamExport(const QStringList& paths, const LoadOptions& options, ExportFormat format,
                          QIODevice& out, BrowserDataSet& data, const LoadPump& pump = {});

} // namespace nimbar
