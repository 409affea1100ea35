#include "PanelTestSupport.h"
#include "Parlowen/Hotkeys/HotKeyManager.h"
#include "tests/quickopen/RecordBuilder.h"
#include "tests/support/KeySender.h"
#include "tests/support/WidgetImage.h"
#include "ui/Design/ElidingLabel.h"
#include "ui/Design/TessalineSecondaryButton.h"
#include "ui/QuickOpenPanel/OverflowPanelView.h"
#include "ui/QuickOpenPanel/OverflowRowHotKeyButton.h"
#include "ui/QuickOpenPanel/OverflowRowView.h"
#include "ui/QuickOpenPanel/PanelKeyboardTableView.h"
#include "ui/QuickOpenPanel/PanelSearchField.h"

#include <QTest>

#include <gtest/gtest.h>

namespace {

using namespace Parlowen;
using namespace PanelTesting;
using namespace QuickOpenTesting;
using namespace std::chrono_literals;
using tessaline::testing::sendKey;

// Command-K as the panel records it: Ctrl is Command on this keyboard; K is key code 40.
constexpr std::uint32_t keyK = 40;
constexpr std::uint32_t keyJ = 38;
const PerAppHotKeyShortcut commandK{keyK, platform::cmdKey};

AXMenuBarItemRecord app(const char* name, double centre, const char* bundleID) {
    return record(name, "", VisibilityClassification::hiddenBehindNotch, frameCentredAt(centre),
                  std::string(bundleID));
}

class PerAppHotKeySetupTest : public ::testing::Test, public PanelFixture {
protected:
    void SetUp() override {
        panel = std::make_unique<OverflowPanelController>(dependencies());
        panel->onPerAppHotKeyBindingsChanged = [this] { ++bindingsChanged; };
        panel->update(scanOf({dropbox, slack, zoom}));
    }
    void TearDown() override {
        panel.reset();
        flushDeferredDeletes();
    }

    QWidget& showPanel() {
        QWidget* window = panel->rescueWindowController();
        EXPECT_NE(window, nullptr);
        EXPECT_TRUE(tessaline::testing::showAndActivate(*window));
        loop.runFor(0s);
        return *window;
    }
    QWidget& present() {
        panel->presentInRescueWindow();
        return showPanel();
    }
    QWidget& presentSetup(std::optional<AXMenuBarItemRecord> fixedItem = std::nullopt) {
        panel->presentShortcutSetupWindow(PerAppHotKeySetupSource::managerChange,
                                          std::move(fixedItem), [this] { ++saves; });
        return showPanel();
    }

    OverflowPanelView& view() { return panel->view(); }
    OverflowRowView& rowOf(const AXMenuBarItemRecord& item) {
        const auto& rows = panel->displayedItems();
        for (std::size_t index = 0; index < rows.size(); ++index) {
            if (rows[index].appName == item.appName) {
                return *view().tableView->existingRowView(static_cast<int>(index));
            }
        }
        throw std::logic_error("no row for " + item.appName);
    }
    QString footer() { return view().footerStatusLabel->text(); }

    // The item holding the chord in the store, by app name; empty when none does.
    std::string holderOf(const PerAppHotKeyShortcut& shortcut) {
        for (const auto& binding : hotKeys.load()) {
            if (binding.shortcut == shortcut) {
                return binding.appName;
            }
        }
        return "";
    }
    std::vector<DiagnosticTelemetryEvent> events(std::string_view name) {
        std::vector<DiagnosticTelemetryEvent> found;
        for (const auto& event : diagnostics) {
            if (event.name == name) {
                found.push_back(event);
            }
        }
        return found;
    }
    std::map<std::string, std::string> lastResultTags() {
        const auto results = events("per_app_hotkey_save_result");
        return results.empty() ? std::map<std::string, std::string>{} : results.back().tags;
    }

