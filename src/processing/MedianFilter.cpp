#include "processing/MedianFilter.h"

#include <algorithm>

namespace nimbar {

void MedianFilter::insert(double value) {
    const auto at = std::find_if(m_sorted.begin(), m_sorted.end(),
                                 [value](double stored) { return !(stored < value); });
    m_sorted.insert(at, value);
    m_arrival.push_back(value);
}

void MedianFilter::removeOldest() {
    if (m_arrival.empty())
        return;
    const double oldest = m_arrival.front();
    m_arrival.erase(m_arrival.begin());
    const auto at = std::find(m_sorted.begin(), m_sorted.end(), oldest);
    if (at != m_sorted.end())
        m_sorted.erase(at);
    else // NaN never compares equal; the window stays consistent in size
        m_sorted.erase(m_sorted.begin());
}

double MedianFilter::kthLargest(int k) const {
    return m_sorted[m_sorted.size() - static_cast<std::size_t>(k)];
}

void MedianFilter::clear() {
    m_arrival.clear();
    m_sorted.clear();
}

double MedianFilter::filter(double value, int n) {
    if (n < 2)
        return value;
    insert(value);
    if (count() < n)
        return value;
    const double filtered = kthLargest(n / 2 + 1);
    removeOldest();
    // A window that shrank (the queue length was lowered) drains down to its new size.
    while (count() >= n)
        removeOldest();
    return filtered;
}

} // namespace nimbar
