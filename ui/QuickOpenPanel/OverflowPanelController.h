#pragma once

#include "Parlowen/Items/ReferenceDate.h"
#include "Parlowen/Items/ScanSnapshot.h"
#include "Parlowen/QuickOpen/OverflowPanelAvailability.h"
#include "Parlowen/QuickOpen/OverflowPanelViewState.h"
#include "Parlowen/QuickOpen/OverflowPanelVisualPreview.h"
#include "Parlowen/Settings/OverflowPanelScope.h"
#include "Parlowen/Settings/QuickAccessModifierShortcut.h"

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
class Workspace;
} // namespace platform

namespace Parlowen {
class AppPreferences;
class FavoriteMenuBarItemStore;
class PerAppHotKeyStore;
class RecentMenuBarItemStore;
} // namespace Parlowen

class OverflowPanelView;
class OverflowRowView;

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
        // Application icons and the opening of the Accessibility settings.
        platform::Workspace* workspace = nullptr;

        // The shared settings and stores, the system clock, and the trust check and workspace
        // of the platform's services, which outlive the panel.
        static Dependencies production(const platform::PlatformServices& services);
    };

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

private:
    void configureView();
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
    void selectRowOfItem(const Parlowen::AXMenuBarItemRecord& item);
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
};
