// Recording per-app shortcuts: the setup list, a row's recording, and saving a chord with its
// conflicts and diagnostic events.
#include "ui/QuickOpenPanel/OverflowPanelController.h"

#include "Parlowen/Hotkeys/HotKeyFormatter.h"
#include "Parlowen/Hotkeys/HotKeyRegistrationValidator.h"
#include "Parlowen/Hotkeys/PerAppHotKeyResolver.h"
#include "Parlowen/Hotkeys/PerAppHotKeySetupTelemetry.h"
#include "Parlowen/Hotkeys/PerAppHotKeyStore.h"
#include "Parlowen/Items/MenuBarItemStableIdentity.h"
#include "Parlowen/Settings/L10n.h"
#include "platform/qt/MacKeyEvent.h"
#include "ui/QuickOpenPanel/OverflowPanelView.h"
#include "ui/QuickOpenPanel/OverflowRowHotKeyButton.h"
#include "ui/QuickOpenPanel/PanelKeyboardTableView.h"
#include "ui/QuickOpenPanel/PanelScopeControl.h"

#include <QLineEdit>

using namespace Parlowen;

namespace {

std::string conflictMessage(const PerAppHotKeyShortcut& shortcut,
                            const PerAppHotKeyBinding& existing) {
    return L10n::format(
        L10n::string("quick_open.hotkey.conflict", "%@ is already assigned to %@"),
        {HotKeyFormatter::format(shortcut.keyCode, shortcut.modifierFlags), existing.displayName});
}

std::string savedMessage(const PerAppHotKeyBinding& binding) {
    return L10n::format(
        L10n::string("quick_open.hotkey.saved", "Shortcut %@ saved for %@"),
        {HotKeyFormatter::format(binding.shortcut.keyCode, binding.shortcut.modifierFlags),
         binding.displayName});
}

std::string invalidMessage() {
    return L10n::string("quick_open.hotkey.invalid",
                        "Use Command, Option, Control, or Shift with a key");
}

std::string identityKey(const AXMenuBarItemRecord& item) {
    return MenuBarItemStableIdentity::of(item).rawValue;
}

} // namespace

void OverflowPanelController::beginShortcutSetup(PerAppHotKeySetupSource source,
                                                 std::optional<AXMenuBarItemRecord> fixedItem,
                                                 std::function<void()> onSaved) {
    auto& panel = view();
    resetShortcutSetup();
    captureSource = telemetrySource(source);
    presentationContext = OverflowPanelPresentationContext::shortcutSetup;
    shortcutSetup = ShortcutSetup{source, fixedItem, std::move(onSaved)};
    scope = OverflowPanelScope::allRightSide;
    panel.scopeControl->selectedScope = scope;
    panel.scopeControl->update();
    clearSearchQuery();
    if (snapshot) {
        rows = filtered(snapshot->items, scope);
    }
    // The list stands behind the permission state as in every showing, so it is read afresh.
    availability = trustedAvailability();
    panel.resize(OverflowPanelView::panelWidth, OverflowPanelView::panelHeight);
    rerender(fixedItem ? std::optional(identityKey(*fixedItem)) : std::nullopt);
    reportPerAppHotKeySetupOpened(captureSource);
    if (fixedItem) {
        beginPerAppHotKeyCapture(*fixedItem, captureSource);
    }
}

PerAppHotKeyTelemetrySource OverflowPanelController::captureSourceForPresentation() const {
    return presentationContext == OverflowPanelPresentationContext::shortcutSetup && shortcutSetup
               ? telemetrySource(shortcutSetup->source)
               : PerAppHotKeyTelemetrySource::quickOpenRow;
}

void OverflowPanelController::beginPerAppHotKeyCapture(const AXMenuBarItemRecord& item,
                                                       PerAppHotKeyTelemetrySource source) {
    auto& panel = view();
    if (const int row = selectRowOfItem(item); row >= 0) {
        panel.tableView->scrollRowToVisible(row);
    }
    pendingConflict.reset();
    captureItem = item;
    captureSource = source;
    captureStartedAt = dependencies.now();
    reportPerAppHotKeyRecordingStarted(item, source);
    refreshVisibleRowSelectionStyles();
    renderFooter();
}

bool OverflowPanelController::isRecordingHotKey(const AXMenuBarItemRecord& item) const {
    return captureItem && identityKey(*captureItem) == identityKey(item);
}

bool OverflowPanelController::handleHotKeyCaptureKey(const platform::qt::MacKeyEvent& event) {
    if (!captureItem) {
        return false;
    }
    const auto chord = OverflowRowHotKeyButton::chord(event);
    if (!chord) {
        // Bare keys stay the panel's: Escape cancels, arrows move, Command-W closes.
        return false;
    }
    if (panelView) {
        if (QWidget* focused = panelView->window()->focusWidget()) {
            focused->clearFocus();
        }
    }
    const AXMenuBarItemRecord item = *captureItem;
    assignPerAppHotKey(item, chord->keyCode, chord->carbonModifiers);
    return true;
}

