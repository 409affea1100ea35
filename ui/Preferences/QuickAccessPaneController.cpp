#include "ui/Preferences/QuickAccessPaneController.h"

#include "Parlowen/Hotkeys/PerAppHotKeyResolver.h"
#include "Parlowen/Hotkeys/PerAppHotKeyStore.h"
#include "Parlowen/Preferences/PerAppHotKeySummaryText.h"
#include "Parlowen/QuickOpen/RecentMenuBarItemStore.h"
#include "Parlowen/Settings/AppPreferences.h"
#include "Parlowen/Settings/L10n.h"
#include "core/RawValue.h"
#include "ui/Design/PopUpMenuDelegate.h"
#include "ui/Design/TessalineDesign.h"
#include "ui/Design/TessalineFonts.h"
#include "ui/Design/TessalineSecondaryButton.h"
#include "ui/Preferences/PerAppHotKeyManagementViewController.h"
#include "ui/Preferences/PreferencesInfoRow.h"
#include "ui/Preferences/PreferencesServices.h"
#include "ui/Preferences/PreferencesSwitch.h"
#include "ui/Preferences/PreferencesText.h"

#include <QComboBox>
#include <QLabel>
#include <QStandardItemModel>
#include <QVBoxLayout>

#include <algorithm>

using namespace Parlowen;

namespace {

QString shortcutTitle(QuickAccessModifierShortcut shortcut) {
    switch (shortcut) {
    case QuickAccessModifierShortcut::option:
        return QStringLiteral("⌥ + ⌥");
    case QuickAccessModifierShortcut::shift:
        return QStringLiteral("⇧ + ⇧");
    case QuickAccessModifierShortcut::command:
        return QStringLiteral("⌘ + ⌘");
    case QuickAccessModifierShortcut::none:
        break;
    }
    return preferencesText("quick_access.shortcut.none", "None");
}

} // namespace

QuickAccessPaneController::QuickAccessPaneController(const PreferencesServices& services)
    : PreferencesPaneController(services),
      alive(std::make_shared<QuickAccessPaneController*>(this)) {}

QuickAccessPaneController::~QuickAccessPaneController() = default;

void QuickAccessPaneController::loadView(QWidget& root) {
    auto* page =
        makePage(root, preferencesText("preferences.tab.quick_access", "Quick Access"),
                 preferencesText("preferences.quick_access.intro",
                                 "Ways to open Quick Open when the menu bar icon is hidden."),
                 448);

    shortcut = new QComboBox;
    shortcut->setObjectName(QStringLiteral("preferences.popup.quick-access-shortcut"));
    shortcut->setFixedSize(118, 30);
    for (const auto each : shortcutOrder) {
        shortcut->addItem(shortcutTitle(each), QString::fromStdString(QelCore::toString(each)));
    }
    PopUpMenuDelegate::install(*shortcut);
    QObject::connect(shortcut, &QComboBox::activated, this,
                     [this](int index) { quickAccessShortcutChanged(index); });

    manage = new TessalineSecondaryButton(
        preferencesText("preferences.quick_access.app_shortcuts.manage", "Manage…"));
    manage->setObjectName(QStringLiteral("preferences.button.manage-app-shortcuts"));
    TessalineDesign::styleSecondaryButton(manage);
    PreferencesInfoRow::fixButtonSize(manage, 84, 32);
    QObject::connect(manage, &QPushButton::clicked, this, [this] { manageAppShortcuts(); });
    statusLabel = new QLabel;
    statusLabel->setObjectName(QStringLiteral("preferences.label.app-shortcuts-status"));
    statusLabel->setFont(TessalineFonts::font(11));
    QPalette palette = statusLabel->palette();
    palette.setColor(QPalette::WindowText, TessalineDesign::Palette::grayText());
    statusLabel->setPalette(palette);
    auto* appShortcuts = new QWidget;
    auto* appShortcutsLayout = new QVBoxLayout(appShortcuts);
    appShortcutsLayout->setContentsMargins(0, 0, 0, 0);
    appShortcutsLayout->setSpacing(3);
    appShortcutsLayout->addWidget(statusLabel, 0, Qt::AlignRight);
    appShortcutsLayout->addWidget(manage, 0, Qt::AlignRight);

    recentHistory = new PreferencesSwitch(QStringLiteral("preferences.switch.recent-history"));
    QObject::connect(recentHistory, &QAbstractButton::clicked, this, [this] {
        services.recentStore->setRecordingEnabled(recentHistory->isChecked());
    });
    panelLayout =
        new PreferencesSwitch(QStringLiteral("preferences.switch.panel-layout-all-right-side"));
    QObject::connect(panelLayout, &QAbstractButton::clicked, this,
                     [this] { panelLayoutChanged(); });

    page->addWidget(PreferencesInfoRow::make(
        QStringLiteral("preferences.row.quick-access.shortcut"),
        preferencesText("preferences.quick_access.shortcut.title", "Quick Open shortcut"),
        preferencesText(
            "preferences.quick_access.shortcut.hint",
            "Press the matching left and right modifier keys together to open Quick Open."),
        shortcut, {.textColumnWidth = 250}));
    page->addWidget(PreferencesInfoRow::make(
        QStringLiteral("preferences.row.quick-access.app-shortcuts"),
        preferencesText("preferences.quick_access.app_shortcuts.title", "App menu bar shortcuts"),
        preferencesText("preferences.quick_access.app_shortcuts.hint",
                        "Use shortcuts to open specific app menu bar menus"),
        appShortcuts, {.textColumnWidth = 228}));
    page->addWidget(PreferencesInfoRow::make(
        QStringLiteral("preferences.row.quick-access.recent"),
        preferencesText("preferences.quick_access.recent.title", "Remember recent items"),
        preferencesText("preferences.quick_access.recent.hint",
                        "Rank menus you open often higher in Quick Open"),
        recentHistory, {.textColumnWidth = 228}));
    page->addWidget(PreferencesInfoRow::make(
        QStringLiteral("preferences.row.quick-access.panel-layout"),
        preferencesText("preferences.quick_access.panel_layout.title",
                        "Show menu bar apps by default"),
        preferencesText("preferences.quick_access.panel_layout.hint",
                        "Turn off to show only icons hidden by the notch or pushed off screen"),
        panelLayout, {.textColumnWidth = 228, .showsSeparator = false}));
    sync();
}

