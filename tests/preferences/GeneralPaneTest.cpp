#include "Parlowen/Updates/PreferencesUpdater.h"
#include "Parlowen/Updates/UpdaterController.h"
#include "tests/preferences/PreferencesTestSupport.h"
#include "tests/support/KeySender.h"
#include "ui/Design/TessalineSecondaryButton.h"
#include "ui/Preferences/GeneralPaneController.h"
#include "ui/Preferences/PerAppHotKeyManagementViewController.h"
#include "ui/Preferences/PreferencesSwitch.h"
#include "ui/Preferences/PreferencesTabViewController.h"
#include "ui/Preferences/PreferencesWindowController.h"
#include "ui/Preferences/QuickAccessPaneController.h"

#include <QPushButton>

#include <gtest/gtest.h>

#include <memory>

namespace {

using namespace PreferencesTesting;
using Pane = PreferencesTabViewController::Pane;

// An updater whose answers the test sets; the General pane only reads and sets these values.
class ScriptedUpdater final : public Parlowen::PreferencesUpdater {
public:
    Parlowen::UpdaterStatus status() const override { return currentStatus; }
    bool hasFeedAddress() const override { return hasFeed; }
    bool canCheckForUpdates() const override { return canCheck; }
    bool automaticallyChecksForUpdates() const override { return checks; }
    void setAutomaticallyChecksForUpdates(bool enabled) override { checks = enabled; }
    bool automaticallyDownloadsUpdates() const override { return downloads; }
    void setAutomaticallyDownloadsUpdates(bool enabled) override { downloads = enabled; }
    bool allowsAutomaticUpdates() const override { return allowsAutomatic; }
    void checkForUpdates() override {
        ++checkCount;
        currentStatus = Parlowen::UpdaterStatus::checking();
    }

    Parlowen::UpdaterStatus currentStatus;
    bool hasFeed = true;
    bool canCheck = true;
    bool checks = false;
    bool downloads = false;
    bool allowsAutomatic = false;
    int checkCount = 0;
};

class GeneralPaneTest : public ::testing::Test {
protected:
    void TearDown() override { flushDeferredDeletes(); }

    PreferencesServices services(bool withUpdater) {
        auto result = fixture.services();
        if (withUpdater) {
            result.updaterProvider = [this] { return &updater; };
        }
        return result;
    }

