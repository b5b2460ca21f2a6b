#pragma once

#include <bit>
#include <cstdint>

namespace nimbar {

// The value of a reading that cannot be converted. It travels with an invalid status and is what
// the charts show and the recording files and exports hold for such a channel.
inline constexpr double InvalidValue = -0.0001112;

// Files written by other copies of the program hold exactly these bits.
static_assert(std::bit_cast<std::uint64_t>(InvalidValue) == 0xBF1D26817408E659ULL);

} // namespace nimbar
