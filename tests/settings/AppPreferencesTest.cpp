#include "Parlowen/Settings/AppPreferences.h"
#include "platform/InMemoryUserDefaults.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

using namespace Parlowen;
using platform::DefaultsData;
using platform::DefaultsValue;
using platform::InMemoryUserDefaults;

struct Fixture {
    std::shared_ptr<InMemoryUserDefaults> defaults = std::make_shared<InMemoryUserDefaults>();
    AppPreferences preferences{defaults};
};

TEST(AppPreferencesFirstRun, StoresTheShortcutOnce) {
    Fixture first;
    first.preferences.applyFirstRunDefaultsIfNeeded();
    EXPECT_EQ(first.defaults->stringForKey("quickAccess.modifierShortcut"), "option");
    EXPECT_EQ(first.defaults->objectForKey("firstRun.defaultsApplied"), DefaultsValue(true));
    // Only the shortcut gets a first-run value.
    EXPECT_EQ(first.defaults->objectForKey("panel.scope"), std::nullopt);
    EXPECT_EQ(first.defaults->objectForKey("scanner.renderedFrameAssistEnabled"), std::nullopt);

    // A later launch changes nothing, even after the shortcut key was removed.
    first.defaults->removeObject("quickAccess.modifierShortcut");
    first.preferences.applyFirstRunDefaultsIfNeeded();
    EXPECT_EQ(first.defaults->objectForKey("quickAccess.modifierShortcut"), std::nullopt);
    EXPECT_EQ(first.preferences.quickAccessModifierShortcut(), QuickAccessModifierShortcut::option);
}

TEST(AppPreferencesFirstRun, KeepsAnyValueStoredBefore) {
    const struct {
        const char* name;
        DefaultsValue stored;
        QuickAccessModifierShortcut reads;
    } rows[] = {
        {"none chosen", std::string("none"), QuickAccessModifierShortcut::none},
        {"command chosen", std::string("command"), QuickAccessModifierShortcut::command},
        {"unknown text", std::string("Shift"), QuickAccessModifierShortcut::option},
        {"wrong type", std::int64_t{2}, QuickAccessModifierShortcut::option},
    };
    for (const auto& row : rows) {
        Fixture fixture;
        fixture.defaults->set("quickAccess.modifierShortcut", row.stored);
        fixture.preferences.applyFirstRunDefaultsIfNeeded();
        EXPECT_EQ(fixture.defaults->objectForKey("quickAccess.modifierShortcut"), row.stored)
            << row.name;
        EXPECT_EQ(fixture.preferences.quickAccessModifierShortcut(), row.reads) << row.name;
        EXPECT_TRUE(fixture.defaults->boolForKey("firstRun.defaultsApplied")) << row.name;
    }
}

TEST(AppPreferencesFirstRun, NonBooleanMarkerRunsTheStepAgain) {
    Fixture fixture;
    fixture.defaults->set("firstRun.defaultsApplied", std::string("true"));
    fixture.preferences.applyFirstRunDefaultsIfNeeded();
    EXPECT_EQ(fixture.defaults->stringForKey("quickAccess.modifierShortcut"), "option");
    EXPECT_EQ(fixture.defaults->objectForKey("firstRun.defaultsApplied"), DefaultsValue(true));
}

TEST(AppPreferences, ShortcutSetterStoresTheRawValue) {
    Fixture fixture;
    for (const auto& [shortcut, text] : QelCore::RawValues<QuickAccessModifierShortcut>::table) {
        fixture.preferences.setQuickAccessModifierShortcut(shortcut);
        EXPECT_EQ(fixture.defaults->stringForKey("quickAccess.modifierShortcut"), text);
        EXPECT_EQ(fixture.preferences.quickAccessModifierShortcut(), shortcut) << text;
    }
}

