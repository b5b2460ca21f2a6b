#pragma once

#include "processing/InvalidValue.h"

#include <QtGlobal>

#include <algorithm>
#include <cmath>

namespace nimbar {

// Statistics of the valid values of one series: InvalidValue marks a missing measurement and
// is left out, so count is the number of valid values. The standard deviation is the
// population one (divisor count). All zero without valid values.
struct SeriesStatistics {
    qint64 count = 0;
    double minimum = 0.0;
    double maximum = 0.0;
    double mean = 0.0;
    double standardDeviation = 0.0;
};

// Statistics gathered one value at a time, for ranges too long to hold. The sums are taken
// about the first value, so a week of readings near 1000 keeps its small deviations.
class StatisticsAccumulator {
public:
    void add(double v) {
        if (v == InvalidValue)
            return;
        if (m_count == 0) {
            m_shift = v;
            m_minimum = v;
            m_maximum = v;
        }
        m_minimum = std::min(m_minimum, v);
        m_maximum = std::max(m_maximum, v);
        const double d = v - m_shift;
        m_sum += d;
        m_squares += d * d;
        ++m_count;
    }

    SeriesStatistics result() const {
        SeriesStatistics s;
        if (m_count == 0)
            return s;
        s.count = m_count;
        s.minimum = m_minimum;
        s.maximum = m_maximum;
        const double meanShifted = m_sum / static_cast<double>(m_count);
        s.mean = m_shift + meanShifted;
        const double q = m_squares / static_cast<double>(m_count) - meanShifted * meanShifted;
        s.standardDeviation = q > 0 ? std::sqrt(q) : 0.0;
        return s;
    }

private:
    qint64 m_count = 0;
    double m_shift = 0.0;
    double m_sum = 0.0;
    double m_squares = 0.0;
    double m_minimum = 0.0;
    double m_maximum = 0.0;
};

} // namespace nimbar
