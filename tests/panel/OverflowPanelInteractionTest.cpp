#include "PanelTestSupport.h"
#include "Parlowen/Hotkeys/PerAppHotKeyRuntime.h"
#include "Parlowen/Opening/CompatibilityRecord.h"
#include "Parlowen/Settings/StoredJSONList.h"
#include "Parlowen/Telemetry/QuickOpenTelemetrySampling.h"
#include "core/ActionAttemptPlanner.h"
#include "tests/quickopen/RecordBuilder.h"
#include "tests/support/KeySender.h"
#include "tests/support/WidgetImage.h"
#include "ui/Design/ElidingLabel.h"
#include "ui/Design/TessalineDesign.h"
#include "ui/QuickOpenPanel/OverflowPanelView.h"
#include "ui/QuickOpenPanel/OverflowRowView.h"
#include "ui/QuickOpenPanel/PanelIconButton.h"
#include "ui/QuickOpenPanel/PanelKeyboardTableView.h"
#include "ui/QuickOpenPanel/PanelScopeControl.h"
#include "ui/QuickOpenPanel/PanelSearchField.h"

#include <QScrollArea>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

namespace {

using namespace Parlowen;
using namespace PanelTesting;
using namespace QuickOpenTesting;
using namespace std::chrono_literals;
using enum VisibilityClassification;
using tessaline::testing::sendKey;

QelCore::ActionAttemptLog attempt(std::string_view result, std::int32_t errorCode = 0) {
    QelCore::ActionAttemptLog log;
    log.action = "AXPress";
    log.result = std::string(result);
    log.errorCode = errorCode;
    return log;
}

std::string focusedName() {
    const QWidget* focused = QApplication::focusWidget();
    return focused ? focused->objectName().toStdString() : "<none>";
}

class OverflowPanelInteractionTest : public ::testing::Test, public PanelFixture {
protected:
    void SetUp() override {
        panel = std::make_unique<OverflowPanelController>(dependencies());
        panel->onRequestRefresh = [this] { ++refreshes; };
        panel->onRescueWindowClosed = [this] { ++closes; };
    }
    void TearDown() override {
        panel.reset();
        flushDeferredDeletes();
    }

    // Presents the panel over three hidden items and waits until its window is active.
    QWidget& present(std::vector<AXMenuBarItemRecord> items = {
                         hiddenAt("A", 500), hiddenAt("B", 600), hiddenAt("C", 700)}) {
        panel->update(scanOf(std::move(items)));
        panel->presentInRescueWindow();
        QWidget* window = panel->rescueWindowController();
        EXPECT_NE(window, nullptr);
        EXPECT_TRUE(tessaline::testing::showAndActivate(*window));
        loop.runFor(0s);
        return *window;
    }

    OverflowPanelView& view() { return panel->view(); }
    int selectedRow() { return view().tableView->selectedRow(); }

