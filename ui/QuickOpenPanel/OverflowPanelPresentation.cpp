// The panel's window: presenting, closing and the keyboard focus of a showing.
#include "ui/QuickOpenPanel/OverflowPanelController.h"

#include "Parlowen/Settings/L10n.h"
#include "platform/RunLoop.h"
#include "platform/Workspace.h"
#include "ui/Design/TessalineDesign.h"
#include "ui/QuickOpenPanel/OverflowPanelView.h"
#include "ui/QuickOpenPanel/PanelKeyboardTableView.h"
#include "ui/QuickOpenPanel/PanelKeyboardWindow.h"
#include "ui/QuickOpenPanel/PanelSearchField.h"

#include <QApplication>

using namespace Parlowen;

PanelKeyboardWindow* OverflowPanelController::makeRescueWindow() {
    auto* window = new PanelKeyboardWindow;
    window->setObjectName(QStringLiteral("panel.rescue.window"));
    window->setFixedSize(OverflowPanelView::panelWidth, OverflowPanelView::panelHeight);
    QPointer<OverflowPanelController> weak(this);
    window->onRawKeyDown = [weak](const platform::qt::MacKeyEvent& event) {
        return weak && weak->handleHotKeyCaptureKey(event);
    };
    window->onPanelKey = [weak](const PanelKeyboardKey& key) {
        return weak && weak->handlePanelKeyboardKey(key);
    };
    window->onClose = [weak] {
        if (weak) {
            weak->rescueWindowClosed();
        }
    };
    Parlowen::TessalineDesign::installCenteredTitlebarLabel(
        window, QString::fromStdString(L10n::string("panel.rescue.title", "Tessaline")));
    return window;
}

void OverflowPanelController::rescueWindowClosed() {
    if (auto key = currentSelectionKey()) {
        preferredSelectionKey = std::move(key);
    }
    if (auto callback = onRescueWindowClosed) {
        callback();
    }
}

QWidget* OverflowPanelController::rescueWindowController() const {
    return rescueWindow.data();
}

void OverflowPanelController::presentInRescueWindow() {
    presentInNewWindow([this] { prepareForPresentation(); });
}

void OverflowPanelController::presentShortcutSetupWindow(
    PerAppHotKeySetupSource source, std::optional<AXMenuBarItemRecord> fixedItem,
    std::function<void()> onSaved) {
    presentInNewWindow(
        [&] { beginShortcutSetup(source, std::move(fixedItem), std::move(onSaved)); });
}

void OverflowPanelController::presentInNewWindow(const std::function<void()>& prepare) {
    // The old window's close and the hub's callback run before the policy turns regular again.
    closeRescueWindow();
    dependencies.workspace->setActivationPolicy(platform::NSApplicationActivationPolicyRegular);
    prepare();

    auto* window = makeRescueWindow();
    rescueWindow = window;
    panelView->setParent(window);
    panelView->move(0, 0);
    panelView->show();
    TessalineDesign::centerOnScreen(window);
    window->show();
    window->raise();
    window->activateWindow();
    // The selected row (kept from the last showing, or the item of a setup) is the one Return
    // opens: it must be in sight. The table's size reaches its scroll area only once shown.
    panelView->tableView->scrollRowToVisible(panelView->tableView->selectedRow());

    focusSearchFieldForKeyboard();
    dependencies.workspace->activateIgnoringOtherApps(true);
    dependencies.workspace->activate(dependencies.workspace->currentProcessIdentifier(),
                                     platform::NSApplicationActivateAllWindows);
    if (auto callback = onRequestRefresh) {
        callback();
    }
}

void OverflowPanelController::closeCurrentPresentation() {
    if (auto key = currentSelectionKey()) {
        preferredSelectionKey = std::move(key);
    }
    resetShortcutSetup();
    closeRescueWindow();
}

void OverflowPanelController::resetShortcutSetup() {
    captureItem.reset();
    captureSource = PerAppHotKeyTelemetrySource::quickOpenRow;
    captureStartedAt.reset();
    pendingConflict.reset();
    presentationContext = OverflowPanelPresentationContext::normal;
    shortcutSetup.reset();
}

void OverflowPanelController::closeRescueWindow() {
    QPointer<PanelKeyboardWindow> window = rescueWindow;
    rescueWindow = nullptr;
    if (!window) {
        return;
    }
    if (window->isVisible()) {
        window->close();
    }
    // Detach now, delete later: the close may come from a handler of a widget in the window.
    window->onRawKeyDown = nullptr;
    window->onPanelKey = nullptr;
    window->onClose = nullptr;
    if (panelView && panelView->parentWidget() == window) {
        panelView->hide();
        panelView->setParent(nullptr);
    }
    window->deleteLater();
}

void OverflowPanelController::prepareForPresentation() {
    auto& panel = view();
    resetShortcutSetup();
    refreshActionFeedbackFromStore();
    const auto key = preferredSelectionKey ? preferredSelectionKey : currentSelectionKey();
    clearSearchQuery();
    applyDefaultScopeFromPreferences();
    availability = trustedAvailability();
    panel.resize(OverflowPanelView::panelWidth, OverflowPanelView::panelHeight);
    rerender(key);
}

void OverflowPanelController::focusSearchFieldForKeyboard() {
    focusSearchFieldOnce();
    // Showing a window may move the focus once more as it activates: try again on the next turn,
    // unless the user has moved it somewhere else by then.
    QPointer<OverflowPanelController> weak(this);
    dependencies.mainLoop->post([weak] {
        if (!weak || !weak->panelView) {
            return;
        }
        const QWidget* focused = weak->panelView->window()->focusWidget();
        if (focused && focused != weak->panelView->searchField &&
            !weak->panelView->searchField->isAncestorOf(focused)) {
            return;
        }
        weak->focusSearchFieldOnce();
    });
}

void OverflowPanelController::focusSearchFieldOnce() {
    auto& panel = view();
    selectFirstRowForKeyboardIfNeeded();
    panel.searchField->setFocus(Qt::OtherFocusReason);
    panel.searchField->setCursorPosition(static_cast<int>(panel.searchField->text().size()));
    panel.searchField->deselect();
    updatePanelKeyboardFocusStyles();
}
