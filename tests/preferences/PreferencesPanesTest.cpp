#include "Parlowen/Settings/DiagnosticsAppender.h"
#include "tests/preferences/PreferencesTestSupport.h"
#include "tests/support/KeySender.h"
#include "tests/support/TemporaryFolder.h"
#include "tests/support/WidgetImage.h"
#include "ui/Design/TessalineSecondaryButton.h"
#include "ui/Preferences/AdvancedPaneController.h"
#include "ui/Preferences/GeneralPaneController.h"
#include "ui/Preferences/HotKeyCaptureField.h"
#include "ui/Preferences/PerAppHotKeyManagementViewController.h"
#include "ui/Preferences/PreferencesSwitch.h"
#include "ui/Preferences/PreferencesTabViewController.h"
#include "ui/Preferences/PreferencesWindowController.h"
#include "ui/Preferences/QuickAccessPaneController.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace {

using namespace PreferencesTesting;
using tessaline::testing::sendKey;
using tessaline::testing::showAndActivate;
using Pane = PreferencesTabViewController::Pane;

// --- Capture field ---

struct CaptureCase {
    const char* name;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    std::optional<std::pair<std::uint32_t, std::uint32_t>> captured;
};

TEST(HotKeyCaptureFieldTest, RecordsChordsWithAModifierOnly) {
    tessaline::testing::uiTestApplication();
    const std::vector<CaptureCase> cases = {
        {"plain A keeps recording", Qt::Key_A, Qt::NoModifier, std::nullopt},
        {"Command-W is left to the window", Qt::Key_W, Qt::ControlModifier, std::nullopt},
        {"Shift-A", Qt::Key_A, Qt::ShiftModifier, std::pair{0u, 0x200u}},
        {"Command-Shift-W", Qt::Key_W, Qt::ControlModifier | Qt::ShiftModifier,
         std::pair{13u, 0x300u}},
        {"Option-Escape", Qt::Key_Escape, Qt::AltModifier, std::pair{53u, 0x800u}},
    };
    for (const auto& each : cases) {
        SCOPED_TRACE(each.name);
        QWidget window;
        auto* field = new HotKeyCaptureField(&window);
        auto* other = new QPushButton(&window);
        other->move(0, 40);
        std::vector<std::pair<std::uint32_t, std::uint32_t>> captures;
        field->onCapture = [&](std::uint32_t keyCode, std::uint32_t modifiers) {
            // Recording has ended before the owner hears of the chord.
            EXPECT_FALSE(field->isKeyboardFocused());
            captures.emplace_back(keyCode, modifiers);
        };
        ASSERT_TRUE(showAndActivate(window));
        field->setFocus();
        ASSERT_TRUE(field->isKeyboardFocused());
        EXPECT_EQ(field->text(), "Press a shortcut…");
        sendKey(window, each.key, each.modifiers);
        if (each.captured) {
            EXPECT_EQ(captures, std::vector{*each.captured});
            EXPECT_FALSE(field->hasFocus());
        } else {
            EXPECT_TRUE(captures.empty());
            EXPECT_TRUE(field->hasFocus());
        }
    }
}

TEST(PreferencesSwitchTest, FocusShowsAsARingThatStandsOutFromTheFill) {
    tessaline::testing::uiTestApplication();
    // Left edge, middle: inside the ring. The fill is sampled where the knob is not.
    const struct {
        bool on;
        QPoint fill;
    } cases[] = {{true, {9, 11}}, {false, {28, 11}}};
    for (const auto& each : cases) {
        SCOPED_TRACE(each.on ? "on" : "off");
        QWidget window;
        auto* toggle = new PreferencesSwitch(QStringLiteral("switch"), &window);
        auto* other = new QPushButton(&window);
        other->move(0, 40);
        toggle->setChecked(each.on);
        ASSERT_TRUE(showAndActivate(window));
        toggle->setFocus();
        ASSERT_TRUE(toggle->hasFocus());
        const QImage image = toggle->grab().toImage();
        const qreal ratio = image.devicePixelRatio();
        const QColor ring = image.pixelColor(QPoint(1, 11) * ratio);
        const QColor fill = image.pixelColor(each.fill * ratio);
        const int contrast = std::abs(ring.red() - fill.red()) +
                             std::abs(ring.green() - fill.green()) +
                             std::abs(ring.blue() - fill.blue());
        EXPECT_GT(contrast, 120) << ring.name().toStdString() << " on "
                                 << fill.name().toStdString();
    }
}

