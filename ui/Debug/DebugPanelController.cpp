#include "ui/Debug/DebugPanelController.h"

#include "Parlowen/Opening/ActionRunner.h"
#include "Parlowen/Scanning/AccessibilityTrustProbe.h"
#include "Parlowen/Scanning/MenuBarScanner.h"
#include "Parlowen/Scanning/ScreenProbe.h"
#include "Parlowen/Settings/AppPreferences.h"
#include "Parlowen/Settings/DiagnosticsAppender.h"
#include "core/RawValue.h"
#include "platform/IsoTimestamp.h"

#include <QClipboard>
#include <QEvent>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

QString qt(const std::string& text) {
    return QString::fromStdString(text);
}

struct Column {
    const char* identifier;
    const char* title;
    int width;
};

constexpr Column columns[] = {
    {"app", "App", 150},
    {"title", "Title", 180},
    {"role", "Role", 120},
    {"screen", "Screen", 140},
    {"classification", "Classification", 140},
    {"actions", "Actions", 260},
};

std::string cellText(const Parlowen::AXMenuBarItemRecord& item, std::string_view column) {
    if (column == "app") {
        return item.appName;
    }
    if (column == "title") {
        return item.title;
    }
    if (column == "role") {
        return item.role;
    }
    if (column == "screen") {
        return item.screenID.value_or("-");
    }
    if (column == "classification") {
        return DebugPanelText::classificationName(item);
    }
    if (column == "actions") {
        std::string joined;
        for (const auto& action : item.actions) {
            joined += (joined.empty() ? "" : ",") + action;
        }
        return joined;
    }
    return {};
}

} // namespace

DebugPanelController::DebugPanelController(const platform::PlatformServices& services,
                                           const Parlowen::AppPreferences& preferences)
    : services_(services), preferences_(preferences) {
    setupUI();
    observer_ =
        std::make_unique<Parlowen::ScreenChangeObserver>(services_.displays, services_.mainLoop);
    QPointer<DebugPanelController> weak(this);
    observer_->onChange = [weak] {
        if (weak) {
            weak->refreshScan("screen-configuration-changed");
        }
    };
    observer_->start();
    showTrust(isTrusted(false));
    refreshScan("launch");
}

DebugPanelController::~DebugPanelController() {
    observer_.reset();
    delete window_.data();
}

bool DebugPanelController::eventFilter(QObject* watched, QEvent* event) {
    if (watched == window_.data() && event->type() == QEvent::Close && event->isAccepted() &&
        onClosed) {
        const auto closed = onClosed;
        closed();
    }
    return QObject::eventFilter(watched, event);
}

void DebugPanelController::setupUI() {
    auto* window = new QWidget;
    window->setObjectName("debug.window");
    window->setWindowTitle("Parlowen");
    window->setGeometry(80, 80, 1280, 820);
    window->installEventFilter(this);
    window_ = window;

    auto* stack = new QVBoxLayout(window);
    stack->setContentsMargins(16, 16, 16, 16);
    stack->setSpacing(12);

    statusLabel_ = new QLabel("Accessibility: unknown");
    statusLabel_->setObjectName("debug.status");
    stack->addWidget(statusLabel_);

    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(8);
    const auto addButton = [&](const char* title, void (DebugPanelController::*action)()) {
        auto* button = new QPushButton(title);
        connect(button, &QPushButton::clicked, this, action);
        buttons->addWidget(button);
    };
    addButton("Request Accessibility", &DebugPanelController::promptForPermission);
    addButton("Refresh Scan", &DebugPanelController::refreshManually);
    addButton("Try Selected Action", &DebugPanelController::trySelectedAction);
    addButton("Copy Experiment Log", &DebugPanelController::copyLogs);
    buttons->addStretch(1);
    stack->addLayout(buttons);

    tableView_ = new QTableWidget;
    tableView_->setObjectName("debug.table");
    configureTableView();
    tableView_->setFixedHeight(420);
    stack->addWidget(tableView_);

    detailsTextView_ = new QPlainTextEdit;
    detailsTextView_->setObjectName("debug.details");
    detailsTextView_->setReadOnly(true);
    QFont monospaced = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    monospaced.setPixelSize(12);
    detailsTextView_->setFont(monospaced);
    detailsTextView_->setMinimumHeight(220);
    stack->addWidget(detailsTextView_, 1);
}

