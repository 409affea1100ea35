#include "Parlowen/Updates/UpdaterController.h"

#include "platform/InMemoryUserDefaults.h"
#include "tests/support/SampleDesktops.h"
#include "tests/support/TemporaryFolder.h"
#include "tests/update/UpdateTestSupport.h"

#include <gtest/gtest.h>

namespace {

using Parlowen::UpdaterController;
using Parlowen::UpdaterStatus;
using update::SPUUpdateCheck;
using update::UpdateError;
using update::UpdateErrorCode;

// The update windows as the controller's tests see them: counts the checks shown, acknowledges
// alerts at once and leaves every question unanswered.
class RecordingPresenter final : public update::UpdateAlertPresenter {
public:
    void
    presentPermissionRequest(std::function<void(update::SUUpdatePermissionResponse)>) override {}
    void presentUpdateFound(const update::SUAppcastItem&, update::SPUUserUpdateState,
                            const std::string&,
                            std::function<void(update::SPUUserUpdateChoice)>) override {}
    void presentReleaseNotes(const std::optional<update::ReleaseNotes>&) override {}
    void presentProgress(const update::UpdateProgress& progress, std::function<void()>) override {
        if (progress.phase == update::UpdateProgress::Phase::checking) {
            ++checksShown;
        }
    }
    void presentReadyToInstall(std::function<void(update::SPUUserUpdateChoice)>) override {}
    void presentAlert(const update::UpdateAlert&, std::function<void()> acknowledgement) override {
        ++alertsShown;
        acknowledgement();
    }
    void dismiss() override {}

    int checksShown = 0;
    int alertsShown = 0;
};

update::SUAppcastItem item(std::string display = " 2.0\n", bool critical = false) {
    update::SUAppcastItem item;
    item.versionString = "200";
    item.displayVersionString = std::move(display);
    item.fileURL = "http://127.0.0.1:9/Tessaline.tar.gz";
    item.isCriticalUpdate = critical;
    return item;
}

class UpdaterControllerTest : public testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directory(folder.path() / "Tessaline");
        token = center.addObserver(UpdaterController::statusDidChangeNotification,
                                   [this](const platform::Notification&) { ++posts; });
        controller = std::make_unique<UpdaterController>(
            update::UpdaterEnvironment{
                host(UpdateTestSupport::KeyPair::generate().publicKeyBase64()), defaults,
                desktop.loop, std::nullopt},
            presenter, desktop.desktop.workspace(), center);
    }

    update::UpdateHost host(std::optional<std::string> key,
                            std::optional<std::string> feed = "http://127.0.0.1:9/appcast.xml") {
        return {std::move(key), "1.0", "1.0", std::move(feed), folder.path() / "Tessaline"};
    }

    update::SPUUpdater& updater() { return controller->standard().updater(); }

    TemporaryFolder folder;
    TestSupport::VirtualDesktop desktop{SampleDesktops::sampleDesktopText()};
    platform::InMemoryUserDefaults defaults{{{"SUEnableAutomaticChecks", false}}};
    platform::NotificationCenter center;
    platform::NotificationCenter::ObservationToken token;
    RecordingPresenter presenter;
    int posts = 0;
    std::unique_ptr<UpdaterController> controller;
};

TEST(UpdaterControllerStatics, CanStartOnlyWithAUsableKey) {
    EXPECT_FALSE(UpdaterController::canStart(std::nullopt));
    EXPECT_FALSE(UpdaterController::canStart(" \n\t"));
    EXPECT_FALSE(
        UpdaterController::canStart("  REPLACE_WITH_EDDSA_PUBLIC_KEY_FROM_generate_keys\n"));
    EXPECT_TRUE(UpdaterController::canStart("c29tZSBrZXk="));
}

TEST(UpdaterControllerStatics, DisplayVersionFallsBackToTheVersion) {
    EXPECT_EQ(UpdaterController::displayVersion(item(" 2.0\n")), "2.0");
    EXPECT_EQ(UpdaterController::displayVersion(item(" \n")), "200");
}

