#include "tests/app/HubFixture.h"
#include "tests/support/KeySender.h"
#include "ui/Design/TessalineSecondaryButton.h"
#include "ui/Desktop/AccessibilitySettingsWindow.h"
#include "ui/Desktop/DesktopWindow.h"
#include "ui/Desktop/SettingsSwitch.h"
#include "ui/Desktop/SimulatedKeyboard.h"
#include "ui/Preferences/GeneralPaneController.h"
#include "ui/Preferences/PreferencesTabViewController.h"
#include "ui/Preferences/PreferencesWindowController.h"
#include "ui/QuickOpenPanel/OverflowPanelView.h"
#include "ui/QuickOpenPanel/OverflowRowHotKeyButton.h"
#include "ui/QuickOpenPanel/OverflowRowView.h"
#include "ui/QuickOpenPanel/PanelKeyboardTableView.h"

#include <QCheckBox>
#include <QKeyEvent>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QWindow>

namespace {
using namespace Parlowen;

// The program's own objects on the simulated Mac, driven as a person would: the hub with its
// panel and per-app hotkeys, and the desktop window through which keys and clicks arrive.
struct SimulatedMacTest : AppTesting::HubFixture {
    std::unique_ptr<StatusBarController> hub;
    std::unique_ptr<DesktopWindow> window;

    void start() {
        hub = makeHub();
        wire(*hub);
        hub->poller().start();
        window = std::make_unique<DesktopWindow>(*desktop);
        window->keyboard().isRecordingShortcut = [this](const QWidget& keyWindow) {
            return hub->isRecordingShortcut(keyWindow);
        };
        ASSERT_TRUE(tessaline::testing::showAndActivate(*window));
        run(500);
    }
    void TearDown() override {
        window.reset();
        hub.reset();
        HubFixture::TearDown();
    }

    // A key chord as the window system delivers it to the window.
    void press(QWidget& target, Qt::Key key, Qt::KeyboardModifiers modifiers) {
        QTest::keyClick(target.windowHandle(), key, modifiers);
        run();
    }

    // One key of a modifier pair: its X11 key code and symbol, and the Mac key it stands for.
    struct PairKey {
        quint32 x11KeyCode;
        quint32 keySymbol;
        platform::CGKeyCode mac;
    };
    static constexpr PairKey leftShift{50, 0xFFE1, platform::kVK_Shift};
    static constexpr PairKey rightShift{62, 0xFFE2, platform::kVK_RightShift};

    // Both keys of a modifier pair pressed and let go in the window, each side's key as the
    // window system delivers it.
    void pressPair(QWidget& target, Qt::Key key, PairKey left, PairKey right) {
        for (const auto& [type, side] : {std::pair(QEvent::KeyPress, left),
                                         {QEvent::KeyPress, right},
                                         {QEvent::KeyRelease, right},
                                         {QEvent::KeyRelease, left}}) {
            QKeyEvent event(type, key, Qt::NoModifier, side.x11KeyCode, side.keySymbol, 0);
            QCoreApplication::sendEvent(target.windowHandle(), &event);
        }
        run();
    }

