#include "app/StatusBarController.h"

#include "Parlowen/Hotkeys/PerAppHotKeyResolver.h"
#include "Parlowen/QuickOpen/QuickOpenListPlanner.h"
#include "Parlowen/Settings/L10n.h"
#include "app/MenuBarIconFactory.h"
#include "ui/Preferences/HotKeyCaptureField.h"

#include <QWidget>

#include <string>

namespace Parlowen {

StatusBarController::StatusBarController(Context context,
                                         std::unique_ptr<PerAppHotKeyRuntime> perAppHotKeyRuntime)
    : context_(std::move(context)), statusItem_(context_.services.statusBar.statusItemWithLength(
                                        platform::NSVariableStatusItemLength)),
      overflowPanel_(context_.panel),
      poller_(context_.services, context_.preferences, context_.preferences.scanIntervalSeconds()),
      perAppHotKeyRuntime_(std::move(perAppHotKeyRuntime)),
      self_(std::make_shared<StatusBarController*>(this)) {}

StatusBarController::~StatusBarController() {
    self_.reset();
    overflowPanel_.onRescueWindowClosed = nullptr;
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
    overflowPanel_.onRescueWindowClosed = weakly([](StatusBarController& hub) {
        if (!hub.isPreferencesWindowVisible()) {
            hub.setActivationPolicy(platform::NSApplicationActivationPolicyAccessory);
        }
    });
    overflowPanel_.onPerAppHotKeyBindingsChanged =
        weakly([](StatusBarController& hub) { hub.resyncPerAppHotKeys(); });
}

bool StatusBarController::isPanelWindowVisible() const {
    const QWidget* window = overflowPanel_.rescueWindowController();
    return window != nullptr && window->isVisible();
}

bool StatusBarController::isPreferencesWindowVisible() const {
    const QWidget* window = preferencesWindow_ ? preferencesWindow_->window() : nullptr;
    return window != nullptr && window->isVisible();
}

bool StatusBarController::isRecordingShortcut(const QWidget& keyWindow) const {
    if (&keyWindow == panelWindow() && overflowPanel_.activeHotKeyCaptureItem()) {
        return true;
    }
    return qobject_cast<const HotKeyCaptureField*>(keyWindow.focusWidget()) != nullptr;
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

void StatusBarController::presentPerAppHotKeySetup(PerAppHotKeySetupSource source,
                                                   std::optional<AXMenuBarItemRecord> fixedItem,
                                                   std::function<void()> refreshManager) {
    refreshAvailability();
    const std::weak_ptr<StatusBarController*> weak(self_);
    overflowPanel_.presentShortcutSetupWindow(source, std::move(fixedItem),
                                              [weak, refreshManager = std::move(refreshManager)] {
                                                  if (const auto self = weak.lock()) {
                                                      (*self)->resyncPerAppHotKeys();
                                                  }
                                                  if (refreshManager) {
                                                      refreshManager();
                                                  }
                                              });
}

std::optional<AXMenuBarItemRecord>
StatusBarController::resolvePerAppHotKeyItem(const PerAppHotKeyBinding& binding) const {
    if (!lastSnapshot_) {
        return std::nullopt;
    }
    return PerAppHotKeyResolver::item(binding, lastSnapshot_->items);
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
    overflowPanel_.presentInRescueWindow();
}

void StatusBarController::statusItemClicked() {
    if (!statusItem_ || !statusItem_->hasButton()) {
        return;
    }
    refreshAvailability();
    setActivationPolicy(platform::NSApplicationActivationPolicyRegular);
    if (isPanelWindowVisible()) {
        overflowPanel_.closeCurrentPresentation();
    } else {
        overflowPanel_.presentInRescueWindow();
    }
}

void StatusBarController::handleQuickAccessShortcut() {
    refreshAvailability();
    showRescuePanel();
}

void StatusBarController::showPreferences() {
    if (!preferencesWindow_) {
        preferencesWindow_ =
            std::make_unique<PreferencesWindowController>(context_.preferencesWindow);
        wirePreferencesWindow(*preferencesWindow_);
    }
    setActivationPolicy(platform::NSApplicationActivationPolicyRegular);
    preferencesWindow_->showWindow();
}

void StatusBarController::wirePreferencesWindow(PreferencesWindowController& window) {
    const std::weak_ptr<StatusBarController*> weak(self_);
    window.onQuickAccessShortcutChanged = [weak](QuickAccessModifierShortcut shortcut) {
        if (const auto self = weak.lock()) {
            (*self)->applyQuickAccessShortcutChange(shortcut);
        }
    };
    // The panel reads the stored scope again; the value passed along is not needed.
    window.onPanelScopeChanged = [weak](OverflowPanelScope) {
        if (const auto self = weak.lock()) {
            (*self)->overflowPanel_.reloadScopeFromPreferences();
        }
    };
    window.setMenuBarItemsProvider([weak]() -> std::optional<std::vector<AXMenuBarItemRecord>> {
        const auto self = weak.lock();
        if (!self || !(*self)->lastSnapshot_) {
            return std::nullopt;
        }
        return (*self)->lastSnapshot_->items;
    });
    window.onPerAppHotKeyBindingsChanged =
        weakly([](StatusBarController& hub) { hub.resyncPerAppHotKeys(); });
    window.onAddPerAppHotKeyShortcut =
        [weak](PreferencesWindowController::RefreshCallback refresh) {
            if (const auto self = weak.lock()) {
                (*self)->presentPerAppHotKeySetup(PerAppHotKeySetupSource::managerAdd, std::nullopt,
                                                  std::move(refresh));
            }
        };
    window.onChangePerAppHotKeyShortcut =
        [weak](const PerAppHotKeyBinding& binding,
               PreferencesWindowController::RefreshCallback refresh) {
            const auto self = weak.lock();
            if (!self) {
                return;
            }
            if (auto item = (*self)->resolvePerAppHotKeyItem(binding)) {
                (*self)->presentPerAppHotKeySetup(PerAppHotKeySetupSource::managerChange,
                                                  std::move(item), std::move(refresh));
            }
        };
    window.onScanIntervalChanged = [weak](double seconds) {
        if (const auto self = weak.lock()) {
            (*self)->poller_.updateInterval(seconds);
        }
    };
    // Dropping the controller here is safe: it releases its window once the close has returned.
    window.onClose = weakly([](StatusBarController& hub) {
        hub.preferencesWindow_.reset();
        hub.setActivationPolicy(platform::NSApplicationActivationPolicyAccessory);
    });
}

} // namespace Parlowen
