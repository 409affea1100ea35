#include "ui/Onboarding/OnboardingWindowController.h"

#include "Parlowen/Onboarding/OnboardingDiagnostics.h"
#include "Parlowen/QuickOpen/QuickAccessHintFormatter.h"
#include "Parlowen/Scanning/AccessibilityTrustProbe.h"
#include "Parlowen/Settings/AppPreferences.h"
#include "ui/Design/LocalizedText.h"
#include "ui/Design/TessalineDesign.h"
#include "ui/Design/TessalineSecondaryButton.h"
#include "ui/Onboarding/AccessibilityPermissionPreviewView.h"
#include "ui/Onboarding/DraggableApplicationOverlayView.h"
#include "ui/Onboarding/OnboardingCard.h"
#include "ui/Onboarding/OnboardingKeyboardWindow.h"
#include "ui/Onboarding/QuickOpenIntroDemoView.h"
#include "ui/Onboarding/TessalineAppMarkView.h"

#include "platform/BundleInfo.h"
#include "platform/PlatformServices.h"
#include "platform/RunLoop.h"
#include "platform/Workspace.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QShortcut>

#include <chrono>

namespace {

namespace Palette = Parlowen::TessalineDesign::Palette;
using Parlowen::QuickAccessModifierShortcut;
using Parlowen::OnboardingDiagnostics::flag;

constexpr double pollSeconds = 1.0;
// The rechecks after each request: the system's answer to a prompt takes a moment to show.
constexpr std::chrono::milliseconds refreshDelays[] = {
    std::chrono::milliseconds(500), std::chrono::milliseconds(1500),
    std::chrono::milliseconds(3000), std::chrono::milliseconds(5000)};
constexpr int dragPanelRightInset = 28;
constexpr int dragPanelTopInset = 76;

QString startTitle() {
    return Parlowen::localizedText("onboarding.button.start", "Start using Tessaline");
}

QString grantTitle() {
    return Parlowen::localizedText("onboarding.button.grant", "Grant Accessibility Access");
}

QString grantedStatus() {
    return Parlowen::localizedText("onboarding.status.granted", "Accessibility access granted.");
}

QString pendingStatus() {
    return Parlowen::localizedText("onboarding.status.pending", "Access not yet granted.");
}

} // namespace

OnboardingWindowController::Dependencies
OnboardingWindowController::Dependencies::production(const platform::PlatformServices& services) {
    Dependencies result;
    result.preferences = &Parlowen::AppPreferences::shared();
    result.permissionProbe =
        Parlowen::AccessibilityTrustProbe::live(services.accessibility).isTrusted;
    result.openAccessibilitySettings = [&workspace = services.workspace] {
        workspace.openURL(std::string(platform::kAccessibilitySettingsURL));
    };
    result.workspace = &services.workspace;
    result.mainLoop = &services.mainLoop;
    result.bundle = &services.bundle;
    result.environment = services.environment;
    return result;
}

OnboardingWindowController::OnboardingWindowController(Dependencies dependencies)
    : dependencies_(std::move(dependencies)),
      pollTicker_(*dependencies_.mainLoop, RunLoopTicker::seconds(pollSeconds)) {
    auto* window = new OnboardingKeyboardWindow;
    window->setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    window->setObjectName("onboarding.window");
    window->setFixedSize(windowWidth, windowHeight);
    window->setAutoFillBackground(true);
    QPalette palette = window->palette();
    palette.setColor(QPalette::Window, Parlowen::TessalineDesign::SystemColors::windowBackground());
    window->setPalette(palette);
    window->setWindowTitle(Parlowen::localizedText("onboarding.window_title", "Tessaline"));
    window_ = window;
    configureSubviews();
    refreshStatus();
}

OnboardingWindowController::~OnboardingWindowController() {
    pollTicker_.stop();
    stopActivationRefresh();
    closeAccessibilityDragOverlay();
    // The window may be in the middle of delivering the click that led here.
    if (window_) {
        window_->hide();
        window_->deleteLater();
    }
}

void OnboardingWindowController::configureSubviews() {
    views_ = std::make_unique<OnboardingPageViews>(*window_, *dependencies_.mainLoop,
                                                   *dependencies_.workspace);
    connect(views_->shortcutPopup, &QComboBox::activated, this,
            [this] { quickAccessShortcutChanged(); });
    connect(views_->primaryButton, &QPushButton::clicked, this, [this] { primaryAction(); });
    connect(views_->recheckButton, &QPushButton::clicked, this, [this] { recheckPermission(); });
    connect(views_->skipLink, &QPushButton::clicked, this, [this] { skip(); });
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter}) {
        auto* shortcut = new QShortcut(QKeySequence(key), window_);
        connect(shortcut, &QShortcut::activated, views_->primaryButton, &QPushButton::click);
    }
    renderCurrentStep();
}

