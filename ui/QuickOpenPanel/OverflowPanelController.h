#pragma once

#include "Parlowen/Hotkeys/PerAppHotKeyBinding.h"
#include "Parlowen/Hotkeys/PerAppHotKeySetupSource.h"
#include "Parlowen/Hotkeys/PerAppHotKeyShortcut.h"
#include "Parlowen/Items/ReferenceDate.h"
#include "Parlowen/Items/ScanSnapshot.h"
#include "Parlowen/Opening/QuickOpenActionFeedback.h"
#include "Parlowen/QuickOpen/OverflowPanelAvailability.h"
#include "Parlowen/QuickOpen/OverflowPanelViewState.h"
#include "Parlowen/QuickOpen/OverflowPanelVisualPreview.h"
#include "Parlowen/Settings/OverflowPanelScope.h"
#include "Parlowen/Settings/QuickAccessModifierShortcut.h"
#include "Parlowen/Telemetry/DiagnosticTelemetryEvent.h"
#include "Parlowen/Telemetry/PerAppHotKeyTelemetrySaveResult.h"
#include "Parlowen/Telemetry/QuickOpenTelemetryEvent.h"
#include "platform/Clock.h"

#include <QObject>
#include <QPixmap>
#include <QPointer>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace platform {
struct PlatformServices;
class RunLoop;
class Workspace;
} // namespace platform

namespace platform::qt {
struct MacKeyEvent;
} // namespace platform::qt

namespace Parlowen {
class AppPreferences;
class CompatibilityStore;
class HotKeyRegistry;
class ScanStatusStore;
class FavoriteMenuBarItemStore;
class PerAppHotKeyStore;
class RecentMenuBarItemStore;
} // namespace Parlowen

class OverflowPanelView;
class OverflowRowView;
class PanelKeyboardWindow;
struct PanelKeyboardKey;

// `shortcutSetup` turns the panel into the per-app shortcut setup list.
enum class OverflowPanelPresentationContext { normal, shortcutSetup };

// A recorded chord that another item holds, waiting for Replace or Choose another.
struct PendingPerAppHotKeyConflict {
    // The item being assigned.
    Parlowen::AXMenuBarItemRecord targetItem;
    // The other item's binding that holds the chord.
    Parlowen::PerAppHotKeyBinding existing;
    Parlowen::PerAppHotKeyShortcut shortcut;
    Parlowen::PerAppHotKeyTelemetrySource source =
        Parlowen::PerAppHotKeyTelemetrySource::quickOpenRow;
};

// Whether Return acts on the selected row or on the focused control.
enum class PanelReturnTarget { focusedControl, selectedRow };

// What the visual preview puts in place of the live permission and the stored shortcut.
struct OverflowPanelVisualPreviewContext {
    Parlowen::OverflowPanelAvailability availability =
        Parlowen::OverflowPanelAvailability::available;
    Parlowen::QuickAccessModifierShortcut quickAccessShortcut =
        Parlowen::QuickAccessModifierShortcut::option;
};

// The Quick Open panel's controller: it holds the latest scan, the rows on display, the
// availability, scope, query and selection, and renders them into its view. Created once by the
// status bar hub and kept for the life of the process; every scan reaches it through
// `update(with)`. Main thread only.
class OverflowPanelController : public QObject {
public:
    struct Dependencies {
        Parlowen::AppPreferences* preferences = nullptr;
        Parlowen::RecentMenuBarItemStore* recentStore = nullptr;
        Parlowen::FavoriteMenuBarItemStore* favoriteStore = nullptr;
        Parlowen::PerAppHotKeyStore* perAppHotKeyStore = nullptr;
        std::function<Parlowen::Date()> now;
        // Accessibility trust, never prompting.
        std::function<bool()> accessibilityTrustChecker;
        // Application icons, the opening of the Accessibility settings, the activation policy.
        platform::Workspace* workspace = nullptr;
        // The main loop: the delayed open step, the feedback expiry, the second focus pass.
        platform::RunLoop* mainLoop = nullptr;
        Parlowen::CompatibilityStore* compatibilityStore = nullptr;
        // Where action feedback is kept, so another path's feedback shows in the panel too.
        Parlowen::ScanStatusStore* statusStore = nullptr;
        // Opens an item's menu and answers every attempt; blocks for its waits.
        std::function<std::vector<QelCore::ActionAttemptLog>(const Parlowen::AXMenuBarItemRecord&)>
            actionRunner;
        // Whether to report an outcome.
        std::function<bool(Parlowen::QuickOpenActionOutcome)> telemetrySampler;
        std::function<void(const Parlowen::QuickOpenTelemetryEvent&)> telemetryReporter;
        // The program's one hotkey registry: a chord counts as available when it can be
        // registered there for a moment. Without one every chord counts as unavailable, so no
        // unchecked chord is saved.
        Parlowen::HotKeyRegistry* hotKeyRegistry = nullptr;
        // The per-app shortcut setup's events.
        std::function<void(const Parlowen::DiagnosticTelemetryEvent&)> diagnosticTelemetryReporter;
        std::string appVersion = "0.0.0";
        std::string appBundleID = "unknown";

