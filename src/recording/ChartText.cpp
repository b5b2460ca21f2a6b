#include "recording/ChartText.h"

#include "processing/DateTimeValue.h"
#include "processing/InvalidValue.h"
#include "recording/LiveExport.h"
#include "settings/RecordText.h"

#include <algorithm>
#include <charconv>

namespace nimbar {

namespace {

QByteArray rightAligned(const QByteArray& text, int width) {
    return text.size() >= width ? text : QByteArray(width - text.size(), ' ') + text;
}

// " %10.2f" without the C library's locale (a decimal comma would break every reader), appended
// in place: a full chart has 32400 of them.
void appendValueColumn(QByteArray& line, double value) {
    char digits[400];
    const auto [end, error] =
        std::to_chars(digits, digits + sizeof digits, value, std::chars_format::fixed, 2);
    const qsizetype length = error == std::errc() ? end - digits : 0;
    line.append(' ');
    if (length < 10)
        line.append(10 - std::max<qsizetype>(length, 1), ' ');
    if (length == 0)
        line.append('?');
    else
        line.append(digits, length);
}

void appendPointLine(QByteArray& out, double time,
                     const std::array<double, kChannelCount>& values) {
    out.append(LongTimeText(time).toLatin1());
    for (double value : values)
        appendValueColumn(out, value);
}

} // namespace

ExportTexts exportTextsOf(const BoardConfig& board, double startTime) {
    ExportTexts texts;
    texts.jobTitle = fieldText(board.jobTitle);
    texts.serial = fieldText(board.serial);
    texts.xAxisTitle = fieldText(board.xAxisTitle);
    texts.yAxisTitle = fieldText(board.yAxisTitle);
    for (int ch = 0; ch < kChannelCount; ++ch)
        texts.channelNames[ch] = fieldText(board.channelName[ch]);
    texts.startTime = startTime;
    return texts;
}

QByteArray chartTextTitleLine(const ExportTexts& texts) {
    return encodeCp949(texts.jobTitle + '#' + texts.serial + '#' + texts.xAxisTitle + '#' +
                       texts.yAxisTitle + '#' + LongTimeText(texts.startTime));
}

QByteArray chartTextCaptionLine(const ExportTexts& texts) {
    QByteArray line = "         Time         ";
    for (const QString& name : texts.channelNames)
        line += ' ' + rightAligned(encodeCp949(name), 10);
    return line;
}

QByteArray chartTextPointLine(double time, const std::array<double, kChannelCount>& values) {
    QByteArray line;
    appendPointLine(line, time, values);
    return line;
}

std::array<double, kChannelCount> pointValues(const ChartSnapshot& chart, std::size_t j) {
    std::array<double, kChannelCount> values;
    for (int i = 0; i < kChannelCount; ++i) {
        const std::vector<double>& series = chart.values[i];
        values[i] = j < series.size() ? series[j] : InvalidValue;
    }
    return values;
}

QByteArray chartText(const ExportTexts& texts, const ChartSnapshot& chart,
                     const std::function<void()>& yield) {
    QByteArray text;
    text.reserve(static_cast<qsizetype>(chart.times.size() + 2) * 124);
    text += chartTextTitleLine(texts) + "\r\n";
    text += chartTextCaptionLine(texts) + "\r\n";
    for (std::size_t j = 0; j < chart.times.size(); ++j) {
        appendPointLine(text, chart.times[j], pointValues(chart, j));
        text.append("\r\n");
        if (yield && (j + 1) % kExportYieldPoints == 0)
            yield();
    }
    return text;
}

} // namespace nimbar
