#pragma once

#include "settings/BoardConfig.h"

#include <QString>

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace nimbar {

// The fields of a measurement line: CH0 first, then CH1.. as far as the model class sends.
// Fields that are missing or do not parse keep their defaults: 0 for CH0, the no-reading code
// 0x7FFFFF for the channels.
using MeasurementCodes = std::array<std::uint32_t, kChannelCount>;

// Reads "%X, %X, ...\r\n" with the class's field count from at most maxLength bytes, stopping
// at a NUL, at the end of the buffer or at the first field that does not match.
MeasurementCodes parseMeasurementLine(const char* line, std::size_t maxLength, int modelClass);

// The first six characters as a 24-bit hexadecimal field (classes 1 and 2 carry the
// reference temperature there); none when they are not six hexadecimal digits, since a
// temperature read from part of a garbled field would be a plausible but wrong reference.
std::optional<std::uint32_t> referenceField(const char* line, std::size_t maxLength);

// The memo line of a recorded line: count, short time, then every value the class sends
// with two decimals, its last channel with three.
QString memoLine(int sampleCount, const QString& shortTime,
                 const std::array<double, kChannelCount>& values, int modelClass);

} // namespace nimbar
