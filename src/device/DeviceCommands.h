#pragma once

#include <QByteArrayView>

namespace nimbar {

// Every command is ASCII text closed by a carriage return, without a line feed. The output
// commands "D1\r", "D0\r" and "P%X\r" of a board are made by outputStateCommand
// (processing/OutputControl.h) from the board's output state.

// Sent once after each open of a board's port: starts the measurement lines.
inline constexpr QByteArrayView kCmdStartStream = "DK\r";
// Asks for the configuration report ("Get Configure").
inline constexpr QByteArrayView kCmdConfigReport = "DC\r";
// The single digital output of a class-0 board on / off.
inline constexpr QByteArrayView kCmdOutputOn = "D1\r";
inline constexpr QByteArrayView kCmdOutputOff = "D0\r";

} // namespace nimbar