        // The shared settings and stores, the system clock, and the trust check and workspace
        // of the platform's services, which outlive the panel. The hotkey registry is the
        // caller's to set.
        static Dependencies production(const platform::PlatformServices& services);
    };

    // The time between a row's activation and the opening of its menu, so that the panel's
    // window is gone first.
    static constexpr platform::Duration actionDelay = std::chrono::milliseconds(150);
    static constexpr platform::Duration actionFeedbackDisplayDuration = std::chrono::seconds(5);

    explicit OverflowPanelController(Dependencies dependencies);
    ~OverflowPanelController() override;

    // The panel's view, built on first use.
    OverflowPanelView& view();
    bool isViewLoaded() const { return panelView != nullptr; }

    // A new scan: the rows follow it, the selected item keeps its selection wherever it moved.
    void update(const Parlowen::ScanSnapshot& snapshot);
    // The version-2 identity of the selected row's item; none without a valid selection.
    std::optional<std::string> currentSelectionKey() const;
    // The rows for `scope` and the current query: the planner's sections laid end to end.
    std::vector<Parlowen::AXMenuBarItemRecord>
    filtered(const std::vector<Parlowen::AXMenuBarItemRecord>& items,
             Parlowen::OverflowPanelScope scope) const;
    Parlowen::OverflowPanelViewState currentViewState() const;
    // Shows rows, preview rows or the empty state of the current view state, and the footer.
    void applyGateToUI();

    void applySearchQuery(const std::string& query);
    void scopeChanged(Parlowen::OverflowPanelScope scope);
    void reloadScopeFromPreferences();
    void toggleFavorite(const Parlowen::AXMenuBarItemRecord& item);
    // The empty state's button while Accessibility is missing: opens its settings pane, nothing
    // else (no prompt, no rescan).
    void openAccessibilitySettingsTapped();

    // MARK: presentation
    // Shows the panel in a new window of its own, closing an earlier one first, focuses the
    // search field, activates the application and asks for a scan.
    void presentInRescueWindow();
    // Remembers the selection, leaves any shortcut setup and closes the panel's window.
    void closeCurrentPresentation();
    // The panel's own window while it exists (shown or closed by the user); none before the first
    // presentation and after `closeCurrentPresentation`.
    QWidget* rescueWindowController() const;
    void focusSearchFieldForKeyboard();

    // MARK: rows and feedback
    // A click or Return on a row: in the normal panel, closes it and opens the item's menu after
    // `actionDelay`.
    void activateRow(int row);
    void recordActionFeedback(const Parlowen::QuickOpenActionFeedback& feedback);
    void refreshActionFeedbackFromStore();
    void clearActionFeedback();
    const std::optional<Parlowen::QuickOpenActionFeedback>& actionFeedback() const {
        return lastActionFeedback;
    }

    // MARK: keyboard
    // Left and Right switch scope, Up and Down move the selection, Tab walks the controls,
    // Return acts on the focused control, typing goes into the search; true when handled.
    bool handlePanelKeyboardKey(const PanelKeyboardKey& key);
    void selectScopeFromKeyboard(Parlowen::OverflowPanelScope scope);
    void focusNextPanelControl(bool forward);
    void activateFocusedPanelControl();
    bool isSearchFieldFocused() const;
    void updatePanelKeyboardFocusStyles();

