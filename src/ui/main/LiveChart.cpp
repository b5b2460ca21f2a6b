#include "ui/main/LiveChart.h"

#include "display/AxisEnds.h"

namespace nimbar {

namespace {

struct SeriesStyle {
    QRgb colour;
    int lineWidth;
    QCPScatterStyle::ScatterShape marker;
    double markerSize;
};

constexpr SeriesStyle kSeriesStyles[kChannelCount] = {
    {0x0449BB, 1, QCPScatterStyle::ssDiamond, 3},
    {0xED1C24, 2, QCPScatterStyle::ssSquare, 2},
    {0x009600, 2, QCPScatterStyle::ssCircle, 5},
    {0xC602B6, 1, QCPScatterStyle::ssTriangle, 3},
    {0x5D5151, 3, QCPScatterStyle::ssSquare, 2},
    {0xEC9123, 2, QCPScatterStyle::ssStar, 3},
    {0x21AEA0, 2, QCPScatterStyle::ssTriangleInverted, 3},
    {0x400080, 2, QCPScatterStyle::ssDiamond, 3},
    {0x808000, 2, QCPScatterStyle::ssTriangle, 3},
};

// The axis ticker counts seconds since 1970-01-01, shown as UTC so that the local clock times
// that date-time values carry appear unchanged.
constexpr double kUnixEpochDays = 25569.0;
constexpr double kSecondsPerDay = 86400.0;

class ReservedSeriesData : public QCPGraphDataContainer {
public:
    explicit ReservedSeriesData(int points) { mData.reserve(points); }
};

double keyOf(double time) {
    return (time - kUnixEpochDays) * kSecondsPerDay;
}
double timeOf(double key) {
    return key / kSecondsPerDay + kUnixEpochDays;
}

} // namespace

LiveChart::LiveChart(QWidget* parent) : QCustomPlot(parent) {
    plotLayout()->insertRow(0);
    plotLayout()->addElement(0, 0, new QCPTextElement(this, "Data Chart"));

    auto ticker = QSharedPointer<QCPAxisTickerDateTime>::create();
    ticker->setDateTimeFormat("hh:mm:ss");
    ticker->setDateTimeSpec(Qt::UTC);
    xAxis->setTicker(ticker);
    xAxis->setLabel("Record Time");
    yAxis->setLabel("temperature(C)");
    // The legend sits in a row of its own under the plot, so it never covers the newest
    // points at the right end of the time window.
    axisRect()->insetLayout()->take(legend);
    plotLayout()->addElement(2, 0, legend);
    plotLayout()->setRowStretchFactor(2, 0.001);
    legend->setVisible(true);
    legend->setFont(font());
    legend->setFillOrder(QCPLegend::foColumnsFirst);
    legend->setIconSize(18, 10);
    legend->setRowSpacing(0);
    legend->setBorderPen(Qt::NoPen);
    setNoAntialiasingOnDrag(true);

    for (int i = 0; i < kChannelCount; ++i) {
        const SeriesStyle& style = kSeriesStyles[i];
        QCPGraph* series = addGraph();
        series->setData(QSharedPointer<ReservedSeriesData>::create(kPointLimit));
        series->setName(QString("CH%1").arg(i));
        series->setPen(QPen(QColor(style.colour), style.lineWidth));
        m_markers[i] = QCPScatterStyle(style.marker, QColor(style.colour), QColor(style.colour),
                                       style.markerSize);
        series->setScatterStyle(m_markers[i]);
        series->setAdaptiveSampling(true);
        series->setAntialiased(false);
        series->setAntialiasedScatters(false);
    }
    rebuildLegend();
}

void LiveChart::setChartTitle(const QString& title) {
    if (auto* element = qobject_cast<QCPTextElement*>(plotLayout()->element(0, 0)))
        element->setText(title);
}

QString LiveChart::chartTitle() const {
    auto* element = qobject_cast<QCPTextElement*>(plotLayout()->element(0, 0));
    return element ? element->text() : QString();
}

void LiveChart::addPoints(double time, const std::array<double, kChannelCount>& values) {
    const double key = keyOf(time);
    for (int i = 0; i < kChannelCount; ++i)
        graph(i)->addData(key, values[static_cast<std::size_t>(i)]);
}

double LiveChart::timeAtPixel(double pixelX) const {
    return timeOf(xAxis->pixelToCoord(pixelX));
}

std::vector<double> LiveChart::pointTimes() const {
    std::vector<double> times;
    times.reserve(static_cast<std::size_t>(pointCount()));
    for (const QCPGraphData& point : *graph(0)->data())
        times.push_back(timeOf(point.key));
    return times;
}

std::vector<double> LiveChart::pointValues(int series) const {
    std::vector<double> values;
    values.reserve(static_cast<std::size_t>(graph(series)->dataCount()));
    for (const QCPGraphData& point : *graph(series)->data())
        values.push_back(point.value);
    return values;
}

void LiveChart::clearPoints() {
    for (int i = 0; i < kChannelCount; ++i)
        graph(i)->data()->clear();
}

void LiveChart::setModelChannels(int count) {
    m_modelChannels = qBound(1, count, kChannelCount);
    rebuildLegend();
}

void LiveChart::setSeriesVisible(int series, bool visible) {
    graph(series)->setVisible(visible);
    rebuildLegend();
}

void LiveChart::rebuildLegend() {
    int entries = 0;
    for (int i = 0; i < m_modelChannels; ++i)
        entries += graph(i)->visible() ? 1 : 0;
    // One row up to five entries, else two even rows.
    legend->clearItems();
    legend->setWrap(entries > 5 ? (entries + 1) / 2 : qMax(entries, 1));
    for (int i = 0; i < m_modelChannels; ++i) {
        if (graph(i)->visible())
            graph(i)->addToLegend();
    }
}

void LiveChart::setMarkersVisible(bool visible) {
    for (int i = 0; i < kChannelCount; ++i)
        graph(i)->setScatterStyle(visible ? m_markers[i] : QCPScatterStyle());
}

bool LiveChart::markersVisible() const {
    return !graph(0)->scatterStyle().isNone();
}

void LiveChart::setTimeWindow(double from, double to) {
    m_timeAutomatic = false;
    xAxis->setRange(keyOf(from), keyOf(to));
}

void LiveChart::setTimeAutomatic(double origin, double newest) {
    m_timeAutomatic = true;
    m_timeOrigin = keyOf(origin);
    xAxis->setRange(m_timeOrigin, qMax(keyOf(newest), m_timeOrigin + 1.0));
}

void LiveChart::setValueAutomatic() {
    m_valueAutomatic = true;
}

void LiveChart::setValueMaximum(double maximum) {
    m_valueAutomatic = false;
    yAxis->setRangeUpper(maximum);
}

void LiveChart::setValueMinimum(double minimum) {
    m_valueAutomatic = false;
    yAxis->setRangeLower(minimum);
}

void LiveChart::zoomPercent(double percent) {
    const double factor = 100.0 / percent;
    xAxis->scaleRange(factor, xAxis->range().center());
    yAxis->scaleRange(factor, yAxis->range().center());
    m_timeAutomatic = false;
    m_valueAutomatic = false;
}

void LiveChart::fitAutomaticAxes() {
    bool found = false;
    if (m_valueAutomatic) {
        QCPRange values;
        for (int i = 0; i < kChannelCount; ++i) {
            if (!graph(i)->visible())
                continue;
            bool seriesFound = false;
            const QCPRange range = graph(i)->getValueRange(seriesFound);
            if (!seriesFound)
                continue;
            values =
                found ? QCPRange(qMin(values.lower, range.lower), qMax(values.upper, range.upper))
                      : range;
            found = true;
        }
        if (found) {
            const double margin = qMax(values.size() * 0.05, 0.5);
            const AxisEnds ends = roundAxisEnds(values.lower - margin, values.upper + margin);
            yAxis->setRange(ends.lower, ends.upper);
        }
    }
    if (m_timeAutomatic && pointCount() > 0) {
        const double newest = (graph(0)->data()->constEnd() - 1)->key;
        xAxis->setRange(m_timeOrigin, qMax(newest, m_timeOrigin + 1.0));
    }
}

void LiveChart::setAlarmBackground(bool alarm) {
    if (alarm == m_alarmBackground)
        return;
    m_alarmBackground = alarm;
    setBackground(alarm ? Qt::yellow : Qt::white);
    // Shown now, not at the next recorded point, which may be an interval away.
    replot(QCustomPlot::rpQueuedReplot);
}

QImage LiveChart::picture() {
    fitAutomaticAxes();
    setBackground(Qt::white);
    const QImage image = toPixmap(width(), height()).toImage();
    setBackground(m_alarmBackground ? Qt::yellow : Qt::white);
    return image;
}

void LiveChart::refresh() {
    fitAutomaticAxes();
    replot(QCustomPlot::rpQueuedReplot);
}

} // namespace nimbar
