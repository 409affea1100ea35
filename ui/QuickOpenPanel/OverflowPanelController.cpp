#include "ui/QuickOpenPanel/OverflowPanelController.h"

#include "Parlowen/Hotkeys/HotKeyFormatter.h"
#include "Parlowen/Hotkeys/PerAppHotKeyStore.h"
#include "Parlowen/Items/MenuBarItemStableIdentity.h"
#include "Parlowen/Opening/ActionRunner.h"
#include "Parlowen/Opening/CompatibilityStore.h"
#include "Parlowen/QuickOpen/FavoriteMenuBarItemStore.h"
#include "Parlowen/QuickOpen/OverflowPanelCopy.h"
#include "Parlowen/QuickOpen/OverflowPanelHeader.h"
#include "Parlowen/QuickOpen/OverflowPanelRows.h"
#include "Parlowen/QuickOpen/QuickOpenListPlanner.h"
#include "Parlowen/QuickOpen/RecentMenuBarItemStore.h"
#include "Parlowen/Scanning/AccessibilityTrustProbe.h"
#include "Parlowen/Settings/AppPreferences.h"
#include "Parlowen/Settings/L10n.h"
#include "Parlowen/Status/ScanStatusStore.h"
#include "Parlowen/Telemetry/CrashReporter.h"
#include "Parlowen/Telemetry/QuickOpenTelemetrySampling.h"
#include "platform/PlatformServices.h"
#include "ui/Design/ElidingLabel.h"
#include "ui/Design/TessalineSecondaryButton.h"
#include "ui/QuickOpenPanel/AppIconImage.h"
#include "ui/QuickOpenPanel/OverflowPanelView.h"
#include "ui/QuickOpenPanel/OverflowRowView.h"
#include "ui/QuickOpenPanel/PanelIconButton.h"
#include "ui/QuickOpenPanel/PanelKeyboardTableView.h"
#include "ui/QuickOpenPanel/PanelKeyboardWindow.h"
#include "ui/QuickOpenPanel/PanelScopeControl.h"
#include "ui/QuickOpenPanel/PanelSearchField.h"
#include "ui/QuickOpenPanel/SampleAppIconFactory.h"

#include <QAbstractButton>
#include <QApplication>
#include <QPushButton>
#include <QVBoxLayout>

#include <chrono>

using namespace Parlowen;

namespace {

QString qt(const std::string& text) {
    return QString::fromStdString(text);
}

} // namespace

OverflowPanelController::Dependencies
OverflowPanelController::Dependencies::production(const platform::PlatformServices& services) {
    Dependencies dependencies;
    dependencies.preferences = &AppPreferences::shared();
    dependencies.recentStore = &RecentMenuBarItemStore::shared();
    dependencies.favoriteStore = &FavoriteMenuBarItemStore::shared();
    dependencies.perAppHotKeyStore = &PerAppHotKeyStore::shared();
    dependencies.now = [] {
        return std::chrono::time_point_cast<platform::Duration>(std::chrono::system_clock::now());
    };
    dependencies.accessibilityTrustChecker =
        [probe = AccessibilityTrustProbe::live(services.accessibility)] {
            return probe.isTrusted(false);
        };
    dependencies.workspace = &services.workspace;
    dependencies.mainLoop = &services.mainLoop;
    dependencies.compatibilityStore = &CompatibilityStore::shared();
    dependencies.statusStore = &ScanStatusStore::shared();
    // The services struct may be a temporary; the referenced services outlive the panel.
    auto held = std::make_shared<const platform::PlatformServices>(services);
    ActionRunner::LiveSettings settings;
    settings.hasVisibleWindow = [] {
        const auto windows = QApplication::topLevelWidgets();
        return std::any_of(windows.begin(), windows.end(),
                           [](const QWidget* window) { return window->isVisible(); });
    };
    auto configuration = std::make_shared<const ActionRunner::Configuration>(
        ActionRunner::Configuration::live(*held, settings));
    dependencies.actionRunner = [held, configuration](const AXMenuBarItemRecord& item) {
        return ActionRunner::runPreferredActions(item, *configuration);
    };
    dependencies.telemetrySampler =
        QuickOpenTelemetrySampling::sampler(platform::currentProcessEnvironment);
    dependencies.telemetryReporter = [](const QuickOpenTelemetryEvent& event) {
        CrashReporter::shared().captureDiagnosticEvent(event.diagnosticEvent(), std::nullopt);
    };
    dependencies.diagnosticTelemetryReporter = [](const DiagnosticTelemetryEvent& event) {
        CrashReporter::shared().captureDiagnosticEvent(event, std::nullopt);
    };
    dependencies.appVersion =
        platform::infoString(services.bundle, platform::kCFBundleShortVersionStringKey)
            .value_or("0.0.0");
    dependencies.appBundleID = services.bundle.bundleIdentifier().value_or("unknown");
    return dependencies;
}

