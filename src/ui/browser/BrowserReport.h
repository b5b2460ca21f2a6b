#pragma once

#include "browser/BrowserExport.h"

namespace nimbar {

// The printed report of a loaded chart as a PDF file: the chart as the browser shows it after
// a load, every channel within the channel count reported. Written whole or not at all.
ExportResult ExportBrowserPdf(const BrowserDataSet& data, const QString& fileName, bool korean);

} // namespace nimbar