    // MARK: per-app shortcuts
    // Presents the panel as the shortcut setup list in a new window, as `presentInRescueWindow`
    // does; with a fixed item its recording starts at once. `onSaved` runs after a save, before
    // the window closes.
    void presentShortcutSetupWindow(Parlowen::PerAppHotKeySetupSource source,
                                    std::optional<Parlowen::AXMenuBarItemRecord> fixedItem,
                                    std::function<void()> onSaved);
    // Turns the panel into the setup list: every app, no query.
    void beginShortcutSetup(Parlowen::PerAppHotKeySetupSource source,
                            std::optional<Parlowen::AXMenuBarItemRecord> fixedItem,
                            std::function<void()> onSaved);
    // Selects the item's row and records the next chord for it.
    void beginPerAppHotKeyCapture(const Parlowen::AXMenuBarItemRecord& item,
                                  Parlowen::PerAppHotKeyTelemetrySource source);
    bool isRecordingHotKey(const Parlowen::AXMenuBarItemRecord& item) const;
    // Tries one recorded chord: held by another item (the conflict waits and recording goes
    // on), refused by the system, then the store's answer.
    void assignPerAppHotKey(const Parlowen::AXMenuBarItemRecord& item, std::uint32_t keyCode,
                            std::uint32_t modifierFlags);
    // The footer's Replace: the target takes the pending chord from the other item.
    void replacePendingHotKeyConflict();
    // The footer's Choose another: drops the pending conflict and records again.
    void chooseAnotherHotKeyShortcut();
    // Escape while recording; true when a recording was cancelled.
    bool cancelActivePerAppHotKeyCapture();
    // The stored bindings whose item the latest scan does not hold.
    std::int64_t notSeenBindingCount() const;
    const std::optional<Parlowen::AXMenuBarItemRecord>& activeHotKeyCaptureItem() const {
        return captureItem;
    }
    const std::optional<PendingPerAppHotKeyConflict>& pendingHotKeyConflict() const {
        return pendingConflict;
    }

    // Renders one of the fixed sample scenes (the visual snapshot mode).
    void renderVisualPreview(Parlowen::OverflowPanelVisualPreview scene);

    // Written by the hub from its own trust check before it re-renders and shows the panel.
    Parlowen::OverflowPanelAvailability availability =
        Parlowen::OverflowPanelAvailability::needsAccessibility;

    const std::vector<Parlowen::AXMenuBarItemRecord>& displayedItems() const { return rows; }
    Parlowen::OverflowPanelScope activeScope() const { return scope; }
    const std::string& searchQuery() const { return query; }
    const std::optional<Parlowen::ScanSnapshot>& latestSnapshot() const { return snapshot; }

    // The refresh button: run a scan.
    std::function<void()> onRequestRefresh;
    // The settings button: show the preferences.
    std::function<void()> onRequestPreferences;
    // The panel's window closed: back to the accessory activation policy.
    std::function<void()> onRescueWindowClosed;
    // A per-app shortcut was saved: register the hotkeys again and refresh the panel.
    std::function<void()> onPerAppHotKeyBindingsChanged;

    // Set by the shortcut setup; `closeCurrentPresentation` and every presentation reset it.
    OverflowPanelPresentationContext presentationContext = OverflowPanelPresentationContext::normal;

private:
    struct ShortcutSetup {
        Parlowen::PerAppHotKeySetupSource source = Parlowen::PerAppHotKeySetupSource::quickOpenRow;
        std::optional<Parlowen::AXMenuBarItemRecord> fixedItem;
        std::function<void()> onSaved;
    };

