#include "OnboardingTestSupport.h"

#include "Parlowen/Onboarding/OnboardingDiagnostics.h"
#include "tests/support/KeySender.h"
#include "tests/support/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <QCloseEvent>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QWindow>

#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <functional>

namespace {

using namespace OnboardingTesting;
using platform::sim::ActivationCall;
using Step = OnboardingWindowController::Step;

std::vector<platform::NSApplicationActivationPolicy>
policies(const platform::sim::SimRecord& record) {
    std::vector<platform::NSApplicationActivationPolicy> result;
    for (const ActivationCall& call : record.activationCalls) {
        if (call.kind == ActivationCall::Kind::setActivationPolicy) {
            result.push_back(call.policy);
        }
    }
    return result;
}

long count(const std::vector<std::string>& urls, std::string_view url) {
    return std::count(urls.begin(), urls.end(), url);
}

// The drag panels open beside the onboarding window.
int dragPanels(const OnboardingWindowController& controller) {
    int panels = 0;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() == "onboarding.permission-drag-panel" && widget->isVisible() &&
            widget->parentWidget() == controller.window()) {
            ++panels;
        }
    }
    return panels;
}

TEST(OnboardingFlow, ContinueThenGrantPromptsOnceAndThenOffersTheSettings) {
    OnboardingFixture fixture;
    OnboardingWindowController& controller = fixture.make();
    ASSERT_TRUE(controller.presentIfNeeded());
    EXPECT_EQ(fixture.primaryTitle(), "Continue");

    fixture.press();
    EXPECT_EQ(controller.step(), Step::permission);
    EXPECT_EQ(fixture.primaryTitle(), "Grant Accessibility Access");
    EXPECT_EQ(fixture.desktop.record().trustPrompts, 0);

    fixture.press();
    EXPECT_EQ(fixture.desktop.record().trustPrompts, 1);
    EXPECT_EQ(fixture.primaryTitle(), "Open System Settings…");
    EXPECT_TRUE(controller.views().recheckButton->isVisibleTo(controller.window()));
    EXPECT_TRUE(controller.views().permissionHelpCard->isVisibleTo(controller.window()));
}

TEST(OnboardingFlow, LaterPressesOpenTheSettingsEachTimeButOnlyOneDragPanel) {
    OnboardingFixture fixture;
    OnboardingWindowController& controller = fixture.make();
    controller.presentIfNeeded();
    fixture.press();
    fixture.press();
    const std::string settings(platform::kAccessibilitySettingsURL);

    fixture.press();
    EXPECT_EQ(count(fixture.desktop.record().openedURLs, settings), 1);
    EXPECT_EQ(dragPanels(controller), 1);
    const QRect window = controller.window()->frameGeometry();
    const QRect panel = controller.accessibilityDragOverlayPanel()->frameGeometry();
    EXPECT_EQ(window.x() + window.width() - panel.x(), 400);
    EXPECT_EQ(panel.y() - window.y(), 76);

    fixture.press();
    EXPECT_EQ(count(fixture.desktop.record().openedURLs, settings), 2);
    EXPECT_EQ(dragPanels(controller), 1);
    EXPECT_EQ(fixture.desktop.record().trustPrompts, 1);
}

// A window manager without a compositor shows a window's transparent pixels black: the drag
// panel is cut to its rounded card, and every pixel inside that shape is opaque.
TEST(OnboardingFlow, TheDragPanelIsCutToItsCard) {
    OnboardingFixture fixture;
    OnboardingWindowController& controller = fixture.makeWithDragPanel();
    QWidget* panel = controller.accessibilityDragOverlayPanel();
    ASSERT_NE(panel, nullptr);
    const QImage picture = panel->grab().toImage().convertToFormat(QImage::Format_ARGB32);
    const QRegion shape = panel->mask().isEmpty() ? QRegion(panel->rect()) : panel->mask();
    int seeThrough = 0;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            seeThrough += shape.contains(QPoint(x, y)) && qAlpha(picture.pixel(x, y)) < 255;
        }
    }
    EXPECT_EQ(seeThrough, 0);
    for (const QPoint corner : {panel->rect().topLeft(), panel->rect().topRight(),
                                panel->rect().bottomLeft(), panel->rect().bottomRight()}) {
        EXPECT_FALSE(shape.contains(corner)) << corner.x() << "," << corner.y();
    }
}

