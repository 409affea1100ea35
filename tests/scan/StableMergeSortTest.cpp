#include "core/StableMergeSort.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace {

using Pair = std::pair<int, int>; // (key, original position)

std::vector<Pair> numbered(const std::vector<int>& keys) {
    std::vector<Pair> values;
    for (std::size_t index = 0; index < keys.size(); ++index) {
        values.emplace_back(keys[index], static_cast<int>(index));
    }
    return values;
}

TEST(StableMergeSort, MatchesTheStandardStableSortForAStrictWeakOrder) {
    const std::vector<std::pair<std::string, std::vector<int>>> rows = {
        {"empty", {}},
        {"one", {4}},
        {"sorted", {1, 2, 3, 4, 5}},
        {"reversed", {9, 7, 5, 3, 1, 0}},
        {"many ties", {2, 1, 2, 1, 2, 1, 2, 0, 0}},
        {"odd length with runs", {5, 1, 4, 1, 5, 9, 2, 6, 5, 3, 5}},
    };
    const auto byKey = [](const Pair& a, const Pair& b) { return a.first < b.first; };
    for (const auto& [name, keys] : rows) {
        std::vector<Pair> ours = numbered(keys);
        std::vector<Pair> expected = ours;
        QelCore::stableMergeSort(ours, byKey);
        std::stable_sort(expected.begin(), expected.end(), byKey);
        EXPECT_EQ(ours, expected) << name;
    }
}

TEST(StableMergeSort, KeepsEveryElementOnceForInconsistentComparisons) {
    const std::vector<int> keys = {3, 1, 4, 1, 5, 9, 2, 6, 5, 3, 5, 8, 9, 7};
    unsigned state = 7;
    const std::vector<std::pair<std::string, std::function<bool(const Pair&, const Pair&)>>> rows =
        {
            {"always true", [](const Pair&, const Pair&) { return true; }},
            {"always false", [](const Pair&, const Pair&) { return false; }},
            {"cyclic",
             [](const Pair& a, const Pair& b) { return (a.first + 1) % 3 == b.first % 3; }},
            {"pseudo-random",
             [&state](const Pair&, const Pair&) {
                 state = state * 1103515245u + 12345u;
                 return (state >> 16) % 2 == 1;
             }},
        };
    for (const auto& [name, less] : rows) {
        std::vector<Pair> values = numbered(keys);
        QelCore::stableMergeSort(values, less);
        std::sort(values.begin(), values.end(),
                  [](const Pair& a, const Pair& b) { return a.second < b.second; });
        EXPECT_EQ(values, numbered(keys)) << name;
    }
    std::vector<Pair> untouched = numbered(keys);
    QelCore::stableMergeSort(untouched, [](const Pair&, const Pair&) { return false; });
    EXPECT_EQ(untouched, numbered(keys)) << "no element comes first: order kept";
}

} // namespace
