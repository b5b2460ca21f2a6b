#pragma once

#include <QString>

class QCustomPlot;

namespace nimbar {

// Gives a board's chart its nine styled series, the date-time time axis and the design titles.
void setupLiveChart(QCustomPlot* chart);

// The time-axis title, set apart because start-up and the Korean captions both write it.
void setTimeAxisTitle(QCustomPlot* chart, const QString& title);
void setValueAxisTitle(QCustomPlot* chart, const QString& title);
void setChartTitle(QCustomPlot* chart, const QString& title);
QString chartTitleOf(const QCustomPlot* chart);

} // namespace nimbar