TEST(OnboardingFlow, TheGrantCompletesOnceAndReturnsToTheAccessoryPolicy) {
    OnboardingFixture fixture;
    OnboardingWindowController& controller = fixture.makeWithDragPanel();
    ASSERT_NE(controller.accessibilityDragOverlayPanel(), nullptr);

    fixture.loop.runFor(grantDelay + std::chrono::seconds(1));
    EXPECT_EQ(fixture.completions, 1);
    EXPECT_TRUE(fixture.preferences.onboardingCompleted());
    EXPECT_FALSE(controller.window()->isVisible());
    EXPECT_EQ(controller.accessibilityDragOverlayPanel(), nullptr);
    EXPECT_FALSE(controller.isPolling());
    EXPECT_EQ(policies(fixture.desktop.record()),
              (std::vector{platform::NSApplicationActivationPolicyRegular,
                           platform::NSApplicationActivationPolicyAccessory}));

    // The remaining rechecks, the poll and a press find it completed.
    fixture.loop.runFor(std::chrono::seconds(10));
    fixture.press();
    EXPECT_EQ(fixture.completions, 1);
}

TEST(OnboardingFlow, AGrantWhileTheValuePageShowsWaitsForContinue) {
    OnboardingFixture fixture;
    OnboardingWindowController& controller = fixture.make();
    controller.presentIfNeeded();
    fixture.desktop.setTrusted(true);
    fixture.loop.runFor(std::chrono::seconds(5));
    EXPECT_EQ(fixture.completions, 0);
    EXPECT_EQ(controller.step(), Step::value);
    EXPECT_TRUE(controller.window()->isVisible());

    fixture.press();
    EXPECT_EQ(fixture.completions, 1);
}

TEST(OnboardingFlow, BecomingActiveRechecksAtOnce) {
    OnboardingFixture fixture;
    OnboardingWindowController& controller = fixture.make();
    controller.presentIfNeeded();
    fixture.press();
    fixture.desktop.setTrusted(true);
    // Back from System Settings: the app becomes active before any poll or recheck is due.
    fixture.desktop.setFrontmost(fixture.desktop.initialDescription().apps.front().pid);
    fixture.desktop.setFrontmost(fixture.desktop.initialDescription().ownProcess.pid);
    fixture.loop.runFor(std::chrono::milliseconds(10));
    EXPECT_EQ(fixture.completions, 1);
}

// The drag panel goes with the window, closed by Command-W or by the window's close button
// (the window manager's close request); the grant still completes onboarding.
TEST(OnboardingFlow, ClosingThePermissionPageStillCompletesOnTheGrant) {
    const struct {
        const char* name;
        std::function<void(QWidget& window)> close;
    } rows[] = {
        {"Command-W",
         [](QWidget& window) {
             tessaline::testing::sendKey(window, Qt::Key_W, Qt::ControlModifier);
         }},
        {"close button",
         [](QWidget& window) {
             QCloseEvent request;
             QCoreApplication::sendEvent(window.windowHandle(), &request);
         }},
    };
    for (const auto& row : rows) {
        OnboardingFixture fixture;
        OnboardingWindowController& controller = fixture.makeWithDragPanel();
        ASSERT_EQ(dragPanels(controller), 1) << row.name;

        row.close(*controller.window());
        EXPECT_FALSE(controller.window()->isVisible()) << row.name;
        EXPECT_EQ(dragPanels(controller), 0) << row.name;
        EXPECT_TRUE(controller.isPresented()) << row.name;

        fixture.loop.runFor(grantDelay + std::chrono::seconds(1));
        EXPECT_EQ(fixture.completions, 1) << row.name;
        EXPECT_TRUE(fixture.preferences.onboardingCompleted()) << row.name;
    }
}

