// The layout audit over the onboarding window's pages and the drag-the-app panel.
#include "tests/onboarding/OnboardingTestSupport.h"
#include "tests/support/KeySender.h"
#include "tests/support/LayoutAudit.h"
#include "ui/Onboarding/AccessibilityPermissionPreviewView.h"
#include "ui/Onboarding/OnboardingPageViews.h"

#include <QLabel>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>

namespace {

using namespace OnboardingTesting;
using namespace tessaline::testing;

const LayoutAuditRules rules{
    QStringLiteral("onboarding"), {QStringLiteral("onboarding.shortcut-instruction")}, {}};

void expectNoFindings(const std::vector<LayoutFinding>& findings, const char* state) {
    EXPECT_TRUE(findings.empty()) << state << "\n" << describe(findings);
}

TEST(OnboardingLayoutAuditTest, EveryPageInEveryStateFitsAndShowsItsFocus) {
    const struct {
        const char* name;
        std::function<void(OnboardingFixture&)> arrange;
    } states[] = {
        {"value page", {}},
        {"value page without a shortcut",
         [](OnboardingFixture& fixture) {
             QComboBox* popup = fixture.controller->views().shortcutPopup;
             popup->setCurrentIndex(popup->count() - 1);
             fixture.controller->quickAccessShortcutChanged();
         }},
        {"permission page", [](OnboardingFixture& fixture) { fixture.press(); }},
        {"permission page after the prompt",
         [](OnboardingFixture& fixture) {
             fixture.press();
             fixture.press();
         }},
        {"permission page still waiting after Re-check",
         [](OnboardingFixture& fixture) {
             fixture.press();
             fixture.press();
             fixture.controller->views().recheckButton->click();
         }},
        {"permission page granted, as in the pictures",
         [](OnboardingFixture& fixture) {
             fixture.controller->renderVisualPreviewPermissionStep(true);
         }},
    };
    for (const auto& state : states) {
        OnboardingFixture fixture;
        OnboardingWindowController& controller = fixture.make();
        ASSERT_TRUE(controller.presentIfNeeded()) << state.name;
        if (state.arrange) {
            state.arrange(fixture);
        }
        QWidget& window = *controller.window();
        ASSERT_TRUE(showAndActivate(window)) << state.name;
        saveForReview(window, TESSALINE_AUDIT_RENDER_DIR,
                      QStringLiteral("onboarding %1").arg(state.name));
        expectNoFindings(auditLayout(window, rules), state.name);
        expectNoFindings(auditFocusRings(window, rules.window), state.name);
    }
}

// The waiting line may wrap, but the picture beside the copy stays where it was.
TEST(OnboardingLayoutAuditTest, TheWaitingLineMovesNothingBesideIt) {
    OnboardingFixture fixture;
    OnboardingWindowController& controller = fixture.make();
    controller.presentIfNeeded();
    fixture.press();
    fixture.press();
    QWidget& window = *controller.window();
    ASSERT_TRUE(showAndActivate(window));
    QWidget* picture = controller.views().permissionVisualView;
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    const QPoint before = picture->mapTo(&window, QPoint(0, 0));
    controller.views().recheckButton->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    ASSERT_TRUE(controller.views().statusLabel->isVisible());
    const QPoint after = picture->mapTo(&window, QPoint(0, 0));
    EXPECT_EQ(after.x(), before.x());
    EXPECT_EQ(after.y(), before.y());
}

TEST(OnboardingLayoutAuditTest, DragPanelFits) {
    OnboardingFixture fixture;
    OnboardingWindowController& controller = fixture.makeWithDragPanel();
    QWidget* panel = controller.accessibilityDragOverlayPanel();
    ASSERT_NE(panel, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(panel));
    saveForReview(*panel, TESSALINE_AUDIT_RENDER_DIR, QStringLiteral("onboarding drag panel"));
    expectNoFindings(auditLayout(*panel, {QStringLiteral("drag panel"), {}, {}}), "drag panel");
}

} // namespace
