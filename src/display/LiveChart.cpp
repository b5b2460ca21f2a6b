#include "display/LiveChart.h"

#include "app/BoardConfig.h"

#include <qcustomplot.h>

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

QCPTextElement* titleElement(const QCustomPlot* chart) {
    if (chart->plotLayout()->rowCount() < 2)
        return nullptr;
    return qobject_cast<QCPTextElement*>(chart->plotLayout()->element(0, 0));
}

} // namespace

void setupLiveChart(QCustomPlot* chart) {
    chart->plotLayout()->insertRow(0);
    chart->plotLayout()->addElement(0, 0, new QCPTextElement(chart, "Data Chart"));

    auto ticker = QSharedPointer<QCPAxisTickerDateTime>::create();
    ticker->setDateTimeFormat("hh:mm:ss");
    chart->xAxis->setTicker(ticker);
    chart->xAxis->setLabel("Record Time");
    chart->yAxis->setLabel("temperature(C)");
    chart->legend->setVisible(true);
    chart->legend->setFont(QFont(chart->font().family(), 7));

    for (int i = 0; i < kChannelCount; ++i) {
        const SeriesStyle& style = kSeriesStyles[i];
        QCPGraph* series = chart->addGraph();
        series->setName(QString("CH%1").arg(i));
        series->setPen(QPen(QColor(style.colour), style.lineWidth));
        series->setScatterStyle(QCPScatterStyle(style.marker, QColor(style.colour),
                                                QColor(style.colour), style.markerSize));
    }
}

void setTimeAxisTitle(QCustomPlot* chart, const QString& title) {
    chart->xAxis->setLabel(title);
}

void setValueAxisTitle(QCustomPlot* chart, const QString& title) {
    chart->yAxis->setLabel(title);
}

void setChartTitle(QCustomPlot* chart, const QString& title) {
    if (QCPTextElement* element = titleElement(chart))
        element->setText(title);
}

QString chartTitleOf(const QCustomPlot* chart) {
    const QCPTextElement* element = titleElement(chart);
    return element ? element->text() : QString();
}

} // namespace nimbar