// The shortcut pop-up, focused at first launch, would take W as type-to-select.
TEST(OnboardingFlow, CommandWAloneClosesWhateverHasTheFocus) {
    OnboardingFixture fixture;
    OnboardingWindowController& controller = fixture.make();
    controller.presentIfNeeded();
    ASSERT_TRUE(tessaline::testing::showAndActivate(*controller.window()));
    controller.views().shortcutPopup->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), controller.views().shortcutPopup);
    tessaline::testing::sendKey(*controller.window(), Qt::Key_W,
                                Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_TRUE(controller.window()->isVisible());
    tessaline::testing::sendKey(*controller.window(), Qt::Key_W, Qt::ControlModifier);
    EXPECT_FALSE(controller.window()->isVisible());
}

// Command-W in another of the program's windows (the preferences, the panel) is that window's.
TEST(OnboardingFlow, CommandWInAnotherWindowLeavesOnboardingOpen) {
    OnboardingFixture fixture;
    OnboardingWindowController& controller = fixture.make();
    controller.presentIfNeeded();
    QWidget other;
    auto* field = new QLineEdit(&other);
    ASSERT_TRUE(tessaline::testing::showAndActivate(other));
    field->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), field);
    tessaline::testing::sendKey(other, Qt::Key_W, Qt::ControlModifier);
    EXPECT_TRUE(controller.window()->isVisible());
}

TEST(OnboardingFlow, RecheckPromptsAgainAndShowsTheWaitingLine) {
    OnboardingFixture fixture;
    OnboardingWindowController& controller = fixture.make();
    controller.presentIfNeeded();
    fixture.press();
    fixture.press();
    controller.views().recheckButton->click();
    EXPECT_EQ(fixture.desktop.record().trustPrompts, 2);
    const QLabel* status = controller.views().statusLabel;
    EXPECT_TRUE(status->isVisibleTo(controller.window()));
    EXPECT_TRUE(status->text().startsWith("Still waiting for Accessibility."));
}

TEST(OnboardingFlow, SkipCompletesWithoutThePermission) {
    OnboardingFixture fixture;
    OnboardingWindowController& controller = fixture.make();
    controller.presentIfNeeded();
    controller.views().skipLink->click();
    EXPECT_EQ(fixture.completions, 1);
    EXPECT_TRUE(fixture.preferences.onboardingCompleted());
    EXPECT_EQ(fixture.desktop.record().trustPrompts, 0);
}

TEST(OnboardingFlow, CompletedButNoLongerTrustedShowsTheWindowAgain) {
    OnboardingFixture fixture;
    fixture.defaults->set(Parlowen::AppPreferences::onboardingCompletedKey, true);
    OnboardingWindowController& controller = fixture.make();
    EXPECT_TRUE(controller.presentIfNeeded());
    EXPECT_EQ(fixture.completions, 0);
    EXPECT_EQ(controller.step(), Step::value);
}

// The owner drops the controller inside its completion callback, as the application does.
struct DestroyingOwner {
    explicit DestroyingOwner(OnboardingFixture& fixture)
        : controller(std::make_unique<OnboardingWindowController>(fixture.dependencies())) {
        controller->onCompleted = [this] {
            ++completions;
            controller.reset();
        };
    }
    std::unique_ptr<OnboardingWindowController> controller;
    int completions = 0;
};

TEST(OnboardingFlow, BypassWhenCompletedAndTrustedCallsBackOnceAndMayBeDestroyed) {
    OnboardingFixture fixture(platform::sim::SimulatedDesktop::defaultDescription());
    fixture.defaults->set(Parlowen::AppPreferences::onboardingCompletedKey, true);
    DestroyingOwner owner(fixture);
    EXPECT_FALSE(owner.controller->presentIfNeeded());
    EXPECT_EQ(owner.completions, 1);
    EXPECT_EQ(owner.controller, nullptr);
    EXPECT_TRUE(policies(fixture.desktop.record()).empty());
    flushDeferredDeletes();
}

