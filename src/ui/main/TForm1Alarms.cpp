// The alarm and output controls of the board and configuration pages: they hand the user's
// edits to the engine and show its answer.
#include "ui/main/TForm1.h"

#include "processing/AlarmLimitEntry.h"

#include <QCheckBox>
#include <QKeyEvent>
#include <QLineEdit>

namespace nimbar {

namespace {

// Reports Enter in a line edit, the moment a typed limit is taken.
class EnterKeyFilter : public QObject {
public:
    EnterKeyFilter(std::function<void()> onEnter, QObject* parent)
        : QObject(parent), m_onEnter(std::move(onEnter)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyRelease) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter)
                m_onEnter();
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> m_onEnter;
};

} // namespace

void TForm1::connectAlarmControls(int b) {
    BoardControls& c = m_controls[b];
    for (int ch = 1; ch < kChannelCount; ++ch) {
        c.highEdit[ch]->installEventFilter(new EnterKeyFilter(
            [this, b, ch] { guarded([&] { EdHighA1KeyUp(b, ch); }); }, c.highEdit[ch]));
        c.lowEdit[ch]->installEventFilter(new EnterKeyFilter(
            [this, b, ch] { guarded([&] { EdLowA1KeyUp(b, ch); }); }, c.lowEdit[ch]));
        // Limits typed without Enter are taken when the settings are saved.
        const auto typed = [this, b, ch] {
            const BoardControls& controls = m_controls[b];
            m_engine.setTypedAlarmLimits(b, ch, controls.highEdit[ch]->text(),
                                         controls.lowEdit[ch]->text());
        };
        connect(c.highEdit[ch], &QLineEdit::textChanged, this, typed);
        connect(c.lowEdit[ch], &QLineEdit::textChanged, this, typed);
        connect(c.alarmBox[ch], &QCheckBox::clicked, this,
                [this, b, ch] { guarded([&] { ChkAlA1Click(b, ch); }); });
    }
    connect(c.interlockBox, &QCheckBox::clicked, this,
            [this, b] { guarded([&] { ChkR1Click(b); }); });
    for (int k = 1; k <= kManualOutputCount; ++k)
        connect(c.outputBox[k], &QCheckBox::clicked, this,
                [this, b, k] { guarded([&] { ChkDOA1Click(b, k - 1); }); });
}

void TForm1::EdHighA1KeyUp(int b, int ch) {
    enterLimit(b, ch, AlarmLimit::High);
}

void TForm1::EdLowA1KeyUp(int b, int ch) {
    enterLimit(b, ch, AlarmLimit::Low);
}

void TForm1::enterLimit(int b, int ch, AlarmLimit which) {
    const bool high = which == AlarmLimit::High;
    const auto& edits = high ? m_controls[b].highEdit : m_controls[b].lowEdit;
    QLineEdit* edit = edits[ch];
    const AlarmLimitEntry entry = high ? m_engine.EdHighA1KeyUp(b, ch, edit->text())
                                       : m_engine.EdLowA1KeyUp(b, ch, edit->text());
    switch (entry.outcome) {
    case AlarmLimitEntry::Outcome::Nothing:
        return;
    case AlarmLimitEntry::Outcome::Accepted:
        if (entry.moveFocus)
            edits[ch + 1]->setFocus();
        return;
    case AlarmLimitEntry::Outcome::Invalid:
    case AlarmLimitEntry::Outcome::Refused:
        edit->setText(entry.editText);
        return;
    }
}

void TForm1::ChkAlA1Click(int b, int ch) {
    m_engine.ChkAlA1Click(b, ch, m_controls[b].alarmBox[ch]->isChecked());
}

void TForm1::ChkR1Click(int b) {
    m_engine.ChkR1Click(b, m_controls[b].interlockBox->isChecked());
}

void TForm1::ChkDOA1Click(int b, int output) {
    m_engine.ChkDOA1Click(b, output, m_controls[b].outputBox[output + 1]->isChecked());
}

} // namespace nimbar
