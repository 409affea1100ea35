#include "Parlowen/Settings/ResourceBundle.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <mutex>

namespace Parlowen {

struct ResourceBundle::Cache {
    std::mutex mutex;
    // A loaded table per folder; none when the folder has no readable table.
    std::map<std::string, std::optional<Table>, std::less<>> tables;
    // The bundle's ".lproj" folder names, sorted; listed on first use.
    std::optional<std::vector<std::string>> localizations;
};

namespace {

std::optional<std::map<std::string, std::string, std::less<>>>
readTable(const std::filesystem::path& file) {
    std::ifstream stream(file, std::ios::binary);
    if (!stream) {
        return std::nullopt;
    }
    const std::string text{std::istreambuf_iterator<char>(stream), {}};
    const auto document = nlohmann::json::parse(text, nullptr, false);
    if (!document.is_object()) {
        return std::nullopt;
    }
    std::map<std::string, std::string, std::less<>> table;
    for (const auto& [key, value] : document.items()) {
        if (value.is_string()) {
            table.emplace(key, value.get<std::string>());
        }
    }
    return table;
}

std::string lowercased(std::string_view text) {
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return result;
}

// "pt_BR.UTF-8@euro" → "pt-BR".
std::string languageTag(std::string_view locale) {
    locale = locale.substr(0, locale.find_first_of(".@"));
    std::string tag(locale);
    std::replace(tag.begin(), tag.end(), '_', '-');
    return tag;
}

// The folder names that may hold a language tag, best first.
std::vector<std::string> folderCandidates(const std::string& tag) {
    const std::string lower = lowercased(tag);
    const std::string language = lower.substr(0, lower.find('-'));
    std::vector<std::string> candidates{tag};
    if (language == "zh") {
        const bool traditional = lower.find("hant") != std::string::npos ||
                                 lower.ends_with("-tw") || lower.ends_with("-hk") ||
                                 lower.ends_with("-mo");
        candidates.emplace_back(traditional ? "zh-Hant" : "zh-Hans");
    }
    candidates.push_back(language);
    return candidates;
}

} // namespace

ResourceBundle::ResourceBundle(std::filesystem::path root)
    : rootPath(std::move(root)), cache(std::make_shared<Cache>()) {}

const ResourceBundle::Table* ResourceBundle::table(std::string_view folder) const {
    // A folder name never leaves the bundle's own folder.
    if (folder.empty() || folder.find('/') != std::string_view::npos || folder == "..") {
        return nullptr;
    }
    const std::lock_guard lock(cache->mutex);
    auto found = cache->tables.find(folder);
    if (found == cache->tables.end()) {
        const auto file = rootPath / (std::string(folder) + ".lproj") / "Localizable.json";
        found = cache->tables.emplace(std::string(folder), readTable(file)).first;
    }
    // Entries are never erased, so the pointer stays valid for the cache's life.
    return found->second ? &*found->second : nullptr;
}

std::optional<std::string> ResourceBundle::localizedString(std::string_view key,
                                                           std::string_view folder) const {
    const Table* entries = table(folder);
    if (!entries) {
        return std::nullopt;
    }
    if (const auto found = entries->find(key); found != entries->end()) {
        return found->second;
    }
    return std::nullopt;
}

std::optional<std::string> ResourceBundle::localizedString(std::string_view key) const {
    return localizedString(key, preferredLocalization());
}

std::vector<std::string> ResourceBundle::localizations() const {
    const std::lock_guard lock(cache->mutex);
    if (!cache->localizations) {
        std::vector<std::string> names;
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator(rootPath, error)) {
            if (entry.path().extension() == ".lproj") {
                names.push_back(entry.path().stem().string());
            }
        }
        std::sort(names.begin(), names.end());
        cache->localizations = std::move(names);
    }
    return *cache->localizations;
}

std::string ResourceBundle::preferredLocalization() const {
    const auto available = localizations();
    for (const auto& language : preferredLanguages()) {
        for (const auto& candidate : folderCandidates(language)) {
            if (std::find(available.begin(), available.end(), candidate) != available.end()) {
                return candidate;
            }
        }
    }
    return "en";
}

std::vector<std::string> ResourceBundle::preferredLanguages() {
    std::string list;
    if (const char* languages = std::getenv("LANGUAGE"); languages && languages[0] != '\0') {
        list = languages;
    } else {
        for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
            if (const char* value = std::getenv(name); value && value[0] != '\0') {
                list = value;
                break;
            }
        }
    }
    std::vector<std::string> tags;
    std::size_t start = 0;
    while (start <= list.size()) {
        const auto end = std::min(list.find(':', start), list.size());
        const auto tag = languageTag(std::string_view(list).substr(start, end - start));
        if (!tag.empty() && tag != "C" && tag != "POSIX") {
            tags.push_back(tag);
        }
        start = end + 1;
    }
    return tags;
}

} // namespace Parlowen
