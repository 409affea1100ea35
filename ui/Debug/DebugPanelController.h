#pragma once

#include "Parlowen/Scanning/ScreenChangeObserver.h"
#include "core/ActionAttemptLog.h"
#include "platform/PlatformServices.h"
#include "ui/Debug/DebugPanelText.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QLabel;
class QPlainTextEdit;
class QTableWidget;
class QWidget;

namespace Parlowen {
class AppPreferences;
}

// The window of the "--debug" mode: what one scan sees, item by item, with a button that tries
// the product's menu-opening road on the selected item, a copyable experiment log and a scan dump
// rewritten after every scan. Main thread only; scans and attempts block it while they run.
class DebugPanelController : public QObject {
public:
    // The file in the diagnostics folder that every scan rewrites.
    static constexpr const char* scanDumpFileName = "tessaline-last-scan.txt";

    // Builds the window, starts watching the displays, shows the trust state and scans.
    DebugPanelController(const platform::PlatformServices& services,
                         const Parlowen::AppPreferences& preferences);
    ~DebugPanelController() override;

    QWidget* window() const { return window_; }
    // The window was closed by its user: the debug mode ends.
    std::function<void()> onClosed;

    void promptForPermission();
    void refreshManually();
    // Tries to open the selected item's menu; without a selection nothing happens.
    void trySelectedAction();
    // Puts the experiment log on the clipboard and shows it.
    void copyLogs();

    const DebugPanelText::ScanState& scan() const { return scan_; }
    // Every attempt made from this panel since it opened, oldest first.
    const std::vector<QelCore::ActionAttemptLog>& logs() const { return logs_; }
    QLabel* statusLabel() const { return statusLabel_; }
    QTableWidget* tableView() const { return tableView_; }
    QPlainTextEdit* detailsTextView() const { return detailsTextView_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setupUI();
    void configureTableView();
    void refreshScan(const std::string& reason);
    void reloadTable();
    void selectionChanged();
    void showDetails(const std::string& text);
    void showTrust(bool trusted);
    bool isTrusted(bool prompt) const;
    std::string now() const;
    void writeScanDiagnostic(const std::string& reason);

    platform::PlatformServices services_;
    const Parlowen::AppPreferences& preferences_;
    QPointer<QWidget> window_;
    QLabel* statusLabel_ = nullptr;
    QTableWidget* tableView_ = nullptr;
    QPlainTextEdit* detailsTextView_ = nullptr;
    std::unique_ptr<Parlowen::ScreenChangeObserver> observer_;
    DebugPanelText::ScanState scan_;
    std::vector<QelCore::ActionAttemptLog> logs_;
};
