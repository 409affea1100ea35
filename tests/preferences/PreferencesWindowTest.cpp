#include "tests/preferences/PreferencesTestSupport.h"
#include "tests/support/KeySender.h"
#include "ui/Preferences/GeneralPaneController.h"
#include "ui/Preferences/PreferencesSwitch.h"
#include "ui/Preferences/PreferencesTabViewController.h"
#include "ui/Preferences/PreferencesWindowController.h"
#include "ui/Preferences/QuickAccessPaneController.h"

#include <QComboBox>
#include <QPushButton>

#include <gtest/gtest.h>

#include <memory>

namespace {

using namespace PreferencesTesting;
using tessaline::testing::sendKey;
using tessaline::testing::showAndActivate;
using Pane = PreferencesTabViewController::Pane;

class PreferencesWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        controller = std::make_unique<PreferencesWindowController>(fixture.services());
        controller->onClose = [this] {
            ++closeCount;
            // The owner drops the controller from inside the close handler.
            controller.reset();
        };
    }
    void TearDown() override {
        controller.reset();
        flushDeferredDeletes();
    }

    QWidget& window() { return *controller->window(); }
    PreferencesTabViewController& tabs() { return *controller->tabViewController(); }
    QWidget* focused() const { return QApplication::focusWidget(); }
    QString focusedName() const { return focused() ? focused()->objectName() : QString(); }

    PreferencesFixture fixture;
    std::unique_ptr<PreferencesWindowController> controller;
    int closeCount = 0;
};

TEST_F(PreferencesWindowTest, EscapeCommandWAndCloseButtonEachCloseOnceAndReleaseSafely) {
    for (const int route : {0, 1, 2}) {
        SCOPED_TRACE(route);
        closeCount = 0;
        controller = std::make_unique<PreferencesWindowController>(fixture.services());
        controller->onClose = [this] {
            ++closeCount;
            controller.reset();
        };
        QPointer<QWidget> shown = controller->window();
        ASSERT_TRUE(showAndActivate(*shown));
        if (route == 0) {
            sendKey(*shown, Qt::Key_Escape);
        } else if (route == 1) {
            sendKey(*shown, Qt::Key_W, Qt::ControlModifier);
        } else {
            shown->close();
        }
        EXPECT_EQ(closeCount, 1);
        EXPECT_EQ(controller, nullptr);
        flushDeferredDeletes();
        EXPECT_TRUE(shown.isNull());
    }
}

