#pragma once

#include <vector>

namespace nimbar {

// The running median of one channel: the window kept in arrival order and in ascending order.
// Inserting and removing walk the sorted order, O(N) per value for windows up to 3600.
class MedianFilter {
public:
    // Inserts after every stored value smaller than it, before equal ones.
    void insert(double value);
    // Removes the oldest value (the first equal entry of the sorted order).
    void removeOldest();
    // The k-th largest value, k = 1 for the largest; k must be 1..count().
    double kthLargest(int k) const;
    int count() const { return static_cast<int>(m_arrival.size()); }
    void clear();

    // One step of the pipeline's filter with window n: the filtered value, or the value
    // itself while the window is not yet full (or n < 2, which is no filter).
    double filter(double value, int n);

private:
    std::vector<double> m_arrival;
    std::vector<double> m_sorted;
};

} // namespace nimbar
