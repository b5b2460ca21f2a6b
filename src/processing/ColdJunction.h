#pragma once

#include <cstdint>
#include <optional>

namespace nimbar {

// Reference-junction temperature in C from the on-board sensor of a model-class-0 board; mv0 is
// CH0's count times CH0's scale. The sensor is ratiometric to its supply: nominally 5 V,
// actually cjcRefVolts. A supply that is not a positive finite number (0 is what a record that
// was never set up holds) gives no temperature rather than an infinite one: the thermocouple
// channels of that line are then invalid unless the fixed reference is in use, and millivolt
// channels are not affected. Any other non-finite result gives nothing too.
std::optional<double> CjTempFromSensor(double mv0, double cjcRefVolts);

// Reference-junction temperature in C from the 24-bit fixed-point field that model classes 1 and
// 2 send first in the line: a two's-complement count of 1/25600 C (0x000A00 is 0.1 C, 0xFFF600
// is -0.1 C). Bits above the 24 are ignored. The board's cjcRefVolts is added by the caller.
double CjTempFromFixedPoint(std::uint32_t raw24);

} // namespace nimbar
