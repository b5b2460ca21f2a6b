#pragma once

namespace nimbar {

struct AxisEnds {
    double lower;
    double upper;
};

// The range from lower to upper widened to round ends: multiples of a step of 1, 2 or 5 times
// a power of ten, about a fifth of the range, so that the value axis and the "Y-Max"/"Y-Min"
// prefills read 160 rather than 154.61727104297086. An empty range is widened by 0.5 each
// way first; ends that are not finite come back unchanged.
AxisEnds roundAxisEnds(double lower, double upper);

} // namespace nimbar