    PreferencesFixture fixture;
    ScriptedUpdater updater;
};

TEST_F(GeneralPaneTest, WithoutAnUpdaterTheControlsStayDisabledWithTheReason) {
    PreferencesWindowController controller(services(false));
    auto& pane = controller.tabViewController()->generalPane();
    EXPECT_FALSE(pane.updatesAutoSwitch()->isEnabled());
    EXPECT_FALSE(pane.checkUpdatesButton()->isEnabled());
    EXPECT_EQ(pane.checkUpdatesButton()->text(), "Check Now");
    EXPECT_EQ(pane.checkUpdatesButton()->toolTip(), "Updater unavailable in this build");
}

// A permission changed while the program stays in front (revoked from outside it) shows within
// a second, with no switch of panes.
TEST_F(GeneralPaneTest, ThePermissionFollowsARevokeWhileThePaneIsShown) {
    PreferencesWindowController controller(services(false));
    ASSERT_TRUE(tessaline::testing::showAndActivate(*controller.window()));
    auto& pane = controller.tabViewController()->generalPane();
    EXPECT_TRUE(pane.accessibilityRow()->isHidden());
    fixture.trusted = false;
    fixture.loop.runFor(std::chrono::seconds(1));
    EXPECT_FALSE(pane.accessibilityRow()->isHidden());
}

TEST_F(GeneralPaneTest, StatusShowsOnTheButtonAndFollowsAnnouncementsWhileShown) {
    updater.currentStatus = Parlowen::UpdaterStatus::failed("offline");
    PreferencesWindowController controller(services(true));
    ASSERT_TRUE(tessaline::testing::showAndActivate(*controller.window()));
    auto& pane = controller.tabViewController()->generalPane();
    EXPECT_EQ(pane.checkUpdatesButton()->text(), "Check Now");
    EXPECT_EQ(pane.checkUpdatesButton()->toolTip(), "Update check failed: offline");

    updater.currentStatus = Parlowen::UpdaterStatus::downloaded("2.0", true);
    fixture.notifications.post(Parlowen::UpdaterController::statusDidChangeNotification);
    EXPECT_EQ(pane.checkUpdatesButton()->text(), "Check Now"); // refreshed on the run loop
    fixture.loop.runFor(std::chrono::milliseconds(1));
    EXPECT_EQ(pane.checkUpdatesButton()->text(), "Install...");
    EXPECT_EQ(pane.checkUpdatesButton()->toolTip(),
              "Required update 2.0 has downloaded. Click Install to finish.");

    updater.canCheck = false;
    pane.checkUpdatesButton()->setEnabled(true);
    controller.tabViewController()->show(Pane::advanced);
    updater.currentStatus = Parlowen::UpdaterStatus::latest();
    fixture.notifications.post(Parlowen::UpdaterController::statusDidChangeNotification);
    fixture.loop.runFor(std::chrono::milliseconds(1));
    EXPECT_EQ(pane.checkUpdatesButton()->text(), "Install..."); // hidden panes do not follow
}

TEST_F(GeneralPaneTest, CheckNowStartsACheckAndShowsChecking) {
    PreferencesWindowController controller(services(true));
    auto& pane = controller.tabViewController()->generalPane();
    pane.checkUpdatesButton()->click();
    EXPECT_EQ(updater.checkCount, 1);
    EXPECT_EQ(pane.checkUpdatesButton()->text(), "Checking...");
}

// Turning automatic checks on also turns automatic downloads on where updates may be installed;
// turning them off leaves automatic downloads as they were.
TEST_F(GeneralPaneTest, AutomaticChecksTurnOnDownloadsOnlyWhereAllowedAndNeverOff) {
    const struct {
        bool checksBefore;
        bool downloadsBefore;
        bool allowed;
        bool downloadsAfter;
    } rows[] = {
        {false, false, true, true},  {false, false, false, false}, {false, true, false, true},
        {true, true, true, true},    {true, true, false, true},    {true, false, true, false},
        {true, false, false, false},
    };
    for (const auto& row : rows) {
        const auto name = testing::Message() << "checks " << row.checksBefore << ", downloads "
                                             << row.downloadsBefore << ", allowed " << row.allowed;
        updater.checks = row.checksBefore;
        updater.downloads = row.downloadsBefore;
        updater.allowsAutomatic = row.allowed;
        PreferencesWindowController controller(services(true));
        auto* autoSwitch = controller.tabViewController()->generalPane().updatesAutoSwitch();
        ASSERT_TRUE(autoSwitch->isEnabled()) << name;
        ASSERT_EQ(autoSwitch->isChecked(), row.checksBefore) << name;
        autoSwitch->click();
        EXPECT_EQ(updater.checks, !row.checksBefore) << name;
        EXPECT_EQ(updater.downloads, row.downloadsAfter) << name;
    }
}

TEST_F(GeneralPaneTest, OwnerReleasingThePreferencesFromTheListsHandlerIsSafe) {
    auto controller = std::make_unique<PreferencesWindowController>(fixture.services());
    controller->onAddPerAppHotKeyShortcut = [&](std::function<void()> refresh) {
        // The owner drops the preferences while the list's button handler runs, then the
        // setup completes later.
        controller.reset();
        refresh();
    };
    auto& pane = controller->tabViewController()->quickAccessPane();
    controller->tabViewController()->show(Pane::quickAccess);
    pane.manageAppShortcuts();
    QPointer<QWidget> panel = pane.appShortcutsWindowController()->panel();
    panel->findChild<QPushButton*>("preferences.button.add-app-shortcut")->click();
    EXPECT_EQ(controller, nullptr);
    flushDeferredDeletes();
    EXPECT_TRUE(panel.isNull());
}

} // namespace
