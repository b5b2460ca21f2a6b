#include "ui/browser/BrowserReport.h"

#include "browser/BrowserTexts.h"
#include "processing/DateTimeValue.h"
#include "ui/browser/BrowserChart.h"
#include "ui/browser/ReportPainter.h"
#include "ui/browser/TFormQ.h"

namespace nimbar {

ExportResult ExportBrowserPdf(const BrowserDataSet& data, const QString& fileName, bool korean) {
    if (data.points() == 0)
        return {};
    ReportForm form;
    if (korean)
        TFormQ::setKoreanCaptions(form);
    fillReportHeader(form, data, toDateTimeValue(QDateTime::currentDateTime()));

    BrowserChart chart;
    chart.showData(data);
    chart.setMarkersVisible(false);
    std::array<bool, kChannelCount> reported{};
    for (int i = 0; i < kChannelCount; ++i) {
        chart.setSeriesVisible(i, i < data.channelCount);
        reported[static_cast<std::size_t>(i)] = i > 0 && i < data.channelCount;
    }
    chart.undoZoom();
    chart.zoomPercent(95);
    const QImage picture = TFormQ::chartPicture(chart);

    fillReportStatistics(form, data, reported);
    if (!writeReportPdf(fileName, form, picture))
        return {false, saveErrorText(fileName, korean)};
    return {true, savedAsText(fileName, korean)};
}

} // namespace nimbar
