#pragma once

#include "browser/BrowserDataSet.h"

#include <qcustomplot.h>

#include <array>

namespace nimbar {

// The browser's chart: nine styled line series over an X axis that shows date-times as
// hh:mm:ss or plain seconds. A missing measurement leaves a gap in its line.
class BrowserChart : public QCustomPlot {
    Q_OBJECT
public:
    explicit BrowserChart(QWidget* parent = nullptr);

    // Puts the data set's points, titles and axis format on the chart; the lines break at the
    // data set's breaks.
    void showData(const BrowserDataSet& data);
    void clearSeries();
    void setTitles(const QString& chart, const QString& xAxis, const QString& yAxis);
    QString chartTitle() const;
    // A hidden series leaves the legend too.
    void setSeriesVisible(int series, bool visible);
    bool seriesVisible(int series) const { return graph(series)->visible(); }
    void setMarkersVisible(bool visible);
    bool markersVisible() const { return !graph(0)->scatterStyle().isNone(); }
    void setXIsDateTime(bool dateTime);

    // The X value (in the data set's units) under a pixel.
    double xAtPixel(double pixelX) const;
    double yAtPixel(double pixelY) const { return yAxis->pixelToCoord(pixelY); }
    bool insidePlot(const QPoint& pixel) const { return axisRect()->rect().contains(pixel); }
    // The X range shown, in the data set's units.
    QCPRange xRange() const;

    // Automatic scaling over the shown series.
    void undoZoom();
    // Each end of both axes moves in by (percent - 100) % of the range: 110 zooms in, 90 out.
    void zoomPercent(double percent);

private:
    double keyOf(double x) const;
    double xOfKey(double key) const;
    void applyPens(bool dense);

    std::array<QCPScatterStyle, kChannelCount> m_markers;
    QCPTextElement* m_title = nullptr;
    bool m_dateTime = true;
};

} // namespace nimbar
