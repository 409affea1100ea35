#include "Parlowen/Settings/L10n.h"
#include "Parlowen/Settings/AppResourceBundles.h"
#include "Parlowen/Settings/QuickAccessModifierShortcut.h"

#include "tests/support/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <unistd.h>

namespace {

using namespace Parlowen;

class L10nTest : public testing::Test {
protected:
    void SetUp() override { ::setenv("LANGUAGE", "en", 1); }
    void TearDown() override {
        L10n::setLocaleOverride(std::nullopt);
        AppResourceBundles::overrideCandidates(std::nullopt);
        ::unsetenv("LANGUAGE");
    }

    // A bundle folder with one table per (language, JSON text).
    ResourceBundle makeBundle(const std::string& name,
                              const std::vector<std::pair<std::string, std::string>>& tables) {
        const auto root = folder / name;
        for (const auto& [language, text] : tables) {
            std::filesystem::create_directories(root / (language + ".lproj"));
            std::ofstream(root / (language + ".lproj") / "Localizable.json") << text;
        }
        return ResourceBundle(root);
    }

    TemporaryFolder temporary;
    const std::filesystem::path& folder = temporary.path();
};

TEST_F(L10nTest, LookupOrder) {
    const auto main = makeBundle("main", {{"en", R"({"only.main": "Main", "both": "Main both",
                                                   "empty": ""})"},
                                          {"fr", R"({"both": "Les deux"})"},
                                          {"zh", R"({"zh.plain": "Plain"})"},
                                          {"zh-Hans", R"({"both": "Simplified"})"}});
    const auto target = makeBundle("target", {{"en", R"({"only.target": "Target",
                                                        "both": "Target both"})"},
                                              {"fr", R"({"only.target": "Cible"})"}});
    AppResourceBundles::overrideCandidates(std::vector{main, target});
    const struct {
        const char* name;
        std::optional<std::string> forced;
        const char* key;
        const char* expected;
    } rows[] = {
        {"missing everywhere", std::nullopt, "nowhere", "Default"},
        {"first bundle wins", std::nullopt, "both", "Main both"},
        {"second bundle fills in", std::nullopt, "only.target", "Target"},
        {"empty entry is found", std::nullopt, "empty", ""},
        {"forced French", "fr", "both", "Les deux"},
        {"forced French, second bundle", "fr", "only.target", "Cible"},
        {"forced French falls back to system", "fr", "only.main", "Main"},
        {"forced zh-Hant-TW uses zh-Hans", "zh-Hant-TW", "both", "Simplified"},
        {"forced ZH tries zh", "ZH", "zh.plain", "Plain"},
        {"forced en_GB uses en", "en_GB", "only.main", "Main"},
        {"forced unknown falls back", "de", "both", "Main both"},
        {"forced path stays inside", "../main/fr", "both", "Main both"},
        {"forced, missing everywhere", "fr", "nowhere", "Default"},
    };
    for (const auto& row : rows) {
        L10n::setLocaleOverride(row.forced);
        EXPECT_EQ(L10n::string(row.key, "Default"), row.expected) << row.name;
    }
}

TEST_F(L10nTest, SystemLanguagePicksTheBundleLocalization) {
    const auto bundle = makeBundle("main", {{"en", R"({"k": "English"})"},
                                            {"pt-BR", R"({"k": "Brasil"})"},
                                            {"de", R"({"k": "Deutsch", "bad": 5})"},
                                            {"zh-Hant", R"({"k": "Traditional"})"}});
    AppResourceBundles::overrideCandidates(std::vector{bundle});
    const struct {
        const char* language;
        const char* key;
        const char* expected;
    } rows[] = {
        {"pt_BR.UTF-8", "k", "Brasil"}, {"de_AT", "k", "Deutsch"}, {"fr:de", "k", "Deutsch"},
        {"zh_TW", "k", "Traditional"},  {"C", "k", "English"},     {"de", "bad", "Default"},
    };
    for (const auto& row : rows) {
        ::setenv("LANGUAGE", row.language, 1);
        EXPECT_EQ(L10n::string(row.key, "Default"), row.expected) << row.language;
    }
}

TEST_F(L10nTest, BrokenTablesCountAsMissing) {
    const auto bundle = makeBundle("main", {{"en", "{not json"}, {"fr", "[\"k\"]"}});
    AppResourceBundles::overrideCandidates(std::vector{bundle});
    EXPECT_EQ(L10n::string("k", "Default"), "Default");
    L10n::setLocaleOverride("fr");
    EXPECT_EQ(L10n::string("k", "Default"), "Default");
}

