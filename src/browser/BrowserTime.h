#pragma once

#include "browser/BrowserDataSet.h"

#include <QString>

namespace nimbar {

// An elapsed date-time difference (days) in seconds, to the millisecond.
double ElapsedSeconds(double days);

// "2007-03-15 10:00:00"
QString FormatStartTime(double dateTime);

// The text of an X value in the given mode: seconds "%14.1f    ", elapsed "%6d %02d:%02d:%02d"
// (days and time of day), record time "%d-%02d-%02d %02d:%02d:%02d". Untrimmed.
QString FormatXValue(double x, XAxisMode mode);

} // namespace nimbar
