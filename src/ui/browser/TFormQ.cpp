#include "ui/browser/TFormQ.h"

#include "ui/browser/ReportPainter.h"

#include <QCoreApplication>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <qcustomplot.h>

namespace nimbar {

namespace {

struct Caption {
    const char* name;
    const char* english;
};

constexpr Caption kCaptions[] = {
    {"QRStartL", QT_TRANSLATE_NOOP("Report", "Start")},
    {"QREndL", QT_TRANSLATE_NOOP("Report", "End")},
    {"QRTotalL", QT_TRANSLATE_NOOP("Report", "Total")},
    {"QRManager", QT_TRANSLATE_NOOP("Report", "Manager")},
    {"QRM", QT_TRANSLATE_NOOP("Report", "M")},
    {"QRS", QT_TRANSLATE_NOOP("Report", "S")},
    {"QRMemoL", QT_TRANSLATE_NOOP("Report", "Memo")},
    {"QRMinL", QT_TRANSLATE_NOOP("Report", "Min")},
    {"QRMaxL", QT_TRANSLATE_NOOP("Report", "Max")},
    {"QRAvgL", QT_TRANSLATE_NOOP("Report", "Avg")},
    {"QRStdL", QT_TRANSLATE_NOOP("Report", "Std")},
};

} // namespace

TFormQ::TFormQ(QWidget* owner)
    : QObject(owner), m_owner(owner), m_printer(QPrinter::HighResolution) {
    setObjectName("FormQ");
    m_printer.setPageLayout(reportPageLayout());
    m_printer.setDocName("Data Chart");
}

TFormQ::~TFormQ() {
    // The preview draws on this form's printer: it goes first.
    delete m_preview.data();
}

void TFormQ::preview(const PreviewOpener& opener) {
    if (m_preview)
        return;
    m_printer.setDocName(m_form.caption("QRTitle").isEmpty() ? QStringLiteral("Data Chart")
                                                             : m_form.caption("QRTitle"));
    m_preview = new QPrintPreviewDialog(&m_printer, m_owner);
    m_preview->setObjectName("QRPreview");
    m_preview->setAttribute(Qt::WA_DeleteOnClose);
    connect(m_preview, &QPrintPreviewDialog::paintRequested, this, [this](QPrinter* printer) {
        QPainter painter(printer);
        paintReport(painter, m_form, m_picture);
    });
    connect(m_preview, &QObject::destroyed, this, &QObject::deleteLater);
    if (opener)
        opener(*m_preview);
    else
        m_preview->exec();
}

void TFormQ::setKoreanCaptions(ReportForm& form) {
    for (const Caption& c : kCaptions)
        if (ReportLabel* label = form.label(c.name))
            label->caption = QCoreApplication::translate("Report", c.english);
}

QImage TFormQ::chartPicture(QCustomPlot& chart) {
    // The picture box at screen resolution, drawn twice as fine for paper.
    constexpr double kScreenPixelsPerMm = 96.0 / 25.4;
    constexpr double kFineness = 2.0;
    const QRectF box = ReportForm::kImageBox;
    const int width = qRound(box.width() * kScreenPixelsPerMm);
    const int height = qRound(box.height() * kScreenPixelsPerMm);
    const QPixmap drawn = chart.toPixmap(width, height, kFineness);
    QImage picture(drawn.size(), QImage::Format_RGB32);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    painter.drawPixmap(0, 0, drawn);
    return picture;
}

} // namespace nimbar