bool OnboardingWindowController::presentIfNeeded() {
    const bool completed = dependencies_.preferences->onboardingCompleted();
    const bool trusted = dependencies_.permissionProbe(false);
    writeDiagnostic("presentIfNeeded completed=" + flag(completed) + " trusted=" + flag(trusted));
    if (completed && trusted) {
        dependencies_.preferences->defaults().set(Parlowen::AppPreferences::onboardingCompletedKey,
                                                  true);
        writeDiagnostic("presentIfNeeded bypass");
        // The owner may destroy this controller inside the callback: nothing of it is touched
        // after the call.
        const auto completion = onCompleted;
        if (completion) {
            completion();
        }
        return false;
    }
    const bool regular = dependencies_.workspace->setActivationPolicy(
        platform::NSApplicationActivationPolicyRegular);
    writeDiagnostic("activation regular=" + flag(regular));
    window_->show();
    Parlowen::TessalineDesign::centerOnScreen(window_);
    window_->raise();
    window_->activateWindow();
    dependencies_.workspace->activateIgnoringOtherApps(true);
    isPresented_ = true;
    refreshStatus();
    const bool visible = window_ && window_->isVisible();
    const bool key = window_ && window_->isActiveWindow();
    writeDiagnostic("shown visible=" + flag(visible) + " key=" + flag(key) + " main=" + flag(key));
    startPolling();
    startActivationRefresh();
    return true;
}

void OnboardingWindowController::refreshStatus() {
    isGranted_ = dependencies_.permissionProbe(false);
    writeDiagnostic("refreshStatus granted=" + flag(isGranted_));
    if (step_ == Step::value) {
        // A grant seen here waits until the user moves on to the permission page.
        renderCurrentStep();
        return;
    }
    views_->renderPermissionRows();
    setPermissionHelpText();
    if (isGranted_) {
        shouldShowPendingFeedback_ = false;
        views_->primaryButton->setText(startTitle());
        setStatus(grantedStatus(), Palette::green(), true);
        views_->recheckButton->hide();
        views_->skipLink->hide();
        if (isPresented_) {
            completeOnboarding();
        }
        return;
    }
    views_->primaryButton->setText(
        permissionFlow_.didRequestSystemPrompt
            ? Parlowen::localizedText("onboarding.button.open_settings", "Open System Settings…")
            : grantTitle());
    if (shouldShowPendingFeedback_) {
        setStatus(Parlowen::localizedText(
                      "onboarding.status.still_pending",
                      "Still waiting for Accessibility. If Tessaline is missing, open "
                      "System Settings and drag the app card into the list."),
                  Palette::orangeText(), true);
    } else {
        setStatus(pendingStatus(), Palette::muted(), false);
    }
    const bool showHelp = permissionFlow_.didRequestSystemPrompt || shouldShowPendingFeedback_;
    views_->recheckButton->setVisible(showHelp);
    views_->permissionHelpCard->setVisible(showHelp);
    views_->skipLink->hide();
}

void OnboardingWindowController::setPermissionHelpText() {
    views_->permissionHelpLabel->setText(
        isGranted_
            ? Parlowen::localizedText("onboarding.permission.after_enable",
                                      "After you enable Tessaline, Quick Open opens so you can "
                                      "start using it.")
            : Parlowen::localizedText("onboarding.permission.if_checked",
                                      "If Tessaline is missing, open System Settings and drag the "
                                      "app card from the helper bubble into the list."));
}

void OnboardingWindowController::setStatus(const QString& text, const QColor& colour, bool shown) {
    views_->statusLabel->setText(text);
    QPalette palette = views_->statusLabel->palette();
    palette.setColor(QPalette::WindowText, colour);
    views_->statusLabel->setPalette(palette);
    views_->statusLabel->setVisible(shown);
}