void DebugPanelController::configureTableView() {
    tableView_->setColumnCount(static_cast<int>(std::size(columns)));
    for (int index = 0; index < static_cast<int>(std::size(columns)); ++index) {
        auto* header = new QTableWidgetItem(columns[index].title);
        header->setData(Qt::UserRole, QString::fromLatin1(columns[index].identifier));
        tableView_->setHorizontalHeaderItem(index, header);
        tableView_->setColumnWidth(index, columns[index].width);
    }
    tableView_->setAlternatingRowColors(true);
    tableView_->verticalHeader()->setDefaultSectionSize(24);
    tableView_->verticalHeader()->hide();
    tableView_->setSelectionBehavior(QAbstractItemView::SelectRows);
    tableView_->setSelectionMode(QAbstractItemView::SingleSelection);
    tableView_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tableView_->setTextElideMode(Qt::ElideRight);
    tableView_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    connect(tableView_, &QTableWidget::itemSelectionChanged, this,
            &DebugPanelController::selectionChanged);
}

bool DebugPanelController::isTrusted(bool prompt) const {
    return Parlowen::AccessibilityTrustProbe::live(services_.accessibility).isTrusted(prompt);
}

void DebugPanelController::showTrust(bool trusted) {
    statusLabel_->setText(trusted ? "Accessibility: granted"
                                  : "Accessibility: missing. Click Request Accessibility and "
                                    "enable this process in System Settings > Privacy & "
                                    "Security > Accessibility.");
}

std::string DebugPanelController::now() const {
    return platform::isoTimestamp(services_.clock.wallNow());
}

void DebugPanelController::promptForPermission() {
    showTrust(isTrusted(true));
}

void DebugPanelController::refreshManually() {
    refreshScan("manual-refresh");
}

void DebugPanelController::refreshScan(const std::string& reason) {
    // The scan runs without trust too: it then finds what it can.
    showTrust(isTrusted(false));
    const Parlowen::ScanSnapshot snapshot = Parlowen::MenuBarScanner::scan(
        services_, std::nullopt, preferences_.renderedFrameAssistEnabled());
    scan_.items = snapshot.items;
    scan_.screenCount = snapshot.screens.size();
    scan_.screensDescription = Parlowen::ScreenProbe::describe(snapshot.screens);
    scan_.summary = snapshot.summary;
    writeScanDiagnostic(reason);
    reloadTable();
    showDetails(DebugPanelText::detailsText("refreshReason=" + reason + "\n" + scan_.summary, scan_,
                                            logs_));
}

void DebugPanelController::reloadTable() {
    const QSignalBlocker blocker(tableView_);
    tableView_->clearContents();
    tableView_->setRowCount(static_cast<int>(scan_.items.size()));
    for (int row = 0; row < tableView_->rowCount(); ++row) {
        for (int column = 0; column < static_cast<int>(std::size(columns)); ++column) {
            auto* cell = new QTableWidgetItem(qt(
                cellText(scan_.items[static_cast<std::size_t>(row)], columns[column].identifier)));
            cell->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
            tableView_->setItem(row, column, cell);
        }
    }
}

void DebugPanelController::selectionChanged() {
    const int row = tableView_->currentRow();
    const auto selected = tableView_->selectionModel()->selectedRows();
    if (!selected.isEmpty() && row >= 0 && row < static_cast<int>(scan_.items.size())) {
        showDetails(DebugPanelText::itemDetailsText(scan_.items[static_cast<std::size_t>(row)],
                                                    scan_, logs_));
    } else {
        showDetails(DebugPanelText::detailsText(std::nullopt, scan_, logs_));
    }
}

void DebugPanelController::trySelectedAction() {
    const auto selected = tableView_->selectionModel()->selectedRows();
    if (selected.isEmpty()) {
        return;
    }
    const int row = selected.first().row();
    if (row < 0 || row >= static_cast<int>(scan_.items.size())) {
        return;
    }
    // Copied: the attempt blocks, and nothing may replace the items under it.
    const Parlowen::AXMenuBarItemRecord item = scan_.items[static_cast<std::size_t>(row)];
    Parlowen::ActionRunner::LiveSettings settings;
    settings.hasVisibleWindow = [weak = window_] { return weak && weak->isVisible(); };
    const auto attempts = Parlowen::ActionRunner::runPreferredActions(
        item, Parlowen::ActionRunner::Configuration::live(services_, settings));
    logs_.insert(logs_.end(), attempts.begin(), attempts.end());
    showDetails(DebugPanelText::itemDetailsText(item, scan_, logs_));
}

void DebugPanelController::copyLogs() {
    const std::string log = DebugPanelText::copyableLog(now(), isTrusted(false), scan_, logs_);
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setText(qt(log));
    showDetails(log);
}

void DebugPanelController::showDetails(const std::string& text) {
    detailsTextView_->setPlainText(qt(text));
}

void DebugPanelController::writeScanDiagnostic(const std::string& reason) {
    // A failed write is not worth interrupting the developer for.
    Parlowen::DiagnosticsAppender::replace(
        Parlowen::DiagnosticsAppender::path(scanDumpFileName),
        DebugPanelText::scanDump(now(), reason, isTrusted(false), scan_));
}
