#pragma once

#include "Parlowen/Items/ReferenceDate.h"
#include "Parlowen/Items/ScanSnapshot.h"
#include "Parlowen/Opening/QuickOpenActionFeedback.h"
#include "Parlowen/QuickOpen/OverflowPanelAvailability.h"
#include "Parlowen/QuickOpen/OverflowPanelViewState.h"
#include "Parlowen/QuickOpen/OverflowPanelVisualPreview.h"
#include "Parlowen/Settings/OverflowPanelScope.h"
#include "Parlowen/Settings/QuickAccessModifierShortcut.h"
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

namespace Parlowen {
class AppPreferences;
class CompatibilityStore;
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
        std::string appVersion = "0.0.0";
        std::string appBundleID = "unknown";

        // The shared settings and stores, the system clock, and the trust check and workspace
        // of the platform's services, which outlive the panel.
        static Dependencies production(const platform::PlatformServices& services);
        // Reports every failure and a `successRate` share (0 to 1) of the other outcomes.
        static std::function<bool(Parlowen::QuickOpenActionOutcome)>
        sampledTelemetry(double successRate);
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

    // Set by the shortcut setup; `closeCurrentPresentation` and every presentation reset it.
    OverflowPanelPresentationContext presentationContext = OverflowPanelPresentationContext::normal;

private:
    void configureView();
    void prepareForPresentation();
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
};
