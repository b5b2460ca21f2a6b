#include "display/BoardMemo.h"

namespace nimbar {

BoardMemo::BoardMemo(QWidget* parent) : QPlainTextEdit(parent) {
    setReadOnly(true);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setFont(QFont("Monospace", 8));
    setMaximumBlockCount(0);
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

} // namespace nimbar
