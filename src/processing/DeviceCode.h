#pragma once

#include <cstdint>
#include <optional>

namespace nimbar {

// The two codes by which a device says it has no reading.
inline constexpr std::uint32_t kCodeNoReadingNegative = 0x800000;
inline constexpr std::uint32_t kCodeNoReadingPositive = 0x7FFFFF;

// The signed count of a 24-bit device code. Codes above 0x7FFFFF are negative, offset by
// 0xFFFFFF (not 2^24): 0xFFFFFF is 0 and 0x800001 is -8388606. Nothing for the no-reading codes
// and for anything wider than 24 bits, which no device sends.
std::optional<std::int32_t> decodeDeviceCode(std::uint32_t code);

// Millivolts per count of a channel whose full scale is rangeMv: rangeMv / (2^23 - 1).
double channelScale(double rangeMv);

// A channel field in millivolts, or in the linear unit that the channel's T1/T0 make of them:
// the board's voltage correction Y = A0 + A1 * X on the count, then T1 * Y + T0. Nothing for a
// no-reading code, for gainT1 <= 0 (a switched-off channel) and for any result that is not a
// finite number (an untrusted record may hold absurd factors).
std::optional<double> CodeToMillivolts(std::uint32_t code, double scale, double corrA1,
                                       double corrA0, double gainT1, double offsetT0);

} // namespace nimbar
