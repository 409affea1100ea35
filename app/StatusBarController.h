#pragma once

#include "Parlowen/Hotkeys/ModifierPairShortcutController.h"
#include "Parlowen/Hotkeys/PerAppHotKeyRuntime.h"
#include "Parlowen/Hotkeys/PerAppHotKeySetupSource.h"
#include "Parlowen/Items/ScanSnapshot.h"
#include "Parlowen/Settings/AppPreferences.h"
#include "Parlowen/Status/MenuBarPoller.h"
#include "Parlowen/Status/ScanStatusStore.h"
#include "platform/PlatformServices.h"
#include "ui/Preferences/PreferencesServices.h"
#include "ui/Preferences/PreferencesWindowController.h"
#include "ui/QuickOpenPanel/OverflowPanelController.h"

#include <functional>
#include <memory>
#include <optional>

namespace Parlowen {

// The hub of the running product: Tessaline's status item with its icon and hidden-item count,
// the Quick Open panel, the poller, the modifier-pair shortcut, the preferences window and the
// per-app hotkeys. It fans
// every scan out, opens the panel on a click, the shortcut or the delegate's request, and
// switches between the regular and the accessory activation policy as its windows open and
// close. Main thread only.
class StatusBarController {
public:
    struct Context {
        platform::PlatformServices services;
        AppPreferences& preferences;
        ScanStatusStore& scanStatusStore;
        // The panel's settings, stores, clock, trust check (never prompting) and workspace.
        OverflowPanelController::Dependencies panel;
        // What the preferences window uses, made afresh on each first request.
        PreferencesServices preferencesWindow;
    };

    // The services, preferences and stores outlive the hub.
    StatusBarController(Context context, std::unique_ptr<PerAppHotKeyRuntime> perAppHotKeyRuntime);
    ~StatusBarController();
    StatusBarController(const StatusBarController&) = delete;
    StatusBarController& operator=(const StatusBarController&) = delete;

    // Called once each, in this order, right after creation.
    void configureStatusButton();
    void wirePoller();
    void wireQuickAccessShortcut();
    void wirePanelCallbacks();

    // Opens the panel in its own window.
    void showRescuePanel();
    // The status button's action: toggles the panel's window.
    void statusItemClicked();
    // The quick-access shortcut: always opens, never closes.
    void handleQuickAccessShortcut();
    // Shows the preferences window, made with its callbacks on first use, or brings it forward.
    void showPreferences();
    // Replaces the shortcut controller (none for `none`); the caller has stored the setting.
    void applyQuickAccessShortcutChange(QuickAccessModifierShortcut shortcut);

    platform::StatusItem* statusItem() const { return statusItem_.get(); }
    OverflowPanelController& overflowPanel() { return overflowPanel_; }
    MenuBarPoller& poller() { return poller_; }
    const std::optional<ScanSnapshot>& lastSnapshot() const { return lastSnapshot_; }
    const ModifierPairShortcutController* quickAccessShortcutController() const {
        return quickAccessShortcutController_.get();
    }
    bool isPanelWindowVisible() const;
    QWidget* panelWindow() const { return overflowPanel_.rescueWindowController(); }
    // None before the first request and after the window closed.
    PreferencesWindowController* preferencesWindow() const { return preferencesWindow_.get(); }
    bool isPreferencesWindowVisible() const;
    // Whether the panel's or the preferences window is up, so the program stays regular.
    bool hasVisibleWindow() const { return isPanelWindowVisible() || isPreferencesWindowVisible(); }
    // Whether `keyWindow` records a shortcut now (the panel's per-app capture, or a focused
    // capture field), so that a chord pressed in it is the recording's, not a hotkey's.
    bool isRecordingShortcut(const QWidget& keyWindow) const;

private:
    void refreshAvailability();
    void handleSnapshot(const ScanSnapshot& snapshot);
    void updateBadgeForOverflow(const ScanSnapshot& snapshot);
    void resyncPerAppHotKeys();
    // Opens the panel as the shortcut setup list; a save re-syncs the hotkeys and then calls
    // `refreshManager` (the preferences window's list).
    void presentPerAppHotKeySetup(PerAppHotKeySetupSource source,
                                  std::optional<AXMenuBarItemRecord> fixedItem,
                                  std::function<void()> refreshManager);
    // The item a stored binding stands for in the last scan; none before the first scan.
    std::optional<AXMenuBarItemRecord>
    resolvePerAppHotKeyItem(const PerAppHotKeyBinding& binding) const;
    void wirePreferencesWindow(PreferencesWindowController& window);
    void setActivationPolicy(platform::NSApplicationActivationPolicy policy);
    // Runs `action` on the hub while it exists.
    std::function<void()> weakly(std::function<void(StatusBarController&)> action) const;

    Context context_;
    std::unique_ptr<platform::StatusItem> statusItem_;
    OverflowPanelController overflowPanel_;
    MenuBarPoller poller_;
    std::unique_ptr<ModifierPairShortcutController> quickAccessShortcutController_;
    std::optional<ScanSnapshot> lastSnapshot_;
    std::unique_ptr<PreferencesWindowController> preferencesWindow_;
    std::unique_ptr<PerAppHotKeyRuntime> perAppHotKeyRuntime_;
    // Callbacks hold this weakly; it goes first when the hub does.
    std::shared_ptr<StatusBarController*> self_;
};

} // namespace Parlowen
