#include "app/TForm1.h"

#include "display/BoardMemo.h"
#include "display/LiveChart.h"
#include "processing/AlarmEvaluation.h"
#include "processing/AlarmLimitEntry.h"
#include "processing/AlarmSound.h"
#include "processing/AlarmTexts.h"
#include "processing/DateTimeValue.h"
#include "processing/OutputControl.h"
#include "recording/EventLog.h"

#include <QCheckBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace nimbar {

namespace {

// The value boxes of the "Display" page: pale yellow, red while their channel is in alarm.
void paintValueBox(QLineEdit* box, bool alarm) {
    QPalette colours = box->palette();
    colours.setColor(QPalette::Base, alarm ? QColor(Qt::red) : QColor(0xF3, 0xF5, 0xCB));
    box->setPalette(colours);
}

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
        connect(c.alarmBox[ch], &QCheckBox::clicked, this,
                [this, b, ch] { guarded([&] { ChkAlA1Click(b, ch); }); });
    }
    connect(c.interlockBox, &QCheckBox::clicked, this,
            [this, b] { guarded([&] { ChkR1Click(b); }); });
    for (int k = 1; k <= kManualOutputCount; ++k)
        connect(c.outputBox[k], &QCheckBox::clicked, this,
                [this, b, k] { guarded([&] { ChkDOA1Click(b, k - 1); }); });
}

void TForm1::EvaluateAlarms(int b, double now) {
    BoardRuntime& runtime = m_runtimes[b];
    BoardControls& c = m_controls[b];
    const bool interlocked = m_kind == BuildKind::Logger && c.interlockBox->isChecked();
    const AlarmEvaluation result =
        nimbar::EvaluateAlarms(b, m_boards[b], runtime.values, runtime.modelClass, interlocked,
                               runtime.doState, LongTimeText(now), m_korean);
    runtime.alarmState = result.state;
    for (const QString& message : result.statusMessages)
        ShowStatus(message);
    for (int ch = 1; ch < kChannelCount; ++ch)
        paintValueBox(c.valueEdit[ch], result.alarm[static_cast<std::size_t>(ch)]);
    const int32_t doState = runtime.doState;
    const int32_t prevDoState = runtime.prevDoState;
    runtime.prevDoState = result.prevDoState;
    runtime.doState = result.doState;
    // An output command that did not reach the device leaves the outputs as they were, so the
    // next line finds the change again and sends it.
    if (!AlarmAction(b, result.count, result.alarmText,
                     m_kind == BuildKind::Logger ? result.outputCommand : QByteArray())) {
        runtime.doState = doState;
        runtime.prevDoState = prevDoState;
    }
}

bool TForm1::AlarmAction(int b, int count, const QString& text, const QByteArray& outputCommand) {
    BoardControls& c = m_controls[b];
    if (count <= 0) {
        c.chart->setAlarmBackground(false);
    } else {
        c.memo->setAlarmColour(true);
        if (!m_runtimes[b].memoPaused)
            c.memo->appendPlainText(alarmMemoLine());
        c.chart->setAlarmBackground(true);
        if (!m_alarmSound)
            m_alarmSound = new AlarmSound(
                m_paths.alarmSound(), [this] { m_prompts->beep(); }, this);
        m_alarmSound->play();
        const EventLogWrite written = AppendEvents(m_dataDirectory, m_clock().date(), text);
        if (!written.written) {
            const QString message = cannotOpenFileText(written.path, m_korean);
            m_clientPage.sendMemo->appendPlainText(message);
            ShowStatus(message);
        }
    }
    return outputCommand.isEmpty() || writeBoardCommand(b, outputCommand);
}

void TForm1::EdHighA1KeyUp(int b, int ch) {
    enterLimit(b, ch, AlarmLimit::High);
}

void TForm1::EdLowA1KeyUp(int b, int ch) {
    enterLimit(b, ch, AlarmLimit::Low);
}

void TForm1::enterLimit(int b, int ch, AlarmLimit which) {
    if (!m_started)
        return;
    BoardConfig& board = m_boards[b];
    const bool high = which == AlarmLimit::High;
    const auto& edits = high ? m_controls[b].highEdit : m_controls[b].lowEdit;
    QLineEdit* edit = edits[ch];
    const AlarmLimitEntry entry = enterAlarmLimit(b, ch, which, edit->text(), board.alarmHigh[ch],
                                                  board.alarmLow[ch], m_korean);
    if (entry.outcome == AlarmLimitEntry::Outcome::Nothing)
        return;
    ShowStatus(entry.status);
    if (entry.outcome == AlarmLimitEntry::Outcome::Accepted) {
        (high ? board.alarmHigh : board.alarmLow)[ch] = entry.value;
        if (entry.moveFocus)
            edits[ch + 1]->setFocus();
    } else {
        edit->setText(entry.editText);
    }
}

void TForm1::ChkAlA1Click(int b, int ch) {
    if (!m_started)
        return;
    m_boards[b].alarmEnabled[ch] = m_controls[b].alarmBox[ch]->isChecked() ? 1 : 0;
}

void TForm1::ChkR1Click(int b) {
    BoardRuntime& runtime = m_runtimes[b];
    applyOutputDecision(b, decideInterlockClick(runtime.modelClass,
                                                m_controls[b].interlockBox->isChecked(),
                                                runtime.doState, runtime.prevDoState));
}

void TForm1::ChkDOA1Click(int b, int output) {
    BoardRuntime& runtime = m_runtimes[b];
    const BoardControls& c = m_controls[b];
    applyOutputDecision(b, decideManualOutputClick(
                               runtime.modelClass, output, c.outputBox[output + 1]->isChecked(),
                               c.interlockBox->isChecked(), runtime.doState, runtime.prevDoState));
}

void TForm1::applyOutputDecision(int b, const OutputBoxDecision& decision) {
    BoardRuntime& runtime = m_runtimes[b];
    BoardControls& c = m_controls[b];
    runtime.doState = decision.doState;
    runtime.prevDoState = decision.prevDoState;
    if (decision.interlockEnabled)
        c.interlockBox->setEnabled(*decision.interlockEnabled);
    for (int k = 0; k < kManualOutputCount; ++k) {
        if (decision.manualEnabled[static_cast<std::size_t>(k)])
            c.outputBox[k + 1]->setEnabled(*decision.manualEnabled[static_cast<std::size_t>(k)]);
    }
    if (!decision.command.isEmpty())
        writeBoardCommand(b, decision.command);
}

} // namespace nimbar
