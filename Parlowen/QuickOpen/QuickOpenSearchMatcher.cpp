#include "Parlowen/QuickOpen/QuickOpenSearchMatcher.h"

#include "core/TextFolding.h"

#include <unicode/normalizer2.h>
#include <unicode/translit.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <mutex>
#include <unordered_set>

namespace Parlowen::QuickOpenSearchMatcher {

namespace {

namespace TextFolding = QelCore::TextFolding;

// Plain ASCII needs no normalization and is Latin script already.
bool isAscii(std::string_view text) {
    return std::none_of(text.begin(), text.end(), [](char byte) { return (byte & 0x80) != 0; });
}

icu::UnicodeString fromUTF8(std::string_view text) {
    return icu::UnicodeString::fromUTF8(
        icu::StringPiece(text.data(), static_cast<std::int32_t>(text.size())));
}

std::string toUTF8(const icu::UnicodeString& text) {
    std::string result;
    return text.toUTF8String(result);
}

std::string composed(const std::string& text) {
    if (isAscii(text)) {
        return text;
    }
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* nfc = icu::Normalizer2::getNFCInstance(status);
    if (U_FAILURE(status)) {
        return text;
    }
    const icu::UnicodeString result = nfc->normalize(fromUTF8(text), status);
    return U_SUCCESS(status) ? toUTF8(result) : text;
}

// Any script to Latin, then combining marks removed; false when ICU cannot. Building the
// transliterator takes a large part of a second, so the process makes one, on first use, and
// shares it: one instance must not run on two threads at once, hence the lock.
bool transliterateToLatin(icu::UnicodeString& text) {
    static std::mutex mutex;
    static const std::unique_ptr<icu::Transliterator> transliterator = [] {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<icu::Transliterator> made(icu::Transliterator::createInstance(
            "Any-Latin; NFD; [:Nonspacing Mark:] Remove; NFC", UTRANS_FORWARD, status));
        return U_SUCCESS(status) ? std::move(made) : nullptr;
    }();
    if (!transliterator) {
        return false;
    }
    const std::lock_guard lock(mutex);
    transliterator->transliterate(text);
    return true;
}

std::string withoutBlanks(std::string text) {
    std::erase(text, ' ');
    return text;
}

} // namespace

std::string foldedForm(std::string_view text) {
    return composed(TextFolding::lowercased(
        TextFolding::folded(TextFolding::trimmed(TextFolding::capped(text)))));
}

void warmUp() {
    icu::UnicodeString sample = fromUTF8("\u03A9");
    transliterateToLatin(sample);
}

std::vector<std::string> searchVariants(std::string_view text) {
    std::string folded = foldedForm(text);
    if (folded.empty()) {
        return {};
    }
    // ASCII text is Latin already: its transliteration folds to the same form.
    icu::UnicodeString latin = fromUTF8(TextFolding::capped(text));
    if (isAscii(text) || !transliterateToLatin(latin)) {
        return {folded};
    }
    std::string latinFolded = foldedForm(toUTF8(latin));
    if (latinFolded.empty() || latinFolded == folded) {
        return {folded};
    }
    std::string runTogether = withoutBlanks(latinFolded);
    if (runTogether == latinFolded) {
        return {std::move(folded), std::move(latinFolded)};
    }
    return {std::move(folded), std::move(latinFolded), std::move(runTogether)};
}

std::vector<std::string> uniqued(std::vector<std::string> strings) {
    std::vector<std::string> result;
    std::unordered_set<std::string> seen;
    for (auto& text : strings) {
        if (seen.insert(text).second) {
            result.push_back(std::move(text));
        }
    }
    return result;
}

std::vector<std::string> searchableFields(std::string_view appName, std::string_view title,
                                          std::string_view displayName) {
    std::vector<std::string> variants;
    for (const std::string_view text : {appName, title, displayName}) {
        for (auto& variant : searchVariants(text)) {
            variants.push_back(std::move(variant));
        }
    }
    std::vector<std::string> fields;
    for (const auto& variant : uniqued(std::move(variants))) {
        if (std::string field = foldedForm(variant); !field.empty()) {
            fields.push_back(std::move(field));
        }
    }
    return fields;
}

std::optional<int> matchQuality(const std::vector<std::string>& fields, std::string_view query) {
    const auto any = [&](auto&& test) { return std::any_of(fields.begin(), fields.end(), test); };
    if (any([&](const std::string& field) { return field == query; })) {
        return equalQuality;
    }
    if (any([&](const std::string& field) { return field.starts_with(query); })) {
        return prefixQuality;
    }
    if (any([&](const std::string& field) { return field.find(query) != std::string::npos; })) {
        return containsQuality;
    }
    if (matchesBuiltInAlias(query, fields)) {
        return aliasQuality;
    }
    return std::nullopt;
}

bool matchesBuiltInAlias(std::string_view query, const std::vector<std::string>& fields) {
    const auto& table = builtInAliasTargets();
    const auto entry = table.find(query);
    if (entry == table.end()) {
        return false;
    }
    for (const auto& target : entry->second) {
        for (const auto& field : fields) {
            if (field.find(target) != std::string::npos) {
                return true;
            }
        }
    }
    return false;
}

const std::map<std::string, std::vector<std::string>, std::less<>>& builtInAliasTargets() {
    static const std::map<std::string, std::vector<std::string>, std::less<>> table{
        {"clip", {"maccy", "paste"}},
        {"screenshot", {"cleanshot", "shottr"}},
        {"shot", {"cleanshot", "shottr"}},
        {"sync", {"dropbox", "google drive", "onedrive", "one drive"}},
        {"vpn", {"tailscale", "wireguard", "little snitch", "clash", "cato"}},
    };
    return table;
}

} // namespace Parlowen::QuickOpenSearchMatcher
