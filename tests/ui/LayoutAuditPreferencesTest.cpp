// The layout audit over the preferences window's panes and the app shortcuts window.
#include "Parlowen/Items/ReferenceDate.h"
#include "Parlowen/Updates/PreferencesUpdater.h"
#include "tests/preferences/PreferencesTestSupport.h"
#include "tests/quickopen/RecordBuilder.h"
#include "tests/support/KeySender.h"
#include "tests/support/LayoutAudit.h"
#include "ui/Design/TessalineSecondaryButton.h"
#include "ui/Preferences/AdvancedPaneController.h"
#include "ui/Preferences/GeneralPaneController.h"
#include "ui/Preferences/PerAppHotKeyManagementViewController.h"
#include "ui/Preferences/PreferencesTabViewController.h"
#include "ui/Preferences/PreferencesWindowController.h"
#include "ui/Preferences/QuickAccessPaneController.h"

#include <QTest>

#include <gtest/gtest.h>

#include <functional>

namespace {

using namespace PreferencesTesting;
using namespace tessaline::testing;
using Pane = PreferencesTabViewController::Pane;

class FixedUpdater final : public Parlowen::PreferencesUpdater {
public:
    explicit FixedUpdater(Parlowen::UpdaterStatus status, bool canCheck)
        : current(std::move(status)), canCheck(canCheck) {}
    Parlowen::UpdaterStatus status() const override { return current; }
    bool hasFeedAddress() const override { return true; }
    bool canCheckForUpdates() const override { return canCheck; }
    bool automaticallyChecksForUpdates() const override { return true; }
    void setAutomaticallyChecksForUpdates(bool) override {}
    bool automaticallyDownloadsUpdates() const override { return false; }
    void setAutomaticallyDownloadsUpdates(bool) override {}
    bool allowsAutomaticUpdates() const override { return true; }
    void checkForUpdates() override {}

private:
    Parlowen::UpdaterStatus current;
    bool canCheck;
};

// Apps whose shortcuts the app shortcuts window lists, newest last.
constexpr const char* shortcutApps[] = {"Night Owl",   "Little Snitch", "Bartender", "iStat Menus",
                                        "CleanShot X", "1Password",     "Dropbox",   "Tailscale"};

// "App 1" to "App `count`".
std::vector<std::string> numbered(const std::string& name, int count) {
    std::vector<std::string> names;
    for (int index = 1; index <= count; ++index) {
        names.push_back(name + " " + std::to_string(index));
    }
    return names;
}

Parlowen::AXMenuBarItemRecord item(const std::string& appName) {
    return QuickOpenTesting::record(appName, appName, QelCore::VisibilityClassification::visible,
                                    std::nullopt, "com.example." + appName);
}

void assignShortcuts(PreferencesFixture& fixture, const std::vector<std::string>& apps) {
    double seconds = 800'000'000;
    std::uint32_t key = 0;
    for (const auto& app : apps) {
        fixture.hotKeys.assign(item(app), key++, 0x1B00,
                               *Parlowen::ReferenceDate::fromSecondsSinceReferenceDate(seconds++));
    }
}

void expectNoFindings(const std::vector<LayoutFinding>& findings, const char* state) {
    EXPECT_TRUE(findings.empty()) << state << "\n" << describe(findings);
}

TEST(PreferencesLayoutAuditTest, EveryPaneInEveryStateFitsAndShowsItsFocus) {
    FixedUpdater checking(Parlowen::UpdaterStatus::checking(), false);
    FixedUpdater downloaded(Parlowen::UpdaterStatus::downloaded("2.0", true), true);
    const struct {
        const char* name;
        Pane pane;
        std::function<void(PreferencesFixture&, PreferencesServices&)> before;
        std::function<void(PreferencesTabViewController&)> after;
    } states[] = {
        {"General, as in the pictures",
         Pane::general,
         {},
         [](PreferencesTabViewController& tabs) { tabs.generalPane().renderVisualPreview(); }},
        {"General without an updater or Accessibility",
         Pane::general,
         [](PreferencesFixture& fixture, PreferencesServices&) { fixture.trusted = false; },
         {}},
        {"General while checking",
         Pane::general,
         [&](PreferencesFixture&, PreferencesServices& services) {
             services.updaterProvider = [&] { return &checking; };
         },
         {}},
        {"General with a required update downloaded",
         Pane::general,
         [&](PreferencesFixture&, PreferencesServices& services) {
             services.updaterProvider = [&] { return &downloaded; };
         },
         {}},
        {"Quick Access, as in the pictures",
         Pane::quickAccess,
         {},
         [](PreferencesTabViewController& tabs) { tabs.quickAccessPane().renderVisualPreview(); }},
        {"Quick Access with shortcuts not seen now",
         Pane::quickAccess,
         [](PreferencesFixture& fixture, PreferencesServices&) {
             assignShortcuts(fixture, {"Night Owl", "Little Snitch", "Bartender"});
         },
         {}},
        {"Advanced", Pane::advanced, {}, {}},
        {"Advanced after Reset",
         Pane::advanced,
         {},
         [](PreferencesTabViewController& tabs) { tabs.advancedPane().resetButton()->click(); }},
    };
    for (const auto& state : states) {
        PreferencesFixture fixture;
        auto services = fixture.services();
        if (state.before) {
            state.before(fixture, services);
        }
        PreferencesWindowController controller(std::move(services));
        controller.setMenuBarItemsProvider([] {
            return std::optional(std::vector{item("Night Owl"), item("Bartender")});
        });
        auto& tabs = *controller.tabViewController();
        tabs.show(state.pane);
        if (state.after) {
            state.after(tabs);
        }
        QWidget& window = *controller.window();
        ASSERT_TRUE(showAndActivate(window)) << state.name;
        saveForReview(window, TESSALINE_AUDIT_RENDER_DIR,
                      QStringLiteral("preferences %1").arg(state.name));
        expectNoFindings(auditLayout(window, {QStringLiteral("preferences"), {}, {}}), state.name);
        expectNoFindings(auditFocusRings(window, QStringLiteral("preferences")), state.name);
        window.hide();
        flushDeferredDeletes();
    }
}

TEST(PreferencesLayoutAuditTest, AppShortcutsWindowFitsEveryListLength) {
    const struct {
        const char* name;
        std::vector<std::string> apps;
        // Apps the latest scan saw; none means no scan yet.
        std::optional<std::vector<std::string>> seen;
    } states[] = {
        {"no shortcuts", {}, std::nullopt},
        {"one shortcut", {"Night Owl"}, std::nullopt},
        {"three shortcuts, one not seen now",
         {"Night Owl", "Little Snitch", "Bartender"},
         std::vector<std::string>{"Night Owl", "Bartender"}},
        {"eight shortcuts",
         {std::begin(shortcutApps), std::end(shortcutApps)},
         std::vector<std::string>{"Night Owl", "Little Snitch", "Dropbox"}},
        {"a long name",
         {"Microsoft OneDrive for Business and Personal Accounts", "Night Owl"},
         std::nullopt},
        {"twenty-two shortcuts, ten not seen now", numbered("App", 22), numbered("App", 12)},
    };
    for (const auto& state : states) {
        PreferencesFixture fixture;
        assignShortcuts(fixture, state.apps);
        PreferencesWindowController controller(fixture.services());
        if (state.seen) {
            controller.setMenuBarItemsProvider([seen = *state.seen] {
                std::vector<Parlowen::AXMenuBarItemRecord> items;
                for (const auto& app : seen) {
                    items.push_back(item(app));
                }
                return std::optional(items);
            });
        }
        auto& tabs = *controller.tabViewController();
        tabs.show(Pane::quickAccess);
        ASSERT_TRUE(showAndActivate(*controller.window())) << state.name;
        tabs.quickAccessPane().manageAppShortcutsButton()->click();
        QWidget& panel = *tabs.quickAccessPane().appShortcutsWindowController()->panel();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel)) << state.name;
        panel.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&panel)) << state.name;
        const LayoutAuditRules rules{QStringLiteral("app shortcuts"),
                                     {QStringLiteral("preferences.app-shortcut.name")},
                                     {QStringLiteral("preferences.app-shortcuts.list")}};
        saveForReview(panel, TESSALINE_AUDIT_RENDER_DIR,
                      QStringLiteral("app shortcuts %1").arg(state.name));
        expectNoFindings(auditLayout(panel, rules), state.name);
        expectNoFindings(auditFocusRings(panel, rules.window), state.name);
        panel.hide();
        controller.window()->hide();
        flushDeferredDeletes();
    }
}

} // namespace
