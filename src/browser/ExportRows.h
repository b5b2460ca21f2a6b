#pragma once

#include "browser/BrowserDataSet.h"
#include "browser/BrowserTime.h"

#include <QByteArray>

namespace nimbar {

enum class ExportFormat { Text, Csv };

// The head of an export, lines ended by CR LF. Text: the title line and the caption line in
// code page 949, each title in ten columns counted in bytes, so that Korean titles stay over
// their values. CSV: UTF-8, "Time" and the titles, RFC 4180 quoting.
QByteArray exportHead(ExportFormat format, const BrowserDataSet& data);

// The rows of an export, appended one at a time, CR LF ended. Text: the X text and each value
// as " %9.3f", "         *" for a missing measurement. CSV: the trimmed X text and each value in
// full precision, empty for a missing measurement.
class ExportRowWriter {
public:
    ExportRowWriter(ExportFormat format, XAxisMode mode, int channels);
    // values holds one value per channel below the channel count.
    void append(QByteArray& out, double x, const double* values);

private:
    ExportFormat m_format;
    XValueFormatter m_x;
    int m_channels;
    QByteArray m_xText;
};

} // namespace nimbar
