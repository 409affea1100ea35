#include "ui/Preferences/AdvancedPaneController.h"

#include "Parlowen/Preferences/ScanSnapshotExport.h"
#include "Parlowen/Settings/AppPreferences.h"
#include "Parlowen/Settings/L10n.h"
#include "platform/Workspace.h"
#include "ui/Design/CenteredTitlePopUp.h"
#include "ui/Design/PopUpMenuDelegate.h"
#include "ui/Design/TessalineDesign.h"
#include "ui/Design/TessalineFonts.h"
#include "ui/Design/TessalineSecondaryButton.h"
#include "ui/Preferences/PreferencesInfoRow.h"
#include "ui/Preferences/PreferencesServices.h"
#include "ui/Preferences/PreferencesSwitch.h"
#include "ui/Preferences/PreferencesText.h"

#include <QComboBox>
#include <QLabel>
#include <QUrl>
#include <QVBoxLayout>

using namespace Parlowen;

namespace {

Parlowen::TessalineSecondaryButton* smallButton(const QString& title) {
    auto* button = new TessalineSecondaryButton(title);
    TessalineDesign::styleSecondaryButton(button);
    PreferencesInfoRow::fixButtonSize(button, 72, 32);
    return button;
}

} // namespace

AdvancedPaneController::AdvancedPaneController(const PreferencesServices& services)
    : PreferencesPaneController(services) {}

void AdvancedPaneController::loadView(QWidget& root) {
    auto* page = makePage(
        root, preferencesText("preferences.tab.advanced", "Advanced"),
        preferencesText(
            "preferences.advanced.intro",
            "Support and compatibility controls. Everyday quick access stays in Quick Access."),
        448);

    scanInterval = new CenteredTitlePopUp;
    scanInterval->setObjectName(QStringLiteral("preferences.advanced.scan-interval"));
    scanInterval->setFixedSize(130, 32);
    for (const double seconds : scanIntervalOptions) {
        scanInterval->addItem(QString::fromStdString(L10n::format(
            L10n::string("preferences.advanced.scan_interval.value", "%.0f seconds"), {seconds})));
    }
    PopUpMenuDelegate::install(*scanInterval);
    QObject::connect(scanInterval, &QComboBox::activated, this,
                     [this](int index) { scanIntervalChanged(index); });

    renderedFrameAssist =
        new PreferencesSwitch(QStringLiteral("preferences.switch.rendered-frame-assist"));
    QObject::connect(renderedFrameAssist, &QAbstractButton::clicked, this, [this] {
        services.preferences->defaults().set(AppPreferences::renderedFrameAssistEnabledKey,
                                             renderedFrameAssist->isChecked());
    });
    diagnosticLabels =
        new PreferencesSwitch(QStringLiteral("preferences.switch.diagnostic-labels"));
    QObject::connect(diagnosticLabels, &QAbstractButton::clicked, this, [this] {
        services.preferences->defaults().set(AppPreferences::labelsEnabledKey,
                                             diagnosticLabels->isChecked());
    });
    exportControl = smallButton(preferencesText("preferences.advanced.export", "Export"));
    QObject::connect(exportControl, &QPushButton::clicked, this, [this] { exportScanSnapshot(); });
    resetControl = smallButton(preferencesText("preferences.advanced.reset_onboarding", "Reset"));
    QObject::connect(resetControl, &QPushButton::clicked, this, [this] { resetOnboarding(); });

    page->addWidget(PreferencesInfoRow::make(
        QStringLiteral("preferences.row.advanced.scan-interval"),
        preferencesText("preferences.advanced.scan_interval.title", "Scan interval"),
        preferencesText("preferences.advanced.scan_interval.detail",
                        "Choose how often Tessaline refreshes menu bar geometry while running."),
        scanInterval, {}));
    page->addWidget(PreferencesInfoRow::make(
        QStringLiteral("preferences.row.advanced.rendered-frame-assist"),
        preferencesText("preferences.advanced.rendered_frame.title", "Rendered frame assist"),
        preferencesText(
            "preferences.advanced.rendered_frame.detail",
            "Uses rendered menu bar frames to correct stale Accessibility positions after icons "
            "move or displays change. Recommended on."),
        renderedFrameAssist, {}));
    page->addWidget(PreferencesInfoRow::make(
        QStringLiteral("preferences.row.advanced.diagnostic-labels"),
        preferencesText("preferences.advanced.diagnostics.title", "Diagnostic labels"),
        preferencesText(
            "preferences.advanced.diagnostics.detail",
            "Shows raw classification and source hints in rows. Useful for bug reports, noisy "
            "for daily use."),
        diagnosticLabels, {}));
    page->addWidget(PreferencesInfoRow::make(
        QStringLiteral("preferences.row.advanced.export-snapshot"),
        preferencesText("preferences.advanced.export_snapshot.title", "Export scan snapshot"),
        preferencesText(
            "preferences.advanced.export_snapshot.detail",
            "Saves a local JSON snapshot of screens, frames, and classifications for support. "
            "No uploads."),
        exportControl, {}));
    page->addWidget(PreferencesInfoRow::make(
        QStringLiteral("preferences.row.advanced.reset-onboarding"),
        preferencesText("preferences.advanced.reset_section", "Reset onboarding"),
        preferencesText(
            "preferences.advanced.reset_detail",
            "Shows the first-run permission walkthrough again at next launch. Your preferences "
            "are kept."),
        resetControl, {.showsSeparator = false}));
    page->addSpacing(6);
    resetStatus = new QLabel;
    resetStatus->setFont(TessalineFonts::font(11));
    QPalette palette = resetStatus->palette();
    palette.setColor(QPalette::WindowText, TessalineDesign::SystemColors::secondaryLabel());
    resetStatus->setPalette(palette);
    resetStatus->hide();
    page->addWidget(resetStatus);
    sync();
}

