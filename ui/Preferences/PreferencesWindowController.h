#pragma once

#include "Parlowen/Hotkeys/PerAppHotKeyBinding.h"
#include "Parlowen/Items/AXMenuBarItemRecord.h"
#include "Parlowen/Settings/OverflowPanelScope.h"
#include "Parlowen/Settings/QuickAccessModifierShortcut.h"
#include "ui/Preferences/PreferencesKeyboardKey.h"
#include "ui/Preferences/PreferencesServices.h"
#include "ui/Preferences/PreferencesTabViewController.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <optional>
#include <vector>

class PreferencesKeyboardWindow;
class QWidget;

// The one preferences window: it hosts the sidebar and panes, passes the owner's callbacks on to
// the panes and tells the owner when it closes. Destroying the controller, also from inside
// `onClose`, hides the window and releases it once the running handler has returned.
class PreferencesWindowController : public QObject {
public:
    using RefreshCallback = std::function<void()>;

    explicit PreferencesWindowController(PreferencesServices services);
    ~PreferencesWindowController() override;

    QWidget* window() const;
    PreferencesTabViewController* tabViewController() const { return tabs; }
    // Shows the window, or brings the open one forward with its pane and focus as they were.
    void showWindow();

    // Replaces the item provider and, when the Quick Access pane is built, refreshes its summary
    // of per-app shortcuts.
    void setMenuBarItemsProvider(
        std::function<std::optional<std::vector<Parlowen::AXMenuBarItemRecord>>()> provider);

    // The owner's callbacks, all empty at first. The panes call them through the controller,
    // so they may be set or replaced at any time.
    std::function<void(Parlowen::QuickAccessModifierShortcut)> onQuickAccessShortcutChanged;
    std::function<void(Parlowen::OverflowPanelScope)> onPanelScopeChanged;
    std::function<std::optional<std::vector<Parlowen::AXMenuBarItemRecord>>()> menuBarItemsProvider;
    std::function<void()> onPerAppHotKeyBindingsChanged;
    std::function<void(RefreshCallback)> onAddPerAppHotKeyShortcut;
    std::function<void(const Parlowen::PerAppHotKeyBinding&, RefreshCallback)>
        onChangePerAppHotKeyShortcut;
    std::function<void(double)> onScanIntervalChanged;
    // Called when the window closes; the owner may destroy the controller in it.
    std::function<void()> onClose;

private:
    bool handleKeyboardKey(PreferencesKeyboardKey key);

    PreferencesServices services;
    QPointer<PreferencesKeyboardWindow> keyboardWindow;
    QPointer<PreferencesTabViewController> tabs;
};
