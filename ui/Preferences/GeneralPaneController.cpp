#include "ui/Preferences/GeneralPaneController.h"

#include "Parlowen/Preferences/UpdateControlPresentation.h"
#include "Parlowen/Settings/AppPreferences.h"
#include "Parlowen/Settings/L10n.h"
#include "Parlowen/Updates/PreferencesUpdater.h"
#include "Parlowen/Updates/UpdaterController.h"
#include "platform/LoginItems.h"
#include "platform/RunLoop.h"
#include "platform/Workspace.h"
#include "ui/Design/TessalineDesign.h"
#include "ui/Design/TessalineSecondaryButton.h"
#include "ui/Preferences/PreferencesInfoRow.h"
#include "ui/Preferences/PreferencesServices.h"
#include "ui/Preferences/PreferencesSwitch.h"
#include "ui/Preferences/PreferencesText.h"

#include <QHBoxLayout>
#include <QVBoxLayout>
#include <algorithm>

using namespace Parlowen;

namespace {

const QString crashSeparatorIdentifier =
    QStringLiteral("preferences.separator.general.crash-reporting");
constexpr platform::Duration permissionPollInterval = std::chrono::seconds(1);

} // namespace

GeneralPaneController::GeneralPaneController(const PreferencesServices& services)
    : PreferencesPaneController(services), alive(std::make_shared<GeneralPaneController*>(this)) {}

GeneralPaneController::~GeneralPaneController() {
    stopStatusObservers();
}

void GeneralPaneController::loadView(QWidget& root) {
    rootView = &root;
    auto* page = makePage(
        root, preferencesText("preferences.tab.general", "General"),
        preferencesText("preferences.general.intro", "Startup, updates, and privacy controls."),
        440);

    launchAtLogin = new PreferencesSwitch(QStringLiteral("preferences.switch.launch-at-login"));
    updatesAuto = new PreferencesSwitch(QStringLiteral("preferences.switch.updates"));
    crashReporting = new PreferencesSwitch(QStringLiteral("preferences.switch.crash-reporting"));
    QObject::connect(launchAtLogin, &QAbstractButton::clicked, this,
                     [this] { toggleLaunchAtLogin(); });
    QObject::connect(updatesAuto, &QAbstractButton::clicked, this,
                     [this] { toggleAutomaticUpdateCheck(); });
    QObject::connect(crashReporting, &QAbstractButton::clicked, this,
                     [this] { toggleCrashReporting(); });

    checkUpdates =
        new TessalineSecondaryButton(preferencesText("preferences.updates.check_now", "Check Now"));
    checkUpdates->setObjectName(QStringLiteral("preferences.button.check-updates"));
    TessalineDesign::styleSecondaryButton(checkUpdates);
    PreferencesInfoRow::fixButtonSize(checkUpdates, 108, 32);
    QObject::connect(checkUpdates, &QPushButton::clicked, this, [this] { checkForUpdates(); });

    openPermissions = new TessalineSecondaryButton(
        preferencesText("preferences.permissions.open", "Open Accessibility Settings…"));
    openPermissions->setObjectName(QStringLiteral("preferences.button.open-accessibility"));
    TessalineDesign::styleSecondaryButton(openPermissions);
    PreferencesInfoRow::fixButtonSize(openPermissions, 112, 32);
    QObject::connect(openPermissions, &QPushButton::clicked, this,
                     [this] { openAccessibilityPane(); });

    auto* updatesControls = new QWidget;
    auto* updatesLayout = new QHBoxLayout(updatesControls);
    updatesLayout->setContentsMargins(0, 0, 0, 0);
    updatesLayout->setSpacing(8);
    updatesLayout->addWidget(checkUpdates, 0, Qt::AlignVCenter);
    updatesLayout->addWidget(updatesAuto, 0, Qt::AlignVCenter);

    page->addWidget(
        PreferencesInfoRow::make(QStringLiteral("preferences.row.general.launch-at-login"),
                                 preferencesText("preferences.launch_at_login", "Launch at login"),
                                 preferencesText("preferences.launch_at_login.detail",
                                                 "Start Tessaline quietly in the menu bar."),
                                 launchAtLogin, {}));
    page->addWidget(PreferencesInfoRow::make(
        QStringLiteral("preferences.row.general.updates"),
        preferencesText("preferences.updates.auto_check", "Check for updates automatically"),
        preferencesText("preferences.updates.auto_check.detail",
                        "Downloads updates in the background and asks before installing."),
        updatesControls, {.textColumnWidth = 254}));
    // The separator is always built so that a permission revoked later shows it again.
    page->addWidget(PreferencesInfoRow::make(
        QStringLiteral("preferences.row.general.crash-reporting"),
        preferencesText("preferences.diagnostics.crash_reporting", "Diagnostics"),
        preferencesText(
            "preferences.diagnostics.crash_reporting.hint",
            "Sends crash reports and Quick Open outcomes, including target bundle IDs, your Mac "
            "account name and your IP address."),
        crashReporting, {.detailMaximumLines = 4}));
    accessibility = PreferencesInfoRow::make(
        QStringLiteral("preferences.row.general.accessibility"),
        preferencesText("preferences.section.accessibility", "Accessibility"),
        preferencesText("preferences.permissions.detail",
                        "Required for menu bar positions and opening hidden icons."),
        openPermissions,
        // The full button title needs more room than the usual column leaves.
        {.textColumnWidth =
             std::min(300, PreferencesInfoRow::rowWidth - 12 - openPermissions->width()),
         .showsSeparator = false});
    page->addWidget(accessibility);
    sync();
}

