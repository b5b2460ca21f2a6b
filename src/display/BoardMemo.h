#pragma once

#include <QPlainTextEdit>

namespace nimbar {

// The memo of recorded lines: read-only, with its clicks reported (a double click pauses it,
// a click clears the alarm colour).
class BoardMemo : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit BoardMemo(QWidget* parent = nullptr);

    void setAlarmColour(bool alarm);
    bool alarmColour() const { return m_alarm; }

signals:
    void clicked();
    void doubleClicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    bool m_alarm = false;
};

} // namespace nimbar
