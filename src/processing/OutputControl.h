#pragma once

#include <QByteArray>

#include <array>
#include <cstdint>
#include <optional>

namespace nimbar {

// The manual output boxes "CH1 D/O On".."CH4 D/O On" of a board.
inline constexpr int kManualOutputCount = 4;

// doState with bit channel - 1 set or cleared. Class 2 has outputs 1..4 only: channels 5..8
// leave it as it is.
int32_t SetOutputBit(int32_t doState, int modelClass, int channel, bool on);

// The command that puts the device's outputs into doState: "D1\r" / "D0\r" for the single
// output of class 0, "P%X\r" of the mask (upper-case, no leading zeros) for classes 1 and 2.
QByteArray outputStateCommand(int modelClass, int32_t doState);

// What a click on the interlock box or a manual output box changes. Enabled states that stay
// as they are hold nothing. The caller sends the command only if the board's port is open.
struct OutputBoxDecision {
    int32_t doState = 0;
    int32_t prevDoState = 0;
    std::optional<bool> interlockEnabled;
    std::array<std::optional<bool>, kManualOutputCount> manualEnabled{};
    QByteArray command; // empty: nothing to send
};

// The interlock box ("Interlock D/O") has just become checked or unchecked.
OutputBoxDecision decideInterlockClick(int modelClass, bool checked, int32_t doState,
                                       int32_t prevDoState);

// Manual output box output (0..3) has just become checked or unchecked. While the interlock
// box is checked it changes nothing.
OutputBoxDecision decideManualOutputClick(int modelClass, int output, bool checked,
                                          bool interlockChecked, int32_t doState,
                                          int32_t prevDoState);

} // namespace nimbar