void AdvancedPaneController::viewWillAppear() {
    sync();
}

void AdvancedPaneController::sync() {
    if (!scanInterval) {
        return;
    }
    double seconds =
        services.preferences->defaults().doubleForKey(AppPreferences::scanIntervalSecondsKey);
    if (!(seconds > 0)) {
        seconds = AppPreferences::defaultScanIntervalSeconds;
    }
    int index = 1;
    for (std::size_t each = 0; each < scanIntervalOptions.size(); ++each) {
        if (scanIntervalOptions[each] == seconds) {
            index = static_cast<int>(each);
            break;
        }
    }
    scanInterval->setCurrentIndex(index);
    renderedFrameAssist->setChecked(services.preferences->renderedFrameAssistEnabled());
    diagnosticLabels->setChecked(services.preferences->labelsEnabled());
}

void AdvancedPaneController::scanIntervalChanged(int index) {
    if (index < 0 || index >= static_cast<int>(scanIntervalOptions.size())) {
        return;
    }
    const double seconds = scanIntervalOptions[static_cast<std::size_t>(index)];
    services.preferences->defaults().set(AppPreferences::scanIntervalSecondsKey, seconds);
    if (auto changed = onScanIntervalChanged) {
        changed(seconds);
    }
}

void AdvancedPaneController::resetOnboarding() {
    services.preferences->defaults().set(AppPreferences::onboardingCompletedKey, false);
    resetStatus->setText(preferencesText("preferences.advanced.reset_done",
                                         "Onboarding will appear again next launch."));
    resetStatus->show();
}

void AdvancedPaneController::exportScanSnapshot() {
    const bool assist = services.preferences->renderedFrameAssistEnabled();
    const auto snapshot = services.scan(assist);
    const ScanSnapshotExport::ExportContext context{
        services.now(), services.isAccessibilityTrusted && services.isAccessibilityTrusted(),
        assist, services.preferences->labelsEnabled()};
    const auto result = ScanSnapshotExport::exportSnapshot(snapshot, context);
    if (const auto* error = std::get_if<ScanSnapshotExport::ExportError>(&result)) {
        exportControl->setToolTip(QString::fromStdString(error->description));
        return;
    }
    const auto& path = std::get<std::filesystem::path>(result);
    if (services.workspace) {
        services.workspace->activateFileViewerSelectingURLs(
            {QUrl::fromLocalFile(QString::fromStdString(path.string())).toString().toStdString()});
    }
    exportControl->setToolTip(QString::fromStdString(L10n::format(
        L10n::string("preferences.advanced.export_done", "Exported to %@"), {path.string()})));
}
