#include "tests/app/HubFixture.h"

#include <QPointer>
#include <QPushButton>

namespace {
using namespace Parlowen;
using AppTesting::HubFixture;

struct AppOnboardingTest : HubFixture {
    std::vector<std::string> events;
    int terminations = 0;
    std::unique_ptr<AppDelegate> delegate;

    void TearDown() override {
        delegate.reset();
        HubFixture::TearDown();
    }

    // A first launch: onboarding is shown, and no panel opens with it.
    void launchWithOnboarding() {
        panel.defaults->set(AppPreferences::onboardingCompletedKey, false);
        delegate = std::make_unique<AppDelegate>(productContext(events, terminations, true));
        delegate->applicationDidFinishLaunching();
        run(200);
        ASSERT_NE(delegate->onboarding(), nullptr);
        ASSERT_TRUE(delegate->onboarding()->window()->isVisible());
        ASSERT_EQ(panelPresentations(), 0);
    }
};

// "Skip for now" completes onboarding from inside the button's own click: the controller is
// released once the click has returned, its window goes with it, and the panel opens once.
TEST_F(AppOnboardingTest, ASkippedOnboardingIsReleasedSafelyAndOpensThePanelOnce) {
    launchWithOnboarding();
    const QPointer<QWidget> window = delegate->onboarding()->window();
    QPushButton* skip = delegate->onboarding()->views().skipLink;
    ASSERT_TRUE(skip->isVisible());
    skip->click();
    EXPECT_EQ(delegate->onboarding(), nullptr);
    EXPECT_FALSE(window->isVisible());
    run(200);
    PanelTesting::flushDeferredDeletes();
    EXPECT_TRUE(window.isNull());
    EXPECT_TRUE(panel.preferences.onboardingCompleted());
    EXPECT_EQ(panelPresentations(), 1);
    EXPECT_TRUE(delegate->statusBar()->isPanelWindowVisible());

    // A later reopen has no onboarding left to show: the panel comes.
    delegate->statusBar()->overflowPanel().closeCurrentPresentation();
    EXPECT_TRUE(delegate->applicationShouldHandleReopen(false));
    EXPECT_EQ(panelPresentations(), 2);
}

// While onboarding is up, a second copy's request and a reopen bring it forward (also after the
// user closed its window) instead of opening the panel.
TEST_F(AppOnboardingTest, RequestsToComeForwardShowTheOnboardingWindowWhileItExists) {
    launchWithOnboarding();
    QWidget* window = delegate->onboarding()->window();
    EXPECT_TRUE(delegate->hasVisibleWindow());
    window->close();
    EXPECT_FALSE(delegate->hasVisibleWindow());
    desktop->clearRecord();

    delegate->existingInstanceActivationRequested();
    EXPECT_TRUE(window->isVisible());
    window->close();
    EXPECT_TRUE(delegate->applicationShouldHandleReopen(false));
    EXPECT_TRUE(window->isVisible());
    run(200);
    EXPECT_EQ(panelPresentations(), 0);
    EXPECT_EQ(policies(), (std::vector<platform::NSApplicationActivationPolicy>{
                              platform::NSApplicationActivationPolicyRegular,
                              platform::NSApplicationActivationPolicyRegular}));
    EXPECT_EQ(events,
              (std::vector<std::string>{"product", "duplicate-instance-activation-request"}));

    // A shortcut picked in onboarding reaches the hub at once.
    panel.preferences.setQuickAccessModifierShortcut(QuickAccessModifierShortcut::none);
    delegate->onboarding()->onQuickAccessShortcutChanged(QuickAccessModifierShortcut::none);
    EXPECT_EQ(delegate->statusBar()->quickAccessShortcutController(), nullptr);
}

} // namespace
