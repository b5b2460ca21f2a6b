#include "ui/browser/ReportPainter.h"

#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>

#include <algorithm>

namespace nimbar {

namespace {

constexpr double kMmPerInch = 25.4;
constexpr double kScreenDpi = 96.0;
constexpr double kFrameLineMm = kMmPerInch / kScreenDpi; // one screen pixel

// Millimetres to the painter's device pixels.
class MmScale {
public:
    explicit MmScale(const QPainter& painter)
        : m_dpi(painter.device() ? painter.device()->logicalDpiX() : kScreenDpi) {}

    double operator()(double mm) const { return mm * m_dpi / kMmPerInch; }
    QRectF operator()(const QRectF& mm) const {
        return {(*this)(mm.x()), (*this)(mm.y()), (*this)(mm.width()), (*this)(mm.height())};
    }
    int pixels(int screenPixels) const {
        return std::max(1, qRound(screenPixels * m_dpi / kScreenDpi));
    }

private:
    double m_dpi;
};

// Arial, or the metric-compatible Liberation Sans; Korean from a Korean-capable face.
QFont labelFont(const ReportLabel& label, const MmScale& mm) {
    QFont font;
    font.setFamilies({"Arial", "Liberation Sans", "NanumGothic", "Noto Sans CJK KR"});
    font.setPixelSize(mm.pixels(label.pixelSize));
    font.setBold(label.bold);
    font.setItalic(label.italic);
    return font;
}

} // namespace

QPageLayout reportPageLayout() {
    const double m = ReportForm::kMargin;
    return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape, QMarginsF(m, m, m, m),
                       QPageLayout::Millimeter);
}

void paintReport(QPainter& painter, const ReportForm& form, const QImage& picture) {
    const MmScale mm(painter);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);

    if (!picture.isNull()) {
        const QRectF box = mm(form.imageBox());
        QSizeF size = picture.size();
        size.scale(box.size(), Qt::KeepAspectRatio);
        painter.drawImage(QRectF(box.topLeft(), size), picture);
    }

    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(Qt::black, mm(kFrameLineMm)));
    for (const ReportFrame& frame : form.frames())
        painter.drawRect(mm(frame.box));

    for (const ReportLabel& label : form.labels()) {
        if (label.caption.isEmpty())
            continue;
        painter.setFont(labelFont(label, mm));
        painter.drawText(mm(label.box),
                         int(label.alignment | Qt::AlignTop) | Qt::TextDontClip |
                             Qt::TextSingleLine,
                         label.caption);
    }
    painter.restore();
}

bool writeReportPdf(const QString& path, const ReportForm& form, const QImage& picture) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    {
        QPdfWriter pdf(&file);
        pdf.setPageLayout(reportPageLayout());
        pdf.setTitle(form.caption("QRTitle"));
        pdf.setCreator("Nimbar5610");
        QPainter painter;
        if (!painter.begin(&pdf))
            return false;
        paintReport(painter, form, picture);
        if (!painter.end())
            return false;
    }
    // commit() ignores a flush that the disk cuts short.
    if (!file.flush()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

} // namespace nimbar
