#include "processing/ColdJunction.h"

#include <cmath>

namespace nimbar {

std::optional<double> CjTempFromSensor(double mv0, double cjcRefVolts) {
    if (!(cjcRefVolts > 0.0) || !std::isfinite(cjcRefVolts))
        return std::nullopt;
    const double temp = (0.0444365446142908 * mv0) * (5.0 / cjcRefVolts) + (-61.1073586917881);
    if (!std::isfinite(temp))
        return std::nullopt;
    return temp;
}

double CjTempFromFixedPoint(std::uint32_t raw24) {
    // The field shifted into the top of a 32-bit integer carries its sign in bit 31.
    const auto shifted = static_cast<std::int32_t>(raw24 << 8);
    return shifted * 1.52587890625e-7;
}

} // namespace nimbar