bool OverflowPanelController::canRegister(const AXMenuBarItemRecord& item,
                                          const PerAppHotKeyShortcut& shortcut) const {
    // The item's own chord is registered by this program, so the system would refuse it; the
    // item may take it again.
    if (const auto own = dependencies.perAppHotKeyStore->binding(item);
        own && own->shortcut == shortcut) {
        return true;
    }
    return dependencies.hotKeyRegistry &&
           HotKeyRegistrationValidator::canRegister(*dependencies.hotKeyRegistry, shortcut.keyCode,
                                                    shortcut.modifierFlags);
}

void OverflowPanelController::assignPerAppHotKey(const AXMenuBarItemRecord& item,
                                                 std::uint32_t keyCode,
                                                 std::uint32_t modifierFlags) {
    using enum PerAppHotKeyTelemetrySaveResult;
    const PerAppHotKeyShortcut shortcut{keyCode, modifierFlags};
    const auto source = captureSource;
    const auto startedAt = captureStartedAt;
    pendingConflict.reset();
    auto& store = *dependencies.perAppHotKeyStore;

    if (auto existing = store.conflict(shortcut, item)) {
        // Recording goes on: the next chord is tried at once.
        pendingConflict = PendingPerAppHotKeyConflict{item, *existing, shortcut, source};
        recordHotKeyFeedback(item, false, conflictMessage(shortcut, *existing));
        reportPerAppHotKeySaveResult(item, source, internalConflict, shortcut,
                                     targetBundleID(*existing), startedAt);
        rerender(identityKey(item));
        return;
    }
    captureItem.reset();
    captureStartedAt.reset();
    if (!canRegister(item, shortcut)) {
        reportPerAppHotKeySaveResult(item, source, systemUnavailable, shortcut, std::nullopt,
                                     startedAt);
        recordHotKeyFeedback(
            item, false,
            L10n::string("quick_open.hotkey.unavailable", "Shortcut unavailable. Try another"));
    } else {
        const auto result = store.assign(item, keyCode, modifierFlags, dependencies.now());
        switch (result.kind) {
        case PerAppHotKeyAssignmentResult::Kind::saved:
            reportPerAppHotKeySaveResult(item, source, saved, shortcut, std::nullopt, startedAt);
            recordHotKeyFeedback(item, true, savedMessage(*result.binding));
            completePerAppHotKeySave();
            break;
        case PerAppHotKeyAssignmentResult::Kind::conflict:
            reportPerAppHotKeySaveResult(item, source, internalConflict, shortcut,
                                         targetBundleID(*result.binding), startedAt);
            recordHotKeyFeedback(item, false, conflictMessage(shortcut, *result.binding));
            break;
        case PerAppHotKeyAssignmentResult::Kind::invalidShortcut:
            reportPerAppHotKeySaveResult(item, source, invalid, shortcut, std::nullopt, startedAt);
            recordHotKeyFeedback(item, false, invalidMessage());
            break;
        }
    }
    rerender(identityKey(item));
}

void OverflowPanelController::replacePendingHotKeyConflict() {
    if (!pendingConflict) {
        return;
    }
    const PendingPerAppHotKeyConflict conflict = *pendingConflict;
    const auto startedAt = captureStartedAt;
    pendingConflict.reset();
    captureItem.reset();
    captureStartedAt.reset();
    const auto result = dependencies.perAppHotKeyStore->assignReplacingShortcut(
        conflict.targetItem, conflict.shortcut.keyCode, conflict.shortcut.modifierFlags,
        dependencies.now());
    if (result.kind == PerAppHotKeyAssignmentResult::Kind::saved) {
        reportPerAppHotKeySaveResult(conflict.targetItem, conflict.source,
                                     PerAppHotKeyTelemetrySaveResult::replaced, conflict.shortcut,
                                     targetBundleID(conflict.existing), startedAt);
        recordHotKeyFeedback(conflict.targetItem, true, savedMessage(*result.binding));
        completePerAppHotKeySave();
    } else {
        reportPerAppHotKeySaveResult(conflict.targetItem, conflict.source,
                                     PerAppHotKeyTelemetrySaveResult::invalid, conflict.shortcut,
                                     std::nullopt, startedAt);
        recordHotKeyFeedback(conflict.targetItem, false, invalidMessage());
    }
    rerender(identityKey(conflict.targetItem));
}

void OverflowPanelController::chooseAnotherHotKeyShortcut() {
    if (!pendingConflict) {
        return;
    }
    const PendingPerAppHotKeyConflict conflict = *pendingConflict;
    pendingConflict.reset();
    beginPerAppHotKeyCapture(conflict.targetItem, conflict.source);
}