OverflowPanelController::OverflowPanelController(Dependencies dependencies)
    : dependencies(std::move(dependencies)), scope(this->dependencies.preferences->panelScope()) {}

OverflowPanelController::~OverflowPanelController() {
    ++feedbackGeneration;
    onRescueWindowClosed = nullptr;
    closeRescueWindow();
    if (panelView) {
        // The views go first, while the state their callbacks would read still exists.
        panelView->scopeControl->onChange = nullptr;
        panelView->tableView->populateRow = nullptr;
        panelView->tableView->onSelectionChanged = nullptr;
        panelView->tableView->onRowClick = nullptr;
        panelView.reset();
    }
}

OverflowPanelView& OverflowPanelController::view() {
    if (!panelView) {
        panelView = std::make_unique<OverflowPanelView>();
        configureView();
        rerender(std::nullopt);
    }
    return *panelView;
}

void OverflowPanelController::configureView() {
    QPointer<OverflowPanelController> weak(this);
    auto& panel = *panelView;
    panel.scopeControl->selectedScope = scope;
    panel.scopeControl->onChange = [weak](OverflowPanelScope scope) {
        if (weak) {
            weak->scopeChanged(scope);
        }
    };
    panel.tableView->populateRow = [weak](OverflowRowView& row, int index) {
        if (weak) {
            weak->populateRow(row, index);
        }
    };
    panel.tableView->onSelectionChanged = [weak] {
        if (weak) {
            weak->tableSelectionChanged();
        }
    };
    panel.tableView->onRowClick = [weak](int row) {
        if (weak) {
            weak->activateRow(row);
        }
    };
    panel.searchField->onQueryChanged = [this](const QString& text) {
        applySearchQuery(text.toStdString());
    };
    connect(panel.emptyActionButton, &QAbstractButton::clicked, this,
            [this] { openAccessibilitySettingsTapped(); });
    connect(panel.refreshButton, &QAbstractButton::clicked, this, [this] {
        panelView->panelSubtitleLabel->setText(
            qt(L10n::string("panel.refreshing", "Refreshing...")));
        if (auto callback = onRequestRefresh) {
            callback();
        }
    });
    connect(panel.replaceHotKeyButton, &QAbstractButton::clicked, this,
            [this] { replacePendingHotKeyConflict(); });
    connect(panel.chooseAnotherHotKeyButton, &QAbstractButton::clicked, this,
            [this] { chooseAnotherHotKeyShortcut(); });
    connect(panel.settingsButton, &QAbstractButton::clicked, this, [this] {
        if (auto callback = onRequestPreferences) {
            callback();
        }
        closeCurrentPresentation();
    });
}

// MARK: state

void OverflowPanelController::setSnapshot(std::optional<ScanSnapshot> scan) {
    snapshot = std::move(scan);
    // Counted once per scan: every render reads it, and it depends on the scan alone.
    hiddenCount =
        snapshot ? QuickOpenListPlanner::displayableHiddenCount(snapshot->items, snapshot->screens)
                 : 0;
}

OverflowPanelAvailability OverflowPanelController::trustedAvailability() const {
    return dependencies.accessibilityTrustChecker && dependencies.accessibilityTrustChecker()
               ? OverflowPanelAvailability::available
               : OverflowPanelAvailability::needsAccessibility;
}

void OverflowPanelController::clearSearchQuery() {
    query.clear();
    view().searchField->replaceQuietly({});
}

OverflowPanelAvailability OverflowPanelController::effectiveAvailability() const {
    return visualPreviewContext ? visualPreviewContext->availability : availability;
}

QuickAccessModifierShortcut OverflowPanelController::effectiveShortcut() const {
    return visualPreviewContext ? visualPreviewContext->quickAccessShortcut
                                : dependencies.preferences->quickAccessModifierShortcut();
}

OverflowPanelViewState OverflowPanelController::currentViewState() const {
    return OverflowPanelViewState::make(
        {hiddenCount, rows.size(), query, effectiveAvailability(), effectiveShortcut()});
}

