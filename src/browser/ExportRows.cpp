#include "browser/ExportRows.h"

#include "processing/InvalidValue.h"
#include "settings/RecordText.h"

#include <QStringList>

#include <charconv>

namespace nimbar {

namespace {

constexpr int kTitleColumn = 10;

QString csvField(const QString& text) {
    if (!text.contains(',') && !text.contains('"') && !text.contains('\r') && !text.contains('\n'))
        return text;
    return '"' + QString(text).replace("\"", "\"\"") + '"';
}

// The title and seven blanks in ten bytes: cut at a character boundary, then padded.
QByteArray titleColumn(const QString& title) {
    QByteArray column = encodeCp949(title + QStringLiteral("       "), kTitleColumn);
    if (column.size() < kTitleColumn)
        column.append(kTitleColumn - column.size(), ' ');
    return column;
}

// " %9.3f" without the C library's locale: a decimal comma would break every reader.
void appendTextValue(QByteArray& out, double value) {
    if (value == InvalidValue) {
        out.append("         *", 10);
        return;
    }
    char digits[400];
    const auto result =
        std::to_chars(digits, digits + sizeof digits, value, std::chars_format::fixed, 3);
    const qsizetype length = result.ptr - digits;
    out.append(' ');
    if (length < 9)
        out.append(9 - length, ' ');
    out.append(digits, length);
}

void appendCsvValue(QByteArray& out, double value) {
    out.append(',');
    if (value == InvalidValue)
        return;
    char digits[32];
    const auto result = std::to_chars(digits, digits + sizeof digits, value);
    out.append(digits, result.ptr - digits);
}

} // namespace

QByteArray exportHead(ExportFormat format, const BrowserDataSet& data) {
    if (format == ExportFormat::Csv) {
        QStringList head{"Time"};
        for (int i = 0; i < data.channelCount; ++i)
            head << csvField(data.series[static_cast<std::size_t>(i)].title);
        return head.join(',').toUtf8() + "\r\n";
    }
    QByteArray head =
        encodeCp949(data.chartTitle + " # " + data.yAxisTitle + " # " + data.startText) + "\r\n";
    head += "         Time         ";
    for (int i = 0; i < data.channelCount; ++i)
        head += titleColumn(data.series[static_cast<std::size_t>(i)].title);
    return head + "\r\n";
}

ExportRowWriter::ExportRowWriter(ExportFormat format, XAxisMode mode, int channels)
    : m_format(format), m_x(mode), m_channels(channels) {}

void ExportRowWriter::append(QByteArray& out, double x, const double* values) {
    if (m_format == ExportFormat::Text) {
        m_x.append(out, x);
        for (int i = 0; i < m_channels; ++i)
            appendTextValue(out, values[i]);
    } else {
        m_xText.clear();
        m_x.append(m_xText, x);
        qsizetype from = 0;
        qsizetype to = m_xText.size();
        while (from < to && m_xText[from] == ' ')
            ++from;
        while (to > from && m_xText[to - 1] == ' ')
            --to;
        out.append(m_xText.constData() + from, to - from);
        for (int i = 0; i < m_channels; ++i)
            appendCsvValue(out, values[i]);
    }
    out.append("\r\n", 2);
}

} // namespace nimbar
