#pragma once

#include "Parlowen/Hotkeys/PerAppHotKeyBinding.h"
#include "Parlowen/Hotkeys/PerAppHotKeyResolver.h"
#include "Parlowen/Items/AXMenuBarItemRecord.h"
#include "Parlowen/Telemetry/PerAppHotKeyTelemetrySource.h"

#include <QDialog>
#include <QPointer>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QLabel;
class QScrollArea;
class QVBoxLayout;
struct PreferencesServices;

namespace Parlowen {
class TessalineSecondaryButton;
}

// The "App menu bar shortcuts" window: its own panel, closed by Command-W, Escape or Close.
class PerAppHotKeyManagementPanel : public QDialog {
public:
    explicit PerAppHotKeyManagementPanel(QWidget* parent);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool event(QEvent* event) override;
};

// Lists every stored per-app hotkey with its chord and whether its item is in the latest scan;
// removes one or all unseen ones here, and hands adding and changing to its owner. Destroying
// it (also from inside one of its handlers) hides the panel and releases it later.
class PerAppHotKeyManagementViewController {
public:
    using RefreshCallback = std::function<void()>;

    struct Callbacks {
        std::function<std::optional<std::vector<Parlowen::AXMenuBarItemRecord>>()>
            menuBarItemsProvider;
        std::function<void()> onBindingsChanged;
        std::function<void(RefreshCallback)> onAddShortcut;
        std::function<void(const Parlowen::PerAppHotKeyBinding&, RefreshCallback)> onChangeShortcut;
    };

    // A sheet on `parentWindow` when one is given, else a window of its own.
    PerAppHotKeyManagementViewController(const PreferencesServices& services, Callbacks callbacks,
                                         QWidget* parentWindow);
    ~PerAppHotKeyManagementViewController();

    // Shows the panel, window-modal on its parent.
    void present();
    void render();
    // Newest first, resolved against the latest scan; all available before the first scan.
    std::vector<Parlowen::PerAppHotKeyResolution> currentResolutions() const;
    void closeWindow();

    PerAppHotKeyManagementPanel* panel() const { return panelWidget; }
    void addShortcut();
    void clearStale();
    void remove(const Parlowen::MenuBarItemStableIdentity& identity);

private:
    QWidget* makeRow(const Parlowen::PerAppHotKeyResolution& resolution, bool hasSeparator,
                     std::size_t index);
    // The window grows with the list up to its most rows; longer lists scroll.
    void fitListToRows();
    void reportRemoval(Parlowen::PerAppHotKeyTelemetrySource source, std::size_t count);
    RefreshCallback completion();

    const PreferencesServices& services;
    Callbacks callbacks;
    QPointer<PerAppHotKeyManagementPanel> panelWidget;
    QLabel* summaryPill = nullptr;
    QScrollArea* list = nullptr;
    QVBoxLayout* rowsStack = nullptr;
    Parlowen::TessalineSecondaryButton* clearStaleButton = nullptr;
    std::shared_ptr<PerAppHotKeyManagementViewController*> alive;
};
