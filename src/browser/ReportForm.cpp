#include "browser/ReportForm.h"

#include "browser/BrowserTime.h"
#include "browser/ChannelStatistics.h"

#include <algorithm>

namespace nimbar {

namespace {

constexpr const char* kRowNames[] = {"CH", "Min", "Max", "Avg", "Std"};
constexpr double kColumnLefts[] = {39.7, 60.3, 81.0, 101.6, 122.5, 143.1, 163.8, 184.4};
constexpr double kColumnPitch = 20.6;
constexpr double kCellWidth = 19.0;
constexpr double kRowTops[] = {136.3, 144.7, 153.2, 161.7, 170.1};
constexpr double kRowCaptionRight = 34.0;

// The height of a text line of the size, in millimetres.
double lineHeight(int pixelSize) {
    return pixelSize * 25.4 / 96.0 * 1.3;
}

// A label whose text starts at (left, top).
ReportLabel at(const char* name, const QString& caption, double left, double top, int pixelSize,
               bool bold = false, bool italic = false) {
    return {name,
            caption,
            QRectF(left, top, ReportForm::kBandWidth - left, lineHeight(pixelSize)),
            Qt::AlignLeft,
            pixelSize,
            bold,
            italic};
}

// A label whose text is centred over [left, left + width] or ends at left + width.
ReportLabel in(const QString& name, const QString& caption, double left, double width, double top,
               Qt::Alignment alignment, int pixelSize, bool bold) {
    return {name, caption, QRectF(left, top, width, lineHeight(pixelSize)), alignment, pixelSize,
            bold, false};
}

} // namespace

ReportForm::ReportForm() {
    FormCreate();
}

void ReportForm::FormCreate() {
    m_frames = {
        {"QRShape1", QRectF(209.6, 15.1, 47.9, 39.7)},
        {"QRShape4", QRectF(209.6, 56.6, 47.9, 26.5)},
        {"QRShape6", QRectF(209.6, 65.4, 47.9, 9.0)},
        {"QRShape7", QRectF(209.6, 65.4, 12.4, 9.0)},
        {"QRShape5", QRectF(209.6, 74.1, 47.9, 9.0)},
        {"QRShape8", QRectF(209.6, 74.1, 12.4, 9.0)},
        {"QRShape2", QRectF(209.8, 85.2, 47.9, 93.9)},
        {"QRShape3", QRectF(13.2, 131.5, 195.0, 47.6)},
    };
    addLabel(at("QRTitle", {}, 14.3, 4.8, 24, true));
    addLabel(at("QRStartL", "Start", 213.0, 17.7, 13, true));
    addLabel(at("QRStart", {}, 213.0, 23.3, 13));
    addLabel(at("QREndL", "End", 213.0, 29.6, 13, true));
    addLabel(at("QREnd", {}, 213.0, 35.5, 13));
    addLabel(at("QRTotalL", "Total", 213.0, 41.5, 13, true));
    addLabel(at("QRTotal", {}, 213.0, 47.6, 13));
    addLabel(in("QRManager", "Manager", 209.6, 47.9, 58.5, Qt::AlignHCenter, 13, true));
    addLabel(in("QRM", "M", 209.6, 12.4, 67.7, Qt::AlignHCenter, 13, true));
    addLabel(in("QRS", "S", 209.6, 12.4, 76.7, Qt::AlignHCenter, 13, true));
    addLabel(at("QRMemoL", "Memo", 212.7, 87.8, 13, true));
    addLabel(at("QRTime", {}, 225.7, 180.7, 13, false, true));

    const QString rowCaptions[] = {"Min", "Max", "Avg", "Std"};
    for (int row = 1; row < kTableRows; ++row)
        addLabel(in(QString("QR%1L").arg(kRowNames[row]), rowCaptions[row - 1], 14.0,
                    kRowCaptionRight - 14.0, kRowTops[row], Qt::AlignRight, 12, true));
    // The label table: heads first, then the four statistics rows, column by column.
    for (int row = 0; row < kTableRows; ++row)
        for (int c = 0; c < kTableColumns; ++c) {
            const QString number = QString("%1").arg(c + 1, 2, 10, QChar('0'));
            m_table[static_cast<std::size_t>(row)][static_cast<std::size_t>(c)] =
                row == 0 ? addLabel(in("QRCH" + number + "L", "채널타이틀", kColumnLefts[c],
                                       kColumnPitch, kRowTops[0], Qt::AlignHCenter, 12, true))
                         : addLabel(in(QString("QR%1").arg(kRowNames[row]) + number, "0.0",
                                       kColumnLefts[c], kCellWidth, kRowTops[row], Qt::AlignRight,
                                       12, false));
        }
}

std::size_t ReportForm::addLabel(ReportLabel label) {
    m_labels.push_back(std::move(label));
    return m_labels.size() - 1;
}

const ReportLabel* ReportForm::label(const QString& name) const {
    const auto found = std::find_if(m_labels.begin(), m_labels.end(),
                                    [&](const ReportLabel& l) { return l.name == name; });
    return found == m_labels.end() ? nullptr : &*found;
}

ReportLabel* ReportForm::label(const QString& name) {
    return const_cast<ReportLabel*>(std::as_const(*this).label(name));
}

QString ReportForm::caption(const QString& name) const {
    const ReportLabel* l = label(name);
    return l ? l->caption : QString();
}

const ReportLabel& ReportForm::cell(int row, int column) const {
    return m_labels[m_table.at(static_cast<std::size_t>(row)).at(static_cast<std::size_t>(column))];
}

ReportLabel& ReportForm::cell(int row, int column) {
    return const_cast<ReportLabel&>(std::as_const(*this).cell(row, column));
}

void fillReportHeader(ReportForm& form, const BrowserDataSet& data, double now) {
    const std::vector<double>& x = data.series[0].x;
    form.label("QRTitle")->caption = data.jobTitle;
    if (data.summary) {
        // Auto: the span and the number of every record, not of the drawn envelope.
        form.label("QRStart")->caption = FormatXValue(data.summary->firstX, data.xMode);
        form.label("QREnd")->caption = FormatXValue(data.summary->lastX, data.xMode);
        form.label("QRTotal")->caption = QString::number(data.summary->records);
    } else {
        if (!x.empty()) {
            const auto [first, last] = std::minmax_element(x.begin(), x.end());
            form.label("QRStart")->caption = FormatXValue(*first, data.xMode);
            form.label("QREnd")->caption = FormatXValue(*last, data.xMode);
        }
        form.label("QRTotal")->caption = QString::number(data.points());
    }
    form.label("QRTime")->caption = FormatStartTime(now);
}

void fillReportStatistics(ReportForm& form, const BrowserDataSet& data,
                          const std::array<bool, kChannelCount>& reported) {
    for (int c = 0; c < ReportForm::kTableColumns; ++c) {
        const auto series = static_cast<std::size_t>(c + 1);
        form.cell(0, c).caption = data.series[series].title;
        if (!reported[series]) {
            for (int row = 1; row < ReportForm::kTableRows; ++row)
                form.cell(row, c).caption = QString::asprintf("%10s", "-");
            continue;
        }
        const SeriesStatistics s = shownStatistics(data, c + 1);
        const double values[] = {s.minimum, s.maximum, s.mean, s.standardDeviation};
        for (int row = 1; row < ReportForm::kTableRows; ++row)
            form.cell(row, c).caption = QString::asprintf("%10.2f", values[row - 1]);
    }
}

} // namespace nimbar