TEST_F(PreferencesWindowTest, CommandWClosesWithAPopupFocusedButShiftCommandWDoesNot) {
    ASSERT_TRUE(showAndActivate(window()));
    tabs().show(Pane::quickAccess);
    auto* popup = tabs().quickAccessPane().shortcutPopup();
    popup->setFocus();
    ASSERT_EQ(focused(), popup) << focusChain();

    sendKey(window(), Qt::Key_W, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(closeCount, 0);
    ASSERT_NE(controller, nullptr);
    EXPECT_TRUE(window().isVisible());

    sendKey(window(), Qt::Key_W, Qt::ControlModifier);
    EXPECT_EQ(closeCount, 1);
}

TEST_F(PreferencesWindowTest, FocusRingSkipsDisabledAndHiddenControlsAndWrapsBothWays) {
    // Trusted: the Accessibility row is hidden. No updater: its switch and button are disabled.
    ASSERT_TRUE(showAndActivate(window()));
    auto& general = tabs().generalPane();
    tabs().sidebarButton(Pane::general)->setFocus();
    const std::vector<QString> expected = {
        "preferences.sidebar.quick-access", "preferences.sidebar.advanced",
        "preferences.switch.launch-at-login", "preferences.switch.crash-reporting",
        "preferences.sidebar.general"}; // wraps forward to the first item
    std::vector<QString> visited;
    for (std::size_t step = 0; step < expected.size(); ++step) {
        sendKey(window(), Qt::Key_Tab);
        visited.push_back(focusedName());
    }
    EXPECT_EQ(visited, expected) << focusChain();
    EXPECT_FALSE(general.updatesAutoSwitch()->isEnabled());

    sendKey(window(), Qt::Key_Tab, Qt::ShiftModifier); // and backward to the last
    EXPECT_EQ(focusedName(), "preferences.switch.crash-reporting") << focusChain();
}

TEST_F(PreferencesWindowTest, ArrowsMoveAmongSidebarButtonsAndReturnShowsThePane) {
    ASSERT_TRUE(showAndActivate(window()));
    sendKey(window(), Qt::Key_Up); // from the selected General button, wraps to Advanced
    EXPECT_EQ(focusedName(), "preferences.sidebar.advanced");
    EXPECT_EQ(tabs().selectedPane(), Pane::general);
    sendKey(window(), Qt::Key_Down);
    EXPECT_EQ(focusedName(), "preferences.sidebar.general");
    sendKey(window(), Qt::Key_Down);
    sendKey(window(), Qt::Key_Return);
    EXPECT_EQ(tabs().selectedPane(), Pane::quickAccess);
    EXPECT_EQ(focusedName(), "preferences.popup.quick-access-shortcut") << focusChain();
}

TEST_F(PreferencesWindowTest, ReturnOnASwitchFiresOneActionAndOnADisabledSwitchNone) {
    ASSERT_TRUE(showAndActivate(window()));
    auto* crash = tabs().generalPane().crashReportingSwitch();
    ASSERT_TRUE(crash->isChecked()); // consent defaults to on
    crash->setFocus();
    sendKey(window(), Qt::Key_Return);
    EXPECT_EQ(fixture.consents, std::vector<bool>{false});
    EXPECT_FALSE(crash->isChecked());

    crash->setEnabled(false); // disabled after it took the focus
    crash->setFocus();
    sendKey(window(), Qt::Key_Return);
    EXPECT_EQ(fixture.consents, std::vector<bool>{false});
    EXPECT_FALSE(crash->isChecked());
}

TEST_F(PreferencesWindowTest, FailedDisableWithTheSystemEnabledKeepsTheSwitchOnAndStoresNothing) {
    fixture.loginItems.setStatus(platform::SMAppServiceStatusEnabled);
    ASSERT_TRUE(showAndActivate(window()));
    auto* launch = tabs().generalPane().launchAtLoginSwitch();
    ASSERT_TRUE(launch->isChecked());
    fixture.loginItems.failNext({1, "Operation not permitted"});
    launch->click();
    EXPECT_TRUE(launch->isChecked());
    EXPECT_FALSE(fixture.defaults->objectForKey(Parlowen::AppPreferences::launchAtLoginKey));

    launch->click(); // a change the system accepts is stored
    EXPECT_FALSE(launch->isChecked());
    EXPECT_EQ(fixture.loginItems.status(), platform::SMAppServiceStatusNotRegistered);
    EXPECT_EQ(fixture.defaults->objectForKey(Parlowen::AppPreferences::launchAtLoginKey),
              platform::DefaultsValue(false));
}

TEST_F(PreferencesWindowTest, RevokedPermissionShowsTheAccessibilityRowAndSeparatorOnActivation) {
    ASSERT_TRUE(showAndActivate(window()));
    auto& general = tabs().generalPane();
    auto* separator =
        general.view().findChild<QWidget*>("preferences.separator.general.crash-reporting");
    ASSERT_NE(separator, nullptr);
    EXPECT_TRUE(general.accessibilityRow()->isHidden());
    EXPECT_TRUE(separator->isHidden());
    EXPECT_TRUE(general.isObservingStatus());

    fixture.trusted = false;
    general.updatePermissionLabel();
    EXPECT_FALSE(general.accessibilityRow()->isHidden());
    EXPECT_FALSE(separator->isHidden());

    tabs().show(Pane::advanced); // observers only while the pane is shown
    EXPECT_FALSE(general.isObservingStatus());
}

TEST_F(PreferencesWindowTest, LayoutSwitchWritesTheExactScopeAndCallsBackOnce) {
    std::vector<Parlowen::OverflowPanelScope> scopes;
    controller->onPanelScopeChanged = [&](Parlowen::OverflowPanelScope scope) {
        scopes.push_back(scope);
    };
    fixture.defaults->set(Parlowen::AppPreferences::panelScopeKey, std::string("HiddenOnly"));
    ASSERT_TRUE(showAndActivate(window()));
    tabs().show(Pane::quickAccess);
    auto* layoutSwitch = tabs().quickAccessPane().panelLayoutAllRightSideSwitch();
    EXPECT_TRUE(layoutSwitch->isChecked()); // only the exact "hiddenOnly" turns it off

    layoutSwitch->click();
    EXPECT_EQ(fixture.defaults->stringForKey(Parlowen::AppPreferences::panelScopeKey),
              "hiddenOnly");
    EXPECT_EQ(scopes, std::vector{Parlowen::OverflowPanelScope::hiddenOnly});
}

TEST_F(PreferencesWindowTest, ShortcutChoiceIsStoredAndPassedOn) {
    std::vector<Parlowen::QuickAccessModifierShortcut> chosen;
    controller->onQuickAccessShortcutChanged = [&](Parlowen::QuickAccessModifierShortcut value) {
        chosen.push_back(value);
    };
    fixture.defaults->set(Parlowen::AppPreferences::quickAccessModifierShortcutKey,
                          std::string("hyper"));
    tabs().show(Pane::quickAccess);
    auto* popup = tabs().quickAccessPane().shortcutPopup();
    EXPECT_EQ(popup->currentIndex(), 0); // unknown reads as option
    EXPECT_EQ(popup->itemData(0, Qt::CheckStateRole).toInt(), Qt::Checked);

    popup->setCurrentIndex(3);
    emit popup->activated(3);
    EXPECT_EQ(
        fixture.defaults->stringForKey(Parlowen::AppPreferences::quickAccessModifierShortcutKey),
        "none");
    EXPECT_EQ(chosen, std::vector{Parlowen::QuickAccessModifierShortcut::none});
}

TEST_F(PreferencesWindowTest, ReturnOnTheShownPanesButtonMovesTheFocusIntoIt) {
    ASSERT_TRUE(showAndActivate(window()));
    QWidget* generalView = &tabs().generalPane().view();
    tabs().sidebarButton(Pane::general)->setFocus();
    sendKey(window(), Qt::Key_Return);
    EXPECT_EQ(&tabs().generalPane().view(), generalView);
    EXPECT_EQ(focusedName(), "preferences.switch.launch-at-login") << focusChain();
}

TEST_F(PreferencesWindowTest, VisualPreviewsWriteNothing) {
    tabs().quickAccessPane().renderVisualPreview();
    tabs().generalPane().renderVisualPreview();
    EXPECT_FALSE(tabs().quickAccessPane().panelLayoutAllRightSideSwitch()->isChecked());
    EXPECT_TRUE(tabs().generalPane().launchAtLoginSwitch()->isChecked());
    for (const auto key :
         {Parlowen::AppPreferences::panelScopeKey, Parlowen::AppPreferences::launchAtLoginKey,
          Parlowen::AppPreferences::quickAccessModifierShortcutKey}) {
        EXPECT_FALSE(fixture.defaults->objectForKey(key)) << key;
    }
    EXPECT_EQ(fixture.loginItems.status(), platform::SMAppServiceStatusNotRegistered);
}

TEST_F(PreferencesWindowTest, ProviderSetBeforeThePaneLoadsDoesNotLoadIt) {
    controller->setMenuBarItemsProvider([] { return std::nullopt; });
    EXPECT_FALSE(tabs().quickAccessPane().isViewLoaded());
}

} // namespace
