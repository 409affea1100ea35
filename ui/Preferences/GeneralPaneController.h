#pragma once

#include "platform/NotificationCenter.h"
#include "platform/ObserverToken.h"
#include "platform/RunLoop.h"
#include "ui/Preferences/PreferencesPaneController.h"

#include <QPointer>

#include <memory>
#include <optional>

class PreferencesSwitch;
class QWidget;

namespace Parlowen {
class TessalineSecondaryButton;
}

// The General pane: launch at login, automatic update checks with "Check Now", crash-reporting
// consent, and the Accessibility row shown only while the permission is missing. While shown it
// follows the permission (on the application's activation and once a second) and the updater's
// status.
class GeneralPaneController : public PreferencesPaneController {
public:
    explicit GeneralPaneController(const PreferencesServices& services);
    ~GeneralPaneController() override;

    // Fixed state for the visual snapshot mode; nothing is written.
    void renderVisualPreview();
    // Shows the system's login item, the consent, the updater and the permission.
    void sync();
    void refreshUpdatesSection();
    void updatePermissionLabel();

    PreferencesSwitch* launchAtLoginSwitch() const { return launchAtLogin; }
    PreferencesSwitch* updatesAutoSwitch() const { return updatesAuto; }
    PreferencesSwitch* crashReportingSwitch() const { return crashReporting; }
    Parlowen::TessalineSecondaryButton* checkUpdatesButton() const { return checkUpdates; }
    Parlowen::TessalineSecondaryButton* openPermissionsButton() const { return openPermissions; }
    QWidget* accessibilityRow() const { return accessibility; }
    bool isObservingStatus() const { return activationObserver.has_value(); }

protected:
    void loadView(QWidget& root) override;
    void viewWillAppear() override;
    void viewDidDisappear() override;

private:
    void toggleLaunchAtLogin();
    void toggleAutomaticUpdateCheck();
    void checkForUpdates();
    void toggleCrashReporting();
    void openAccessibilityPane();
    void startStatusObservers();
    void stopStatusObservers();

    PreferencesSwitch* launchAtLogin = nullptr;
    PreferencesSwitch* updatesAuto = nullptr;
    Parlowen::TessalineSecondaryButton* checkUpdates = nullptr;
    PreferencesSwitch* crashReporting = nullptr;
    Parlowen::TessalineSecondaryButton* openPermissions = nullptr;
    QPointer<QWidget> accessibility;
    QPointer<QWidget> rootView;
    std::optional<platform::ObserverToken> activationObserver;
    std::optional<platform::NotificationCenter::ObservationToken> updaterObserver;
    std::shared_ptr<platform::Timer> permissionPoll;
    // Lets tasks posted to the run loop notice that the pane is gone.
    std::shared_ptr<GeneralPaneController*> alive;
};