    // Command-W as a quick press gives it: the window closes as W goes down, and Ctrl is let go
    // before anything has the keyboard again, where no window of the program sees it. The
    // pointer moving with no key held is how the offscreen platform learns that the keys are up
    // (a move to where the pointer already is tells nothing).
    void pressCommandW(QWidget& target) {
        QTest::keyPress(target.windowHandle(), Qt::Key_Control, Qt::ControlModifier);
        run();
        QKeyEvent w(QEvent::KeyPress, Qt::Key_W, Qt::ControlModifier, QStringLiteral("\x17"));
        QCoreApplication::sendEvent(target.windowHandle(), &w);
        pointerX_ = pointerX_ == 10 ? 11 : 10;
        QTest::mouseMove(window->windowHandle(), QPoint(pointerX_, 10));
        run();
    }
    int pointerX_ = 10;
};

TEST_F(SimulatedMacTest, AShortcutRecordedInThePanelOpensItsItemsMenuWhenPressedOnTheDesktop) {
    start();
    click(platform::sim::SimStatusBar::firstItemId);
    QWidget* panelWindow = hub->panelWindow();
    ASSERT_NE(panelWindow, nullptr);
    auto& view = hub->overflowPanel().view();
    ASSERT_FALSE(hub->overflowPanel().displayedItems().empty());
    const AXMenuBarItemRecord item = hub->overflowPanel().displayedItems().front();
    QTest::mouseClick(view.tableView->existingRowView(0)->hotKeyButton, Qt::LeftButton);
    ASSERT_TRUE(hub->overflowPanel().activeHotKeyCaptureItem());

    // Command-Option-K (Ctrl and Alt here): the recording takes it, no hotkey sees it.
    constexpr std::uint32_t keyK = 40;
    const std::uint32_t chord = platform::cmdKey | platform::optionKey;
    press(*panelWindow, Qt::Key_K, Qt::ControlModifier | Qt::AltModifier);
    ASSERT_EQ(panel.hotKeys.bindings().size(), 1U);
    EXPECT_EQ(panel.hotKeys.bindings().front().shortcut.keyCode, keyK);
    EXPECT_EQ(desktop->appServices().hotKeys.holder(keyK, chord),
              desktop->initialDescription().ownProcess.pid);

    // Recorded again, the chord this program holds is still the recording's, not the hotkey's.
    const auto open = [&] {
        const auto state = desktop->menuBarState();
        return std::count_if(state.items.begin(), state.items.end(), [&](const auto& shown) {
            return shown.menuOpen && shown.description.pid == item.pid;
        });
    };
    QTest::mouseClick(view.tableView->existingRowView(0)->hotKeyButton, Qt::LeftButton);
    ASSERT_TRUE(hub->overflowPanel().activeHotKeyCaptureItem());
    press(*panelWindow, Qt::Key_K, Qt::ControlModifier | Qt::AltModifier);
    run(3000);
    EXPECT_FALSE(hub->overflowPanel().activeHotKeyCaptureItem());
    EXPECT_EQ(open(), 0);
    hub->overflowPanel().closeCurrentPresentation();
    PanelTesting::flushDeferredDeletes();

    // Pressed on the desktop, whichever app is frontmost, the chord opens the item's menu.
    ASSERT_TRUE(tessaline::testing::showAndActivate(*window));
    press(*window, Qt::Key_K, Qt::ControlModifier | Qt::AltModifier);
    run(3000);
    EXPECT_EQ(open(), 1);
    EXPECT_TRUE(window->windowTitle().endsWith(
        QString(", menu of %1 open").arg(QString::fromStdString(item.appName))));
}

// The quick-access pair pressed on the keyboard, its keys as the window system delivers them:
// in the desktop window, which stands for the other apps, the global monitors see them, in a
// window of the program the local ones, each key with its own side's code; either way the panel
// opens.
TEST_F(SimulatedMacTest, TheModifierPairPressedOnTheKeyboardOpensThePanel) {
    using namespace platform;
    const struct {
        QuickAccessModifierShortcut shortcut;
        Qt::Key key;
        PairKey left;
        PairKey right;
    } rows[] = {
        {QuickAccessModifierShortcut::shift, Qt::Key_Shift, leftShift, rightShift},
        {QuickAccessModifierShortcut::option,
         Qt::Key_Alt,
         {64, 0xFFE9, kVK_Option},
         {108, 0xFFEA, kVK_RightOption}},
        {QuickAccessModifierShortcut::command,
         Qt::Key_Control,
         {37, 0xFFE3, kVK_Command},
         {105, 0xFFE4, kVK_RightCommand}},
    };
    start();
    std::vector<std::pair<bool, CGKeyCode>> seen; // local?, key code
    auto& monitors = desktop->appServices().eventMonitors;
    const ObserverToken local =
        monitors.addLocalMonitor(NSEventMaskFlagsChanged, [&](const NSEvent& event) {
            seen.emplace_back(true, event.keyCode);
            return std::optional(event);
        });
    const ObserverToken global =
        monitors.addGlobalMonitor(NSEventMaskFlagsChanged, [&](const NSEvent& event) {
            seen.emplace_back(false, event.keyCode);
        });
    QWidget own;
    ASSERT_TRUE(tessaline::testing::showAndActivate(own));
    for (const auto& row : rows) {
        hub->applyQuickAccessShortcutChange(row.shortcut);
        for (QWidget* target : {static_cast<QWidget*>(window.get()), &own}) {
            const bool inOwnWindow = target == &own;
            SCOPED_TRACE(std::string(QelCore::toString(row.shortcut)) +
                         (inOwnWindow ? " in the program" : ""));
            seen.clear();
            pressPair(*target, row.key, row.left, row.right);
            EXPECT_TRUE(hub->isPanelWindowVisible());
            const std::pair left(inOwnWindow, row.left.mac);
            const std::pair right(inOwnWindow, row.right.mac);
            EXPECT_EQ(seen, (std::vector{left, right, right, left}));
            hub->overflowPanel().closeCurrentPresentation();
            PanelTesting::flushDeferredDeletes();
            run();
        }
    }
    monitors.removeMonitor(local);
    monitors.removeMonitor(global);
}

TEST_F(SimulatedMacTest, AccessibilityGrantedInTheSettingsReachesThePanelAndTheStrip) {
    auto description = platform::sim::SimulatedDesktop::defaultDescription();
    description.trust.trusted = false;
    useDesktop(description);
    start();
    click(platform::sim::SimStatusBar::firstItemId);
    EXPECT_EQ(hub->overflowPanel().availability, OverflowPanelAvailability::needsAccessibility);
    auto* strip = window->findChild<QCheckBox*>("desktop.controls.accessibility");
    EXPECT_FALSE(strip->isChecked());

    hub->panelWindow()->findChild<QPushButton*>("panel.empty.action")->click();
    run();
    AccessibilitySettingsWindow* settings = window->accessibilitySettings();
    ASSERT_NE(settings, nullptr);
    EXPECT_TRUE(settings->isVisible());
    settings->findChild<SettingsSwitch*>("accessibility-settings.switch")->click();
    settings->close();
    run(2000);

    EXPECT_EQ(hub->overflowPanel().availability, OverflowPanelAvailability::available);
    EXPECT_FALSE(hub->overflowPanel().displayedItems().empty());
    EXPECT_TRUE(strip->isChecked());
}

// Accessibility granted in the simulated settings shows in the General pane and the onboarding
// window as soon as the settings close: System Settings quits and this program, frontmost again,
// hears that it became active. Nothing else runs meanwhile, no pane switch and no timer.
TEST_F(SimulatedMacTest, TheGeneralPaneAndOnboardingShowTheNewTrustStateAfterTheSettingsClose) {
    auto description = platform::sim::SimulatedDesktop::defaultDescription();
    description.trust.trusted = false;
    useDesktop(description);
    panel.defaults->set(AppPreferences::onboardingCompletedKey, false);
    std::vector<std::string> events;
    int terminations = 0;
    AppDelegate delegate(productContext(events, terminations, true));
    delegate.applicationDidFinishLaunching();
    window = std::make_unique<DesktopWindow>(*desktop);
    run(200);
    ASSERT_NE(delegate.onboarding(), nullptr);
    delegate.onboarding()->primaryAction(); // "Continue": the permission page
    const QPointer<QWidget> onboarding = delegate.onboarding()->window();
    ASSERT_TRUE(onboarding->isVisible());
    delegate.statusBar()->showPreferences();
    auto& general = delegate.statusBar()->preferencesWindow()->tabViewController()->generalPane();
    ASSERT_FALSE(general.accessibilityRow()->isHidden());

    general.openPermissionsButton()->click();
    run();
    AccessibilitySettingsWindow* settings = window->accessibilitySettings();
    ASSERT_TRUE(settings != nullptr && settings->isVisible());
    settings->findChild<SettingsSwitch*>("accessibility-settings.switch")->click();
    settings->close();
    panel.loop.runFor(std::chrono::milliseconds(0));
    QCoreApplication::processEvents();

    EXPECT_TRUE(general.accessibilityRow()->isHidden());
    EXPECT_TRUE(panel.preferences.onboardingCompleted());
    EXPECT_FALSE(onboarding && onboarding->isVisible());
}

// Closing the window that has the keyboard gives it back to the window that had it before, else
// to the desktop window, which takes the keys itself, as the Mac returns to the app that was in
// front; without a window manager nothing else would, and keys would reach no window. Command-W's
// Ctrl, let go unseen meanwhile, is let go on the simulated keyboard too, so the Shift pair
// pressed next opens the panel.
TEST_F(SimulatedMacTest, ClosingTheKeyWindowGivesTheKeyboardBack) {
    start();
    hub->applyQuickAccessShortcutChange(QuickAccessModifierShortcut::shift);
    const auto preferences = [&]() -> QWidget* {
        hub->showPreferences();
        run();
        return hub->preferencesWindow()->window();
    };
    const auto settings = [&]() -> QWidget* {
        desktop->workspace().openURL(std::string(platform::kAccessibilitySettingsURL));
        run();
        return window->accessibilitySettings();
    };
    QWidget* const desktopWindow = window.get();
    const struct {
        const char* name;
        // Opens the windows of the row; answers the window that had the keyboard before the
        // last one opened, which it closes.
        std::function<QWidget*()> open;
    } rows[] = {
        {"the panel",
         [&] {
             hub->showRescuePanel();
             run();
             return desktopWindow;
         }},
        {"the preferences",
         [&] {
             preferences();
             return desktopWindow;
         }},
        {"the Accessibility settings",
         [&] {
             settings();
             return desktopWindow;
         }},
        {"the Accessibility settings opened from the preferences",
         [&] {
             QWidget* before = preferences();
             EXPECT_TRUE(QTest::qWaitForWindowActive(before));
             settings();
             return before;
         }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(tessaline::testing::showAndActivate(*window));
        QWidget* const before = row.open();
        // The preferences' window is released once closed.
        const QPointer<QWidget> closing = QApplication::activeWindow();
        ASSERT_TRUE(closing != nullptr && closing != before);
        pressCommandW(*closing);
        EXPECT_TRUE(closing == nullptr || !closing->isVisible());
        EXPECT_TRUE(QTest::qWaitForWindowActive(before));
        if (before == desktopWindow) {
            EXPECT_EQ(QApplication::focusWidget(), desktopWindow);
        }

        pressPair(*before, Qt::Key_Shift, leftShift, rightShift);
        EXPECT_TRUE(hub->isPanelWindowVisible());
        hub->overflowPanel().closeCurrentPresentation();
        if (hub->preferencesWindow() != nullptr) {
            hub->preferencesWindow()->window()->close();
        }
        PanelTesting::flushDeferredDeletes();
        run();
    }
}

} // namespace
