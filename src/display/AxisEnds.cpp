#include "display/AxisEnds.h"

#include <cmath>

namespace nimbar {

namespace {

// k whole steps of nice × 10^exponent, computed so that 3 steps of 0.1 give 0.3 exactly.
double steps(double k, double nice, int exponent) {
    return exponent >= 0 ? k * nice * std::pow(10.0, exponent)
                         : k * nice / std::pow(10.0, -exponent);
}

} // namespace

AxisEnds roundAxisEnds(double lower, double upper) {
    if (!std::isfinite(lower) || !std::isfinite(upper))
        return {lower, upper};
    if (upper <= lower) {
        const double middle = (lower + upper) / 2.0;
        lower = middle - 0.5;
        upper = middle + 0.5;
    }
    const double rough = (upper - lower) / 5.0;
    const int exponent = static_cast<int>(std::floor(std::log10(rough)));
    const double fraction = rough / std::pow(10.0, exponent);
    const double nice = fraction < 1.5 ? 1.0 : fraction < 3.5 ? 2.0 : fraction < 7.5 ? 5.0 : 10.0;
    const double step = steps(1.0, nice, exponent);
    // Ends that are already a whole step (but for rounding) stay where they are.
    constexpr double kTolerance = 1e-9;
    const double first = std::floor(lower / step + kTolerance);
    const double last = std::ceil(upper / step - kTolerance);
    return {steps(first, nice, exponent), steps(last, nice, exponent)};
}

} // namespace nimbar
