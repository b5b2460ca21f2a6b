#include "ui/main/BoardMemo.h"

#include "settings/BoardConfig.h"

#include <QFontDatabase>
#include <QPainter>
#include <QScrollBar>

namespace nimbar {

namespace {

// The layout of a memo line: the count "%6d ", the short time text (14 characters) and a
// blank, then one "%7.2f " or "%7.3f " column per channel.
constexpr int kLeadWidth = 6 + 1 + 14 + 1;
constexpr int kColumnWidth = 8;

// The captions drawn in the memo's top margin, moved with its horizontal scroll position.
class CaptionRow : public QWidget {
public:
    explicit CaptionRow(BoardMemo* memo) : QWidget(memo), m_memo(memo) {
        setAutoFillBackground(true);
        setBackgroundRole(QPalette::Button);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setFont(m_memo->font());
        const int x = static_cast<int>(m_memo->document()->documentMargin()) -
                      m_memo->horizontalScrollBar()->value();
        painter.drawText(x, painter.fontMetrics().ascent() + 1, m_memo->columnCaptions());
    }

private:
    BoardMemo* m_memo;
};

} // namespace

BoardMemo::BoardMemo(QWidget* parent) : QPlainTextEdit(parent) {
    setReadOnly(true);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fixed.setPointSize(8);
    setFont(fixed);
    setMaximumBlockCount(0);

    m_captions = columnCaptionsFor(kChannelCount);
    m_captionRow = new CaptionRow(this);
    setViewportMargins(0, fontMetrics().height() + 2, 0, 0);

    // The newest line stays in view: every time the text grows (or is emptied and grows
    // again) the view goes to its end.
    connect(verticalScrollBar(), &QScrollBar::rangeChanged, this,
            [this](int, int maximum) { verticalScrollBar()->setValue(maximum); });
    // Only the user moves the view sideways; a new line or a moving cursor does not.
    QScrollBar* across = horizontalScrollBar();
    connect(across, &QScrollBar::actionTriggered, this,
            [this, across](int) { m_across = across->sliderPosition(); });
    connect(across, &QScrollBar::valueChanged, this, [this, across](int value) {
        if (value != m_across)
            across->setValue(m_across);
        m_captionRow->update();
    });
    connect(across, &QScrollBar::rangeChanged, this,
            [this, across](int, int) { across->setValue(m_across); });
}

QString BoardMemo::columnCaptionsFor(int channelCount) {
    QString captions(kLeadWidth, ' ');
    for (int ch = 0; ch < channelCount; ++ch)
        captions += QString("CH%1").arg(ch).rightJustified(kColumnWidth - 1) + ' ';
    return captions;
}

void BoardMemo::setChannelCount(int count) {
    m_captions = columnCaptionsFor(count);
    m_captionRow->update();
}

void BoardMemo::setAlarmColour(bool alarm) {
    m_alarm = alarm;
    QPalette colours = palette();
    colours.setColor(QPalette::Text, alarm ? Qt::red : Qt::black);
    setPalette(colours);
}

void BoardMemo::mousePressEvent(QMouseEvent* event) {
    QPlainTextEdit::mousePressEvent(event);
    emit clicked();
}

void BoardMemo::mouseDoubleClickEvent(QMouseEvent* event) {
    QPlainTextEdit::mouseDoubleClickEvent(event);
    emit doubleClicked();
}

void BoardMemo::resizeEvent(QResizeEvent* event) {
    QPlainTextEdit::resizeEvent(event);
    placeCaptions();
}

void BoardMemo::placeCaptions() {
    const QRect text = viewport()->geometry();
    const int height = fontMetrics().height() + 2;
    m_captionRow->setGeometry(text.x(), text.y() - height, text.width(), height);
}

} // namespace nimbar
