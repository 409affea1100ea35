#include "Parlowen/Items/MenuBarItemStableIdentity.h"

#include "Parlowen/Items/AXMenuBarItemRecord.h"
#include "core/MenuBarItemDisplayNameResolver.h"
#include "core/TextFolding.h"

#include <algorithm>
#include <vector>

namespace Parlowen {

namespace {

constexpr char separator = '|';

std::string barsToSlashes(std::string text) {
    std::replace(text.begin(), text.end(), separator, '/');
    return text;
}

// Bundle id, role and subrole: trimmed, case kept, "-" when empty.
std::string exactField(std::string_view text) {
    std::string field = QelCore::TextFolding::trimmed(text);
    return field.empty() ? std::string("-") : barsToSlashes(std::move(field));
}

// App name and title: trimmed, lower-cased, inner white space collapsed; may stay empty.
std::string foldedField(std::string_view text) {
    using namespace QelCore::TextFolding;
    return barsToSlashes(collapsingWhitespace(lowercased(trimmed(text))));
}

std::string titleField(std::string_view title, std::string_view appName) {
    return foldedField(QelCore::MenuBarItemDisplayNameResolver::resolve(
        title, std::optional<std::string>(), appName, std::nullopt));
}

std::string joined(const std::vector<std::string_view>& pieces) {
    std::string result;
    for (std::size_t index = 0; index < pieces.size(); ++index) {
        if (index > 0) {
            result += separator;
        }
        result += pieces[index];
    }
    return result;
}

} // namespace

MenuBarItemStableIdentity
MenuBarItemStableIdentity::makeV2(const std::optional<std::string>& bundleIdentifier,
                                  std::string_view appName, std::string_view title,
                                  std::string_view role, std::string_view subrole,
                                  QelCore::FixtureMenuBarItemSourceHint sourceHint) {
    return {joined({"v2", exactField(bundleIdentifier.value_or(std::string())),
                    QelCore::toString(sourceHint), foldedField(appName), titleField(title, appName),
                    exactField(role), exactField(subrole)})};
}

MenuBarItemStableIdentity
MenuBarItemStableIdentity::makeV1(std::string_view appName, std::string_view title,
                                  std::string_view role, std::string_view subrole,
                                  QelCore::FixtureMenuBarItemSourceHint sourceHint) {
    return {joined({"v1", QelCore::toString(sourceHint), foldedField(appName),
                    titleField(title, appName), exactField(role), exactField(subrole)})};
}

MenuBarItemStableIdentity MenuBarItemStableIdentity::of(const AXMenuBarItemRecord& record) {
    return makeV2(record.bundleIdentifier, record.appName, record.title, record.role,
                  record.subrole, record.sourceHint);
}

std::string MenuBarItemStableIdentity::version() const {
    // The first piece with empty pieces dropped, so a key starting with "|" still has one.
    for (const std::string_view piece : QelCore::TextFolding::components(rawValue, separator)) {
        if (!piece.empty()) {
            return std::string(piece);
        }
    }
    return "unknown";
}

std::optional<MenuBarItemStableIdentity> MenuBarItemStableIdentity::legacyV1Equivalent() const {
    std::vector<std::string_view> fields = QelCore::TextFolding::components(rawValue, separator);
    if (fields.size() != 7 || fields.front() != "v2") {
        return std::nullopt;
    }
    // "v1" takes the place of the version and bundle fields.
    fields.erase(fields.begin());
    fields.front() = "v1";
    return MenuBarItemStableIdentity{joined(fields)};
}

bool MenuBarItemStableIdentity::matches(const MenuBarItemStableIdentity& itemKey) const {
    if (*this == itemKey) {
        return true;
    }
    const auto legacy = itemKey.legacyV1Equivalent();
    return legacy && *this == *legacy;
}

bool MenuBarItemStableIdentity::matches(const AXMenuBarItemRecord& record) const {
    return matches(of(record));
}

nlohmann::json MenuBarItemStableIdentity::toJson() const {
    return nlohmann::json{{"rawValue", rawValue}};
}

std::optional<MenuBarItemStableIdentity>
MenuBarItemStableIdentity::fromJson(const nlohmann::json& json) {
    if (!json.is_object()) {
        return std::nullopt;
    }
    const auto member = json.find("rawValue");
    if (member == json.end() || !member->is_string()) {
        return std::nullopt;
    }
    return MenuBarItemStableIdentity{member->get<std::string>()};
}

} // namespace Parlowen