// Each row stores one value (or nothing) and checks what every reader of that key answers.
TEST(AppPreferences, AbsentStoredAndWrongTypedValues) {
    using P = AppPreferences;
    const auto nan = std::numeric_limits<double>::quiet_NaN();
    const auto infinity = std::numeric_limits<double>::infinity();
    struct Row {
        const char* name;
        std::string_view key;
        std::optional<DefaultsValue> stored;
        std::function<std::string(const P&)> read;
        std::string expected;
    };
    const auto flag = [](bool (P::*reader)() const) {
        return [reader](const P& p) { return std::string((p.*reader)() ? "true" : "false"); };
    };
    const auto interval = [](const P& p) { return std::to_string(p.scanIntervalSeconds()); };
    const auto scope = [](const P& p) { return QelCore::toString(p.panelScope()); };
    const auto assist = flag(&P::renderedFrameAssistEnabled);
    const auto crash = flag(&P::crashReportingEnabled);
    const Row rows[] = {
        {"assist absent", P::renderedFrameAssistEnabledKey, std::nullopt, assist, "true"},
        {"assist false", P::renderedFrameAssistEnabledKey, false, assist, "false"},
        {"assist true", P::renderedFrameAssistEnabledKey, true, assist, "true"},
        {"assist as text", P::renderedFrameAssistEnabledKey, std::string("true"), assist, "false"},
        {"crash absent", P::crashReportingEnabledKey, std::nullopt, crash, "true"},
        {"crash false", P::crashReportingEnabledKey, false, crash, "false"},
        {"crash as integer", P::crashReportingEnabledKey, std::int64_t{1}, crash, "false"},
        {"labels absent", P::labelsEnabledKey, std::nullopt, flag(&P::labelsEnabled), "false"},
        {"labels true", P::labelsEnabledKey, true, flag(&P::labelsEnabled), "true"},
        {"login absent", P::launchAtLoginKey, std::nullopt, flag(&P::launchAtLogin), "false"},
        {"login true", P::launchAtLoginKey, true, flag(&P::launchAtLogin), "true"},
        {"onboarding absent", P::onboardingCompletedKey, std::nullopt,
         flag(&P::onboardingCompleted), "false"},
        {"onboarding true", P::onboardingCompletedKey, true, flag(&P::onboardingCompleted), "true"},
        {"scope absent", P::panelScopeKey, std::nullopt, scope, "allRightSide"},
        {"scope hidden", P::panelScopeKey, std::string("hiddenOnly"), scope, "hiddenOnly"},
        {"scope other case", P::panelScopeKey, std::string("hiddenonly"), scope, "allRightSide"},
        {"scope all", P::panelScopeKey, std::string("allRightSide"), scope, "allRightSide"},
        {"scope as data", P::panelScopeKey, DefaultsData{'h'}, scope, "allRightSide"},
        {"interval absent", P::scanIntervalSecondsKey, std::nullopt, interval, "5.000000"},
        {"interval 10", P::scanIntervalSecondsKey, 10.0, interval, "10.000000"},
        {"interval integer 3", P::scanIntervalSecondsKey, std::int64_t{3}, interval, "3.000000"},
        {"interval 0", P::scanIntervalSecondsKey, 0.0, interval, "5.000000"},
        {"interval negative", P::scanIntervalSecondsKey, -3.0, interval, "5.000000"},
        {"interval tiny", P::scanIntervalSecondsKey, 0.05, interval, "5.000000"},
        {"interval smallest", P::scanIntervalSecondsKey, 0.1, interval, "0.100000"},
        {"interval nan", P::scanIntervalSecondsKey, nan, interval, "5.000000"},
        {"interval infinite", P::scanIntervalSecondsKey, infinity, interval, "5.000000"},
        {"interval as text", P::scanIntervalSecondsKey, std::string("10"), interval, "5.000000"},
        {"install id absent", P::installIDKey, std::nullopt,
         [](const P& p) { return p.installID().value_or("none"); }, "none"},
        {"install id", P::installIDKey, std::string("abc"),
         [](const P& p) { return p.installID().value_or("none"); }, "abc"},
    };
    for (const auto& row : rows) {
        Fixture fixture;
        if (row.stored) {
            fixture.defaults->set(row.key, *row.stored);
        }
        EXPECT_EQ(row.read(fixture.preferences), row.expected) << row.name;
    }
}

TEST(AppPreferences, UsableScanIntervals) {
    EXPECT_TRUE(AppPreferences::isUsableScanInterval(30));
    EXPECT_FALSE(AppPreferences::isUsableScanInterval(0.09));
    EXPECT_FALSE(AppPreferences::isUsableScanInterval(std::numeric_limits<double>::infinity()));
}

} // namespace