TEST_F(L10nTest, ShippedEnglishTableHoldsTheDefaults) {
    const std::pair<QuickAccessModifierShortcut, const char*> rows[] = {
        {QuickAccessModifierShortcut::shift, "Shift + Shift"},
        {QuickAccessModifierShortcut::option, "Option + Option"},
        {QuickAccessModifierShortcut::command, "Command + Command"},
        {QuickAccessModifierShortcut::none, "None"},
    };
    const auto bundles = AppResourceBundles::candidates();
    for (const auto& [shortcut, english] : rows) {
        const auto key = "quick_access.shortcut." + QelCore::toString(shortcut);
        EXPECT_EQ(localizedName(shortcut), english) << key;
        // Found in the shipped table itself, not only as the fallback text.
        EXPECT_TRUE(std::any_of(bundles.begin(), bundles.end(), [&](const auto& bundle) {
            return bundle.localizedString(key, "en") == english;
        })) << key;
    }
}

struct FormatRow {
    const char* name;
    const char* text;
    std::vector<L10n::Argument> arguments;
    const char* expected;
};

template <std::size_t count> void expectFormats(const FormatRow (&rows)[count]) {
    for (const auto& row : rows) {
        EXPECT_EQ(L10n::format(row.text, row.arguments), row.expected) << row.name;
    }
}

TEST(L10nFormat, FillsPlaceholdersInOnePass) {
    const FormatRow rows[] = {
        {"one name", "Opened %@", {"Clock"}, "Opened Clock"},
        {"name holding a placeholder",
         "Opening %@...",
         {"100%@ Evil %@"},
         "Opening 100%@ Evil %@..."},
        {"two in order", "%@ and %@", {"A", "B"}, "A and B"},
        {"positional", "%2$@ before %1$@", {"A", "B"}, "B before A"},
        {"percent sign", "100%% of %@", {"it"}, "100% of it"},
        {"missing argument", "Open %@ and %@", {"A"}, "Open A and %@"},
        {"lone percent at end", "50%", {}, "50%"},
        {"text for a whole number kept as written", "%d %@", {"x"}, "%d %@"},
        {"other specifier kept", "%s %@", {"x"}, "%s x"},
    };
    expectFormats(rows);
}

TEST(L10nFormat, FillsCountsAndSeconds) {
    const FormatRow rows[] = {
        {"count", "%d hidden", {3}, "3 hidden"},
        {"negative count", "%d", {-12}, "-12"},
        {"unsigned count", "%d items", {std::size_t{7}}, "7 items"},
        {"largest unsigned saturates",
         "%d",
         {std::numeric_limits<std::uint64_t>::max()},
         "9223372036854775807"},
        {"count and name share one order", "%d of %@", {2, "Clock"}, "2 of Clock"},
        {"positional count", "%2$@: %1$d", {5, "Wi-Fi"}, "Wi-Fi: 5"},
        {"seconds rounded", "%.0f s", {4.6}, "5 s"},
        {"seconds of a whole number", "%.0f s", {4}, "4 s"},
        {"positional seconds", "%2$.0f/%1$.0f", {10.0, 2.4}, "2/10"},
        {"fraction cut for a count", "%d", {2.9}, "2"},
        {"non-finite count kept", "%d left", {std::numeric_limits<double>::infinity()}, "%d left"},
        {"number as a text", "%@ s", {1.5}, "1.5 s"},
        {"count as a text", "%@", {42}, "42"},
        {"text for seconds kept", "%.0f", {"soon"}, "%.0f"},
        {"other precision kept", "%.1f", {1.25}, "%.1f"},
        {"missing count", "%d and %d", {1}, "1 and %d"},
        {"position beyond the arguments", "%3$d", {1, 2}, "%3$d"},
        {"escaped before a count", "%%d %d", {9}, "%d 9"},
    };
    expectFormats(rows);
}

TEST(L10nFolders, ForcedIdentifierLanguageLists) {
    using Folders = std::vector<std::string>;
    EXPECT_EQ(L10n::languageFolders("zh-Hant-TW"), (Folders{"zh-Hans", "zh-hans", "zh"}));
    EXPECT_EQ(L10n::languageFolders("ZH"), (Folders{"zh-Hans", "zh-hans", "zh"}));
    EXPECT_EQ(L10n::languageFolders("en_GB"), (Folders{"en"}));
    EXPECT_EQ(L10n::languageFolders("Fr-CA"), (Folders{"Fr-CA"}));
}

} // namespace