TEST_F(UpdaterControllerTest, StatusFollowsTheCallbacksAndPostsOncePerChange) {
    auto& u = updater();
    const UpdateError error{UpdateErrorCode::download, "The network went away."};
    struct Step {
        const char* name;
        std::function<void()> callback;
        UpdaterStatus status;
        int posts;
    };
    const Step steps[] = {
        {"found", [&] { controller->didFindValidUpdate(u, item()); },
         UpdaterStatus::updateAvailable("2.0", false), 1},
        {"found again, same", [&] { controller->didFindValidUpdate(u, item()); },
         UpdaterStatus::updateAvailable("2.0", false), 0},
        {"found, now critical", [&] { controller->didFindValidUpdate(u, item(" 2.0\n", true)); },
         UpdaterStatus::updateAvailable("2.0", true), 1},
        {"download starts", [&] { controller->willDownloadUpdate(u, item()); },
         UpdaterStatus::downloading("2.0", false), 1},
        {"download ends", [&] { controller->didDownloadUpdate(u, item()); },
         UpdaterStatus::downloaded("2.0", false), 1},
        {"download fails", [&] { controller->failedToDownloadUpdate(u, item(), error); },
         UpdaterStatus::failed("The network went away."), 1},
        {"download cancelled", [&] { controller->userDidCancelDownload(u); }, UpdaterStatus::idle(),
         1},
        {"installing", [&] { controller->willInstallUpdate(u, item()); },
         UpdaterStatus::installing("2.0", false), 1},
        {"shown in installing stage",
         [&] {
             controller->standardUserDriverWillHandleShowingUpdate(
                 true, item(), {update::SPUUserUpdateStage::installing, false});
         },
         UpdaterStatus::installing("2.0", false), 0},
        {"shown downloaded",
         [&] {
             controller->standardUserDriverWillHandleShowingUpdate(
                 true, item(), {update::SPUUserUpdateStage::downloaded, false});
         },
         UpdaterStatus::downloaded("2.0", false), 1},
        {"shown in a stage of a newer updater",
         [&] {
             controller->standardUserDriverWillHandleShowingUpdate(
                 true, item(" 2.0\n", true), {static_cast<update::SPUUserUpdateStage>(3), false});
         },
         UpdaterStatus::updateAvailable("2.0", true), 1},
        {"shown not downloaded",
         [&] {
             controller->standardUserDriverWillHandleShowingUpdate(
                 true, item(), {update::SPUUserUpdateStage::notDownloaded, true});
         },
         UpdaterStatus::updateAvailable("2.0", false), 1},
        {"aborted", [&] { controller->didAbortWithError(u, error); },
         UpdaterStatus::failed("The network went away."), 1},
        {"cycle ends with the same error: one post",
         [&] { controller->didFinishUpdateCycleFor(u, SPUUpdateCheck::updates, error); },
         UpdaterStatus::failed("The network went away."), 1},
        {"not found", [&] { controller->updaterDidNotFindUpdate(u, {}); }, UpdaterStatus::latest(),
         1},
        {"cycle ends with no update: not a failure",
         [&] {
             controller->didFinishUpdateCycleFor(
                 u, SPUUpdateCheck::updates, UpdateError{UpdateErrorCode::noUpdate, "Up to date"});
         },
         UpdaterStatus::latest(), 1},
        {"waits for quit",
         [&] { EXPECT_FALSE(controller->willInstallUpdateOnQuit(u, item(), [] {})); },
         UpdaterStatus::downloaded("2.0", false), 1},
    };
    for (const auto& step : steps) {
        posts = 0;
        step.callback();
        EXPECT_EQ(controller->status(), step.status) << step.name;
        EXPECT_EQ(posts, step.posts) << step.name;
    }
}

TEST_F(UpdaterControllerTest, ACheckThatEndsWithoutAnswerReturnsToIdle) {
    struct Row {
        const char* name;
        std::optional<UpdateError> error;
        UpdaterStatus status;
    };
    const Row rows[] = {
        {"cancelled by the user", UpdateError{UpdateErrorCode::installationCanceled, "Cancelled"},
         UpdaterStatus::idle()},
        {"no update", UpdateError{UpdateErrorCode::noUpdate, "Up to date"}, UpdaterStatus::idle()},
        {"no error", std::nullopt, UpdaterStatus::idle()},
        {"a feed error", UpdateError{UpdateErrorCode::appcast, "HTTP 404"},
         UpdaterStatus::failed("HTTP 404")},
    };
    for (const auto& row : rows) {
        ASSERT_TRUE(controller->canCheckForUpdates()) << row.name;
        controller->checkForUpdates();
        EXPECT_EQ(controller->status(), UpdaterStatus::checking()) << row.name;
        posts = 0;
        controller->didFinishUpdateCycleFor(updater(), SPUUpdateCheck::updates, row.error);
        EXPECT_EQ(controller->status(), row.status) << row.name;
        // One post for the change, one for the cycle's end.
        EXPECT_EQ(posts, 2) << row.name;
        // Let the started cycle end (its feed cannot be reached) before the next row.
        desktop.loop.runFor(std::chrono::seconds(1));
    }
}

