// The browser's way into the printed report.
#include "ui/browser/TFormB.h"

#include "processing/DateTimeValue.h"

#include <QCheckBox>

namespace nimbar {

// The report of the loaded chart in the print preview. Nothing here holds up the main
// window: the preview turns the event loop and live lines keep being received and recorded
// while it is open. The chart picture goes to the report in memory, never to a file.
void TFormB::BtPrintClick() {
    if (m_data.points() == 0 || m_loading)
        return;
    auto* report = new TFormQ(this); // goes when its preview is closed, or with this window
    ReportForm& form = report->form();
    if (m_korean)
        TFormQ::setKoreanCaptions(form);
    fillReportHeader(form, m_data, toDateTimeValue(QDateTime::currentDateTime()));
    report->setPicture(TFormQ::chartPicture(*m_chart));
    std::array<bool, kChannelCount> reported{};
    for (int i = 1; i < kChannelCount; ++i)
        reported[static_cast<std::size_t>(i)] =
            i < m_data.channelCount && m_channelBoxes[static_cast<std::size_t>(i)]->isEnabled() &&
            m_chart->seriesVisible(i);
    fillReportStatistics(form, m_data, reported);
    report->preview(m_previewOpener);
}

} // namespace nimbar
