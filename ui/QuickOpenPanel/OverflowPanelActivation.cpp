// Activating a row (the delayed open step) and the action feedback of the footer.
#include "ui/QuickOpenPanel/OverflowPanelController.h"

#include "Parlowen/Items/MenuBarItemStableIdentity.h"
#include "Parlowen/Opening/CompatibilityStore.h"
#include "Parlowen/QuickOpen/RecentMenuBarItemStore.h"
#include "Parlowen/Status/ScanStatusStore.h"
#include "platform/RunLoop.h"

#include <algorithm>
#include <chrono>

using namespace Parlowen;

void OverflowPanelController::activateRow(int row) {
    if (row < 0 || static_cast<std::size_t>(row) >= rows.size()) {
        return;
    }
    // Without Accessibility the rows stand behind the permission state; an opening now would
    // be filed as unsupported for an item that only lacked the permission.
    if (effectiveAvailability() != OverflowPanelAvailability::available) {
        return;
    }
    const AXMenuBarItemRecord item = rows[static_cast<std::size_t>(row)];
    preferredSelectionKey = MenuBarItemStableIdentity::of(item).rawValue;
    if (presentationContext == OverflowPanelPresentationContext::shortcutSetup) {
        // The setup list opens nothing: choosing a row records its shortcut.
        beginPerAppHotKeyCapture(item, captureSourceForPresentation());
        return;
    }
    recordActionFeedback(QuickOpenActionFeedback::opening(item.appName));
    // The panel goes before anything reaches the other application.
    closeCurrentPresentation();
    QPointer<OverflowPanelController> weak(this);
    dependencies.mainLoop->postAfter(actionDelay, [weak, item] {
        if (weak) {
            weak->runOpenStep(item);
        }
    });
}

void OverflowPanelController::runOpenStep(const AXMenuBarItemRecord& item) {
    const Date startedAt = dependencies.now();
    const auto attempts = dependencies.actionRunner(item);
    const bool observed = QuickOpenActionFeedback::observedOpen(attempts);
    const auto feedback = QuickOpenActionFeedback::make(item.appName, attempts, observed);
    const double duration = std::chrono::duration<double>(dependencies.now() - startedAt).count();
    if (dependencies.telemetrySampler && dependencies.telemetrySampler(feedback.outcome)) {
        reportTelemetry(item, feedback, attempts, duration);
    }
    dependencies.recentStore->record(item, feedback.outcome, dependencies.now());
    if (const auto outcome = compatibilityOutcome(feedback.outcome, item.classification)) {
        dependencies.compatibilityStore->record(item, *outcome, feedback.keyboardNavigability,
                                                dependencies.now());
    }
    recordActionFeedback(feedback);
    // Only a confirmed open changes the menu bar enough to be worth a fresh scan.
    if (feedback.outcome == QuickOpenActionOutcome::observedOpen) {
        if (auto callback = onRequestRefresh) {
            callback();
        }
    }
}

void OverflowPanelController::reportTelemetry(
    const AXMenuBarItemRecord& item, const QuickOpenActionFeedback& feedback,
    const std::vector<QelCore::ActionAttemptLog>& attempts, double duration) {
    if (!dependencies.telemetryReporter) {
        return;
    }
    const bool granted =
        dependencies.accessibilityTrustChecker && dependencies.accessibilityTrustChecker();
    dependencies.telemetryReporter(QuickOpenTelemetryEvent::make(
        item, feedback, attempts, QuickOpenTelemetryEvent::evidenceSource(attempts), granted,
        duration, QuickOpenTelemetryTrigger::quickOpenRow, dependencies.appVersion,
        dependencies.appBundleID));
}

// MARK: feedback

void OverflowPanelController::recordActionFeedback(const QuickOpenActionFeedback& feedback) {
    const Date at = dependencies.now();
    lastActionFeedback = feedback;
    dependencies.statusStore->recordActionFeedback(feedback, at);
    feedbackRecordedAt = at;
    scheduleActionFeedbackExpiry(actionFeedbackDisplayDuration);
    renderFooter();
}

// Runs on the monotonic clock of the loop, so a wall clock that steps back cannot stretch it;
// a newer feedback bumps the generation and disarms this expiry.
void OverflowPanelController::scheduleActionFeedbackExpiry(platform::Duration after) {
    const auto generation = ++feedbackGeneration;
    if (after <= platform::Duration::zero()) {
        actionFeedbackExpired();
        return;
    }
    QPointer<OverflowPanelController> weak(this);
    dependencies.mainLoop->postAfter(after, [weak, generation] {
        if (weak && weak->feedbackGeneration == generation) {
            weak->actionFeedbackExpired();
        }
    });
}

void OverflowPanelController::actionFeedbackExpired() {
    ++feedbackGeneration;
    lastActionFeedback.reset();
    // Another path may have recorded a newer feedback in the store meanwhile; that one keeps
    // its own time.
    auto& store = *dependencies.statusStore;
    if (store.lastActionFeedback() && store.lastActionFeedbackRecordedAt() == feedbackRecordedAt) {
        store.clearActionFeedback();
    }
    feedbackRecordedAt.reset();
    renderFooter();
}

void OverflowPanelController::clearActionFeedback() {
    ++feedbackGeneration;
    lastActionFeedback.reset();
    feedbackRecordedAt.reset();
    dependencies.statusStore->clearActionFeedback();
    renderFooter();
}

void OverflowPanelController::refreshActionFeedbackFromStore() {
    ++feedbackGeneration;
    const auto& store = *dependencies.statusStore;
    if (!store.lastActionFeedback()) {
        lastActionFeedback.reset();
        feedbackRecordedAt.reset();
        return;
    }
    const Date now = dependencies.now();
    const Date recordedAt = store.lastActionFeedbackRecordedAt().value_or(now);
    // Clamped: a recording time in the future (the clock stepped back) still ends within the
    // display time.
    const auto remaining = std::clamp(actionFeedbackDisplayDuration - (now - recordedAt),
                                      platform::Duration::zero(), actionFeedbackDisplayDuration);
    if (remaining <= platform::Duration::zero()) {
        clearActionFeedback();
        return;
    }
    lastActionFeedback = store.lastActionFeedback();
    feedbackRecordedAt = store.lastActionFeedbackRecordedAt();
    scheduleActionFeedbackExpiry(remaining);
}
