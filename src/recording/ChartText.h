#pragma once

#include "recording/ChartSnapshot.h"

#include <QByteArray>

#include <array>
#include <functional>

namespace nimbar {

// The lines of a chart's text export, in code page 949 and without line ends. Blank-padded
// columns count bytes, so Korean names line up as they do in a single-byte editor.

// "job#serial#x-axis title#y-axis title#yyyy-mm-dd hh:mm:ss" of the start time.
QByteArray chartTextTitleLine(const ExportTexts& texts);
// "         Time         " and the nine channel names right-aligned in ten columns each.
QByteArray chartTextCaptionLine(const ExportTexts& texts);
// The point's long time text and the nine values as " %10.2f".
QByteArray chartTextPointLine(double time, const std::array<double, kChannelCount>& values);

// The whole file: the two head lines and one line per point, each ended by CR LF.
// yield, when given, is called once every kExportYieldPoints points.
QByteArray chartText(const ExportTexts& texts, const ChartSnapshot& chart,
                     const std::function<void()>& yield = {});

// The values of point j; InvalidValue where a series has no such point.
std::array<double, kChannelCount> pointValues(const ChartSnapshot& chart, std::size_t j);

} // namespace nimbar