std::vector<AXMenuBarItemRecord>
OverflowPanelController::filtered(const std::vector<AXMenuBarItemRecord>& items,
                                  OverflowPanelScope scope) const {
    static const std::vector<QelCore::ScreenSnapshot> noScreens;
    return OverflowPanelRows::filtered(items, snapshot ? snapshot->screens : noScreens, scope,
                                       query, *dependencies.recentStore,
                                       *dependencies.favoriteStore);
}

std::optional<std::string> OverflowPanelController::currentSelectionKey() const {
    if (!panelView) {
        return std::nullopt;
    }
    const int selected = panelView->tableView->selectedRow();
    if (selected < 0 || static_cast<std::size_t>(selected) >= rows.size()) {
        return std::nullopt;
    }
    return MenuBarItemStableIdentity::of(rows[static_cast<std::size_t>(selected)]).rawValue;
}

void OverflowPanelController::update(const ScanSnapshot& scan) {
    const auto key = currentSelectionKey();
    setSnapshot(scan);
    rows = filtered(scan.items, scope);
    availability = trustedAvailability();
    rerender(key);
}

void OverflowPanelController::applySearchQuery(const std::string& text) {
    query = text;
    if (snapshot) {
        rows = filtered(snapshot->items, scope);
    }
    rerender(std::nullopt);
}

// The hidden-only setting locks the normal panel to hidden items; the shortcut setup lists
// every app whatever the setting.
bool OverflowPanelController::hidesToHiddenOnly(OverflowPanelScope requested) const {
    return requested == OverflowPanelScope::allRightSide &&
           presentationContext == OverflowPanelPresentationContext::normal &&
           dependencies.preferences->panelScope() == OverflowPanelScope::hiddenOnly;
}

void OverflowPanelController::scopeChanged(OverflowPanelScope requested) {
    if (hidesToHiddenOnly(requested)) {
        return;
    }
    const auto key = currentSelectionKey();
    scope = requested;
    if (snapshot) {
        rows = filtered(snapshot->items, scope);
    }
    rerender(key);
}

void OverflowPanelController::reloadScopeFromPreferences() {
    const auto key = currentSelectionKey();
    applyDefaultScopeFromPreferences();
    rerender(key);
}

void OverflowPanelController::applyDefaultScopeFromPreferences() {
    scope = dependencies.preferences->panelScope();
    if (snapshot) {
        rows = filtered(snapshot->items, scope);
    }
    if (panelView) {
        panelView->scopeControl->selectedScope = scope;
        panelView->scopeControl->update();
    }
}

void OverflowPanelController::toggleFavorite(const AXMenuBarItemRecord& item) {
    const auto identity = MenuBarItemStableIdentity::of(item);
    auto& favorites = *dependencies.favoriteStore;
    if (favorites.isFavorite(identity)) {
        favorites.unfavorite(identity);
    } else {
        favorites.favorite(item, dependencies.now());
    }
    if (snapshot) {
        rows = filtered(snapshot->items, scope);
    }
    rerender(identity.rawValue);
}

// MARK: rendering

// Without a key the selection stays where it is while that row exists, else goes to row 0.
void OverflowPanelController::rerender(const std::optional<std::string>& selectionKey) {
    if (!panelView) {
        return;
    }
    updateHeader();
    resizeTableForCurrentRows();
    reloadTable();
    restoreSelection(selectionKey);
    refreshVisibleRowSelectionStyles();
    renderVisualPreviewRows();
    applyGateToUI();
}

void OverflowPanelController::updateHeader() {
    if (presentationContext == OverflowPanelPresentationContext::shortcutSetup) {
        panelView->renderHeader(
            qt(L10n::string("quick_open.hotkey.setup.title", "Choose an app for a shortcut")),
            qt(L10n::string("quick_open.hotkey.setup.subtitle",
                            "Search menu bar apps, then press a shortcut for the selected app")),
            false, scope);
        return;
    }
    const auto state = currentViewState();
    const bool searching = hasSearchQuery(query);
    OverflowPanelHeader::SubtitleInputs inputs;
    inputs.availability = effectiveAvailability();
    inputs.listEmpty = rows.empty();
    inputs.hiddenCount = hiddenCount;
    inputs.hasSearchQuery = searching;
    if (snapshot) {
        inputs.scannedAt = snapshot->scanStartedAt;
    }
    inputs.now = dependencies.now();
    // Rows listed in the all-right-side scope answer the question without a second search.
    const bool allRightSideEmpty =
        scope == OverflowPanelScope::allRightSide && !rows.empty()
            ? false
            : (snapshot ? filtered(snapshot->items, OverflowPanelScope::allRightSide).empty()
                        : rows.empty());
    panelView->renderHeader(
        qt(state.header.title), qt(OverflowPanelHeader::subtitle(inputs)),
        OverflowPanelHeader::showsScopeControl(effectiveAvailability(), allRightSideEmpty,
                                               searching, dependencies.preferences->panelScope()),
        scope);
}