TEST(OnboardingFlow, AnOwnerMayDestroyTheControllerWhenAButtonOrThePollCompletes) {
    {
        OnboardingFixture fixture;
        DestroyingOwner owner(fixture);
        owner.controller->presentIfNeeded();
        owner.controller->views().skipLink->click();
        EXPECT_EQ(owner.completions, 1);
        flushDeferredDeletes();
    }
    {
        OnboardingFixture fixture;
        DestroyingOwner owner(fixture);
        owner.controller->presentIfNeeded();
        owner.controller->views().primaryButton->click();
        owner.controller->views().primaryButton->click();
        fixture.loop.runFor(std::chrono::seconds(10));
        EXPECT_EQ(owner.completions, 1);
        flushDeferredDeletes();
    }
}

TEST(OnboardingFlow, AShortcutChoiceIsStoredAndReported) {
    OnboardingFixture fixture;
    OnboardingWindowController& controller = fixture.make();
    std::vector<Parlowen::QuickAccessModifierShortcut> reported;
    controller.onQuickAccessShortcutChanged = [&](auto shortcut) { reported.push_back(shortcut); };
    controller.presentIfNeeded();
    QComboBox* popup = controller.views().shortcutPopup;
    popup->setCurrentIndex(2);
    emit popup->activated(2);
    EXPECT_EQ(fixture.preferences.quickAccessModifierShortcut(),
              Parlowen::QuickAccessModifierShortcut::command);
    EXPECT_EQ(reported, std::vector{Parlowen::QuickAccessModifierShortcut::command});
    EXPECT_EQ(controller.views().shortcutInstructionLabel->text(),
              "Press both Command keys together");
}

TEST(OnboardingFlow, AnUnknownStoredShortcutSelectsOption) {
    OnboardingFixture fixture;
    fixture.defaults->set(Parlowen::AppPreferences::quickAccessModifierShortcutKey,
                          std::string("hyper"));
    OnboardingWindowController& controller = fixture.make();
    EXPECT_EQ(controller.views().shortcutPopup->currentIndex(), 0);
    EXPECT_EQ(controller.views().shortcutInstructionLabel->text(),
              "Press both Option keys together");
}

TEST(OnboardingDiagnostics, OnlyTheExactSwitchOneAppendsLines) {
    struct Case {
        const char* name;
        std::optional<std::string> value;
        bool writes;
    };
    const Case cases[] = {{"one", "1", true},
                          {"true", "true", false},
                          {"zero one", "01", false},
                          {"unset", {}, false}};
    for (const Case& row : cases) {
        TemporaryFolder folder;
        ::setenv("TESSALINE_DIAGNOSTICS_DIR", folder.path().c_str(), 1);
        {
            OnboardingFixture fixture;
            if (row.value) {
                fixture.environment[Parlowen::OnboardingDiagnostics::switchVariable] = *row.value;
            }
            fixture.make().presentIfNeeded();
        }
        const std::filesystem::path file = folder.path() / "tessaline-onboarding.txt";
        const std::string text = TemporaryFolder::read(file);
        EXPECT_EQ(std::filesystem::exists(file), row.writes) << row.name;
        if (row.writes) {
            EXPECT_NE(text.find(" presentIfNeeded completed=false trusted=false\n"),
                      std::string::npos)
                << text;
            EXPECT_NE(text.find(" activation regular=true\n"), std::string::npos) << text;
            EXPECT_NE(text.find(" shown visible=true key="), std::string::npos) << text;
            EXPECT_NE(text.find(" refreshStatus granted=false\n"), std::string::npos) << text;
        }
        ::unsetenv("TESSALINE_DIAGNOSTICS_DIR");
    }
}

} // namespace
