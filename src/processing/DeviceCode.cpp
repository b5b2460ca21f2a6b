#include "processing/DeviceCode.h"

#include <cmath>

namespace nimbar {

std::optional<std::int32_t> decodeDeviceCode(std::uint32_t code) {
    if (code == kCodeNoReadingNegative || code == kCodeNoReadingPositive || code > 0xFFFFFF)
        return std::nullopt;
    if (code > 0x7FFFFF)
        return static_cast<std::int32_t>(code) - 0xFFFFFF;
    return static_cast<std::int32_t>(code);
}

double channelScale(double rangeMv) {
    return 1.1920930376163766e-07 * rangeMv;
}

std::optional<double> CodeToMillivolts(std::uint32_t code, double scale, double corrA1,
                                       double corrA0, double gainT1, double offsetT0) {
    const auto count = decodeDeviceCode(code);
    if (!count || !(gainT1 > 0.0))
        return std::nullopt;
    const double raw = *count * (corrA1 * scale) + corrA0;
    const double value = gainT1 * raw + offsetT0;
    if (!std::isfinite(value))
        return std::nullopt;
    return value;
}

} // namespace nimbar
