#pragma once

#include "browser/ReportForm.h"

#include <QImage>
#include <QObject>
#include <QPointer>
#include <QPrinter>

#include <functional>

class QCustomPlot;
class QPrintPreviewDialog;
class QWidget;

namespace nimbar {

// The report form: one page built from the loaded chart, shown in the print preview, from
// which the user prints or saves it. The chart picture stays in memory.
class TFormQ : public QObject {
    Q_OBJECT
public:
    // Opens the preview; the default runs it modally. Tests show it without waiting.
    using PreviewOpener = std::function<void(QPrintPreviewDialog&)>;

    explicit TFormQ(QWidget* owner);
    ~TFormQ() override;

    ReportForm& form() { return m_form; }
    const ReportForm& form() const { return m_form; }
    void setPicture(QImage picture) { m_picture = std::move(picture); }
    const QImage& picture() const { return m_picture; }

    // Shows the print preview; the form goes when the preview has been closed.
    void preview(const PreviewOpener& opener = {});
    QPrintPreviewDialog* previewDialog() const { return m_preview; }

    // The Korean captions of the fixed labels, from the translation.
    static void setKoreanCaptions(ReportForm& form);
    // The chart drawn in memory at the proportions of the report's picture box, on white.
    static QImage chartPicture(QCustomPlot& chart);

private:
    QWidget* m_owner;
    ReportForm m_form;
    QImage m_picture;
    QPrinter m_printer;
    QPointer<QPrintPreviewDialog> m_preview;
};

} // namespace nimbar