// --- Advanced pane ---

// The title's ink lies as far from the left of the pop-up's title room as from its right.
void expectTitleCentredBesideTheArrows(QComboBox& popup) {
    const QImage image = tessaline::testing::renderWidget(popup);
    QStyleOptionComboBox option;
    option.initFrom(&popup);
    const QRect room = popup.style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                     QStyle::SC_ComboBoxEditField, &popup);
    int left = room.right();
    int right = room.left();
    for (int y = room.top(); y <= room.bottom(); ++y) {
        for (int x = room.left(); x <= room.right(); ++x) {
            if (qGray(image.pixel(x * image.width() / popup.width(),
                                  y * image.height() / popup.height())) < 128) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
        }
    }
    ASSERT_LE(left, right) << "no title drawn";
    EXPECT_NEAR(left - room.left(), room.right() - right, 3) << popup.currentText().toStdString();
}

class AdvancedPaneTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::setenv(Parlowen::DiagnosticsAppender::directoryVariable, folder.path().c_str(), 1);
    }
    void TearDown() override {
        ::unsetenv(Parlowen::DiagnosticsAppender::directoryVariable);
        flushDeferredDeletes();
    }

    PreferencesFixture fixture;
    TemporaryFolder folder;
};

TEST_F(AdvancedPaneTest, UnknownIntervalShowsFiveSecondsAndAChoiceIsStoredAndPassedOnce) {
    fixture.defaults->set(Parlowen::AppPreferences::scanIntervalSecondsKey, 7.0);
    const auto services = fixture.services();
    AdvancedPaneController pane(services);
    std::vector<double> intervals;
    pane.onScanIntervalChanged = [&](double seconds) { intervals.push_back(seconds); };
    pane.view();
    EXPECT_EQ(pane.scanIntervalPopup()->currentText(), "5 seconds");
    EXPECT_EQ(fixture.defaults->doubleForKey(Parlowen::AppPreferences::scanIntervalSecondsKey),
              7.0);
    expectTitleCentredBesideTheArrows(*pane.scanIntervalPopup());

    pane.scanIntervalPopup()->setCurrentIndex(3);
    emit pane.scanIntervalPopup()->activated(3);
    EXPECT_EQ(fixture.defaults->objectForKey(Parlowen::AppPreferences::scanIntervalSecondsKey),
              platform::DefaultsValue(30.0));
    EXPECT_EQ(intervals, std::vector{30.0});
}

TEST_F(AdvancedPaneTest, ResetWritesFalseAndShowsTheNote) {
    const auto services = fixture.services();
    AdvancedPaneController pane(services);
    pane.view();
    EXPECT_TRUE(pane.resetStatusLabel()->isHidden());
    pane.resetButton()->click();
    EXPECT_EQ(fixture.defaults->objectForKey(Parlowen::AppPreferences::onboardingCompletedKey),
              platform::DefaultsValue(false));
    EXPECT_FALSE(pane.resetStatusLabel()->isHidden());
    EXPECT_EQ(pane.resetStatusLabel()->text(), "Onboarding will appear again next launch.");
}

TEST_F(AdvancedPaneTest, ExportWritesTheFileAndAFailureBecomesTheTooltip) {
    auto services = fixture.services();
    Parlowen::ScanSnapshot scan;
    Parlowen::AXMenuBarItemRecord item;
    item.appName = "Clock";
    item.frame = platform::CGRect{{10, 20}, {30, 22}};
    scan.items.push_back(item);
    services.scan = [&scan](bool) { return scan; };
    AdvancedPaneController pane(services);
    pane.view();

    pane.exportButton()->click();
    const auto path = folder.path() / "tessaline-last-scan.json";
    EXPECT_EQ(pane.exportButton()->toolTip(),
              QString::fromStdString("Exported to " + path.string()));
    const auto first = TemporaryFolder::read(path);
    EXPECT_NE(first.find("\"appName\" : \"Clock\""), std::string::npos);

    scan.items.front().frame->origin.x = std::numeric_limits<double>::infinity();
    pane.exportButton()->click();
    EXPECT_TRUE(pane.exportButton()->toolTip().contains("not finite"));
    EXPECT_EQ(TemporaryFolder::read(path), first);
}

