#include "ui/Preferences/PreferencesWindowController.h"

#include "Parlowen/Settings/L10n.h"
#include "platform/Workspace.h"
#include "ui/Design/TessalineDesign.h"
#include "ui/Preferences/AdvancedPaneController.h"
#include "ui/Preferences/PreferencesKeyboardWindow.h"
#include "ui/Preferences/PreferencesTabViewController.h"
#include "ui/Preferences/QuickAccessPaneController.h"

#include <QVBoxLayout>

PreferencesWindowController::PreferencesWindowController(PreferencesServices services)
    : services(std::move(services)) {
    keyboardWindow = new PreferencesKeyboardWindow;
    tabs = new PreferencesTabViewController(this->services, keyboardWindow);
    auto* layout = new QVBoxLayout(keyboardWindow);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(tabs);
    const QString title = QString::fromStdString(
        Parlowen::L10n::string("preferences.title", "Tessaline Preferences"));
    keyboardWindow->setObjectName(QStringLiteral("preferences.window"));
    keyboardWindow->setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                                   Qt::WindowMinimizeButtonHint);
    keyboardWindow->setFixedSize(PreferencesTabViewController::contentSize);
    Parlowen::TessalineDesign::installCenteredTitlebarLabel(keyboardWindow, title);
    Parlowen::TessalineDesign::centerOnScreen(keyboardWindow);
    keyboardWindow->onKeyboardKey = [this](PreferencesKeyboardKey key) {
        return handleKeyboardKey(key);
    };
    keyboardWindow->onClosed = [this] {
        if (auto closed = onClose) {
            closed();
        }
    };
    tabs->setWindowTitle(title);

    // The panes reach the owner through the controller, which may be gone before the window.
    QPointer<PreferencesWindowController> self(this);
    auto& quickAccess = tabs->quickAccessPane();
    quickAccess.onQuickAccessShortcutChanged = [self](Parlowen::QuickAccessModifierShortcut value) {
        if (self && self->onQuickAccessShortcutChanged) {
            self->onQuickAccessShortcutChanged(value);
        }
    };
    quickAccess.onPanelScopeChanged = [self](Parlowen::OverflowPanelScope scope) {
        if (self && self->onPanelScopeChanged) {
            self->onPanelScopeChanged(scope);
        }
    };
    quickAccess.onPerAppHotKeyBindingsChanged = [self] {
        if (self && self->onPerAppHotKeyBindingsChanged) {
            self->onPerAppHotKeyBindingsChanged();
        }
    };
    quickAccess.onAddPerAppHotKeyShortcut = [self](RefreshCallback refresh) {
        if (self && self->onAddPerAppHotKeyShortcut) {
            self->onAddPerAppHotKeyShortcut(std::move(refresh));
        }
    };
    quickAccess.onChangePerAppHotKeyShortcut = [self](const Parlowen::PerAppHotKeyBinding& binding,
                                                      RefreshCallback refresh) {
        if (self && self->onChangePerAppHotKeyShortcut) {
            self->onChangePerAppHotKeyShortcut(binding, std::move(refresh));
        }
    };
    quickAccess.menuBarItemsProvider =
        [self]() -> std::optional<std::vector<Parlowen::AXMenuBarItemRecord>> {
        if (self && self->menuBarItemsProvider) {
            return self->menuBarItemsProvider();
        }
        return std::nullopt;
    };
    tabs->advancedPane().onScanIntervalChanged = [self](double seconds) {
        if (self && self->onScanIntervalChanged) {
            self->onScanIntervalChanged(seconds);
        }
    };
}

PreferencesWindowController::~PreferencesWindowController() {
    if (keyboardWindow) {
        // Detach now, delete later: the owner may be releasing us from the window's own close
        // handler, which is still on the stack.
        keyboardWindow->onKeyboardKey = nullptr;
        keyboardWindow->onClosed = nullptr;
        keyboardWindow->hide();
        keyboardWindow->deleteLater();
    }
}

QWidget* PreferencesWindowController::window() const {
    return keyboardWindow;
}

void PreferencesWindowController::showWindow() {
    if (!keyboardWindow) {
        return;
    }
    if (services.workspace) {
        services.workspace->setActivationPolicy(platform::NSApplicationActivationPolicyRegular);
    }
    keyboardWindow->show();
    keyboardWindow->raise();
    keyboardWindow->activateWindow();
    if (services.workspace) {
        services.workspace->activateIgnoringOtherApps(true);
    }
}

void PreferencesWindowController::setMenuBarItemsProvider(
    std::function<std::optional<std::vector<Parlowen::AXMenuBarItemRecord>>()> provider) {
    menuBarItemsProvider = std::move(provider);
    if (tabs && tabs->quickAccessPane().isViewLoaded()) {
        tabs->quickAccessPane().refreshAppShortcutSummary();
    }
}

bool PreferencesWindowController::handleKeyboardKey(PreferencesKeyboardKey key) {
    if (!tabs) {
        return false;
    }
    switch (key) {
    case PreferencesKeyboardKey::tab:
        tabs->focusNextKeyboardItem(true);
        return true;
    case PreferencesKeyboardKey::backTab:
        tabs->focusNextKeyboardItem(false);
        return true;
    case PreferencesKeyboardKey::up:
        tabs->focusAdjacentSidebarButton(-1);
        return true;
    case PreferencesKeyboardKey::down:
        tabs->focusAdjacentSidebarButton(1);
        return true;
    case PreferencesKeyboardKey::escape:
        if (keyboardWindow) {
            keyboardWindow->close();
        }
        return true;
    case PreferencesKeyboardKey::enter:
        tabs->activateFocusedKeyboardItem();
        return true;
    case PreferencesKeyboardKey::other:
        break;
    }
    return false;
}