void GeneralPaneController::viewWillAppear() {
    sync();
    startStatusObservers();
}

void GeneralPaneController::viewDidDisappear() {
    stopStatusObservers();
}

void GeneralPaneController::sync() {
    if (!rootView) {
        return;
    }
    launchAtLogin->setChecked(services.loginItems->status() == platform::SMAppServiceStatusEnabled);
    crashReporting->setChecked(services.preferences->crashReportingEnabled());
    refreshUpdatesSection();
    updatePermissionLabel();
}

void GeneralPaneController::toggleLaunchAtLogin() {
    const bool wanted = launchAtLogin->isChecked();
    const auto error = wanted ? services.loginItems->registerAndReturnError()
                              : services.loginItems->unregisterAndReturnError();
    if (!error) {
        services.preferences->defaults().set(AppPreferences::launchAtLoginKey, wanted);
        return;
    }
    // Show what the system does now: a refused "off" keeps starting the program at login.
    launchAtLogin->setChecked(services.loginItems->status() == platform::SMAppServiceStatusEnabled);
}

void GeneralPaneController::toggleAutomaticUpdateCheck() {
    PreferencesUpdater* updater = services.updaterProvider ? services.updaterProvider() : nullptr;
    if (!updater) {
        return;
    }
    const bool enabled = updatesAuto->isChecked();
    updater->setAutomaticallyChecksForUpdates(enabled);
    if (enabled && updater->allowsAutomaticUpdates()) {
        updater->setAutomaticallyDownloadsUpdates(true);
    }
    refreshUpdatesSection();
}

void GeneralPaneController::checkForUpdates() {
    PreferencesUpdater* updater = services.updaterProvider ? services.updaterProvider() : nullptr;
    if (!updater) {
        return;
    }
    updater->checkForUpdates();
    refreshUpdatesSection();
}

