#include "processing/OutputControl.h"

namespace nimbar {

int32_t SetOutputBit(int32_t doState, int modelClass, int channel, bool on) {
    if (channel < 1 || channel > 8 || (modelClass == 2 && channel > kManualOutputCount))
        return doState;
    const auto bit = static_cast<uint32_t>(1) << (channel - 1);
    const auto mask = static_cast<uint32_t>(doState);
    return static_cast<int32_t>(on ? mask | bit : mask & ~bit);
}

QByteArray outputStateCommand(int modelClass, int32_t doState) {
    if (modelClass == 0)
        return doState != 0 ? QByteArrayLiteral("D1\r") : QByteArrayLiteral("D0\r");
    return 'P' + QByteArray::number(static_cast<uint32_t>(doState), 16).toUpper() + '\r';
}

OutputBoxDecision decideInterlockClick(int modelClass, bool checked, int32_t doState,
                                       int32_t prevDoState) {
    OutputBoxDecision d;
    if (checked) {
        d.doState = doState;
        d.prevDoState = prevDoState;
        d.manualEnabled.fill(false);
        return d;
    }
    // The outputs stop following the alarms: all off, and the hand takes over.
    d.doState = 0;
    d.prevDoState = 0;
    if (modelClass == 0)
        d.manualEnabled[0] = true; // the single output; boxes 2..4 stay disabled
    else
        d.manualEnabled.fill(true);
    d.command = outputStateCommand(modelClass, 0);
    return d;
}

OutputBoxDecision decideManualOutputClick(int modelClass, int output, bool checked,
                                          bool interlockChecked, int32_t doState,
                                          int32_t prevDoState) {
    OutputBoxDecision d;
    d.doState = doState;
    d.prevDoState = prevDoState;
    if (interlockChecked || output < 0 || output >= kManualOutputCount)
        return d;
    if (modelClass == 0) {
        d.interlockEnabled = !checked;
        d.command = checked ? QByteArrayLiteral("D1\r") : QByteArrayLiteral("D0\r");
        return d;
    }
    const auto bit = static_cast<uint32_t>(1) << output;
    const auto mask = static_cast<uint32_t>(doState);
    d.doState = static_cast<int32_t>(checked ? mask | bit : mask & ~bit);
    // A manual output that is on keeps the interlock locked.
    if (checked)
        d.interlockEnabled = false;
    else if (d.doState == 0)
        d.interlockEnabled = true;
    d.command = outputStateCommand(modelClass, d.doState);
    return d;
}

} // namespace nimbar
