#pragma once

#include "recording/ChartSnapshot.h"

#include <QString>
#include <QStringList>

#include <functional>

namespace nimbar {

// What a save of a board page's data came to. Files are written whole or not at all: a file
// that cannot be created or written leaves no file (and an older one of the name untouched).
struct ExportOutcome {
    enum class Result { Saved, NothingToSave, Failed };
    Result result = Result::NothingToSave;
    QString path;  // the file, with native separators
    QString cause; // why it failed, for the exception log
};

// Called once every kExportYieldPoints points while a chart is formatted, so that the window
// keeps receiving and recording lines during a long export.
using ExportYield = std::function<void()>;
inline constexpr std::size_t kExportYieldPoints = 301;

// base is an ExportFileName; each function appends its extension.

// base.TXT in code page 949 with CR LF line ends; nothing when the chart has no points.
ExportOutcome SaveChartTxt(const QString& base, const ExportTexts& texts,
                           const ChartSnapshot& chart, const ExportYield& yield = {});
// base.xls: head rows, then one row per point with "*" for invalid values. An empty chart
// still gives a sheet (BOF and EOF only), reported as NothingToSave.
ExportOutcome SaveChartXls(const QString& base, const ExportTexts& texts,
                           const ChartSnapshot& chart, const ExportYield& yield = {});
// base.LOG: the memo's lines in code page 949, each ended by CR LF; nothing when it is empty.
ExportOutcome SaveMemoLog(const QString& base, const QStringList& memoLines);

// Writes bytes as the whole content of path, replacing it only once everything is written.
ExportOutcome writeWholeFile(const QString& path, const QByteArray& bytes);

} // namespace nimbar
