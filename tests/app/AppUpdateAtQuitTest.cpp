#include "Parlowen/Updates/UpdaterController.h"
#include "platform/BundleInfo.h"
#include "tests/app/HubFixture.h"
#include "tests/support/LoopbackHttpServer.h"
#include "tests/update/UpdateTestSupport.h"
#include "ui/Design/TessalineSecondaryButton.h"
#include "ui/Preferences/GeneralPaneController.h"
#include "ui/Preferences/PreferencesSwitch.h"
#include "ui/Preferences/PreferencesTabViewController.h"
#include "ui/Preferences/PreferencesWindowController.h"
#include "ui/Updates/UpdateDialogPresenter.h"
#include "ui/Updates/UpdateFoundWindow.h"
#include "ui/Updates/UpdateProgressWindow.h"

#include <fstream>

namespace {
using namespace Parlowen;
using AppTesting::HubFixture;
using Kind = UpdateTestSupport::ArchiveEntry::Kind;

// The product of an installed "1.0" whose feed offers a signed "2.0", downloaded automatically.
struct AppUpdateAtQuitTest : HubFixture {
    TemporaryFolder folder;
    testsupport::LoopbackHttpServer server;
    UpdateTestSupport::KeyPair key = UpdateTestSupport::KeyPair::generate();
    UpdateDialogPresenter presenter;

    std::filesystem::path installed() const { return folder.path() / "Tessaline"; }

    void SetUp() override {
        HubFixture::SetUp();
        std::filesystem::create_directory(installed());
        std::ofstream(installed() / "version.txt") << "1.0";
        const auto archive = UpdateTestSupport::makeTarGz({
            {"Tessaline", "", Kind::directory, ""},
            {"Tessaline/Info.json", UpdateTestSupport::infoFile("2.0"), Kind::file, ""},
            {"Tessaline/version.txt", "2.0", Kind::file, ""},
        });
        server.respond("/Tessaline.tar.gz", {200, {}, archive});
        server.respond("/appcast.xml", {200,
                                        {},
                                        UpdateTestSupport::appcast(UpdateTestSupport::item(
                                            "2.0", server.url("/Tessaline.tar.gz"), archive.size(),
                                            key.sign(archive)))});
        desktop->appServices().bundle.setObject(platform::kSUPublicEDKey,
                                                platform::Value(key.publicKeyBase64()));
        panel.defaults->set("SUEnableAutomaticChecks", false);
        panel.defaults->set("SUAutomaticallyUpdate", true);
        panel.defaults->set(AppPreferences::launchAtLoginKey, true);
    }

    // The product, its updater checking `feed`.
    AppDelegate::Context context(std::vector<std::string>& events, int& terminations,
                                 std::optional<std::string> feed) {
        auto result = productContext(events, terminations, false);
        result.makeUpdater = [this, feed] {
            return std::make_shared<UpdaterController>(
                update::UpdaterEnvironment{
                    update::UpdateHost{key.publicKeyBase64(), "1.0", "1.0", feed, installed()},
                    *panel.defaults, panel.loop, std::nullopt},
                presenter, desktop->workspace(), center);
        };
        return result;
    }
};

TEST_F(AppUpdateAtQuitTest, TheDownloadedUpdateIsInstalledWhenTheProgramQuits) {
    std::vector<std::string> events;
    int terminations = 0;
    AppDelegate delegate(context(events, terminations, server.url("/appcast.xml")));
    delegate.applicationDidFinishLaunching();
    ASSERT_NE(delegate.updater(), nullptr);
    auto& updater = delegate.updater()->standard().updater();
    updater.checkForUpdatesInBackground();
    for (int turn = 0; turn < 500 && !updater.pendingUpdate(); ++turn) {
        run(10);
    }
    ASSERT_TRUE(updater.pendingUpdate().has_value());
    EXPECT_EQ(TemporaryFolder::read(installed() / "version.txt"), "1.0");

    delegate.applicationWillTerminate();
    EXPECT_EQ(TemporaryFolder::read(installed() / "version.txt"), "2.0");
    EXPECT_FALSE(updater.pendingUpdate().has_value());
}

// A build with an update key but no feed address has nothing to check: no alert at launch, and
// the General pane's update controls are disabled and say why.
TEST_F(AppUpdateAtQuitTest, WithoutAFeedAddressTheUpdateControlsSayWhyWithNoAlertAtLaunch) {
    std::vector<std::string> events;
    int terminations = 0;
    AppDelegate delegate(context(events, terminations, std::nullopt));
    delegate.applicationDidFinishLaunching();
    run(200);
    ASSERT_NE(delegate.updater(), nullptr);
    EXPECT_EQ(presenter.alertBox(), nullptr);

    preferencesUpdater = delegate.updater();
    delegate.statusBar()->showPreferences();
    auto& general = delegate.statusBar()->preferencesWindow()->tabViewController()->generalPane();
    const QString why = "Updates unavailable: this build has no update feed address";
    EXPECT_FALSE(general.checkUpdatesButton()->isEnabled());
    EXPECT_EQ(general.checkUpdatesButton()->toolTip(), why);
    EXPECT_FALSE(general.updatesAutoSwitch()->isEnabled());
    EXPECT_EQ(general.updatesAutoSwitch()->toolTip(), why);
}

} // namespace