void QuickAccessPaneController::viewWillAppear() {
    sync();
}

void QuickAccessPaneController::sync() {
    if (!shortcut) {
        return;
    }
    const auto current = services.preferences->quickAccessModifierShortcut();
    const auto found = std::find(shortcutOrder.begin(), shortcutOrder.end(), current);
    shortcut->setCurrentIndex(static_cast<int>(found - shortcutOrder.begin()));
    recentHistory->setChecked(services.recentStore->isRecordingEnabled());
    panelLayout->setChecked(
        services.preferences->defaults().stringForKey(AppPreferences::panelScopeKey) !=
        std::optional<std::string>("hiddenOnly"));
    refreshAppShortcutSummary();
}

void QuickAccessPaneController::refreshAppShortcutSummary() {
    if (!statusLabel) {
        return;
    }
    const auto bindings = services.perAppHotKeyStore->load();
    std::size_t stale = 0;
    if (!bindings.empty() && menuBarItemsProvider) {
        if (const auto items = menuBarItemsProvider()) {
            const auto resolutions = PerAppHotKeyResolver::resolve(bindings, *items);
            stale = static_cast<std::size_t>(
                std::count_if(resolutions.begin(), resolutions.end(), [](const auto& each) {
                    return each.state == PerAppHotKeyResolutionState::stale;
                }));
        }
    }
    statusLabel->setText(
        QString::fromStdString(PerAppHotKeySummaryText::paneSummary(bindings.size(), stale)));
}

void QuickAccessPaneController::quickAccessShortcutChanged(int index) {
    if (index < 0 || index >= static_cast<int>(shortcutOrder.size())) {
        return;
    }
    const auto chosen = shortcutOrder[static_cast<std::size_t>(index)];
    services.preferences->setQuickAccessModifierShortcut(chosen);
    if (auto changed = onQuickAccessShortcutChanged) {
        changed(chosen);
    }
}

void QuickAccessPaneController::panelLayoutChanged() {
    const bool on = panelLayout->isChecked();
    const auto scope = on ? OverflowPanelScope::allRightSide : OverflowPanelScope::hiddenOnly;
    services.preferences->defaults().set(AppPreferences::panelScopeKey, QelCore::toString(scope));
    if (auto changed = onPanelScopeChanged) {
        changed(scope);
    }
}

void QuickAccessPaneController::renderVisualPreview() {
    view();
    shortcut->setCurrentIndex(0);
    panelLayout->setChecked(false);
}

QuickAccessPaneController::RefreshCallback
QuickAccessPaneController::completion(RefreshCallback windowRefresh) {
    std::weak_ptr<QuickAccessPaneController*> weak = alive;
    return [weak, windowRefresh = std::move(windowRefresh)] {
        if (const auto pane = weak.lock()) {
            (*pane)->refreshAppShortcutSummary();
            if (auto changed = (*pane)->onPerAppHotKeyBindingsChanged) {
                changed();
            }
        }
        if (windowRefresh) {
            windowRefresh();
        }
    };
}

void QuickAccessPaneController::manageAppShortcuts() {
    std::weak_ptr<QuickAccessPaneController*> weak = alive;
    PerAppHotKeyManagementViewController::Callbacks callbacks;
    callbacks.menuBarItemsProvider = [weak]() -> std::optional<std::vector<AXMenuBarItemRecord>> {
        const auto pane = weak.lock();
        if (pane && (*pane)->menuBarItemsProvider) {
            return (*pane)->menuBarItemsProvider();
        }
        return std::nullopt;
    };
    callbacks.onBindingsChanged = [weak] {
        if (const auto pane = weak.lock()) {
            (*pane)->refreshAppShortcutSummary();
            if (auto changed = (*pane)->onPerAppHotKeyBindingsChanged) {
                changed();
            }
        }
    };
    callbacks.onAddShortcut = [weak](RefreshCallback windowRefresh) {
        const auto pane = weak.lock();
        if (pane && (*pane)->onAddPerAppHotKeyShortcut) {
            auto add = (*pane)->onAddPerAppHotKeyShortcut;
            add((*pane)->completion(std::move(windowRefresh)));
        }
    };
    callbacks.onChangeShortcut = [weak](const PerAppHotKeyBinding& binding,
                                        RefreshCallback windowRefresh) {
        const auto pane = weak.lock();
        if (pane && (*pane)->onChangePerAppHotKeyShortcut) {
            auto change = (*pane)->onChangePerAppHotKeyShortcut;
            change(binding, (*pane)->completion(std::move(windowRefresh)));
        }
    };
    // An earlier window is replaced; it is released once any handler of it has returned.
    managementWindow.reset();
    QWidget* parentWindow = isViewLoaded() && view().isVisible() ? view().window() : nullptr;
    managementWindow = std::make_unique<PerAppHotKeyManagementViewController>(
        services, std::move(callbacks), parentWindow);
    managementWindow->present();
}