void OnboardingWindowController::renderCurrentStep() {
    OnboardingPageViews& v = *views_;
    v.applyLayout(step_);
    const bool value = step_ == Step::value;
    window_->setWindowTitle(value ? Parlowen::localizedText("onboarding.window_title", "Tessaline")
                                  : Parlowen::localizedText("onboarding.permission.window_title",
                                                            "Accessibility Access"));
    v.iconView->setVisible(value);
    v.titleLabel->setText(
        value ? Parlowen::localizedText("onboarding.value.heading", "Mac menu bar Quick Open")
              : Parlowen::localizedText("onboarding.permission.heading",
                                        "Allow Accessibility for Quick Open"));
    v.bodyLabel->setText(
        value ? Parlowen::localizedText(
                    "onboarding.value.body",
                    "Search menu bar apps and open their original menus, whether the "
                    "icon is hidden by the notch, pushed off screen, or still visible.")
              : Parlowen::localizedText(
                    "onboarding.permission.body",
                    "Tessaline uses Accessibility only to locate menu bar icons and "
                    "open the menu you choose."));
    v.permissionBottomSpacer->hide();
    v.permissionHelpCard->hide();
    if (value) {
        syncShortcutPopup();
        updateShortcutInstruction();
        v.shortcutCard->show();
        v.permissionStack->hide();
        v.permissionVisualView->hide();
        v.permissionVisualView->suspendAnimation();
        v.miniMacView->show();
        v.primaryButton->setText(Parlowen::localizedText("onboarding.value.primary", "Continue"));
        v.recheckButton->hide();
        setStatus({}, Palette::muted(), false);
        v.skipLink->show();
        return;
    }
    v.shortcutCard->hide();
    v.renderPermissionRows();
    v.permissionStack->show();
    v.miniMacView->hide();
    v.permissionVisualView->show();
    v.permissionVisualView->restartAnimationAfterInitialDelay();
    v.statusLabel->setVisible(isGranted_);
    setPermissionHelpText();
    v.skipLink->hide();
}

void OnboardingWindowController::primaryAction() {
    if (step_ == Step::value) {
        updateLayoutWithoutAnimation([this] {
            step_ = Step::permission;
            renderCurrentStep();
        });
        refreshStatus();
        return;
    }
    if (isGranted_) {
        completeOnboarding();
        return;
    }
    if (!permissionFlow_.didRequestSystemPrompt) {
        permissionFlow_.didRequestSystemPrompt = true;
        dependencies_.permissionProbe(true);
        startPolling();
        schedulePermissionRefreshes();
        refreshStatus();
        return;
    }
    dependencies_.openAccessibilitySettings();
    if (!accessibilityDragOverlayPanel_ && window_) {
        openAccessibilityDragOverlay();
    }
    startPolling();
    schedulePermissionRefreshes();
}

void OnboardingWindowController::updateLayoutWithoutAnimation(const std::function<void()>& body) {
    const std::optional<QRect> frame =
        window_ ? std::optional<QRect>(window_->geometry()) : std::nullopt;
    body();
    if (frame && window_) {
        window_->setGeometry(*frame);
        window_->layout()->activate();
    }
}

void OnboardingWindowController::recheckPermission() {
    shouldShowPendingFeedback_ = true;
    dependencies_.permissionProbe(true);
    schedulePermissionRefreshes();
    refreshStatus();
}

void OnboardingWindowController::skip() {
    completeOnboarding();
}

void OnboardingWindowController::schedulePermissionRefreshes() {
    QPointer<OnboardingWindowController> self(this);
    for (const auto delay : refreshDelays) {
        dependencies_.mainLoop->postAfter(delay, [self] {
            if (self) {
                self->refreshStatus();
            }
        });
    }
}

void OnboardingWindowController::startPolling() {
    pollTicker_.restart(this, [this] { refreshStatus(); });
}

void OnboardingWindowController::startActivationRefresh() {
    if (activationObserver_) {
        return;
    }
    QPointer<OnboardingWindowController> self(this);
    activationObserver_ = dependencies_.workspace->addDidBecomeActiveObserver([self] {
        if (self) {
            self->refreshStatus();
        }
    });
}

void OnboardingWindowController::stopActivationRefresh() {
    if (activationObserver_) {
        dependencies_.workspace->removeObserver(*activationObserver_);
        activationObserver_.reset();
    }
}

void OnboardingWindowController::completeOnboarding() {
    if (didComplete_) {
        return;
    }
    didComplete_ = true;
    dependencies_.preferences->defaults().set(Parlowen::AppPreferences::onboardingCompletedKey,
                                              true);
    isPresented_ = false;
    pollTicker_.stop();
    stopActivationRefresh();
    closeAccessibilityDragOverlay();
    if (window_) {
        window_->close();
    }
    dependencies_.workspace->setActivationPolicy(platform::NSApplicationActivationPolicyAccessory);
    writeDiagnostic("complete");
    // The owner may destroy this controller inside the callback: nothing of it is touched
    // after the call.
    const auto completion = onCompleted;
    if (completion) {
        completion();
    }
}