bool OverflowPanelController::cancelActivePerAppHotKeyCapture() {
    if (!captureItem) {
        pendingConflict.reset();
        return false;
    }
    const AXMenuBarItemRecord item = *captureItem;
    const auto source = captureSource;
    const auto startedAt = captureStartedAt;
    std::optional<PerAppHotKeyShortcut> pendingChord;
    if (pendingConflict) {
        pendingChord = pendingConflict->shortcut;
    }
    captureItem.reset();
    captureSource = captureSourceForPresentation();
    captureStartedAt.reset();
    pendingConflict.reset();
    reportPerAppHotKeySaveResult(item, source, PerAppHotKeyTelemetrySaveResult::canceled,
                                 pendingChord, std::nullopt, startedAt);
    clearActionFeedback();
    rerender(identityKey(item));
    // The shortcut button that started the recording must not keep the keys: a later chord
    // would become a shortcut nobody asked for.
    if (panelView && panelView->isVisible()) {
        focusSearchFieldForKeyboard();
    }
    return true;
}

void OverflowPanelController::completePerAppHotKeySave() {
    if (auto changed = onPerAppHotKeyBindingsChanged) {
        changed();
    }
    if (presentationContext != OverflowPanelPresentationContext::shortcutSetup) {
        return;
    }
    const auto onSaved = shortcutSetup ? shortcutSetup->onSaved : nullptr;
    if (onSaved) {
        onSaved();
    }
    closeCurrentPresentation();
}

void OverflowPanelController::recordHotKeyFeedback(const AXMenuBarItemRecord& item, bool saved,
                                                   const std::string& message) {
    recordActionFeedback(
        {item.appName, saved ? QuickOpenActionOutcome::actionSent : QuickOpenActionOutcome::failed,
         message, false, QelCore::MenuKeyboardNavigability::unknown});
}

std::optional<std::string>
OverflowPanelController::targetBundleID(const PerAppHotKeyBinding& binding) const {
    if (!snapshot) {
        return std::nullopt;
    }
    const auto item = PerAppHotKeyResolver::item(binding, snapshot->items);
    return item ? item->bundleIdentifier : std::nullopt;
}

std::int64_t OverflowPanelController::notSeenBindingCount() const {
    static const std::vector<AXMenuBarItemRecord> noItems;
    const auto resolutions = PerAppHotKeyResolver::resolve(
        dependencies.perAppHotKeyStore->bindings(), snapshot ? snapshot->items : noItems);
    return std::count_if(resolutions.begin(), resolutions.end(), [](const auto& resolution) {
        return resolution.state == PerAppHotKeyResolutionState::stale;
    });
}

// MARK: diagnostic events

void OverflowPanelController::reportPerAppHotKeySetupOpened(PerAppHotKeyTelemetrySource source) {
    if (!dependencies.diagnosticTelemetryReporter) {
        return;
    }
    const auto visible =
        snapshot ? filtered(snapshot->items, OverflowPanelScope::allRightSide).size() : rows.size();
    dependencies.diagnosticTelemetryReporter(PerAppHotKeySetupTelemetry::setupOpened(
        {source, dependencies.appVersion, dependencies.appBundleID},
        static_cast<std::int64_t>(visible), notSeenBindingCount()));
}

void OverflowPanelController::reportPerAppHotKeyRecordingStarted(
    const AXMenuBarItemRecord& item, PerAppHotKeyTelemetrySource source) {
    if (!dependencies.diagnosticTelemetryReporter) {
        return;
    }
    dependencies.diagnosticTelemetryReporter(PerAppHotKeySetupTelemetry::recordingStarted(
        {source, dependencies.appVersion, dependencies.appBundleID}, item,
        dependencies.accessibilityTrustChecker && dependencies.accessibilityTrustChecker(),
        dependencies.perAppHotKeyStore->binding(item).has_value()));
}

void OverflowPanelController::reportPerAppHotKeySaveResult(
    const AXMenuBarItemRecord& item, PerAppHotKeyTelemetrySource source,
    PerAppHotKeyTelemetrySaveResult result, const std::optional<PerAppHotKeyShortcut>& shortcut,
    const std::optional<std::string>& conflictTargetAppBundleID,
    const std::optional<Date>& startedAt) {
    if (!dependencies.diagnosticTelemetryReporter) {
        return;
    }
    dependencies.diagnosticTelemetryReporter(PerAppHotKeySetupTelemetry::saveResult(
        {source, dependencies.appVersion, dependencies.appBundleID}, item,
        dependencies.accessibilityTrustChecker && dependencies.accessibilityTrustChecker(),
        {result, shortcut, conflictTargetAppBundleID, startedAt, dependencies.now()}));
}
