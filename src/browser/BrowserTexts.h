#pragma once

#include "browser/BrowserDataSet.h"

#include <QString>

namespace nimbar {

// Every status text of the recorded-file reader and the browser's tools, in both languages.

QString noDataText(bool korean);
QString someErrorsText(bool korean);
QString unsupportedFormatText(bool korean);
// The range scan and the load of selected files say it differently in Korean.
QString loadingText(bool korean, bool rangeScan);
QString totalDataText(qint64 points, bool korean);
QString pointLimitText(XAxisMode mode, bool korean);
// The bottom-axis title a load sets for its X-axis mode.
QString xAxisModeTitle(XAxisMode mode, bool korean);
// The bottom-axis title of a new window.
QString initialXAxisTitle(bool korean);

QString statisticsHeadingText(bool korean);
QString memoCloseHintText(bool korean);

QString saveErrorText(const QString& fileName, bool korean);
QString savedAsText(const QString& fileName, bool korean);
QString chartSavedText(const QString& fileName, bool korean);
QString spreadsheetFailedText(const QString& fileName, bool korean);
QString spreadsheetTooLongText(bool korean);

// A load in Auto: every record read, drawn as an envelope of so many points.
QString envelopeDataText(qint64 records, int points, bool korean);
// The statistics memo's line of a load in Auto: every record and its first and last X text.
QString everyRecordText(qint64 records, const QString& first, const QString& last, bool korean);

} // namespace nimbar
