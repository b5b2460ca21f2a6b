#pragma once

#include "settings/BoardConfig.h"

#include <QString>
#include <qcustomplot.h>

#include <array>
#include <vector>

namespace nimbar {

// A board's live chart: nine styled series over a date-time axis. The time axis runs either in a
// manual window or automatically from an origin to the newest point; the value axis is either
// automatic (fitted to the data at every redraw) or manual.
class LiveChart : public QCustomPlot {
    Q_OBJECT
public:
    // The pipeline empties the chart once it holds this many points; each series has room for
    // them from the start, so a chart's memory does not grow (nor get copied) as it fills.
    static constexpr int kPointLimit = 3600;

    explicit LiveChart(QWidget* parent = nullptr);

    void setTimeAxisTitle(const QString& title) { xAxis->setLabel(title); }
    QString timeAxisTitle() const { return xAxis->label(); }
    void setValueAxisTitle(const QString& title) { yAxis->setLabel(title); }
    QString valueAxisTitle() const { return yAxis->label(); }
    void setChartTitle(const QString& title);
    QString chartTitle() const;

    // Times are date-time values (days since 1899-12-30, local clock time).
    void addPoints(double time, const std::array<double, kChannelCount>& values);
    int pointCount() const { return graph(0)->dataCount(); }
    // Copies of the points: the times of the first series, the values of any series.
    std::vector<double> pointTimes() const;
    std::vector<double> pointValues(int series) const;
    void clearPoints();
    // The series the board's model sends (CH0 .. CH(count-1)); only they are in the legend.
    void setModelChannels(int count);
    // Hidden series leave the legend too.
    void setSeriesVisible(int series, bool visible);
    bool seriesVisible(int series) const { return graph(series)->visible(); }
    void setMarkersVisible(bool visible);
    bool markersVisible() const;

    void setTimeWindow(double from, double to);
    void setTimeAutomatic(double origin, double newest);
    bool timeAutomatic() const { return m_timeAutomatic; }

    void setValueAutomatic();
    bool valueAutomatic() const { return m_valueAutomatic; }
    void setValueMaximum(double maximum);
    void setValueMinimum(double minimum);
    QCPRange valueRange() const { return yAxis->range(); }

    // The date-time value and the value under a pixel of the plot.
    double timeAtPixel(double pixelX) const;
    double valueAtPixel(double pixelY) const { return yAxis->pixelToCoord(pixelY); }
    bool insidePlot(const QPoint& pixel) const { return axisRect()->rect().contains(pixel); }

    // Zooms both axes around the centre of the plot; percent above 100 zooms in.
    void zoomPercent(double percent);

    // Yellow while the board is in alarm, white otherwise.
    void setAlarmBackground(bool alarm);
    bool alarmBackground() const { return m_alarmBackground; }

    // The chart drawn at its current size on white, whatever the alarm colour.
    QImage picture();

    // Redraws once the event loop is idle again, fitting the automatic axes first.
    void refresh();

private:
    void fitAutomaticAxes();
    void rebuildLegend();

    bool m_alarmBackground = false;
    bool m_timeAutomatic = false;
    bool m_valueAutomatic = true;
    double m_timeOrigin = 0.0;
    int m_modelChannels = kChannelCount;
    std::array<QCPScatterStyle, kChannelCount> m_markers;
};

} // namespace nimbar