void OverflowPanelController::resizeTableForCurrentRows() {
    auto& table = *panelView->tableView;
    table.setGeometry(0, table.y(), panelView->tableWidth(),
                      PanelKeyboardTableView::heightFor(static_cast<int>(rows.size())));
}

void OverflowPanelController::reloadTable() {
    diagnosticLabelsEnabled = dependencies.preferences->labelsEnabled();
    panelView->tableView->reloadData(static_cast<int>(rows.size()));
}

void OverflowPanelController::restoreSelection(const std::optional<std::string>& key) {
    auto& table = *panelView->tableView;
    if (rows.empty()) {
        table.deselectAll();
        return;
    }
    if (key) {
        for (std::size_t index = 0; index < rows.size(); ++index) {
            if (MenuBarItemStableIdentity::of(rows[index]).rawValue == *key) {
                table.selectRow(static_cast<int>(index), false);
                return;
            }
        }
    }
    selectFirstRowForKeyboardIfNeeded();
}

void OverflowPanelController::selectFirstRowForKeyboardIfNeeded() {
    auto& table = *panelView->tableView;
    if (rows.empty()) {
        table.deselectAll();
        return;
    }
    const int selected = table.selectedRow();
    if (selected < 0 || static_cast<std::size_t>(selected) >= rows.size()) {
        table.selectRow(0, true);
    }
    refreshVisibleRowSelectionStyles();
}

void OverflowPanelController::tableSelectionChanged() {
    if (auto key = currentSelectionKey()) {
        preferredSelectionKey = std::move(key);
    }
    refreshVisibleRowSelectionStyles();
}

void OverflowPanelController::refreshVisibleRowSelectionStyles() {
    auto& table = *panelView->tableView;
    for (const int index : table.rowsWithViews()) {
        if (auto* row = table.existingRowView(index)) {
            row->isSelectedForKeyboard = index == table.selectedRow();
            row->renderBackground();
            const auto& item = rows[static_cast<std::size_t>(index)];
            if (isRecordingHotKey(item)) {
                row->renderHotKeyRecording();
            } else {
                row->renderHotKeyButton(shortcutText(item));
            }
        }
    }
}

void OverflowPanelController::populateRow(OverflowRowView& row, int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= rows.size()) {
        return;
    }
    const AXMenuBarItemRecord& item = rows[static_cast<std::size_t>(index)];
    const bool isFavorite =
        dependencies.favoriteStore->isFavorite(MenuBarItemStableIdentity::of(item));
    row.populate(item, isFavorite, shortcutText(item), isRecordingHotKey(item),
                 diagnosticLabelsEnabled, appIcon(item));
    QPointer<OverflowPanelController> weak(this);
    row.onHotKeyCaptureBegin = [weak, item] {
        if (weak) {
            weak->beginPerAppHotKeyCapture(item, weak->captureSourceForPresentation());
        }
    };
    // Only the row being recorded takes a chord, and it goes to the recording's item.
    row.onHotKeyCapture = [weak, item](std::uint32_t keyCode, std::uint32_t modifiers) {
        if (weak && weak->isRecordingHotKey(item)) {
            const AXMenuBarItemRecord target = *weak->captureItem;
            weak->assignPerAppHotKey(target, keyCode, modifiers);
        }
    };
    row.onFavoriteToggle = [weak, item] {
        if (weak) {
            weak->toggleFavorite(item);
        }
    };
    row.onActivate = [weak, item] {
        if (weak) {
            if (const int index = weak->selectRowOfItem(item); index >= 0) {
                weak->activateRow(index);
            }
        }
    };
    row.isSelectedForKeyboard = index == panelView->tableView->selectedRow();
    row.renderBackground();
}

std::optional<QString>
OverflowPanelController::shortcutText(const AXMenuBarItemRecord& item) const {
    const auto binding = dependencies.perAppHotKeyStore->binding(item);
    if (!binding) {
        return std::nullopt;
    }
    return qt(HotKeyFormatter::format(binding->shortcut.keyCode, binding->shortcut.modifierFlags));
}

QPixmap OverflowPanelController::appIcon(const AXMenuBarItemRecord& item) const {
    const auto icon = dependencies.workspace->iconForApplication(item.pid);
    return icon ? AppIconImage::pixmap(*icon, SampleAppIconFactory::iconSize,
                                       panelView->devicePixelRatioF(),
                                       AppIconImage::Scaling::proportionallyDown)
                : QPixmap();
}

