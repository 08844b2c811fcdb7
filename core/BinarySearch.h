// Binary search over n ordered elements read through an accessor. Lower mode gives
// the first position not less than the key, upper mode the first position greater;
// n when all elements are less, 0 when all are greater.
#pragma once

#include <cstddef>

enum class SearchMode { Lower, Upper };

// compare(i) is the three-way comparison of element i against the key (<0, 0, >0).
template <typename Compare> size_t BinarySearch(size_t n, SearchMode mode, Compare compare) {
    size_t lo = 0, hi = n;
    while (lo < hi) {
        size_t mid = lo + (hi - lo) / 2;
        int c = compare(mid);
        bool goRight = mode == SearchMode::Lower ? c < 0 : c <= 0;
        if (goRight)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}