std::optional<std::string> OnboardingWindowController::currentApplicationBundleURL() const {
    if (dependencies_.bundle == nullptr) {
        return std::nullopt;
    }
    std::string path = dependencies_.bundle->bundlePath();
    while (path.size() > 1 && path.ends_with('/')) {
        path.pop_back();
    }
    if (!path.ends_with(".app")) {
        return std::nullopt;
    }
    return path;
}

void OnboardingWindowController::openAccessibilityDragOverlay() {
    auto* panel = new QWidget(window_, Qt::Tool | Qt::FramelessWindowHint |
                                           Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus);
    panel->setObjectName("onboarding.permission-drag-panel");
    panel->setAttribute(Qt::WA_ShowWithoutActivating);
    panel->setFixedSize(dragPanelWidth, dragPanelHeight);
    // An opaque window cut to the card's shape: a translucent one shows black corners where
    // no compositor blends it. The card's white is what its rounded edge blends into.
    QPalette palette = panel->palette();
    palette.setColor(QPalette::Window, Qt::white);
    panel->setPalette(palette);
    auto* card = new DraggableApplicationOverlayView(
        currentApplicationBundleURL(), QSize(dragPanelWidth, dragPanelHeight),
        *dependencies_.workspace, *dependencies_.mainLoop);
    auto* layout = new QHBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(card);
    panel->setMask(card->cardShape());
    const QRect frame = window_->frameGeometry();
    panel->move(frame.x() + frame.width() - dragPanelWidth - dragPanelRightInset,
                frame.y() + dragPanelTopInset);
    panel->show();
    accessibilityDragOverlayPanel_ = panel;
}

void OnboardingWindowController::closeAccessibilityDragOverlay() {
    if (accessibilityDragOverlayPanel_) {
        accessibilityDragOverlayPanel_->hide();
        // A drag session from the panel may still be unwinding.
        accessibilityDragOverlayPanel_->deleteLater();
        accessibilityDragOverlayPanel_ = nullptr;
    }
}

void OnboardingWindowController::syncShortcutPopup() {
    const QuickAccessModifierShortcut shortcut =
        dependencies_.preferences->quickAccessModifierShortcut();
    const int index =
        views_->shortcutPopup->findData(QString::fromStdString(QelCore::toString(shortcut)));
    views_->shortcutPopup->setCurrentIndex(index < 0 ? 0 : index);
}

void OnboardingWindowController::updateShortcutInstruction() {
    const QuickAccessModifierShortcut shortcut =
        dependencies_.preferences->quickAccessModifierShortcut();
    const QString instruction =
        QString::fromStdString(Parlowen::QuickAccessHintFormatter::instruction(shortcut));
    views_->shortcutInstructionLabel->setText(instruction);
    views_->miniMacView->setShortcut(shortcut);
    views_->miniMacView->setAccessibleName(instruction);
    views_->miniMacView->updatePlaybackMode();
}

void OnboardingWindowController::quickAccessShortcutChanged() {
    const int index = views_->shortcutPopup->currentIndex();
    if (index < 0 || index > 3) {
        return;
    }
    const auto shortcut = QelCore::fromString<QuickAccessModifierShortcut>(
        views_->shortcutPopup->itemData(index).toString().toStdString());
    if (!shortcut) {
        return;
    }
    dependencies_.preferences->setQuickAccessModifierShortcut(*shortcut);
    updateShortcutInstruction();
    const auto changed = onQuickAccessShortcutChanged;
    if (changed) {
        changed(*shortcut);
    }
}

void OnboardingWindowController::renderVisualPreviewPermissionStep(bool isGranted) {
    step_ = Step::permission;
    isGranted_ = isGranted;
    renderCurrentStep();
    views_->primaryButton->setText(isGranted ? startTitle() : grantTitle());
    if (isGranted) {
        setStatus(grantedStatus(), Palette::green(), true);
    } else {
        setStatus(pendingStatus(), Palette::muted(), false);
    }
    views_->recheckButton->hide();
    views_->permissionHelpCard->hide();
    views_->skipLink->hide();
}

void OnboardingWindowController::writeDiagnostic(std::string_view message) const {
    Parlowen::OnboardingDiagnostics::write(dependencies_.environment,
                                           dependencies_.mainLoop->clock().wallNow(), message);
}
