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

// Where an unreadable value of `key` is kept.
std::string backupKey(std::string_view key);

// A JSON number for a double: an integer when it is whole and exactly representable.
nlohmann::ordered_json number(double value);

} // namespace Parlowen::StoredJSONList
