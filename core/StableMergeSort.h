#pragma once

#include <algorithm>
#include <cstddef>
#include <numeric>
#include <utility>
#include <vector>

namespace QelCore {

// Sorts `values` stably by `less`, an element before another only when less(later, earlier)
// holds. Unlike the standard sorts it is well defined for any comparison, also one that is not
// a strict weak order (every element ends up exactly once, in some order); for a strict weak
// order the result is the one stable order. Bottom-up merge sort of indices, so elements are
// moved once and need no default constructor.
template <typename T, typename Less> void stableMergeSort(std::vector<T>& values, Less less) {
    const std::size_t count = values.size();
    if (count < 2) {
        return;
    }
    std::vector<std::size_t> order(count);
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::vector<std::size_t> merged(count);
    for (std::size_t width = 1; width < count; width *= 2) {
        for (std::size_t start = 0; start < count; start += 2 * width) {
            const std::size_t middle = std::min(start + width, count);
            const std::size_t end = std::min(start + 2 * width, count);
            std::size_t left = start;
            std::size_t right = middle;
            std::size_t out = start;
            while (left < middle && right < end) {
                // Take from the right run only when it strictly comes first: ties keep order.
                if (less(values[order[right]], values[order[left]])) {
                    merged[out++] = order[right++];
                } else {
                    merged[out++] = order[left++];
                }
            }
            while (left < middle) {
                merged[out++] = order[left++];
            }
            while (right < end) {
                merged[out++] = order[right++];
            }
        }
        order.swap(merged);
    }
    std::vector<T> sorted;
    sorted.reserve(count);
    for (const std::size_t index : order) {
        sorted.push_back(std::move(values[index]));
    }
    values = std::move(sorted);
}

} // namespace QelCore
