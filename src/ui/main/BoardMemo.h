#pragma once

#include <QPlainTextEdit>

namespace nimbar {

// The memo of recorded lines: read-only, with its clicks reported (a double click pauses it,
// a click clears the alarm colour). It always shows the newest line, also after it has been
// emptied, and never scrolls sideways by itself; the column captions above the text are in
// the memo's own fixed-width font and move with its columns.
class BoardMemo : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit BoardMemo(QWidget* parent = nullptr);

    void setAlarmColour(bool alarm);
    bool alarmColour() const { return m_alarm; }

    // The captions "CH0" .. "CH(count-1)", each over its column of the memo lines.
    void setChannelCount(int count);
    QString columnCaptions() const { return m_captions; }
    static QString columnCaptionsFor(int channelCount);

signals:
    void clicked();
    void doubleClicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void placeCaptions();

    bool m_alarm = false;
    QString m_captions;
    QWidget* m_captionRow = nullptr;
    int m_across = 0; // the horizontal position the user chose
};

} // namespace nimbar