    void configureView();
    // Shows the panel in a new window after `prepare` readied it.
    void presentInNewWindow(const std::function<void()>& prepare);
    void prepareForPresentation();
    // No recording, no pending conflict, no setup.
    void resetShortcutSetup();
    // The source a recording gets: the setup's, else a row's.
    Parlowen::PerAppHotKeyTelemetrySource captureSourceForPresentation() const;
    // The window's raw key: a chord with a modifier while recording; true when taken.
    bool handleHotKeyCaptureKey(const platform::qt::MacKeyEvent& event);
    bool canRegister(const Parlowen::AXMenuBarItemRecord& item,
                     const Parlowen::PerAppHotKeyShortcut& shortcut) const;
    void completePerAppHotKeySave();
    void recordHotKeyFeedback(const Parlowen::AXMenuBarItemRecord& item, bool saved,
                              const std::string& message);
    // The bundle identifier of the item the binding names in the latest scan.
    std::optional<std::string> targetBundleID(const Parlowen::PerAppHotKeyBinding& binding) const;
    void reportPerAppHotKeySetupOpened(Parlowen::PerAppHotKeyTelemetrySource source);
    void reportPerAppHotKeyRecordingStarted(const Parlowen::AXMenuBarItemRecord& item,
                                            Parlowen::PerAppHotKeyTelemetrySource source);
    void reportPerAppHotKeySaveResult(const Parlowen::AXMenuBarItemRecord& item,
                                      Parlowen::PerAppHotKeyTelemetrySource source,
                                      Parlowen::PerAppHotKeyTelemetrySaveResult result,
                                      const std::optional<Parlowen::PerAppHotKeyShortcut>& shortcut,
                                      const std::optional<std::string>& conflictTargetAppBundleID,
                                      const std::optional<Parlowen::Date>& startedAt);
    void applyDefaultScopeFromPreferences();
    PanelKeyboardWindow* makeRescueWindow();
    void closeRescueWindow();
    void rescueWindowClosed();
    void focusSearchFieldOnce();
    void runOpenStep(const Parlowen::AXMenuBarItemRecord& item);
    void reportTelemetry(const Parlowen::AXMenuBarItemRecord& item,
                         const Parlowen::QuickOpenActionFeedback& feedback,
                         const std::vector<QelCore::ActionAttemptLog>& attempts, double duration);
    void scheduleActionFeedbackExpiry(platform::Duration after);
    void actionFeedbackExpired();
    void renderFooter();
    void focusBestTargetAfterScopeKeyboardSelection();
    std::vector<QWidget*> panelFocusableViews() const;
    bool isKeyboardVisible(const QWidget* view) const;
    bool hidesToHiddenOnly(Parlowen::OverflowPanelScope requested) const;
    void updateHeader();
    void resizeTableForCurrentRows();
    void reloadTable();
    void restoreSelection(const std::optional<std::string>& key);
    void selectFirstRowForKeyboardIfNeeded();
    void refreshVisibleRowSelectionStyles();
    void renderVisualPreviewRows();
    // The re-render order after every change of the list.
    void rerender(const std::optional<std::string>& selectionKey);
    void populateRow(OverflowRowView& row, int index);
    void tableSelectionChanged();
    // The row index selected; -1 when the item is not listed.
    int selectRowOfItem(const Parlowen::AXMenuBarItemRecord& item);
    // The chord of the item's per-app shortcut, a legacy version-1 binding included.
    std::optional<QString> shortcutText(const Parlowen::AXMenuBarItemRecord& item) const;
    // The running application's icon; a null pixmap when it has none.
    QPixmap appIcon(const Parlowen::AXMenuBarItemRecord& item) const;
    // From the Accessibility trust check, never prompting.
    Parlowen::OverflowPanelAvailability trustedAvailability() const;
    // The query and the search field's text, without a search on the way.
    void clearSearchQuery();
    Parlowen::OverflowPanelAvailability effectiveAvailability() const;
    Parlowen::QuickAccessModifierShortcut effectiveShortcut() const;
    void setSnapshot(std::optional<Parlowen::ScanSnapshot> scan);

    Dependencies dependencies;
    std::unique_ptr<OverflowPanelView> panelView;
    std::vector<Parlowen::AXMenuBarItemRecord> rows;
    std::optional<Parlowen::ScanSnapshot> snapshot;
    // Displayable hidden items of `snapshot`.
    std::int64_t hiddenCount = 0;
    std::optional<std::string> preferredSelectionKey;
    Parlowen::OverflowPanelScope scope;
    std::string query;
    std::optional<OverflowPanelVisualPreviewContext> visualPreviewContext;
    // Read once per reload instead of once per row.
    bool diagnosticLabelsEnabled = false;
    // Released later: the window may be closed from inside one of its own handlers.
    QPointer<PanelKeyboardWindow> rescueWindow;
    std::optional<Parlowen::QuickOpenActionFeedback> lastActionFeedback;
    // The recording time of the feedback whose expiry is pending; bumping the generation
    // disarms every earlier expiry.
    std::optional<platform::WallTime> feedbackRecordedAt;
    std::uint64_t feedbackGeneration = 0;
    PanelReturnTarget panelReturnTarget = PanelReturnTarget::focusedControl;
    // Set while `presentationContext` is `shortcutSetup`.
    std::optional<ShortcutSetup> shortcutSetup;
    // The item whose chord is being recorded; none while nothing records.
    std::optional<Parlowen::AXMenuBarItemRecord> captureItem;
    Parlowen::PerAppHotKeyTelemetrySource captureSource =
        Parlowen::PerAppHotKeyTelemetrySource::quickOpenRow;
    std::optional<Parlowen::Date> captureStartedAt;
    std::optional<PendingPerAppHotKeyConflict> pendingConflict;
};