void OverflowPanelController::openAccessibilitySettingsTapped() {
    dependencies.workspace->openURL(
        "x-apple.systempreferences:com.apple.preference.security?Privacy_Accessibility");
}

int OverflowPanelController::selectRowOfItem(const AXMenuBarItemRecord& item) {
    const auto identity = MenuBarItemStableIdentity::of(item);
    for (std::size_t index = 0; index < rows.size(); ++index) {
        if (MenuBarItemStableIdentity::of(rows[index]) == identity) {
            panelView->tableView->selectRow(static_cast<int>(index), false);
            return static_cast<int>(index);
        }
    }
    return -1;
}

void OverflowPanelController::renderVisualPreviewRows() {
    auto& layout = *panelView->visualRowsLayout;
    while (auto* entry = layout.takeAt(0)) {
        if (auto* widget = entry->widget()) {
            widget->hide();
            widget->deleteLater();
        }
        delete entry;
    }
    if (!visualPreviewContext) {
        panelView->visualRowsContainer->hide();
        return;
    }
    for (const auto& item : rows) {
        auto* row = new OverflowRowView(QStringLiteral("panel.visual-row"));
        row->populate(item, false, std::nullopt, false, false);
        row->clearCallbacks();
        row->setFixedWidth(panelView->tableWidth());
        layout.addWidget(row);
    }
    panelView->placeVisualRows();
}

void OverflowPanelController::applyGateToUI() {
    if (!panelView) {
        return;
    }
    const auto state = currentViewState();
    if (state.content == OverflowPanelContentState::rows) {
        panelView->showContent(!visualPreviewContext, visualPreviewContext.has_value(), false);
    } else {
        if (state.empty) {
            panelView->renderEmptyState(*state.empty);
        }
        panelView->showContent(false, false, true);
    }
    renderFooter();
}

void OverflowPanelController::renderFooter() {
    if (!panelView) {
        return;
    }
    // First match: a pending conflict, a recording, the action feedback. The preview's status
    // line stays empty.
    QString status;
    if (pendingConflict) {
        status = qt(
            L10n::format(L10n::string("quick_open.hotkey.conflict", "%@ is already assigned to %@"),
                         {HotKeyFormatter::format(pendingConflict->shortcut.keyCode,
                                                  pendingConflict->shortcut.modifierFlags),
                          pendingConflict->existing.displayName}));
    } else if (captureItem) {
        status = qt(
            L10n::format(L10n::string("quick_open.hotkey.recording_for", "Press shortcut for %@"),
                         {OverflowPanelCopy::rowTitle(*captureItem)}));
    } else if (lastActionFeedback) {
        status = qt(lastActionFeedback->message);
    }
    if (visualPreviewContext) {
        status.clear();
    }
    panelView->renderFooter(qt(currentViewState().footer.quickAccessHint), status,
                            pendingConflict.has_value() && !visualPreviewContext);
}

// MARK: visual preview

void OverflowPanelController::renderVisualPreview(OverflowPanelVisualPreview scene) {
    using enum OverflowPanelVisualPreview;
    auto& panel = view();
    visualPreviewContext = OverflowPanelVisualPreviewContext{
        scene == missingPermission ? OverflowPanelAvailability::needsAccessibility
                                   : OverflowPanelAvailability::available,
        dependencies.preferences->quickAccessModifierShortcut()};
    scope =
        scene == hiddenIcons ? OverflowPanelScope::hiddenOnly : OverflowPanelScope::allRightSide;
    clearSearchQuery();
    switch (scene) {
    case hiddenIcons:
    case quickOpenSearch:
        setSnapshot(OverflowPanelVisualPreviewData::makeVisualPreviewSnapshot(true));
        break;
    case quickOpenNoHidden:
    case allClear:
        setSnapshot(OverflowPanelVisualPreviewData::makeVisualPreviewSnapshot(false));
        break;
    case missingPermission:
        setSnapshot(std::nullopt);
        break;
    }
    if (scene == quickOpenSearch) {
        query = "drop";
        panel.searchField->replaceQuietly(QStringLiteral("drop"));
    }
    rows = snapshot && scene != allClear ? filtered(snapshot->items, scope)
                                         : std::vector<AXMenuBarItemRecord>{};
    availability = visualPreviewContext->availability;
    panel.scopeControl->selectedScope = scope;
    rerender(std::nullopt);
}