    std::unique_ptr<OverflowPanelController> panel;
    int refreshes = 0;
    int closes = 0;
};

// MARK: window

TEST_F(OverflowPanelInteractionTest, PresentingOverAnOpenWindowClosesItBeforeTheRegularPolicy) {
    auto& workspace = desktop.workspace();
    present();
    std::vector<platform::NSApplicationActivationPolicy> policyAtClose;
    panel->onRescueWindowClosed = [&] {
        policyAtClose.push_back(workspace.activationPolicy());
        // As the hub does: back to the accessory policy.
        workspace.setActivationPolicy(platform::NSApplicationActivationPolicyAccessory);
    };
    QPointer<QWidget> first = panel->rescueWindowController();
    panel->presentInRescueWindow();
    EXPECT_EQ(policyAtClose.size(), 1u);
    EXPECT_EQ(workspace.activationPolicy(), platform::NSApplicationActivationPolicyRegular);
    EXPECT_NE(panel->rescueWindowController(), first.data());
    EXPECT_TRUE(panel->rescueWindowController()->isVisible());
    EXPECT_EQ(panel->rescueWindowController()->size(), QSize(440, 452));
    EXPECT_EQ(refreshes, 2);
    flushDeferredDeletes();
    EXPECT_TRUE(first.isNull());
}

TEST_F(OverflowPanelInteractionTest, ReopenEmptiesQueryResetsScopeAndRestoresSelection) {
    present();
    view().tableView->selectRow(1, false);
    panel->scopeChanged(OverflowPanelScope::hiddenOnly);
    view().searchField->setText("b");
    ASSERT_EQ(panel->displayedItems().size(), 1u);
    panel->closeCurrentPresentation();
    EXPECT_EQ(closes, 1);
    EXPECT_EQ(panel->rescueWindowController(), nullptr);
    // A rescan while closed reorders the rows: B moves to the front.
    panel->update(scanOf({hiddenAt("A", 500), hiddenAt("B", 100), hiddenAt("C", 700)}));

    present(panel->latestSnapshot()->items);
    EXPECT_EQ(panel->searchQuery(), "");
    EXPECT_EQ(view().searchField->text(), "");
    EXPECT_EQ(panel->activeScope(), OverflowPanelScope::allRightSide);
    EXPECT_EQ(panel->displayedItems().size(), 3u);
    ASSERT_GE(selectedRow(), 0);
    EXPECT_EQ(panel->displayedItems()[static_cast<std::size_t>(selectedRow())].appName, "B");
    EXPECT_EQ(focusedName(), "panel.search");
}

TEST_F(OverflowPanelInteractionTest, CommandWClosesAndCommandShiftWDoesNot) {
    auto& window = present();
    sendKey(window, Qt::Key_W, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(closes, 0);
    sendKey(window, Qt::Key_W, Qt::ControlModifier);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(closes, 1);
}

// MARK: activation

TEST_F(OverflowPanelInteractionTest, AClickClosesAtOnceAndOpensAfterTheDelay) {
    auto& window = present();
    runnerAnswer = {attempt(QelCore::ActionAttemptPlanner::observedOpenResult)};
    auto* row = view().tableView->existingRowView(1);
    ASSERT_NE(row, nullptr);
    QTest::mouseClick(row, Qt::LeftButton, {}, QPoint(100, 20));
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(panel->rescueWindowController(), nullptr);
    EXPECT_EQ(panel->actionFeedback()->outcome, QuickOpenActionOutcome::opening);
    loop.runFor(140ms);
    EXPECT_TRUE(opened.empty());
    const int refreshesBefore = refreshes;
    loop.runFor(20ms);
    EXPECT_EQ(opened, std::vector<std::string>{"B"});
    EXPECT_EQ(panel->actionFeedback()->outcome, QuickOpenActionOutcome::observedOpen);
    EXPECT_EQ(status.lastActionFeedback()->outcome, QuickOpenActionOutcome::observedOpen);
    EXPECT_EQ(refreshes, refreshesBefore + 1);
    EXPECT_EQ(recents.load().size(), 1u);
    const auto remembered =
        StoredJSONList::loadEntries<CompatibilityRecord>(*defaults, CompatibilityStore::key);
    ASSERT_EQ(remembered.size(), 1u);
    EXPECT_EQ(remembered[0].lastOutcome, CompatibilityLabel::worksWell);
    EXPECT_EQ(remembered[0].observedOpenCount, 1);
}

TEST_F(OverflowPanelInteractionTest, AClickInTheGapBetweenRowsOpensOnce) {
    present();
    runnerAnswer = {attempt("action-sent")};
    auto* table = view().tableView;
    QTest::mouseClick(table, Qt::LeftButton, {},
                      QPoint(100, PanelKeyboardTableView::rowHeight + 3));
    loop.runFor(1s);
    EXPECT_EQ(opened, std::vector<std::string>{"A"});
}

TEST_F(OverflowPanelInteractionTest, UnconfirmedOpensRequestNoRefresh) {
    present();
    const int refreshesBefore = refreshes;
    runnerAnswer = {attempt("action-sent")};
    panel->activateRow(0);
    loop.runFor(1s);
    EXPECT_EQ(panel->actionFeedback()->outcome, QuickOpenActionOutcome::actionSent);
    EXPECT_EQ(refreshes, refreshesBefore);
}

TEST_F(OverflowPanelInteractionTest, WithoutTrustReturnAndArrowsNeverOpenARow) {
    auto& window = present();
    desktop.setTrusted(false);
    panel->update(*panel->latestSnapshot());
    view().tableView->deselectAll();
    for (const auto key : {Qt::Key_Down, Qt::Key_Up, Qt::Key_Left, Qt::Key_Right}) {
        sendKey(window, key);
        EXPECT_EQ(selectedRow(), -1) << key;
        EXPECT_EQ(focusedName(), "panel.search") << key;
    }
    view().tableView->selectRow(0, false);
    sendKey(window, Qt::Key_Return);
    loop.runFor(1s);
    EXPECT_TRUE(opened.empty());
    EXPECT_TRUE(window.isVisible());
}

TEST_F(OverflowPanelInteractionTest, SampleRateZeroStillReportsFailures) {
    sampler = QuickOpenTelemetrySampling::sampler([] {
        return platform::ProcessEnvironment{{QuickOpenTelemetrySampling::sampleRateVariable, "0"}};
    });
    present();
    runnerAnswer = {attempt("action-sent")};
    panel->activateRow(0);
    loop.runFor(1s);
    EXPECT_TRUE(reported.empty());

    present();
    runnerAnswer = {attempt("failed", -25'204)};
    panel->activateRow(0);
    loop.runFor(1s);
    ASSERT_EQ(reported.size(), 1u);
    EXPECT_EQ(reported[0].name, "quick_open_attempt");
}

// The program's own samplers, the panel's and the per-app hotkeys', read the rate at each
// decision: a rate set between two decisions counts for the second.
TEST_F(OverflowPanelInteractionTest, TheProgramsSamplersFollowTheEnvironmentBetweenDecisions) {
    platform::UserDefaults::setStandard(defaults);
    const auto services = desktop.services();
    const std::pair<const char*, std::function<bool(QuickOpenActionOutcome)>> samplers[] = {
        {"panel", OverflowPanelController::Dependencies::production(services).telemetrySampler},
        {"per-app hotkeys",
         PerAppHotKeyRuntime::Configuration::live(services, hotKeyRegistry, {},
                                                  {hotKeys, recents, compatibility, status})
             .telemetrySampler},
    };
    for (const auto& [name, decides] : samplers) {
        for (const auto& [rate, sent] : {std::pair{"0", false}, {"1", true}, {"0", false}}) {
            ::setenv(QuickOpenTelemetrySampling::sampleRateVariable, rate, 1);
            EXPECT_EQ(decides(QuickOpenActionOutcome::actionSent), sent) << name << " " << rate;
        }
    }
    ::unsetenv(QuickOpenTelemetrySampling::sampleRateVariable);
}

TEST(CompatibilityOutcomeTest, FollowsTheOutcomeAndTheItemsPlace) {
    using enum QuickOpenActionOutcome;
    using Recorded = std::optional<CompatibilityAttemptOutcome>;
    const struct {
        QuickOpenActionOutcome outcome;
        VisibilityClassification classification;
        Recorded expected;
    } cases[] = {
        {observedOpen, hiddenBehindNotch, CompatibilityAttemptOutcome::observedOpen},
        {actionSent, hiddenBehindNotch, CompatibilityAttemptOutcome::actionSentWhileObstructed},
        {actionSent, pushedOffscreen, CompatibilityAttemptOutcome::actionSentWhileObstructed},
        {actionSent, visible, CompatibilityAttemptOutcome::actionSent},
        {actionSent, VisibilityClassification::unknown, CompatibilityAttemptOutcome::actionSent},
        {failed, visible, CompatibilityAttemptOutcome::failed},
        {opening, hiddenBehindNotch, std::nullopt},
    };
    for (const auto& row : cases) {
        EXPECT_EQ(compatibilityOutcome(row.outcome, row.classification), row.expected)
            << static_cast<int>(row.outcome) << " " << static_cast<int>(row.classification);
    }
}

// MARK: feedback

TEST_F(OverflowPanelInteractionTest, FeedbackFromFourSecondsAgoShowsForOneSecondMore) {
    status.recordActionFeedback(QuickOpenActionFeedback::opening("Dropbox"), now - 4s);
    present();
    auto* line = view().footerStatusLabel;
    EXPECT_TRUE(line->isVisibleTo(&view()));
    EXPECT_EQ(line->text(), "Opening Dropbox...");
    loop.runFor(990ms);
    EXPECT_TRUE(line->isVisibleTo(&view()));
    loop.runFor(20ms);
    EXPECT_FALSE(line->isVisibleTo(&view()));
    EXPECT_FALSE(status.lastActionFeedback());
}

TEST_F(OverflowPanelInteractionTest, FeedbackDatedAheadOfTheClockStillEndsWithinFiveSeconds) {
    status.recordActionFeedback(QuickOpenActionFeedback::opening("Dropbox"), now + 1h);
    present();
    EXPECT_TRUE(panel->actionFeedback());
    loop.runFor(5s + 10ms);
    EXPECT_FALSE(panel->actionFeedback());
}

TEST_F(OverflowPanelInteractionTest, AnOlderExpiryLeavesANewerFeedback) {
    present();
    panel->recordActionFeedback(QuickOpenActionFeedback::opening("A"));
    loop.runFor(3s);
    panel->recordActionFeedback(QuickOpenActionFeedback::opening("B"));
    loop.runFor(3s);
    ASSERT_TRUE(panel->actionFeedback());
    EXPECT_EQ(panel->actionFeedback()->appName, "B");
    loop.runFor(3s);
    EXPECT_FALSE(panel->actionFeedback());
}

TEST_F(OverflowPanelInteractionTest, OldFeedbackIsClearedOnReopen) {
    status.recordActionFeedback(QuickOpenActionFeedback::opening("Dropbox"), now - 6s);
    present();
    EXPECT_FALSE(panel->actionFeedback());
    EXPECT_FALSE(status.lastActionFeedback());
}

// MARK: keys

TEST_F(OverflowPanelInteractionTest, TypingWithTheTableFocusedGoesIntoTheSearch) {
    auto& window = present({hiddenAt("Alpha", 500), hiddenAt("Beta", 600)});
    view().tableView->setFocus();
    sendKey(window, Qt::Key_A);
    EXPECT_EQ(view().searchField->text(), "a");
    EXPECT_EQ(panel->searchQuery(), "a");
    EXPECT_EQ(focusedName(), "panel.search");
    EXPECT_EQ(view().searchField->cursorPosition(), 1);
}

TEST_F(OverflowPanelInteractionTest, OptionWithALetterTypesNothing) {
    auto& window = present();
    view().tableView->setFocus();
    sendKey(window, Qt::Key_A, Qt::AltModifier);
    EXPECT_EQ(view().searchField->text(), "");
}

TEST_F(OverflowPanelInteractionTest, ArrowsClampAndNeverWrap) {
    auto& window = present();
    view().tableView->deselectAll();
    sendKey(window, Qt::Key_Up);
    EXPECT_EQ(selectedRow(), 2);
    sendKey(window, Qt::Key_Down);
    EXPECT_EQ(selectedRow(), 2);
    sendKey(window, Qt::Key_Up);
    sendKey(window, Qt::Key_Up);
    sendKey(window, Qt::Key_Up);
    EXPECT_EQ(selectedRow(), 0);
    // The focus stays in the search while the arrows move the selection.
    EXPECT_EQ(focusedName(), "panel.search");
}

TEST_F(OverflowPanelInteractionTest, TabWrapsAndSkipsHiddenControls) {
    auto& window = present();
    // Scope control shown, empty-state button hidden: search, table, scope, refresh, settings.
    const std::vector<std::string> ring{"panel.table", "panel.scope-control", "panel.refresh",
                                        "panel.preferences", "panel.search"};
    for (const auto& expected : ring) {
        sendKey(window, Qt::Key_Tab);
        EXPECT_EQ(focusedName(), expected);
    }
    sendKey(window, Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(focusedName(), "panel.preferences");
    EXPECT_TRUE(window.isVisible());
}

TEST_F(OverflowPanelInteractionTest, ReturnOnRefreshOpensNoRow) {
    auto& window = present();
    const int refreshesBefore = refreshes;
    view().refreshButton->setFocus();
    sendKey(window, Qt::Key_Return);
    loop.runFor(1s);
    EXPECT_EQ(refreshes, refreshesBefore + 1);
    EXPECT_TRUE(opened.empty());
    EXPECT_TRUE(window.isVisible());
}

// Refresh says "Refreshing..." while the hub scans; the preferences button asks the hub for the
// preferences while the panel is still up, and then closes the panel.
TEST_F(OverflowPanelInteractionTest, HeaderButtonsCallTheHubInTheirOrder) {
    QPointer<QWidget> window = &present();
    QString subtitleWhileRefreshing;
    panel->onRequestRefresh = [&] { subtitleWhileRefreshing = view().panelSubtitleLabel->text(); };
    view().refreshButton->click();
    EXPECT_EQ(subtitleWhileRefreshing, "Refreshing...");

    bool shownWhenAsked = false;
    panel->onRequestPreferences = [&] { shownWhenAsked = window && window->isVisible(); };
    view().settingsButton->click();
    EXPECT_TRUE(shownWhenAsked);
    EXPECT_TRUE(!window || !window->isVisible());
    EXPECT_EQ(panel->rescueWindowController(), nullptr);
}

// A click on a header button leaves the focus where it was, as on the Mac.
TEST_F(OverflowPanelInteractionTest, ReturnInTheSearchOpensTheSelectedRowAfterAButtonClick) {
    auto& window = present();
    sendKey(window, Qt::Key_Down);
    QTest::mouseClick(view().refreshButton, Qt::LeftButton);
    EXPECT_EQ(focusedName(), "panel.search");
    sendKey(window, Qt::Key_Return);
    EXPECT_FALSE(window.isVisible());
    loop.runFor(1s);
    EXPECT_EQ(opened, std::vector<std::string>{"B"});
}

// An arrow that switches scope moves the focus to the rows, and Return then opens the selected
// row until Tab moves the focus, also after the focus went elsewhere without Tab: here a rescan
// emptied the list, which hid the table and passed its focus on to the refresh button.
TEST_F(OverflowPanelInteractionTest, AKeyboardScopeSwitchHandsReturnToTheSelectedRow) {
    auto& window = present({hiddenAt("A", 500), hiddenAt("B", 600),
                            record("Visible", "", visible, frameCentredAt(900))});
    sendKey(window, Qt::Key_Left);
    EXPECT_EQ(panel->activeScope(), OverflowPanelScope::hiddenOnly);
    EXPECT_EQ(panel->displayedItems().size(), 2u);
    EXPECT_EQ(focusedName(), "panel.table");
    const auto items = panel->latestSnapshot()->items;
    panel->update(scanOf({}));
    panel->update(scanOf(items));
    ASSERT_EQ(focusedName(), "panel.refresh");
    const int refreshesBefore = refreshes;
    sendKey(window, Qt::Key_Return);
    loop.runFor(1s);
    EXPECT_EQ(opened, std::vector<std::string>{"A"});
    EXPECT_EQ(refreshes, refreshesBefore);
}

TEST_F(OverflowPanelInteractionTest, HiddenOnlyLocksTheNormalPanelButNotTheShortcutSetup) {
    defaults->set(AppPreferences::panelScopeKey, std::string("hiddenOnly"));
    const std::vector<AXMenuBarItemRecord> items{
        hiddenAt("A", 500), record("Visible", "", visible, frameCentredAt(900))};
    auto& window = present(items);
    ASSERT_EQ(panel->displayedItems().size(), 1u);
    sendKey(window, Qt::Key_Right);
    EXPECT_EQ(panel->displayedItems().size(), 1u);
    EXPECT_EQ(view().scopeControl->selectedScope, OverflowPanelScope::hiddenOnly);

    panel->presentationContext = OverflowPanelPresentationContext::shortcutSetup;
    sendKey(window, Qt::Key_Left);
    sendKey(window, Qt::Key_Right);
    EXPECT_EQ(panel->activeScope(), OverflowPanelScope::allRightSide);
    EXPECT_EQ(panel->displayedItems().size(), 2u);
    sendKey(window, Qt::Key_Escape);
    EXPECT_FALSE(window.isVisible());
}

} // namespace

namespace {

TEST_F(OverflowPanelInteractionTest, TheWindowShowsThePanelWithItsFeedbackLine) {
    status.recordActionFeedback(QuickOpenActionFeedback::opening("Dropbox"), now);
    auto& window = present();
    const QImage image = tessaline::testing::renderWidget(window);
    EXPECT_EQ(image.size(), QSize(440, 452));
    EXPECT_EQ(window.windowTitle(), "Tessaline");
    EXPECT_TRUE(view().footerStatusLabel->isVisibleTo(&window));
    // The refresh button is unfocused (white) while the search field has the focus.
    const QPoint refresh = view().refreshButton->mapTo(&window, QPoint(4, 4));
    EXPECT_EQ(tessaline::testing::pixelColor(image, refresh.x(), refresh.y()), QColor(Qt::white));
}

} // namespace

namespace {

// On the turn after presenting, the search field takes the focus once more, as the window may
// lose it while it activates; a focus the user moved meanwhile stays where it is.
TEST_F(OverflowPanelInteractionTest, TheSecondFocusPassRestoresALostFocusOnly) {
    const struct {
        const char* name;
        std::function<void()> meanwhile;
        const char* focused;
    } rows[] = {
        {"lost", [this] { view().searchField->clearFocus(); }, "panel.search"},
        {"moved by the user", [this] { view().refreshButton->setFocus(); }, "panel.refresh"},
    };
    for (const auto& row : rows) {
        panel->update(scanOf({hiddenAt("A", 500)}));
        panel->presentInRescueWindow();
        ASSERT_TRUE(tessaline::testing::showAndActivate(*panel->rescueWindowController()));
        row.meanwhile();
        loop.runFor(0s);
        EXPECT_EQ(focusedName(), row.focused) << row.name;
    }
}

// The focused search field takes Escape as a Mac search field does: it clears the query.
TEST_F(OverflowPanelInteractionTest, EscapeInTheNormalPanelGoesToTheFocusedControl) {
    auto& window = present();
    sendKey(window, Qt::Key_B);
    ASSERT_EQ(panel->searchQuery(), "b");
    ASSERT_EQ(panel->displayedItems().size(), 1u);
    sendKey(window, Qt::Key_Escape);
    EXPECT_EQ(view().searchField->text(), "");
    EXPECT_EQ(panel->searchQuery(), "");
    EXPECT_EQ(panel->displayedItems().size(), 3u);
    sendKey(window, Qt::Key_Escape);
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(focusedName(), "panel.search");
}

// The search field's clear button shows exactly while there is text, however the text came.
TEST_F(OverflowPanelInteractionTest, TheClearButtonFollowsTheSearchText) {
    const struct {
        const char* name;
        std::function<void()> act;
        bool shown;
    } cases[] = {
        {"reopened after a search",
         [this] {
             sendKey(present(), Qt::Key_B);
             panel->closeCurrentPresentation();
             loop.runFor(6s);
             present();
         },
         false},
        {"typed while the list has the focus",
         [this] {
             QWidget& window = present();
             view().tableView->setFocus();
             sendKey(window, Qt::Key_A);
         },
         true},
    };
    for (const auto& each : cases) {
        SetUp();
        each.act();
        EXPECT_EQ(view().searchField->text().isEmpty(), !each.shown) << each.name;
        // As soon as the text changed, however long a fade would take.
        const QAction* clear = view().searchField->findChild<QAction*>("panel.search.clear");
        ASSERT_NE(clear, nullptr);
        const QToolButton* clearButton = nullptr;
        for (const auto* button : view().searchField->findChildren<QToolButton*>()) {
            clearButton = button->defaultAction() == clear ? button : clearButton;
        }
        ASSERT_NE(clearButton, nullptr);
        EXPECT_EQ(clearButton->isVisible(), each.shown) << each.name;
        TearDown();
    }
}

// A selection kept from the last showing is scrolled into view, so Return opens a row in sight.
TEST_F(OverflowPanelInteractionTest, ReopeningScrollsTheKeptSelectionIntoView) {
    std::vector<AXMenuBarItemRecord> items;
    for (const char* name : {"A", "B", "C", "D", "E", "F", "G", "H", "I", "Zoom"}) {
        items.push_back(hiddenAt(name, 100.0 * static_cast<double>(items.size() + 1)));
    }
    auto& first = present(items);
    for (const auto key : {Qt::Key_Z, Qt::Key_O, Qt::Key_O, Qt::Key_M}) {
        sendKey(first, key);
    }
    ASSERT_EQ(panel->displayedItems().size(), 1u);
    panel->closeCurrentPresentation();
    loop.runFor(6s);

    auto& window = present(items);
    ASSERT_EQ(panel->displayedItems().size(), 10u);
    ASSERT_EQ(selectedRow(), 9);
    const QRect row = view().tableView->rectOfRow(9).translated(
        view().tableView->mapTo(view().scrollView->viewport(), QPoint(0, 0)));
    EXPECT_TRUE(view().scrollView->viewport()->rect().contains(row))
        << row.y() << " in " << view().scrollView->viewport()->height();
    sendKey(window, Qt::Key_Return);
    loop.runFor(1s);
    EXPECT_EQ(opened, std::vector<std::string>{"Zoom"});
}

} // namespace

namespace {

TEST_F(OverflowPanelInteractionTest, AFocusedHeaderButtonShowsTheSoftFocusColour) {
    auto& window = present();
    view().refreshButton->setFocus();
    panel->focusNextPanelControl(true);
    ASSERT_EQ(focusedName(), "panel.preferences");
    const QImage image = tessaline::testing::renderWidget(window);
    const auto colourAt = [&](QWidget* button) {
        const QPoint corner = button->mapTo(&window, QPoint(4, 4));
        return tessaline::testing::pixelColor(image, corner.x(), corner.y());
    };
    EXPECT_EQ(colourAt(view().settingsButton), TessalineDesign::Palette::focusSoft());
    EXPECT_EQ(colourAt(view().refreshButton), QColor(Qt::white));
}

} // namespace
