#include "engine/Engine.h"

#include "processing/AlarmEvaluation.h"
#include "processing/AlarmLimitEntry.h"
#include "processing/AlarmTexts.h"
#include "processing/DateTimeValue.h"
#include "processing/OutputControl.h"
#include "recording/EventLog.h"
#include "settings/AlarmLimits.h"

namespace nimbar {

void Engine::EvaluateAlarms(int b, double now) {
    BoardRuntime& runtime = m_runtimes[b];
    const bool interlocked =
        m_kind == BuildKind::Logger && m_interlocked[static_cast<std::size_t>(b)];
    const AlarmEvaluation result =
        nimbar::EvaluateAlarms(b, m_boards[b], runtime.values, runtime.modelClass, interlocked,
                               runtime.doState, LongTimeText(now), m_korean);
    runtime.alarmState = result.state;
    for (const QString& message : result.statusMessages)
        ShowStatus(message);
    emit alarmsEvaluated(b, result);
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

// The colours, the memo line and the sound are the views' part of an alarm, told by
// alarmsEvaluated; here the event log and the outputs.
bool Engine::AlarmAction(int b, int count, const QString& text, const QByteArray& outputCommand) {
    if (count > 0) {
        const EventLogWrite written = AppendEvents(m_dataDirectory, m_clock().date(), text);
        if (!written.written) {
            const QString message = cannotOpenFileText(written.path, m_korean);
            emit sendLogged(message);
            ShowStatus(message);
        }
    }
    return outputCommand.isEmpty() || writeBoardCommand(b, outputCommand);
}

AlarmLimitEntry Engine::EdHighA1KeyUp(int b, int ch, const QString& text) {
    return enterLimit(b, ch, AlarmLimit::High, text);
}

AlarmLimitEntry Engine::EdLowA1KeyUp(int b, int ch, const QString& text) {
    return enterLimit(b, ch, AlarmLimit::Low, text);
}

AlarmLimitEntry Engine::enterLimit(int b, int ch, AlarmLimit which, const QString& text) {
    if (!m_started)
        return {};
    BoardConfig& board = m_boards[b];
    const bool high = which == AlarmLimit::High;
    const AlarmLimitEntry entry =
        enterAlarmLimit(b, ch, which, text, board.alarmHigh[ch], board.alarmLow[ch], m_korean);
    if (entry.outcome == AlarmLimitEntry::Outcome::Nothing)
        return entry;
    ShowStatus(entry.status);
    if (entry.outcome == AlarmLimitEntry::Outcome::Accepted)
        (high ? board.alarmHigh : board.alarmLow)[ch] = entry.value;
    return entry;
}

void Engine::setTypedAlarmLimits(int b, int ch, const QString& high, const QString& low) {
    m_typedLimits[static_cast<std::size_t>(b)][static_cast<std::size_t>(ch)] =
        TypedLimits{high, low};
}

void Engine::ChkAlA1Click(int b, int ch, bool enabled) {
    if (!m_started)
        return;
    m_boards[b].alarmEnabled[ch] = enabled ? 1 : 0;
}

void Engine::ChkR1Click(int b, bool interlocked) {
    BoardRuntime& runtime = m_runtimes[b];
    m_interlocked[static_cast<std::size_t>(b)] = interlocked;
    applyOutputDecision(b, decideInterlockClick(runtime.modelClass, interlocked, runtime.doState,
                                                runtime.prevDoState));
}

void Engine::ChkDOA1Click(int b, int output, bool on) {
    BoardRuntime& runtime = m_runtimes[b];
    m_manualOutputs[static_cast<std::size_t>(b)][static_cast<std::size_t>(output)] = on;
    applyOutputDecision(b, decideManualOutputClick(runtime.modelClass, output, on,
                                                   m_interlocked[static_cast<std::size_t>(b)],
                                                   runtime.doState, runtime.prevDoState));
}

void Engine::applyOutputDecision(int b, const OutputBoxDecision& decision) {
    BoardRuntime& runtime = m_runtimes[b];
    runtime.doState = decision.doState;
    runtime.prevDoState = decision.prevDoState;
    emit outputControlsChanged(b, decision);
    if (!decision.command.isEmpty())
        writeBoardCommand(b, decision.command);
}

} // namespace nimbar
