#include "ui/browser/BrowserChart.h"

#include "processing/InvalidValue.h"

#include <limits>

namespace nimbar {

namespace {

struct SeriesStyle {
    QRgb colour;
    Qt::PenStyle line;
    int width;
    QCPScatterStyle::ScatterShape marker;
    double size;
};

constexpr SeriesStyle kStyles[kChannelCount] = {
    {0x0449BB, Qt::SolidLine, 1, QCPScatterStyle::ssDiamond, 3},
    {0xED1C24, Qt::SolidLine, 2, QCPScatterStyle::ssSquare, 2},
    {0x009600, Qt::DashLine, 2, QCPScatterStyle::ssCircle, 6},
    {0xC602B6, Qt::DotLine, 1, QCPScatterStyle::ssTriangle, 3},
    {0x5D5151, Qt::DashDotLine, 3, QCPScatterStyle::ssSquare, 2},
    {0xEC9123, Qt::DashDotDotLine, 2, QCPScatterStyle::ssStar, 3},
    {0x21AEA0, Qt::DotLine, 2, QCPScatterStyle::ssTriangleInverted, 3},
    {0x400080, Qt::DotLine, 2, QCPScatterStyle::ssDiamond, 3},
    {0x808000, Qt::DotLine, 2, QCPScatterStyle::ssTriangle, 3},
};

// Date-time values become seconds since 1970-01-01 shown as UTC, so that the clock times they
// carry (and elapsed times, counted from 1899-12-30) appear unchanged.
constexpr double kUnixEpochDays = 25569.0;
constexpr double kSecondsPerDay = 86400.0;

// Above this many points a series counts as dense.
constexpr int kDensePoints = 500;

} // namespace

BrowserChart::BrowserChart(QWidget* parent) : QCustomPlot(parent) {
    plotLayout()->insertRow(0);
    m_title = new QCPTextElement(this, "Data Chart");
    plotLayout()->addElement(0, 0, m_title);
    xAxis->setLabel("Time");
    yAxis->setLabel("y");
    legend->setVisible(true);
    legend->setFont(QFont(font().family(), 7));
    setNoAntialiasingOnDrag(true);
    setInteractions(QCP::iRangeDrag | QCP::iRangeZoom);
    setPlottingHint(QCP::phFastPolylines, true);
    for (int i = 0; i < kChannelCount; ++i) {
        const SeriesStyle& style = kStyles[i];
        QCPGraph* series = addGraph();
        series->setName(QString("CH%1").arg(i));
        m_markers[static_cast<std::size_t>(i)] =
            QCPScatterStyle(style.marker, QColor(style.colour), QColor(style.colour), style.size);
        series->setScatterStyle(m_markers[static_cast<std::size_t>(i)]);
        series->setAdaptiveSampling(true);
    }
    setXIsDateTime(true);
    applyPens(false);
}

// Wide patterned lines through thousands of points take the raster engine seconds to stroke,
// time in which the live side would wait; dense charts draw their patterns one pixel wide.
void BrowserChart::applyPens(bool dense) {
    for (int i = 0; i < kChannelCount; ++i) {
        const SeriesStyle& style = kStyles[i];
        const bool thin = dense && style.line != Qt::SolidLine;
        QPen pen(QColor(style.colour), thin ? 1 : style.width);
        pen.setStyle(style.line);
        pen.setCosmetic(thin);
        graph(i)->setPen(pen);
    }
}

void BrowserChart::setXIsDateTime(bool dateTime) {
    m_dateTime = dateTime;
    if (dateTime) {
        auto ticker = QSharedPointer<QCPAxisTickerDateTime>::create();
        ticker->setDateTimeFormat("hh:mm:ss");
        ticker->setDateTimeSpec(Qt::UTC);
        xAxis->setTicker(ticker);
    } else {
        xAxis->setTicker(QSharedPointer<QCPAxisTicker>::create());
    }
}

double BrowserChart::keyOf(double x) const {
    return m_dateTime ? (x - kUnixEpochDays) * kSecondsPerDay : x;
}

double BrowserChart::xOfKey(double key) const {
    return m_dateTime ? key / kSecondsPerDay + kUnixEpochDays : key;
}

double BrowserChart::xAtPixel(double pixelX) const {
    return xOfKey(xAxis->pixelToCoord(pixelX));
}

QCPRange BrowserChart::xRange() const {
    return {xOfKey(xAxis->range().lower), xOfKey(xAxis->range().upper)};
}

void BrowserChart::showData(const BrowserDataSet& data) {
    setXIsDateTime(data.xIsDateTime());
    applyPens(data.points() > kDensePoints);
    setTitles(data.chartTitle, data.xAxisTitle, data.yAxisTitle);
    const double gap = std::numeric_limits<double>::quiet_NaN();
    for (int i = 0; i < kChannelCount; ++i) {
        const BrowserSeries& s = data.series[static_cast<std::size_t>(i)];
        QVector<QCPGraphData> points;
        points.reserve(s.count() + static_cast<qsizetype>(data.breaks.size()));
        // Both are in ascending order: a break goes in before the first point after it.
        auto cut = data.breaks.begin();
        for (int j = 0; j < s.count(); ++j) {
            const double x = s.x[static_cast<std::size_t>(j)];
            for (; cut != data.breaks.end() && *cut < x; ++cut)
                points.append({keyOf(*cut), gap});
            const double y = s.y[static_cast<std::size_t>(j)];
            points.append({keyOf(x), y == InvalidValue ? gap : y});
        }
        graph(i)->data()->set(points, true);
        graph(i)->setName(s.title);
    }
    replot(QCustomPlot::rpQueuedReplot);
}

void BrowserChart::clearSeries() {
    for (int i = 0; i < kChannelCount; ++i)
        graph(i)->data()->clear();
    replot(QCustomPlot::rpQueuedReplot);
}

void BrowserChart::setTitles(const QString& chart, const QString& x, const QString& y) {
    m_title->setText(chart);
    xAxis->setLabel(x);
    yAxis->setLabel(y);
    replot(QCustomPlot::rpQueuedReplot);
}

QString BrowserChart::chartTitle() const {
    return m_title->text();
}

void BrowserChart::setSeriesVisible(int series, bool visible) {
    graph(series)->setVisible(visible);
    // The legend lists the shown series in their order.
    legend->clearItems();
    for (int i = 0; i < kChannelCount; ++i)
        if (graph(i)->visible())
            graph(i)->addToLegend();
    replot(QCustomPlot::rpQueuedReplot);
}

void BrowserChart::setMarkersVisible(bool visible) {
    for (int i = 0; i < kChannelCount; ++i)
        graph(i)->setScatterStyle(visible ? m_markers[static_cast<std::size_t>(i)]
                                          : QCPScatterStyle());
    replot(QCustomPlot::rpQueuedReplot);
}

void BrowserChart::undoZoom() {
    rescaleAxes(true);
    replot(QCustomPlot::rpQueuedReplot);
}

void BrowserChart::zoomPercent(double percent) {
    for (QCPAxis* axis : {xAxis, yAxis}) {
        const QCPRange r = axis->range();
        const double d = r.size() * (percent - 100.0) / 100.0;
        axis->setRange(r.lower + d, r.upper - d);
    }
    replot(QCustomPlot::rpQueuedReplot);
}

} // namespace nimbar
