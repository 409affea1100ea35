#pragma once

#include "Parlowen/Hotkeys/PerAppHotKeyBinding.h"
#include "Parlowen/Items/AXMenuBarItemRecord.h"
#include "Parlowen/Settings/OverflowPanelScope.h"
#include "Parlowen/Settings/QuickAccessModifierShortcut.h"
#include "ui/Preferences/PreferencesPaneController.h"

#include <QPointer>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class PerAppHotKeyManagementViewController;
class PreferencesSwitch;
class QComboBox;
class QLabel;

namespace Parlowen {
class TessalineSecondaryButton;
}

// The Quick Access pane: the modifier-pair shortcut, the per-app shortcuts with their summary
// and the management window, remembering recent items, and the panel's default scope.
class QuickAccessPaneController : public PreferencesPaneController {
public:
    using RefreshCallback = std::function<void()>;
    using ItemsProvider =
        std::function<std::optional<std::vector<Parlowen::AXMenuBarItemRecord>>()>;

    // The pop-up's items in order.
    static constexpr std::array<Parlowen::QuickAccessModifierShortcut, 4> shortcutOrder = {
        Parlowen::QuickAccessModifierShortcut::option, Parlowen::QuickAccessModifierShortcut::shift,
        Parlowen::QuickAccessModifierShortcut::command,
        Parlowen::QuickAccessModifierShortcut::none};

    explicit QuickAccessPaneController(const PreferencesServices& services);
    ~QuickAccessPaneController() override;

    std::function<void(Parlowen::QuickAccessModifierShortcut)> onQuickAccessShortcutChanged;
    std::function<void(Parlowen::OverflowPanelScope)> onPanelScopeChanged;
    std::function<void()> onPerAppHotKeyBindingsChanged;
    std::function<void(RefreshCallback)> onAddPerAppHotKeyShortcut;
    std::function<void(const Parlowen::PerAppHotKeyBinding&, RefreshCallback)>
        onChangePerAppHotKeyShortcut;
    // The items of the latest scan; none before the first scan.
    ItemsProvider menuBarItemsProvider = [] { return std::nullopt; };

    void sync();
    void refreshAppShortcutSummary();
    // Fixed state for the visual snapshot mode; nothing is written.
    void renderVisualPreview();
    // Opens the per-app shortcut list, as a window-modal sheet on the preferences window.
    void manageAppShortcuts();

    QComboBox* shortcutPopup() const { return shortcut; }
    QLabel* appShortcutsStatusLabel() const { return statusLabel; }
    PreferencesSwitch* recentHistorySwitch() const { return recentHistory; }
    PreferencesSwitch* panelLayoutAllRightSideSwitch() const { return panelLayout; }
    Parlowen::TessalineSecondaryButton* manageAppShortcutsButton() const { return manage; }
    PerAppHotKeyManagementViewController* appShortcutsWindowController() const {
        return managementWindow.get();
    }

protected:
    void loadView(QWidget& root) override;
    void viewWillAppear() override;

private:
    void quickAccessShortcutChanged(int index);
    void panelLayoutChanged();
    // The completion of an add or change: summary, owner, then the window's own refresh.
    RefreshCallback completion(RefreshCallback windowRefresh);

    QComboBox* shortcut = nullptr;
    Parlowen::TessalineSecondaryButton* manage = nullptr;
    QLabel* statusLabel = nullptr;
    PreferencesSwitch* recentHistory = nullptr;
    PreferencesSwitch* panelLayout = nullptr;
    std::unique_ptr<PerAppHotKeyManagementViewController> managementWindow;
    std::shared_ptr<QuickAccessPaneController*> alive;
};