// --- Per-app shortcuts ---

Parlowen::AXMenuBarItemRecord record(const std::string& appName, const std::string& title) {
    Parlowen::AXMenuBarItemRecord item;
    item.appName = appName;
    item.bundleIdentifier = "com.example." + appName;
    item.title = title;
    item.role = "AXMenuBarItem";
    item.subrole = "AXMenuExtra";
    item.sourceHint = QelCore::FixtureMenuBarItemSourceHint::menuExtra;
    return item;
}

Parlowen::Date date(double seconds) {
    return *Parlowen::ReferenceDate::fromSecondsSinceReferenceDate(seconds);
}

class PerAppShortcutsTest : public ::testing::Test {
protected:
    void SetUp() override {
        fixture.hotKeys.assign(record("Clock", "Clock"), 0, 0x100, date(800'000'000));
        fixture.hotKeys.assign(record("Mail", "Mail"), 1, 0x100, date(800'000'100));
        fixture.hotKeys.assign(record("Ghost", "Ghost"), 2, 0x100, date(800'000'200));
    }
    void TearDown() override { flushDeferredDeletes(); }

    // The latest scan has Clock and Mail but not Ghost.
    std::optional<std::vector<Parlowen::AXMenuBarItemRecord>> scanItems() const {
        return std::vector{record("Clock", "Clock"), record("Mail", "Mail")};
    }

    PreferencesFixture fixture;
};

TEST_F(PerAppShortcutsTest, PaneSummaryCountsUnavailableShortcutsOnlyWithAScan) {
    PreferencesWindowController controller(fixture.services());
    auto& pane = controller.tabViewController()->quickAccessPane();
    controller.tabViewController()->show(Pane::quickAccess);
    EXPECT_EQ(pane.appShortcutsStatusLabel()->text(), "3 shortcuts");
    controller.setMenuBarItemsProvider([this] { return scanItems(); });
    EXPECT_EQ(pane.appShortcutsStatusLabel()->text(), "3 shortcuts · 1 unavailable");
}

TEST_F(PerAppShortcutsTest, ListShowsStaleRowsAndRemoveNotSeenDropsOnlyThem) {
    const auto services = fixture.services();
    int changes = 0;
    PerAppHotKeyManagementViewController::Callbacks callbacks;
    callbacks.menuBarItemsProvider = [this] { return scanItems(); };
    callbacks.onBindingsChanged = [&] { ++changes; };
    PerAppHotKeyManagementViewController list(services, std::move(callbacks), nullptr);
    auto* panel = list.panel();
    auto* pill = panel->findChild<QLabel*>("preferences.app-shortcuts.summary");
    EXPECT_EQ(pill->text(), "2 available · 1 unavailable");
    const auto resolutions = list.currentResolutions();
    ASSERT_EQ(resolutions.size(), 3u);
    EXPECT_EQ(resolutions.front().binding.appName, "Ghost"); // newest first
    auto* change = panel->findChild<QPushButton*>(QString::fromStdString(
        "preferences.button.change-app-shortcut." + resolutions.front().binding.identity.rawValue));
    ASSERT_NE(change, nullptr);
    EXPECT_FALSE(change->isEnabled());
    EXPECT_NE(panel->findChild<QWidget*>("preferences.app-shortcut.separator.1"), nullptr);
    EXPECT_EQ(panel->findChild<QWidget*>("preferences.app-shortcut.separator.2"), nullptr);

    panel->findChild<QPushButton*>("preferences.button.clear-stale-app-shortcuts")->click();
    EXPECT_EQ(fixture.hotKeys.load().size(), 2u);
    EXPECT_EQ(changes, 1);
    ASSERT_EQ(fixture.telemetry.size(), 1u);
    EXPECT_EQ(fixture.telemetry.front().tags.at("source"), "managerRemoveNotSeen");
    EXPECT_EQ(pill->text(), "2 available");
}

