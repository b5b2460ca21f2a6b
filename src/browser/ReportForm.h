#pragma once

#include "browser/BrowserDataSet.h"

#include <QRectF>
#include <QString>

#include <array>
#include <vector>

namespace nimbar {

// A text of the printed report. Measures are millimetres from the top-left corner of the
// report's band; the text sits at the top of its box, placed by the alignment.
struct ReportLabel {
    QString name;
    QString caption;
    QRectF box;
    Qt::Alignment alignment = Qt::AlignLeft;
    int pixelSize = 13; // pixels of a 96 dpi screen
    bool bold = false;
    bool italic = false;
};

// A drawn rectangle of the report.
struct ReportFrame {
    QString name;
    QRectF box;
};

// The report page as designed: A4 landscape, 10 mm margins, one band holding the chart
// picture, the title, the time-span box, the manager and memo boxes and the statistics table.
// The statistics are reached through a table of 5 rows (heads, minimum, maximum, mean,
// standard deviation) by 8 columns, column c belonging to chart series c + 1.
class ReportForm {
public:
    static constexpr double kPageWidth = 297.0;
    static constexpr double kPageHeight = 210.0;
    static constexpr double kMargin = 10.0;
    static constexpr double kBandWidth = 277.0;
    static constexpr double kBandHeight = 191.3;
    static constexpr int kTableRows = 5;
    static constexpr int kTableColumns = 8;
    // Where the chart picture goes (QRImage1).
    static constexpr QRectF kImageBox = QRectF(13.2, 15.1, 195.0, 113.8);

    ReportForm();

    const std::vector<ReportLabel>& labels() const { return m_labels; }
    const std::vector<ReportFrame>& frames() const { return m_frames; }
    QRectF imageBox() const { return kImageBox; }
    // nullptr when no label has that name.
    const ReportLabel* label(const QString& name) const;
    ReportLabel* label(const QString& name);
    QString caption(const QString& name) const;
    ReportLabel& cell(int row, int column);
    const ReportLabel& cell(int row, int column) const;

private:
    void FormCreate();
    std::size_t addLabel(ReportLabel label);

    std::vector<ReportLabel> m_labels;
    std::vector<ReportFrame> m_frames;
    std::array<std::array<std::size_t, kTableColumns>, kTableRows> m_table{};
};

// The job title, the first and last X value of series 0 in the load's X-axis mode, the number
// of its points and the time of printing (a date-time value). After a load in Auto the span
// and the number of every record of the range instead.
void fillReportHeader(ReportForm& form, const BrowserDataSet& data, double now);

// Column c gets the title of series c + 1 and, when that series is reported (within the
// channel count of the load and shown), its statistics as "%10.2f" (in Auto those of every
// record); otherwise "-" in every row. Series 0 is never reported.
void fillReportStatistics(ReportForm& form, const BrowserDataSet& data,
                          const std::array<bool, kChannelCount>& reported);

} // namespace nimbar