TEST_F(UpdaterControllerTest, CheckingIsSetOnlyWhenACheckCanStart) {
    controller->checkForUpdates();
    ASSERT_EQ(controller->status(), UpdaterStatus::checking());
    ASSERT_FALSE(controller->canCheckForUpdates());
    controller->didFindValidUpdate(updater(), item());
    posts = 0;

    controller->checkForUpdates();

    EXPECT_EQ(controller->status(), UpdaterStatus::updateAvailable("2.0", false));
    EXPECT_EQ(posts, 0);
}

TEST_F(UpdaterControllerTest, AnUpdaterThatCannotStartNeverChecks) {
    controller.reset();
    controller = std::make_unique<UpdaterController>(
        update::UpdaterEnvironment{host("not a key"), defaults, desktop.loop, std::nullopt},
        presenter, desktop.desktop.workspace(), center);
    posts = 0;

    controller->checkForUpdates();

    EXPECT_FALSE(controller->canCheckForUpdates());
    EXPECT_EQ(controller->status(), UpdaterStatus::idle());
    EXPECT_EQ(posts, 0);
}

// The controls and the updater judge the feed alike: without a feed the updater can fetch,
// the controls say updates are unavailable and no alert comes at launch.
TEST_F(UpdaterControllerTest, OnlyAFeedTheUpdaterCanFetchCountsAsOne) {
    const struct {
        const char* feed;
        bool usable;
    } rows[] = {
        {"", false},        {"   ", false},      {"ftp://x", false},
        {"http://x", true}, {"https://x", true}, {" https://x ", false},
    };
    for (const auto& row : rows) {
        controller.reset();
        presenter.alertsShown = 0;
        controller = std::make_unique<UpdaterController>(
            update::UpdaterEnvironment{
                host(UpdateTestSupport::KeyPair::generate().publicKeyBase64(), row.feed), defaults,
                desktop.loop, std::nullopt},
            presenter, desktop.desktop.workspace(), center);
        EXPECT_EQ(controller->hasFeedAddress(), row.usable) << '"' << row.feed << '"';
        EXPECT_EQ(controller->canCheckForUpdates(), row.usable) << '"' << row.feed << '"';
        EXPECT_EQ(presenter.alertsShown, 0) << '"' << row.feed << '"';
        EXPECT_EQ(updater().startUpdater().has_value(), !row.usable) << '"' << row.feed << '"';
    }
}

TEST_F(UpdaterControllerTest, ModalAlertsKeepTheAppInFrontAndRestoreAccessory) {
    auto& workspace = desktop.desktop.workspace();
    for (const auto policy : {platform::NSApplicationActivationPolicyAccessory,
                              platform::NSApplicationActivationPolicyRegular}) {
        workspace.setActivationPolicy(policy);
        controller->standardUserDriverWillShowModalAlert();
        EXPECT_EQ(workspace.activationPolicy(), platform::NSApplicationActivationPolicyRegular);
        controller->standardUserDriverDidShowModalAlert();
        EXPECT_EQ(workspace.activationPolicy(), policy);
    }
}

TEST_F(UpdaterControllerTest, DownloadedUpdateIsShownAgainAfterABackgroundCycle) {
    controller->willInstallUpdateOnQuit(updater(), item(), [] {});
    controller->didFinishUpdateCycleFor(updater(), SPUUpdateCheck::updatesInBackground,
                                        std::nullopt);
    desktop.loop.runFor(std::chrono::milliseconds(300));
    EXPECT_EQ(presenter.checksShown, 0);

    desktop.loop.runFor(std::chrono::milliseconds(200));

    EXPECT_EQ(presenter.checksShown, 1);
    EXPECT_FALSE(controller->shouldPresentDownloadedUpdateAfterCycle());
}

TEST_F(UpdaterControllerTest, NoPromptAfterAttentionOrAUserCycle) {
    controller->willInstallUpdateOnQuit(updater(), item(), [] {});
    controller->standardUserDriverDidReceiveUserAttention(item());
    controller->didFinishUpdateCycleFor(updater(), SPUUpdateCheck::updatesInBackground,
                                        std::nullopt);
    controller->willInstallUpdateOnQuit(updater(), item(), [] {});
    controller->didFinishUpdateCycleFor(updater(), SPUUpdateCheck::updates, std::nullopt);

    desktop.loop.runFor(std::chrono::seconds(1));

    EXPECT_EQ(presenter.checksShown, 0);
    EXPECT_TRUE(controller->shouldPresentDownloadedUpdateAfterCycle());
}

} // namespace