void GeneralPaneController::refreshUpdatesSection() {
    if (!rootView) {
        return;
    }
    PreferencesUpdater* updater = services.updaterProvider ? services.updaterProvider() : nullptr;
    if (!updater || !updater->hasFeedAddress()) {
        // Both controls stay visible but disabled, and say why.
        const QString reason =
            updater ? preferencesText("preferences.updates.no_feed",
                                      "Updates unavailable: this build has no update feed address")
                    : preferencesText("preferences.updates.unavailable",
                                      "Updater unavailable in this build");
        updatesAuto->setEnabled(false);
        updatesAuto->setToolTip(reason);
        checkUpdates->setEnabled(false);
        checkUpdates->setText(preferencesText("preferences.updates.check_now", "Check Now"));
        checkUpdates->setToolTip(reason);
        return;
    }
    updatesAuto->setEnabled(true);
    updatesAuto->setToolTip({});
    updatesAuto->setChecked(updater->automaticallyChecksForUpdates());
    checkUpdates->setEnabled(updater->canCheckForUpdates());
    const auto status = updater->status();
    checkUpdates->setText(
        QString::fromStdString(UpdateControlPresentation::checkButtonTitle(status)));
    checkUpdates->setToolTip(
        QString::fromStdString(UpdateControlPresentation::checkButtonToolTip(status)));
    checkUpdates->updateSecondaryFocusAppearance();
}

void GeneralPaneController::toggleCrashReporting() {
    if (services.applyCrashReportingConsent) {
        services.applyCrashReportingConsent(crashReporting->isChecked());
    }
}

void GeneralPaneController::openAccessibilityPane() {
    services.workspace->openURL(std::string(platform::kAccessibilitySettingsURL));
}

void GeneralPaneController::updatePermissionLabel() {
    if (!rootView) {
        return;
    }
    const bool trusted = services.isAccessibilityTrusted && services.isAccessibilityTrusted();
    openPermissions->setToolTip(trusted ? preferencesText("preferences.permissions.granted",
                                                          "Accessibility access granted.")
                                        : preferencesText("preferences.permissions.missing",
                                                          "Accessibility access not granted."));
    accessibility->setHidden(trusted);
    if (auto* separator = rootView->findChild<QWidget*>(crashSeparatorIdentifier)) {
        separator->setHidden(trusted);
    }
}

void GeneralPaneController::startStatusObservers() {
    std::weak_ptr<GeneralPaneController*> weak = alive;
    // Both handlers only post: the notification may arrive in the middle of other work.
    auto later = [loop = services.mainLoop, weak](void (GeneralPaneController::*step)()) {
        loop->post([weak, step] {
            if (const auto pane = weak.lock()) {
                ((*pane)->*step)();
            }
        });
    };
    if (!activationObserver && services.workspace && services.mainLoop) {
        activationObserver = services.workspace->addDidBecomeActiveObserver(
            [later] { later(&GeneralPaneController::updatePermissionLabel); });
    }
    // A permission changed while the program stays in front (revoked from outside it) shows
    // too, as the onboarding window watches it.
    if (!permissionPoll && services.mainLoop) {
        permissionPoll = services.mainLoop->scheduleRepeatingTimer(permissionPollInterval, [weak] {
            if (const auto pane = weak.lock()) {
                (*pane)->updatePermissionLabel();
            }
        });
    }
    if (!updaterObserver && services.notificationCenter && services.mainLoop) {
        updaterObserver = services.notificationCenter->addObserver(
            UpdaterController::statusDidChangeNotification, [later](const platform::Notification&) {
                later(&GeneralPaneController::refreshUpdatesSection);
            });
    }
}

void GeneralPaneController::stopStatusObservers() {
    if (activationObserver) {
        services.workspace->removeObserver(*activationObserver);
        activationObserver.reset();
    }
    updaterObserver.reset();
    if (permissionPoll) {
        permissionPoll->invalidate();
        permissionPoll.reset();
    }
}

void GeneralPaneController::renderVisualPreview() {
    view();
    launchAtLogin->setChecked(true);
    updatesAuto->setEnabled(true);
    updatesAuto->setChecked(true);
    crashReporting->setChecked(false);
    openPermissions->setText(
        preferencesText("preferences.permissions.open.short", "Open Settings"));
    openPermissions->setToolTip(
        preferencesText("preferences.permissions.granted", "Accessibility access granted."));
    checkUpdates->setText(preferencesText("preferences.updates.check_now", "Check Now"));
    accessibility->setHidden(true);
    if (auto* separator = rootView->findChild<QWidget*>(crashSeparatorIdentifier)) {
        separator->setHidden(true);
    }
}
