#pragma once

#include "platform/UserDefaults.h"

#include <nlohmann/json.hpp>

#include <string>
#include <string_view>
#include <vector>

// A list kept in the user defaults as the data of a JSON array, read element by element so that
// one unreadable entry is dropped alone.
namespace Parlowen::StoredJSONList {

// The elements of the array stored under `key`; empty when nothing usable is stored there.
std::vector<nlohmann::json> load(const platform::UserDefaults& defaults, std::string_view key);

// Stores `array` under `key` as compact JSON data in the layout Foundation's default encoder
// writes (slashes escaped, whole numbers without a fraction). A stored value that is not a
// readable array is first copied to `backupKey(key)`, so a save never drops it unseen.
void save(platform::UserDefaults& defaults, std::string_view key,
          const nlohmann::ordered_json& array);

// Compact JSON text with every "/" written as "\/", as Foundation's encoders do; a slash can
// only occur inside a string of compact output.
std::string escapingSlashes(const std::string& compactJson);

// Where an unreadable value of `key` is kept.
std::string backupKey(std::string_view key);

// The entries of the stored array that `Entry::fromJson` decodes, in stored order.
template <typename Entry>
std::vector<Entry> loadEntries(const platform::UserDefaults& defaults, std::string_view key) {
    std::vector<Entry> entries;
    for (const auto& element : load(defaults, key)) {
        if (auto entry = Entry::fromJson(element)) {
            entries.push_back(std::move(*entry));
        }
    }
    return entries;
}

// Stores the entries, each coded by its `toJson`, as one array.
template <typename Entry>
void saveEntries(platform::UserDefaults& defaults, std::string_view key,
                 const std::vector<Entry>& entries) {
    auto array = nlohmann::ordered_json::array();
    for (const auto& entry : entries) {
        array.push_back(entry.toJson());
    }
    save(defaults, key, array);
}

// A JSON number for a double: an integer when it is whole and exactly representable.
nlohmann::ordered_json number(double value);

} // namespace Parlowen::StoredJSONList
