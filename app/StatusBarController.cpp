#include "app/StatusBarController.h"

#include "Parlowen/QuickOpen/QuickOpenListPlanner.h"
#include "Parlowen/Settings/L10n.h"
#include "app/MenuBarIconFactory.h"
#include "platform/Logger.h"

#include <string>

namespace Parlowen {

StatusBarController::StatusBarController(Context context,
                                         std::unique_ptr<PerAppHotKeyRuntime> perAppHotKeyRuntime)
    : context_(std::move(context)), statusItem_(context_.services.statusBar.statusItemWithLength(
                                        platform::NSVariableStatusItemLength)),
      overflowPanel_(context_.panel), presentation_(overflowPanel_, context_.services.workspace),
      poller_(context_.services, context_.preferences, context_.preferences.scanIntervalSeconds()),
      perAppHotKeyRuntime_(std::move(perAppHotKeyRuntime)),
      self_(std::make_shared<StatusBarController*>(this)) {}

StatusBarController::~StatusBarController() {
    self_.reset();
    presentation_.onClosed = nullptr;
    poller_.onSnapshot = nullptr;
}

std::function<void()>
StatusBarController::weakly(std::function<void(StatusBarController&)> action) const {
    return [weak = std::weak_ptr<StatusBarController*>(self_), action = std::move(action)] {
        if (const auto self = weak.lock()) {
            action(**self);
        }
    };
}

void StatusBarController::configureStatusButton() {
    if (!statusItem_ || !statusItem_->hasButton()) {
        return;
    }
    statusItem_->setAction(weakly([](StatusBarController& hub) { hub.statusItemClicked(); }));
    statusItem_->setImage(MenuBarIconFactory::drawnTemplateIcon());
    statusItem_->setToolTip(L10n::string("status.tooltip", "Tessaline"));
}

void StatusBarController::wirePoller() {
    poller_.onSnapshot =
        [weak = std::weak_ptr<StatusBarController*>(self_)](const ScanSnapshot& snapshot) {
            if (const auto self = weak.lock()) {
                (*self)->handleSnapshot(snapshot);
            }
        };
}

void StatusBarController::handleSnapshot(const ScanSnapshot& snapshot) {
    lastSnapshot_ = snapshot;
    overflowPanel_.update(snapshot);
    context_.scanStatusStore.update(snapshot, context_.panel.accessibilityTrustChecker());
    if (perAppHotKeyRuntime_) {
        perAppHotKeyRuntime_->sync(snapshot);
    }
    updateBadgeForOverflow(snapshot);
    if (onSnapshotHandled) {
        const auto handled = onSnapshotHandled;
        handled();
    }
}

void StatusBarController::updateBadgeForOverflow(const ScanSnapshot& snapshot) {
    if (!statusItem_ || !statusItem_->hasButton()) {
        return;
    }
    const std::int64_t count =
        QuickOpenListPlanner::displayableHiddenCount(snapshot.items, snapshot.screens);
    statusItem_->setTitle(count < 1 ? std::string() : " " + std::to_string(count));
}

void StatusBarController::wireQuickAccessShortcut() {
    const auto stored = context_.preferences.defaults().stringForKey(
        AppPreferences::quickAccessModifierShortcutKey);
    if (stored && *stored == "none") {
        return;
    }
    applyQuickAccessShortcutChange(context_.preferences.quickAccessModifierShortcut());
}

void StatusBarController::applyQuickAccessShortcutChange(QuickAccessModifierShortcut shortcut) {
    if (quickAccessShortcutController_) {
        quickAccessShortcutController_->stop();
        quickAccessShortcutController_.reset();
    }
    if (shortcut == QuickAccessModifierShortcut::none) {
        return;
    }
    quickAccessShortcutController_ = std::make_unique<ModifierPairShortcutController>(
        context_.services.eventMonitors, context_.services.mainLoop, shortcut,
        weakly([](StatusBarController& hub) { hub.handleQuickAccessShortcut(); }));
    quickAccessShortcutController_->start();
}

void StatusBarController::wirePanelCallbacks() {
    overflowPanel_.onRequestRefresh =
        weakly([](StatusBarController& hub) { hub.poller_.scan("panel-refresh", true); });
    overflowPanel_.onRequestPreferences =
        weakly([](StatusBarController& hub) { hub.showPreferences(); });
    // No preferences window can be open, so closing the panel always returns to accessory.
    presentation_.onClosed = weakly([](StatusBarController& hub) {
        hub.setActivationPolicy(platform::NSApplicationActivationPolicyAccessory);
    });
}

void StatusBarController::resyncPerAppHotKeys() {
    if (!lastSnapshot_) {
        return;
    }
    if (perAppHotKeyRuntime_) {
        perAppHotKeyRuntime_->sync(*lastSnapshot_);
    }
    overflowPanel_.update(*lastSnapshot_);
}

void StatusBarController::refreshAvailability() {
    overflowPanel_.availability = context_.panel.accessibilityTrustChecker()
                                      ? OverflowPanelAvailability::available
                                      : OverflowPanelAvailability::needsAccessibility;
    overflowPanel_.applyGateToUI();
}

void StatusBarController::setActivationPolicy(platform::NSApplicationActivationPolicy policy) {
    context_.services.workspace.setActivationPolicy(policy);
}

void StatusBarController::showRescuePanel() {
    refreshAvailability();
    setActivationPolicy(platform::NSApplicationActivationPolicyRegular);
    presentation_.present();
}

void StatusBarController::statusItemClicked() {
    if (!statusItem_ || !statusItem_->hasButton()) {
        return;
    }
    refreshAvailability();
    setActivationPolicy(platform::NSApplicationActivationPolicyRegular);
    if (presentation_.isVisible()) {
        presentation_.close();
    } else {
        presentation_.present();
    }
}

void StatusBarController::handleQuickAccessShortcut() {
    refreshAvailability();
    showRescuePanel();
}

void StatusBarController::showPreferences() {
    platform::Logger(context_.services.log, context_.services.clock, "app.tessaline.Tessaline",
                     "StatusBar")
        .notice("the preferences window is not part of this build");
}

} // namespace Parlowen