TEST_F(PerAppShortcutsTest, RowsShowTheNameInTwoLinesAndTheChordMonospaced) {
    const QString title = QStringLiteral(
        "Synchronisation status of every shared folder and every account on this machine");
    fixture.hotKeys.assign(record("Sync", title.toStdString()), 3, 0x100, date(800'000'300));
    PerAppHotKeyManagementViewController list(fixture.services(), {}, nullptr);
    list.panel()->show();
    const auto labels = list.panel()->findChildren<QLabel*>();
    const auto withText = [&](const QString& text) {
        const auto found = std::find_if(labels.begin(), labels.end(),
                                        [&](const QLabel* label) { return label->text() == text; });
        return found == labels.end() ? nullptr : *found;
    };
    const QLabel* name = withText(title);
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(name->width(), 170);
    // Two lines, the second cut: neither one line nor as many as the name would take.
    EXPECT_GT(name->height(), name->fontMetrics().lineSpacing() + 1);
    EXPECT_LE(name->height(), 2 * name->fontMetrics().lineSpacing() + 1);
    const QLabel* chord = withText(QStringLiteral("⌘D"));
    ASSERT_NE(chord, nullptr);
    EXPECT_TRUE(QFontInfo(chord->font()).fixedPitch());
}

// Command-W, and Escape unless Control, Option or Command is held, end the sheet.
TEST_F(PerAppShortcutsTest, CloseKeysEndTheSheet) {
    PreferencesWindowController controller(fixture.services());
    ASSERT_TRUE(showAndActivate(*controller.window()));
    controller.tabViewController()->show(Pane::quickAccess);
    auto& pane = controller.tabViewController()->quickAccessPane();
    const struct {
        const char* name;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        bool closes;
    } rows[] = {
        {"Command-Shift-W", Qt::Key_W, Qt::ControlModifier | Qt::ShiftModifier, false},
        {"Command-Escape", Qt::Key_Escape, Qt::ControlModifier, false},
        {"Option-Escape", Qt::Key_Escape, Qt::AltModifier, false},
        {"Command-W", Qt::Key_W, Qt::ControlModifier, true},
        {"Escape", Qt::Key_Escape, Qt::NoModifier, true},
        {"Shift-Escape", Qt::Key_Escape, Qt::ShiftModifier, true},
    };
    for (const auto& row : rows) {
        pane.manageAppShortcutsButton()->click();
        auto* panel = pane.appShortcutsWindowController()->panel();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(panel)) << row.name;
        EXPECT_EQ(panel->windowModality(), Qt::WindowModal);
        panel->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(panel)) << row.name;
        sendKey(*panel, row.key, row.modifiers);
        EXPECT_EQ(panel->isVisible(), !row.closes) << row.name;
        EXPECT_TRUE(controller.window()->isVisible()) << row.name;
        pane.appShortcutsWindowController()->closeWindow();
    }
}

TEST_F(PerAppShortcutsTest, AddCompletionRefreshesSummaryOwnerAndWindow) {
    PreferencesWindowController controller(fixture.services());
    int ownerChanges = 0;
    std::function<void()> pendingRefresh;
    controller.onPerAppHotKeyBindingsChanged = [&] { ++ownerChanges; };
    controller.onAddPerAppHotKeyShortcut = [&](std::function<void()> refresh) {
        pendingRefresh = std::move(refresh);
    };
    auto& pane = controller.tabViewController()->quickAccessPane();
    controller.tabViewController()->show(Pane::quickAccess);
    pane.manageAppShortcuts();
    auto* panel = pane.appShortcutsWindowController()->panel();
    panel->findChild<QPushButton*>("preferences.button.add-app-shortcut")->click();
    ASSERT_TRUE(pendingRefresh);

    fixture.hotKeys.assign(record("Notes", "Notes"), 3, 0x100, date(800'000'300));
    pendingRefresh();
    EXPECT_EQ(pane.appShortcutsStatusLabel()->text(), "4 shortcuts");
    EXPECT_EQ(panel->findChild<QLabel*>("preferences.app-shortcuts.summary")->text(),
              "4 available");
    EXPECT_GE(ownerChanges, 1);
}