    AXMenuBarItemRecord dropbox = app("Dropbox", 500, "com.getdropbox.dropbox");
    AXMenuBarItemRecord slack = app("Slack", 600, "com.tinyspeck.slackmacgap");
    AXMenuBarItemRecord zoom = app("Zoom", 700, "us.zoom.xos");
    std::unique_ptr<OverflowPanelController> panel;
    int bindingsChanged = 0;
    int saves = 0;
};

// MARK: conflicts

TEST_F(PerAppHotKeySetupTest, ReplaceMovesTheChordAndReportsTheItemThatLostIt) {
    hotKeys.assign(slack, keyK, platform::cmdKey, now);
    auto& window = present();
    QTest::mouseClick(rowOf(dropbox).hotKeyButton, Qt::LeftButton);
    now += 1500ms;
    sendKey(window, Qt::Key_K, Qt::ControlModifier);

    ASSERT_TRUE(panel->pendingHotKeyConflict());
    EXPECT_EQ(holderOf(commandK), "Slack");
    EXPECT_EQ(footer(), "⌘K is already assigned to Slack");
    EXPECT_TRUE(view().replaceHotKeyButton->isVisibleTo(&window));
    EXPECT_FALSE(view().quickAccessHintLabel->isVisibleTo(&window));
    EXPECT_EQ(lastResultTags()["result"], "internalConflict");
    EXPECT_EQ(lastResultTags()["conflictTargetAppBundleID"], "com.tinyspeck.slackmacgap");

    now += 1000ms;
    QTest::mouseClick(view().replaceHotKeyButton, Qt::LeftButton);
    EXPECT_EQ(holderOf(commandK), "Dropbox");
    EXPECT_EQ(hotKeys.load().size(), 1u);
    EXPECT_FALSE(panel->pendingHotKeyConflict());
    EXPECT_FALSE(panel->activeHotKeyCaptureItem());
    EXPECT_EQ(bindingsChanged, 1);
    EXPECT_EQ(footer(), "Shortcut ⌘K saved for Dropbox");
    EXPECT_FALSE(view().hotKeyConflictActions->isVisibleTo(&window));
    EXPECT_EQ(lastResultTags()["result"], "replaced");
    EXPECT_EQ(lastResultTags()["conflictTargetAppBundleID"], "com.tinyspeck.slackmacgap");
    EXPECT_EQ(lastResultTags()["shortcutShape"], "withLetter");
    EXPECT_EQ(lastResultTags()["source"], "quickOpenRow");
    // Timed from the start of the recording, across the conflict.
    EXPECT_EQ(events("per_app_hotkey_save_result").back().extras.at("durationMs"), 2500);
}

TEST_F(PerAppHotKeySetupTest, WithAConflictPendingTheNextChordIsTriedAtOnce) {
    hotKeys.assign(slack, keyK, platform::cmdKey, now);
    auto& window = present();
    QTest::mouseClick(rowOf(dropbox).hotKeyButton, Qt::LeftButton);
    sendKey(window, Qt::Key_K, Qt::ControlModifier);
    ASSERT_TRUE(panel->pendingHotKeyConflict());

    sendKey(window, Qt::Key_J, Qt::ControlModifier);
    EXPECT_FALSE(panel->pendingHotKeyConflict());
    EXPECT_EQ(holderOf({keyJ, platform::cmdKey}), "Dropbox");
    EXPECT_EQ(holderOf(commandK), "Slack");
    EXPECT_EQ(lastResultTags()["result"], "saved");
    EXPECT_EQ(lastResultTags().count("conflictTargetAppBundleID"), 0u);
}

TEST_F(PerAppHotKeySetupTest, ChooseAnotherDropsTheConflictAndKeepsRecording) {
    hotKeys.assign(slack, keyK, platform::cmdKey, now);
    auto& window = present();
    QTest::mouseClick(rowOf(dropbox).hotKeyButton, Qt::LeftButton);
    sendKey(window, Qt::Key_K, Qt::ControlModifier);
    QTest::mouseClick(view().chooseAnotherHotKeyButton, Qt::LeftButton);
    EXPECT_FALSE(panel->pendingHotKeyConflict());
    ASSERT_TRUE(panel->activeHotKeyCaptureItem());
    EXPECT_EQ(panel->activeHotKeyCaptureItem()->appName, "Dropbox");
    EXPECT_EQ(footer(), "Press shortcut for Dropbox");
    EXPECT_TRUE(view().quickAccessHintLabel->isVisibleTo(&window));
}

// MARK: the system's answer

TEST_F(PerAppHotKeySetupTest, PressingTheItemsOwnChordSavesItAgain) {
    hotKeys.assign(dropbox, keyK, platform::cmdKey, now - 1h);
    // The running program holds the item's chord, so the system itself would refuse it.
    HotKeyManager runtimeHotKey(hotKeyRegistry);
    ASSERT_TRUE(runtimeHotKey.registerHotKey(keyK, platform::cmdKey, [] {}));

    auto& window = present();
    QTest::mouseClick(rowOf(dropbox).hotKeyButton, Qt::LeftButton);
    sendKey(window, Qt::Key_K, Qt::ControlModifier);
    const auto stored = hotKeys.load();
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored.front().assignedAt, now);
    EXPECT_EQ(lastResultTags()["result"], "saved");
    EXPECT_EQ(footer(), "Shortcut ⌘K saved for Dropbox");
}

