#pragma once

#include "platform/UserDefaults.h"

#include <nlohmann/json.hpp>

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A list kept in the user defaults as the data of a JSON array, read element by element: an
// element that cannot be read is left out of what the program sees, but stays in the stored
// list. Every change is one read-modify-write under the store's lock, so processes changing a
// list at the same moment keep each other's entries.
namespace Parlowen::StoredJSONList {

// The elements of a stored array; empty when the value is absent, not data or not an array.
std::vector<nlohmann::json> elements(const std::optional<platform::DefaultsValue>& value);

// The elements of the array stored under `key`; empty when nothing usable is stored there.
std::vector<nlohmann::json> load(const platform::UserDefaults& defaults, std::string_view key);

// The change of one update: given the exact texts of the stored elements (none when nothing
// readable is stored), the texts of the elements to store; none leaves the value as it is.
using ElementsChange = std::function<std::optional<std::vector<std::string>>(
    const std::vector<std::string_view>& stored)>;

// Changes the array under `key` through `UserDefaults::update`, writing compact JSON data.
// A stored value that is not a readable array is first copied to a backup key of its own
// (`backupKey(key, n)` for the first n whose key is free or already holds the same value),
// and only then replaced; when no backup key is left the value is not replaced. `change` may be
// kept and run again later (see `UserDefaults::update`), so it owns what it uses. Answers the
// stored value the change was given.
std::optional<platform::DefaultsValue> update(platform::UserDefaults& defaults,
                                              std::string_view key, const ElementsChange& change);

// Where the n-th unreadable value of `key` is kept: "<key>.unreadable", then
// "<key>.unreadable-2" and so on.
std::string backupKey(std::string_view key, int number = 1);

// Compact JSON in the layout Foundation's default encoder writes (slashes escaped, whole
// numbers without a fraction); none when the value cannot be encoded.
std::optional<std::string> encode(const nlohmann::ordered_json& value);

// Compact JSON text with every "/" written as "\/", as Foundation's encoders do; a slash can
// only occur inside a string of compact output.
std::string escapingSlashes(const std::string& compactJson);

// The entries of the stored array that `Entry::fromJson` decodes, in stored order.
template <typename Entry>
std::vector<Entry> entriesOf(const std::optional<platform::DefaultsValue>& value) {
    std::vector<Entry> entries;
    for (const auto& element : elements(value)) {
        if (auto entry = Entry::fromJson(element)) {
            entries.push_back(std::move(*entry));
        }
    }
    return entries;
}

// The entries of the array stored under `key` that `Entry::fromJson` decodes, in stored order.
template <typename Entry>
std::vector<Entry> loadEntries(const platform::UserDefaults& defaults, std::string_view key) {
    return entriesOf<Entry>(defaults.objectForKey(key));
}

// The one way to change a stored list: `change` edits the entries that `Entry::fromJson`
// decodes, in stored order, and answers whether the list is to be written: false refuses the
// change and leaves the stored value byte for byte. Otherwise the list is written back with
// each entry coded by its `toJson`, also when no entry changed, and elements that do not decode
// (from a newer version, say) follow them unchanged, so no save drops them. `change` may run
// again later and owns what it uses; what it was given is answered, as the decoded entries.
template <typename Entry>
std::vector<Entry> updateEntriesUnlessRefused(platform::UserDefaults& defaults,
                                              std::string_view key,
                                              std::function<bool(std::vector<Entry>&)> change) {
    return entriesOf<Entry>(
        update(defaults, key,
               [change = std::move(change)](const std::vector<std::string_view>& stored)
                   -> std::optional<std::vector<std::string>> {
                   std::vector<Entry> entries;
                   std::vector<std::string> undecodable;
                   for (const auto element : stored) {
                       auto entry = Entry::fromJson(nlohmann::json::parse(element, nullptr, false));
                       if (entry) {
                           entries.push_back(std::move(*entry));
                       } else {
                           undecodable.emplace_back(element);
                       }
                   }
                   if (!change(entries)) {
                       return std::nullopt;
                   }
                   std::vector<std::string> texts;
                   for (const auto& entry : entries) {
                       auto text = encode(entry.toJson());
                       if (!text) {
                           return std::nullopt;
                       }
                       texts.push_back(std::move(*text));
                   }
                   texts.insert(texts.end(), undecodable.begin(), undecodable.end());
                   return texts;
               }));
}

// A change that is always written.
template <typename Entry>
void updateEntries(platform::UserDefaults& defaults, std::string_view key,
                   std::function<void(std::vector<Entry>&)> change) {
    updateEntriesUnlessRefused<Entry>(defaults, key,
                                      [change = std::move(change)](std::vector<Entry>& entries) {
                                          change(entries);
                                          return true;
                                      });
}

// A JSON number for a double: an integer when it is whole and exactly representable.
nlohmann::ordered_json number(double value);

} // namespace Parlowen::StoredJSONList
