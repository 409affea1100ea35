#include "Parlowen/QuickOpen/QuickOpenRecordKeys.h"

#include "Parlowen/Items/AXMenuBarItemRecord.h"
#include "Parlowen/QuickOpen/QuickOpenSearchMatcher.h"
#include "core/MenuBarItemDisplayNameResolver.h"

#include <unicode/coll.h>
#include <unicode/locid.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <array>
#include <mutex>
#include <string_view>
#include <unordered_map>

namespace Parlowen {

namespace {

using Keys = std::shared_ptr<const QuickOpenRecordKeys>;

// Beyond this many distinct items the cache starts afresh rather than grow without bound.
constexpr std::size_t cacheLimit = 8192;

// The collator of the current locale, ignoring case but not diacritics. One per thread, since
// a collator must not be shared between threads without care; remade when the locale changes.
const icu::Collator* caseInsensitiveCollator() {
    thread_local std::string localeName;
    thread_local std::unique_ptr<icu::Collator> collator;
    const icu::Locale& locale = icu::Locale::getDefault();
    if (!collator || localeName != locale.getName()) {
        UErrorCode status = U_ZERO_ERROR;
        collator.reset(icu::Collator::createInstance(locale, status));
        if (U_FAILURE(status)) {
            collator.reset();
        } else {
            collator->setStrength(icu::Collator::SECONDARY);
        }
        localeName = locale.getName();
    }
    return collator.get();
}

std::string sortKey(const std::string& text) {
    // Case is folded up front as well: some locales' collations (POSIX) order case at the
    // primary level, which no strength setting hides.
    icu::UnicodeString unicode = icu::UnicodeString::fromUTF8(text);
    unicode.foldCase();
    const icu::Collator* collator = caseInsensitiveCollator();
    if (collator == nullptr) {
        return QuickOpenSearchMatcher::foldedForm(text);
    }
    std::string key(static_cast<std::size_t>(collator->getSortKey(unicode, nullptr, 0)), '\0');
    collator->getSortKey(unicode, reinterpret_cast<std::uint8_t*>(key.data()),
                         static_cast<std::int32_t>(key.size()));
    // The key ends with a zero byte, which bytewise comparison need not see.
    if (!key.empty() && key.back() == '\0') {
        key.pop_back();
    }
    return key;
}

bool isSystemAppName(const std::string& foldedAppName) {
    static constexpr std::array<std::string_view, 4> names = {"controlcenter", "control center",
                                                              "控制中心", "systemuiserver"};
    return std::find(names.begin(), names.end(), foldedAppName) != names.end();
}

// Whether a folded title names no specific Control Center entry.
bool isGenericSystemTitle(const std::string& foldedTitle) {
    static constexpr std::array<std::string_view, 5> generic = {
        "(untitled)", "control center", "控制中心", "status menu", "状态菜单"};
    return foldedTitle.empty() ||
           std::find(generic.begin(), generic.end(), foldedTitle) != generic.end() ||
           foldedTitle.starts_with("control center item") ||
           foldedTitle.starts_with("控制中心入口");
}

QuickOpenRecordKeys computeKeys(const AXMenuBarItemRecord& record) {
    const std::string displayName = QelCore::MenuBarItemDisplayNameResolver::resolve(
        record.title, std::optional<std::string>(), record.appName, std::nullopt);
    QuickOpenRecordKeys keys;
    keys.v2 = MenuBarItemStableIdentity::of(record);
    keys.v1 = MenuBarItemStableIdentity::makeV1(record.appName, record.title, record.role,
                                                record.subrole, record.sourceHint);
    keys.displayNameSortKey = sortKey(displayName);
    keys.searchFields =
        QuickOpenSearchMatcher::searchableFields(record.appName, record.title, displayName);
    keys.isGenericSystemEntry =
        isSystemAppName(QuickOpenSearchMatcher::foldedForm(record.appName)) &&
        isGenericSystemTitle(QuickOpenSearchMatcher::foldedForm(record.title));
    return keys;
}

// Every name the keys derive from, each with its length so that no two records share a text.
std::string cacheKey(const AXMenuBarItemRecord& record) {
    std::string key;
    const auto append = [&](std::string_view text) {
        key += std::to_string(text.size());
        key += ':';
        key += text;
    };
    append(record.bundleIdentifier ? "1" + *record.bundleIdentifier : "0");
    append(record.appName);
    append(record.title);
    append(record.role);
    append(record.subrole);
    append(QelCore::toString(record.sourceHint));
    return key;
}

class KeyCache {
public:
    std::vector<Keys> lookUp(const std::vector<const AXMenuBarItemRecord*>& records) {
        std::vector<std::string> names;
        names.reserve(records.size());
        std::vector<Keys> found(records.size());
        const std::string localeName = icu::Locale::getDefault().getName();
        {
            const std::lock_guard lock(mutex);
            if (localeName != cachedLocale) {
                entries.clear();
                cachedLocale = localeName;
            }
            for (std::size_t index = 0; index < records.size(); ++index) {
                names.push_back(cacheKey(*records[index]));
                if (const auto entry = entries.find(names.back()); entry != entries.end()) {
                    found[index] = entry->second;
                }
            }
        }
        // Misses are computed outside the lock, so a slow first list blocks no other thread.
        bool missed = false;
        for (std::size_t index = 0; index < records.size(); ++index) {
            if (!found[index]) {
                found[index] =
                    std::make_shared<const QuickOpenRecordKeys>(computeKeys(*records[index]));
                missed = true;
            }
        }
        if (missed) {
            const std::lock_guard lock(mutex);
            if (localeName == cachedLocale) {
                if (entries.size() + records.size() > cacheLimit) {
                    entries.clear();
                }
                for (std::size_t index = 0; index < records.size(); ++index) {
                    entries.try_emplace(std::move(names[index]), found[index]);
                }
            }
        }
        return found;
    }

private:
    std::mutex mutex;
    std::string cachedLocale;
    std::unordered_map<std::string, Keys> entries;
};

} // namespace

std::vector<Keys> QuickOpenRecordKeys::of(const std::vector<const AXMenuBarItemRecord*>& records) {
    static KeyCache cache;
    return cache.lookUp(records);
}

} // namespace Parlowen
