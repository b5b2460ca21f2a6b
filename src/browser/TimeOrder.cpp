#include "browser/TimeOrder.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

namespace nimbar {

namespace {

// A strict order even over the times of a damaged file: NaN comes last.
bool before(double a, double b) {
    return a < b || (!std::isnan(a) && std::isnan(b));
}

} // namespace

void sortByX(BrowserSeries& series) {
    if (std::is_sorted(series.x.begin(), series.x.end(), before))
        return;
    std::vector<std::size_t> order(series.x.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return before(series.x[a], series.x[b]);
    });
    std::vector<double> x(order.size());
    std::vector<double> y(order.size());
    for (std::size_t k = 0; k < order.size(); ++k) {
        x[k] = series.x[order[k]];
        y[k] = series.y[order[k]];
    }
    series.x = std::move(x);
    series.y = std::move(y);
}

double breakThreshold(std::vector<double> steps) {
    if (steps.empty())
        return std::numeric_limits<double>::infinity();
    const auto middle = steps.begin() + static_cast<std::ptrdiff_t>(steps.size() / 2);
    std::nth_element(steps.begin(), middle, steps.end());
    return kBreakIntervals * *middle;
}

} // namespace nimbar