TEST_F(PerAppHotKeySetupTest, AChordTheSystemHoldsIsUnavailableAndStoresNothing) {
    hotKeys.assign(slack, keyJ, platform::cmdKey, now);
    const auto before = defaults->dataForKey(PerAppHotKeyStore::key);
    ASSERT_TRUE(desktop.appServices().hotKeys.holdForApplication(4242, keyK, platform::cmdKey));

    auto& window = present();
    QTest::mouseClick(rowOf(dropbox).hotKeyButton, Qt::LeftButton);
    sendKey(window, Qt::Key_K, Qt::ControlModifier);
    EXPECT_EQ(defaults->dataForKey(PerAppHotKeyStore::key), before);
    EXPECT_EQ(footer(), "Shortcut unavailable. Try another");
    EXPECT_FALSE(panel->activeHotKeyCaptureItem());
    EXPECT_EQ(bindingsChanged, 0);
    EXPECT_EQ(lastResultTags()["result"], "systemUnavailable");
    // The probe gave nothing away: the other application still holds its chord.
    EXPECT_EQ(desktop.appServices().hotKeys.holder(keyK, platform::cmdKey), 4242);
}

// MARK: setup mode

TEST_F(PerAppHotKeySetupTest, AFixedItemRecordsAtOnceAndASaveClosesTheSetup) {
    // One stored shortcut whose item the last scan holds, one whose item it does not.
    hotKeys.assign(slack, keyJ, platform::cmdKey, now);
    hotKeys.assign(app("Gone", 900, "com.example.gone"), keyJ,
                   platform::cmdKey | platform::optionKey, now);
    auto& window = presentSetup(zoom);
    EXPECT_EQ(view().panelTitleLabel->text(), "Choose an app for a shortcut");
    EXPECT_EQ(panel->activeScope(), OverflowPanelScope::allRightSide);
    ASSERT_TRUE(panel->activeHotKeyCaptureItem());
    EXPECT_EQ(panel->activeHotKeyCaptureItem()->appName, "Zoom");
    EXPECT_EQ(
        panel->displayedItems()[static_cast<std::size_t>(view().tableView->selectedRow())].appName,
        "Zoom");
    EXPECT_EQ(footer(), "Press shortcut for Zoom");

    sendKey(window, Qt::Key_K, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(holderOf({keyK, platform::cmdKey | platform::shiftKey}), "Zoom");
    EXPECT_EQ(bindingsChanged, 1);
    EXPECT_EQ(saves, 1);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(panel->presentationContext, OverflowPanelPresentationContext::normal);

    const auto opened = events("per_app_hotkey_setup_opened");
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened.front().tags.at("source"), "managerChange");
    EXPECT_EQ(opened.front().tags.at("surface"), "manager");
    EXPECT_EQ(opened.front().extras.at("visibleItemCountBucket"), "2-5");
    EXPECT_EQ(opened.front().extras.at("notSeenBindingCountBucket"), "1");
    const auto started = events("per_app_hotkey_recording_started");
    ASSERT_EQ(started.size(), 1u);
    EXPECT_EQ(started.front().tags.at("targetAppBundleID"), "us.zoom.xos");
    EXPECT_EQ(started.front().tags.at("hasExistingBinding"), "false");
}

