#pragma once

#include "processing/AlarmEvaluation.h"
#include "settings/BoardConfig.h"

#include <array>
#include <cstdint>

namespace nimbar {

// A record or an alarm event waiting for the broker, in a compact form: a day of four boards
// recording every second fits in about 33 MB.
struct MqttEvent {
    enum class Kind : std::uint8_t { Record, Alarm };

    std::int64_t msecs = 0; // Unix time in milliseconds
    // Record: CH0..CH8. Alarm: the value in [0], the limit in [1].
    std::array<double, kChannelCount> values{};
    std::uint16_t validMask = 0; // record: bit k set when CHk is valid
    Kind kind = Kind::Record;
    std::uint8_t board = 0;
    std::uint8_t channel = 0; // alarm
    AlarmState state = AlarmState::Normal;
};
static_assert(sizeof(MqttEvent) == 88);

} // namespace nimbar
