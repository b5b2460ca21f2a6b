#include "processing/AlarmEvaluation.h"

#include "processing/AlarmTexts.h"
#include "processing/OutputControl.h"

namespace nimbar {

AlarmEvaluation EvaluateAlarms(int board, const BoardConfig& config,
                               const std::array<double, kChannelCount>& values, int modelClass,
                               bool interlocked, int32_t doState, const QString& stamp,
                               bool korean) {
    AlarmEvaluation e;
    e.prevDoState = doState;
    e.doState = doState;
    for (int ch = 1; ch < kChannelCount; ++ch) {
        if (config.alarmEnabled[ch] != 0) {
            const double value = values[ch];
            QString message;
            if (value > config.alarmHigh[ch]) {
                message = highAlarmMessage(board, stamp, ch, value, config.alarmHigh[ch], korean);
                e.state[ch] = AlarmState::High;
            } else if (value < config.alarmLow[ch]) {
                message = lowAlarmMessage(board, stamp, ch, value, config.alarmLow[ch], korean);
                e.state[ch] = AlarmState::Low;
            }
            if (!message.isEmpty()) {
                e.statusMessages.append(message);
                e.alarmText += message + QStringLiteral("\r\n");
                e.alarm[ch] = true;
                ++e.count;
            }
        }
        if (interlocked)
            e.doState = SetOutputBit(e.doState, modelClass, ch, e.alarm[ch]);
    }
    if (modelClass == 0 && interlocked)
        e.doState = e.count >= 1 ? 1 : 0;
    // Outputs are written only when their state changes; for class 0 doState is 1 exactly when
    // some channel is in alarm, so its command is "D1\r" or "D0\r" by the count.
    if (interlocked && e.doState != e.prevDoState)
        e.outputCommand = outputStateCommand(modelClass, e.doState);
    return e;
}

} // namespace nimbar