// A recording's start says whether Accessibility is granted at that moment.
TEST_F(PerAppHotKeySetupTest, TheRecordingStartSaysWhetherAccessibilityIsGranted) {
    for (const bool trusted : {true, false}) {
        desktop.setTrusted(trusted);
        presentSetup(zoom);
        const auto started = events("per_app_hotkey_recording_started");
        ASSERT_FALSE(started.empty());
        EXPECT_EQ(started.back().tags.at("accessibility"), trusted ? "granted" : "missing");
        panel->closeCurrentPresentation();
    }
}

TEST_F(PerAppHotKeySetupTest, WithoutAFixedItemChoosingARowStartsItsRecording) {
    auto& window = presentSetup();
    EXPECT_FALSE(panel->activeHotKeyCaptureItem());
    sendKey(window, Qt::Key_Down);
    sendKey(window, Qt::Key_Return);
    ASSERT_TRUE(panel->activeHotKeyCaptureItem());
    EXPECT_EQ(panel->activeHotKeyCaptureItem()->appName, "Slack");
    EXPECT_TRUE(window.isVisible());
    loop.runFor(1s);
    EXPECT_TRUE(opened.empty());
    // Escape ends the recording first, the setup next.
    sendKey(window, Qt::Key_Escape);
    EXPECT_TRUE(window.isVisible());
    sendKey(window, Qt::Key_Escape);
    EXPECT_FALSE(window.isVisible());
}

// MARK: cancelling

TEST_F(PerAppHotKeySetupTest, EscapeWithAConflictPendingReportsCanceledWithoutATarget) {
    hotKeys.assign(slack, 122, platform::cmdKey, now);
    auto& window = present();
    QTest::mouseClick(rowOf(dropbox).hotKeyButton, Qt::LeftButton);
    sendKey(window, Qt::Key_F1, Qt::ControlModifier);
    ASSERT_TRUE(panel->pendingHotKeyConflict());
    now += 1500ms;

    sendKey(window, Qt::Key_Escape);
    EXPECT_TRUE(window.isVisible());
    EXPECT_FALSE(panel->pendingHotKeyConflict());
    EXPECT_FALSE(panel->activeHotKeyCaptureItem());
    const auto tags = lastResultTags();
    EXPECT_EQ(tags.at("result"), "canceled");
    EXPECT_EQ(tags.at("shortcutShape"), "withFunctionKey");
    EXPECT_EQ(tags.count("conflictTargetAppBundleID"), 0u);
    EXPECT_EQ(events("per_app_hotkey_save_result").back().extras.at("durationMs"), 1500);
    EXPECT_TRUE(footer().isEmpty());
}

TEST_F(PerAppHotKeySetupTest, AfterEscapeAChordSavesNothing) {
    auto& window = present();
    auto* button = rowOf(dropbox).hotKeyButton;
    QTest::mouseClick(button, Qt::LeftButton);
    sendKey(window, Qt::Key_Escape);
    EXPECT_EQ(QApplication::focusWidget(), view().searchField);
    sendKey(window, Qt::Key_K, Qt::MetaModifier);
    // Even a shortcut button that got the focus back records nothing without a recording.
    button->setFocus();
    sendKey(window, Qt::Key_K, Qt::MetaModifier);
    EXPECT_TRUE(hotKeys.load().empty());
    EXPECT_EQ(lastResultTags()["result"], "canceled");
}

// MARK: pictures

// The footer's three states, for a person to look at.
TEST_F(PerAppHotKeySetupTest, RendersRecordingConflictAndUnavailable) {
    const QString folder = TESSALINE_PANEL_RENDER_DIR;
    hotKeys.assign(slack, keyK, platform::cmdKey, now);
    ASSERT_TRUE(desktop.appServices().hotKeys.holdForApplication(4242, keyJ, platform::cmdKey));
    auto& window = presentSetup(dropbox);
    const auto save = [&](const char* name) {
        const QImage image = tessaline::testing::renderWidget(window);
        EXPECT_EQ(image.size(), QSize(440, 452));
        EXPECT_TRUE(tessaline::testing::savePng(image, folder + "/" + name));
    };
    save("panel-hotkey-recording.png");
    sendKey(window, Qt::Key_K, Qt::ControlModifier);
    save("panel-hotkey-conflict.png");
    sendKey(window, Qt::Key_J, Qt::ControlModifier);
    EXPECT_EQ(footer(), "Shortcut unavailable. Try another");
    save("panel-hotkey-unavailable.png");
}

} // namespace
