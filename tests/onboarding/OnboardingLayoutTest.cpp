#include "OnboardingTestSupport.h"

#include "tests/support/WidgetImage.h"
#include "ui/Onboarding/AccessibilityPermissionPreviewView.h"
#include "ui/Onboarding/OnboardingCard.h"
#include "ui/Onboarding/QuickOpenIntroDemoView.h"
#include "ui/Onboarding/TessalineAppMarkView.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QLayout>
#include <QRegularExpression>

namespace {

using namespace OnboardingTesting;

QRect geometryOf(const OnboardingWindowController& controller, const char* name) {
    const QWidget* widget = controller.window()->findChild<QWidget*>(name);
    return widget == nullptr ? QRect() : widget->geometry();
}

TEST(OnboardingLayout, EveryNamedPartIsThereWithItsSize) {
    OnboardingFixture fixture;
    OnboardingWindowController& controller = fixture.make();
    controller.presentIfNeeded();
    struct Row {
        const char* name;
        QSize size; // empty: any size
    };
    const Row rows[] = {{"onboarding.root-stack", {1040, 760}},
                        {"onboarding.left-stack", {}},
                        {"onboarding.copy-stack", {}},
                        {"onboarding.app-mark", {44, 44}},
                        {"onboarding.title", {}},
                        {"onboarding.body", {}},
                        {"onboarding.shortcut-card", {}},
                        {"onboarding.shortcut-instruction", {}},
                        {"onboarding.shortcut-popup", {112, 30}},
                        {"onboarding.permission-card", {}},
                        {"onboarding.action-row", {}},
                        {"onboarding.primary-button", {}},
                        {"onboarding.recheck-button", {}},
                        {"onboarding.skip-button", {}},
                        {"onboarding.status-label", {}},
                        {"onboarding.permission-help-card", {}},
                        {"onboarding.permission-help", {}},
                        {"onboarding.permission-bottom-spacer", {}},
                        {"onboarding.permission-visual", {430, 330}},
                        {"onboarding.quick-open-demo", {500, 500}}};
    for (const Row& row : rows) {
        const QWidget* widget = controller.window()->findChild<QWidget*>(row.name);
        ASSERT_NE(widget, nullptr) << row.name;
        if (!row.size.isEmpty()) {
            EXPECT_EQ(widget->size(), row.size) << row.name;
        }
    }
    EXPECT_EQ(geometryOf(controller, "onboarding.shortcut-card").width(), 400);
    EXPECT_EQ(geometryOf(controller, "onboarding.primary-button").height(), 38);
    EXPECT_EQ(geometryOf(controller, "onboarding.title").width(), 344);
    EXPECT_EQ(geometryOf(controller, "onboarding.body").width(), 400);
}

// The shortcut instruction keeps to its line, cut at its end, and leaves the pop-up its place.
TEST(OnboardingLayout, ALongShortcutInstructionIsCutAtItsEnd) {
    OnboardingFixture fixture;
    OnboardingWindowController& controller = fixture.make();
    controller.presentIfNeeded();
    const OnboardingPageViews& v = controller.views();
    v.shortcutInstructionLabel->setText(
        QStringLiteral("Press Option and Shift together, then type the name of the menu bar app"));
    v.shortcutCard->layout()->activate();
    EXPECT_EQ(v.shortcutCard->width(), 400);
    EXPECT_LE(v.shortcutPopup->geometry().right(), 400 - 16);
    // The label runs up to the row's spacing before the pop-up.
    EXPECT_EQ(v.shortcutInstructionLabel->mapTo(v.shortcutCard, QPoint(0, 0)).x() +
                  v.shortcutInstructionLabel->width() + 14,
              v.shortcutPopup->x());
    EXPECT_TRUE(v.shortcutInstructionLabel->isElided());
}

TEST(OnboardingLayout, TheWindowKeepsItsSizeAndPlaceAcrossPages) {
    OnboardingFixture fixture;
    OnboardingWindowController& controller = fixture.make();
    controller.presentIfNeeded();
    const QRect frame = controller.window()->geometry();
    EXPECT_EQ(frame.size(), QSize(1040, 760));
    fixture.press();
    EXPECT_EQ(controller.window()->geometry(), frame);
    EXPECT_EQ(geometryOf(controller, "onboarding.title").width(), 430);
    EXPECT_EQ(geometryOf(controller, "onboarding.permission-card").width(), 430);
    EXPECT_GE(geometryOf(controller, "onboarding.primary-button").width(), 190);
}

TEST(OnboardingLayout, HiddenPartsTakeNoSpace) {
    OnboardingFixture fixture;
    OnboardingWindowController& controller = fixture.make();
    controller.presentIfNeeded();
    const OnboardingPageViews& v = controller.views();

    // Value page: the copy is title row, 14, body, 44, shortcut card; the action area is the
    // button row alone.
    EXPECT_FALSE(v.permissionStack->isVisible());
    EXPECT_FALSE(v.permissionHelpCard->isVisible());
    EXPECT_EQ(v.copyStack->height(),
              v.titleRow->height() + 14 + v.bodyLabel->height() + 44 + v.shortcutCard->height());
    EXPECT_EQ(v.actionArea->height(), v.actionRow->height());
    EXPECT_EQ(v.titleLabel->x(), v.iconView->width() + 12);

    // Permission page: no shortcut card, and the title starts where the hidden mark was.
    fixture.press();
    EXPECT_FALSE(v.shortcutCard->isVisible());
    EXPECT_EQ(v.titleLabel->x(), 0);
    EXPECT_EQ(v.copyStack->height(),
              v.titleRow->height() + 24 + v.bodyLabel->height() + 30 + v.permissionStack->height());
    EXPECT_EQ(v.actionArea->height(), v.actionRow->height());
}

TEST(OnboardingLayout, RebuildingTheGuideRowsKeepsTwoRowsAndOneSeparator) {
    OnboardingFixture fixture;
    OnboardingWindowController& controller = fixture.make();
    controller.presentIfNeeded();
    fixture.press();
    controller.refreshStatus();
    controller.refreshStatus();
    flushDeferredDeletes();
    const QWidget* card = controller.views().permissionStack;
    EXPECT_EQ(card->layout()->count(), 3);
    EXPECT_NE(card->findChild<QWidget*>("onboarding.permission-guide-row.1"), nullptr);
    EXPECT_NE(card->findChild<QWidget*>("onboarding.permission-guide-separator.1"), nullptr);
    EXPECT_NE(card->findChild<QWidget*>("onboarding.permission-guide-row.2"), nullptr);
    EXPECT_EQ(
        card->findChildren<QWidget*>(QRegularExpression("^onboarding\\.permission-guide-")).size(),
        3);
}

TEST(OnboardingLayout, TheVisualPreviewRendersBothPermissionStatesWithoutTimers) {
    OnboardingFixture fixture;
    OnboardingWindowController& controller = fixture.make();
    controller.renderVisualPreviewPermissionStep(true);
    EXPECT_EQ(fixture.primaryTitle(), "Start using Tessaline");
    EXPECT_EQ(controller.views().statusLabel->text(), "Accessibility access granted.");
    EXPECT_FALSE(controller.isPolling());
    EXPECT_EQ(fixture.desktop.record().trustPrompts, 0);
    controller.renderVisualPreviewPermissionStep(false);
    EXPECT_EQ(fixture.primaryTitle(), "Grant Accessibility Access");
    EXPECT_FALSE(controller.views().statusLabel->isVisibleTo(controller.window()));
}

// Renders both pages for a person to look at; the images must at least have the window's size.
TEST(OnboardingLayout, RendersBothPages) {
    OnboardingFixture fixture;
    OnboardingWindowController& controller = fixture.make();
    controller.presentIfNeeded();
    const QString folder = TESSALINE_ONBOARDING_RENDER_DIR;
    const QImage value = tessaline::testing::renderWidget(*controller.window());
    EXPECT_EQ(value.size(), QSize(1040, 760));
    EXPECT_TRUE(tessaline::testing::savePng(value, folder + "/onboarding-value.png"));
    fixture.press();
    fixture.press();
    fixture.loop.runFor(std::chrono::seconds(3));
    EXPECT_TRUE(tessaline::testing::savePng(tessaline::testing::renderWidget(*controller.window()),
                                            folder + "/onboarding-permission.png"));
    OnboardingFixture pending;
    pending.makeWithDragPanel();
    EXPECT_TRUE(
        tessaline::testing::savePng(tessaline::testing::renderWidget(*pending.controller->window()),
                                    folder + "/onboarding-permission-pending.png"));
    EXPECT_TRUE(tessaline::testing::savePng(
        tessaline::testing::renderWidget(*pending.controller->accessibilityDragOverlayPanel()),
        folder + "/onboarding-drag-panel.png"));

    // The settings picture late in its loop: switch on, pulse ringing the row.
    QWidget window;
    auto* picture =
        new AccessibilityPermissionPreviewView(pending.loop, pending.desktop.workspace(), &window);
    picture->resize(430, 330);
    window.show();
    picture->restartAnimationAfterInitialDelay();
    pending.loop.runFor(std::chrono::milliseconds(5250));
    EXPECT_NEAR(picture->animationPhase(), 0.8, 1e-9);
    EXPECT_TRUE(tessaline::testing::savePng(tessaline::testing::renderWidget(*picture),
                                            folder + "/onboarding-permission-visual.png"));
}

} // namespace
