#pragma once

#include "Parlowen/Updates/PreferencesUpdater.h"
#include "platform/NotificationCenter.h"
#include "platform/Workspace.h"
#include "update/SPUStandardUpdaterController.h"

#include <memory>
#include <optional>
#include <string>

namespace Parlowen {

// The application's updater: owns the standard updater, turns its callbacks into one
// `UpdaterStatus`, announces each change, keeps the application in front while an update
// alert is up, and shows a downloaded update again after the background cycle that left it
// waiting for quit. Main thread only.
class UpdaterController final : public update::SPUUpdaterDelegate,
                                public update::SPUStandardUserDriverDelegate,
                                public PreferencesUpdater {
public:
    // Posted on the notification centre with the controller (`UpdaterController*`) as object,
    // once per status change and once at the end of each cycle.
    static constexpr const char* statusDidChangeNotification = "tessaline.updater.statusDidChange";
    // The bundle's placeholder before a real key is set.
    static constexpr const char* placeholderPublicKey =
        "REPLACE_WITH_EDDSA_PUBLIC_KEY_FROM_generate_keys";
    // The pause between a background cycle's end and showing the waiting update again.
    static constexpr platform::Duration downloadedUpdatePromptDelay =
        std::chrono::milliseconds(400);

    // Whether the bundle's "SUPublicEDKey" is worth starting an updater for: present, not
    // blank and not the placeholder.
    static bool canStart(const std::optional<std::string>& publicKey);
    // The item's display version trimmed, or its version when that is blank.
    static std::string displayVersion(const update::SUAppcastItem& item);

    // Creates the standard updater with this controller as both delegates and starts it when
    // the host names a feed: without one it stays stopped, so no alert says so at every launch
    // and the preferences tell why updates are unavailable. The presenter, workspace and centre
    // must outlive the controller.
    UpdaterController(update::UpdaterEnvironment environment,
                      update::UpdateAlertPresenter& presenter, platform::Workspace& workspace,
                      platform::NotificationCenter& notificationCenter);
    ~UpdaterController() override;

    update::SPUStandardUpdaterController& standard() { return *standard_; }

    // PreferencesUpdater
    UpdaterStatus status() const override { return status_; }
    bool hasFeedAddress() const override { return hasFeedAddress_; }
    bool canCheckForUpdates() const override;
    bool automaticallyChecksForUpdates() const override;
    void setAutomaticallyChecksForUpdates(bool enabled) override;
    bool automaticallyDownloadsUpdates() const override;
    void setAutomaticallyDownloadsUpdates(bool enabled) override;
    bool allowsAutomaticUpdates() const override;
    void checkForUpdates() override;

    // SPUStandardUserDriverDelegate
    void standardUserDriverWillShowModalAlert() override;
    void standardUserDriverDidShowModalAlert() override;
    bool standardUserDriverAllowsMinimizableStatusWindow() override { return false; }
    void standardUserDriverWillHandleShowingUpdate(bool handleShowingUpdate,
                                                   const update::SUAppcastItem& item,
                                                   update::SPUUserUpdateState state) override;
    void standardUserDriverDidReceiveUserAttention(const update::SUAppcastItem& item) override;

    // SPUUpdaterDelegate
    void didFindValidUpdate(update::SPUUpdater&, const update::SUAppcastItem& item) override;
    void updaterDidNotFindUpdate(update::SPUUpdater&, const update::UpdateError&) override;
    void willDownloadUpdate(update::SPUUpdater&, const update::SUAppcastItem& item) override;
    void didDownloadUpdate(update::SPUUpdater&, const update::SUAppcastItem& item) override;
    void failedToDownloadUpdate(update::SPUUpdater&, const update::SUAppcastItem&,
                                const update::UpdateError& error) override;
    void userDidCancelDownload(update::SPUUpdater&) override;
    void willInstallUpdate(update::SPUUpdater&, const update::SUAppcastItem& item) override;
    bool willInstallUpdateOnQuit(update::SPUUpdater&, const update::SUAppcastItem& item,
                                 std::function<void()> immediateInstallation) override;
    void didFinishUpdateCycleFor(update::SPUUpdater&, update::SPUUpdateCheck check,
                                 const std::optional<update::UpdateError>& error) override;
    void didAbortWithError(update::SPUUpdater&, const update::UpdateError& error) override;

    bool shouldPresentDownloadedUpdateAfterCycle() const { return presentDownloadedAfterCycle; }

private:
    // Stores the status; posts the notification when it changed.
    void setStatus(UpdaterStatus status);
    void postStatusDidChange();
    void scheduleDownloadedUpdatePromptIfNeeded();

    platform::Workspace& workspace;
    platform::NotificationCenter& notificationCenter;
    platform::RunLoop& mainLoop;
    const bool hasFeedAddress_;
    bool presentDownloadedAfterCycle = false;
    std::optional<platform::NSApplicationActivationPolicy> previousActivationPolicy;
    UpdaterStatus status_;
    // The delayed prompt holds this weakly, so it does nothing once the controller is gone.
    std::shared_ptr<bool> alive = std::make_shared<bool>(true);
    std::unique_ptr<update::SPUStandardUpdaterController> standard_;
};

} // namespace Parlowen