// --- Renders ---

TEST(PreferencesRenderTest, EveryPaneRendersOffscreen) {
    PreferencesFixture fixture;
    fixture.trusted = false;
    PreferencesWindowController controller(fixture.services());
    auto& tabs = *controller.tabViewController();
    const QString folder = QString::fromLocal8Bit(qgetenv("TESSALINE_PREFERENCES_RENDER_DIR"));
    for (const auto& [pane, name] :
         {std::pair{Pane::general, "general"}, std::pair{Pane::quickAccess, "quick-access"},
          std::pair{Pane::advanced, "advanced"}}) {
        tabs.show(pane);
        if (pane == Pane::general) {
            tabs.generalPane().renderVisualPreview();
        } else if (pane == Pane::quickAccess) {
            tabs.quickAccessPane().renderVisualPreview();
        }
        controller.window()->show();
        const QImage image = tessaline::testing::renderWidget(*controller.window());
        EXPECT_EQ(image.size(), PreferencesTabViewController::contentSize);
        if (!folder.isEmpty()) {
            EXPECT_TRUE(tessaline::testing::savePng(
                image, QDir(folder).filePath(QStringLiteral("preferences-%1.png").arg(name))));
        }
    }
    controller.window()->hide();
}

TEST(PreferencesRenderTest, EveryAdvancedControlIsScrolledIntoViewWhenFocused) {
    PreferencesFixture fixture;
    PreferencesWindowController controller(fixture.services());
    auto& tabs = *controller.tabViewController();
    QWidget& window = *controller.window();
    // Shorter than the pages, as a longer translation could make them.
    window.setFixedSize(PreferencesTabViewController::contentSize.width(), 460);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    tabs.show(Pane::advanced);
    QCoreApplication::processEvents();
    // The page is taller than the window; its last row is reached by scrolling, only up and
    // down.
    const QWidget* lastRow =
        window.findChild<QWidget*>("preferences.row.advanced.reset-onboarding");
    ASSERT_NE(lastRow, nullptr);
    EXPECT_GT(lastRow->mapTo(&window, QPoint(0, lastRow->height())).y(), window.height());
    const int rowLeft = lastRow->mapTo(&window, QPoint(0, 0)).x();
    for (std::size_t step = 0; step < tabs.keyboardFocusOrder().size(); ++step) {
        tabs.focusNextKeyboardItem(true);
        const QWidget* focused = QApplication::focusWidget();
        ASSERT_NE(focused, nullptr);
        const QRect shown(focused->mapTo(&window, QPoint(0, 0)), focused->size());
        EXPECT_TRUE(window.rect().contains(shown)) << focused->objectName().toStdString();
        EXPECT_EQ(lastRow->mapTo(&window, QPoint(0, 0)).x(), rowLeft);
    }
    window.hide();
}

TEST_F(PerAppShortcutsTest, ListRendersOffscreen) {
    const auto services = fixture.services();
    PerAppHotKeyManagementViewController::Callbacks callbacks;
    callbacks.menuBarItemsProvider = [this] { return scanItems(); };
    PerAppHotKeyManagementViewController list(services, std::move(callbacks), nullptr);
    list.panel()->show();
    const QImage image = tessaline::testing::renderWidget(*list.panel());
    EXPECT_EQ(image.size(), QSize(580, 324));
    const QString folder = QString::fromLocal8Bit(qgetenv("TESSALINE_PREFERENCES_RENDER_DIR"));
    if (!folder.isEmpty()) {
        EXPECT_TRUE(tessaline::testing::savePng(
            image, QDir(folder).filePath(QStringLiteral("preferences-app-shortcuts.png"))));
    }
    list.panel()->hide();
}

} // namespace
