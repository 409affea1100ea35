// The panel's keys: scope and selection by arrows, the Tab ring, Return, typing into the search.
#include "ui/QuickOpenPanel/OverflowPanelController.h"

#include "Parlowen/Settings/AppPreferences.h"
#include "ui/QuickOpenPanel/OverflowPanelView.h"
#include "ui/QuickOpenPanel/PanelIconButton.h"
#include "ui/QuickOpenPanel/PanelKeyboardKey.h"
#include "ui/QuickOpenPanel/PanelKeyboardTableView.h"
#include "ui/QuickOpenPanel/PanelKeyboardWindow.h"
#include "ui/QuickOpenPanel/PanelScopeControl.h"
#include "ui/QuickOpenPanel/PanelSearchField.h"

#include <QAbstractButton>
#include <QPushButton>

#include <algorithm>

using namespace Parlowen;

bool OverflowPanelController::handlePanelKeyboardKey(const PanelKeyboardKey& key) {
    using enum PanelKeyboardKey::Kind;
    auto& panel = view();
    const bool rowsUsable = effectiveAvailability() == OverflowPanelAvailability::available;
    switch (key.kind) {
    // Without Accessibility the rows are not shown: the arrows select nothing and leave the
    // focus where it is.
    case left:
        if (rowsUsable) {
            selectScopeFromKeyboard(OverflowPanelScope::hiddenOnly);
        }
        return true;
    case right:
        if (rowsUsable) {
            selectScopeFromKeyboard(OverflowPanelScope::allRightSide);
        }
        return true;
    case up:
        if (rowsUsable) {
            panel.tableView->moveUp();
        }
        return true;
    case down:
        if (rowsUsable) {
            panel.tableView->moveDown();
        }
        return true;
    case tab:
        focusNextPanelControl(true);
        return true;
    case backTab:
        focusNextPanelControl(false);
        return true;
    case enter:
        activateFocusedPanelControl();
        return true;
    case escape:
        if (cancelActivePerAppHotKeyCapture()) {
            return true;
        }
        if (presentationContext == OverflowPanelPresentationContext::shortcutSetup) {
            closeCurrentPresentation();
            return true;
        }
        return false;
    case text: {
        if (isSearchFieldFocused()) {
            return false;
        }
        const QString typed = panel.searchField->text() + QString::fromStdString(key.text);
        panel.searchField->replaceQuietly(typed);
        applySearchQuery(typed.toStdString());
        focusSearchFieldForKeyboard();
        return true;
    }
    case other:
        break;
    }
    return false;
}

void OverflowPanelController::selectScopeFromKeyboard(OverflowPanelScope requested) {
    const OverflowPanelScope target =
        hidesToHiddenOnly(requested) ? OverflowPanelScope::hiddenOnly : requested;
    auto& control = *view().scopeControl;
    control.selectedScope = target;
    control.update();
    if (scope == target) {
        updatePanelKeyboardFocusStyles();
    } else {
        scopeChanged(target);
    }
    focusBestTargetAfterScopeKeyboardSelection();
}

void OverflowPanelController::focusBestTargetAfterScopeKeyboardSelection() {
    auto& panel = view();
    selectFirstRowForKeyboardIfNeeded();
    if (!rows.empty()) {
        panelReturnTarget = PanelReturnTarget::selectedRow;
        panel.tableView->setFocus(Qt::OtherFocusReason);
    } else {
        panelReturnTarget = PanelReturnTarget::focusedControl;
        if (isKeyboardVisible(panel.scopeControl)) {
            panel.scopeControl->setFocus(Qt::OtherFocusReason);
        }
    }
    updatePanelKeyboardFocusStyles();
}

bool OverflowPanelController::isKeyboardVisible(const QWidget* view) const {
    for (const QWidget* widget = view; widget; widget = widget->parentWidget()) {
        if (widget->isHidden() || !widget->isEnabled()) {
            return false;
        }
        if (widget == panelView.get()) {
            return true;
        }
    }
    return true;
}

std::vector<QWidget*> OverflowPanelController::panelFocusableViews() const {
    const auto& panel = *panelView;
    std::vector<QWidget*> ring{panel.searchField};
    if (!rows.empty()) {
        ring.push_back(panel.tableView);
    }
    for (QWidget* control :
         std::initializer_list<QWidget*>{panel.scopeControl, panel.refreshButton,
                                         panel.settingsButton, panel.emptyActionButton}) {
        ring.push_back(control);
    }
    std::erase_if(ring, [this](const QWidget* view) { return !isKeyboardVisible(view); });
    return ring;
}

void OverflowPanelController::focusNextPanelControl(bool forward) {
    if (!panelView || !rescueWindow) {
        return;
    }
    const auto ring = panelFocusableViews();
    if (ring.empty()) {
        return;
    }
    const QWidget* focused = rescueWindow->focusWidget();
    const auto current = std::find_if(ring.begin(), ring.end(), [focused](const QWidget* view) {
        return focused && (view == focused || view->isAncestorOf(focused));
    });
    const auto count = static_cast<std::ptrdiff_t>(ring.size());
    std::ptrdiff_t next = forward ? 0 : count - 1;
    if (current != ring.end()) {
        next = ((current - ring.begin()) + (forward ? 1 : -1) + count) % count;
    }
    panelReturnTarget = PanelReturnTarget::focusedControl;
    ring[static_cast<std::size_t>(next)]->setFocus(forward ? Qt::TabFocusReason
                                                           : Qt::BacktabFocusReason);
    updatePanelKeyboardFocusStyles();
}

void OverflowPanelController::activateFocusedPanelControl() {
    auto& panel = view();
    const int selected = panel.tableView->selectedRow();
    if (panelReturnTarget == PanelReturnTarget::selectedRow && !rows.empty()) {
        activateRow(selected);
        return;
    }
    QWidget* focused = panel.window()->focusWidget();
    if (!focused) {
        activateRow(selected);
        return;
    }
    if (focused == panel.refreshButton || focused == panel.settingsButton) {
        static_cast<QAbstractButton*>(focused)->click();
        return;
    }
    const bool inSearchOrTable =
        focused == panel.searchField || panel.searchField->isAncestorOf(focused) ||
        focused == panel.tableView || panel.tableView->isAncestorOf(focused);
    if (!inSearchOrTable) {
        if (auto* button = qobject_cast<QAbstractButton*>(focused)) {
            button->click();
            return;
        }
    }
    activateRow(selected);
}

bool OverflowPanelController::isSearchFieldFocused() const {
    if (!panelView) {
        return false;
    }
    const QWidget* focused = panelView->window()->focusWidget();
    return focused &&
           (focused == panelView->searchField || panelView->searchField->isAncestorOf(focused));
}

void OverflowPanelController::updatePanelKeyboardFocusStyles() {
    if (!panelView) {
        return;
    }
    panelView->renderHeaderButtonFocus(panelView->window()->focusWidget());
    panelView->scopeControl->update();
    refreshVisibleRowSelectionStyles();
}
