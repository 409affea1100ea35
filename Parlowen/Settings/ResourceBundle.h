#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Parlowen {

// A folder of localized string tables: "<language>.lproj/Localizable.json" in it, each a JSON
// object from key to text. Members whose value is not a string, and tables that do not parse,
// count as missing. The folder list and the tables are read once and kept; copies share them.
// Thread-safe.
class ResourceBundle {
public:
    explicit ResourceBundle(std::filesystem::path root);

    const std::filesystem::path& root() const { return rootPath; }

    // The text of `key` in the table of the folder "<folder>.lproj", or none.
    std::optional<std::string> localizedString(std::string_view key, std::string_view folder) const;
    // The text of `key` in the table of the bundle's localization for the user's preferred
    // languages (see `preferredLocalization`), or none.
    std::optional<std::string> localizedString(std::string_view key) const;

    // The folder names without ".lproj", sorted; listed once.
    std::vector<std::string> localizations() const;
    // The first preferred language that the bundle has: the exact folder, else the folder of
    // its language alone (Chinese by script: zh-Hans, or zh-Hant for TW, HK and MO); "en" when
    // none matches.
    std::string preferredLocalization() const;

    // The user's languages from $LANGUAGE, else $LC_ALL, $LC_MESSAGES or $LANG, as language
    // tags ("pt_BR.UTF-8" becomes "pt-BR"); "C" and "POSIX" are skipped.
    static std::vector<std::string> preferredLanguages();

private:
    using Table = std::map<std::string, std::string, std::less<>>;
    struct Cache;

    const Table* table(std::string_view folder) const;

    std::filesystem::path rootPath;
    std::shared_ptr<Cache> cache;
};

} // namespace Parlowen
