#include "platform/sim/SimAppServices.h"
#include "platform/sim/SimWorkspace.h"
#include "tests/support/SampleDesktops.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using namespace platform;
using namespace std::chrono_literals;

TEST(SimWorkspaceServices, AccessibilitySettingsGoToTheDesktopsOwnControl) {
    TestSupport::VirtualDesktop sim(SampleDesktops::sampleDesktopText());
    sim::SimWorkspace& workspace = sim.desktop.appServices().workspace;
    std::vector<std::string> handed;
    workspace.setURLHandler([&](const std::string& url) {
        handed.push_back(url);
        return true;
    });
    int shown = 0;
    workspace.addAccessibilitySettingsObserver([&] { ++shown; });

    EXPECT_TRUE(workspace.openURL(std::string(kAccessibilitySettingsURL)));
    EXPECT_TRUE(workspace.openURL("https://tessaline.app/help"));
    sim.loop.runFor(0ms);

    EXPECT_EQ(shown, 1);
    EXPECT_EQ(handed, std::vector<std::string>{"https://tessaline.app/help"});
    EXPECT_EQ(sim.desktop.record().openedURLs,
              (std::vector<std::string>{std::string(kAccessibilitySettingsURL),
                                        "https://tessaline.app/help"}));
}

TEST(SimWorkspaceServices, RevealedFilesOpenTheirFolders) {
    TestSupport::VirtualDesktop sim(SampleDesktops::sampleDesktopText());
    sim::SimWorkspace& workspace = sim.desktop.appServices().workspace;
    std::vector<std::string> handed;
    workspace.setURLHandler([&](const std::string& url) {
        handed.push_back(url);
        return true;
    });
    workspace.activateFileViewerSelectingURLs({"/home/user/Desktop/scan.json"});
    EXPECT_EQ(sim.desktop.record().revealedFiles,
              std::vector<std::string>{"/home/user/Desktop/scan.json"});
    EXPECT_EQ(handed, std::vector<std::string>{"/home/user/Desktop"});
}

TEST(SimWorkspaceServices, DidBecomeActiveFollowsActivationOnly) {
    TestSupport::VirtualDesktop sim(SampleDesktops::sampleDesktopText());
    Workspace& workspace = sim.desktop.workspace();
    int activations = 0;
    workspace.addDidBecomeActiveObserver([&] { ++activations; });

    workspace.activateIgnoringOtherApps(true); // an accessory app does not come forward
    sim.loop.runFor(0ms);
    EXPECT_EQ(activations, 0);

    workspace.setActivationPolicy(NSApplicationActivationPolicyRegular);
    workspace.activateIgnoringOtherApps(true);
    workspace.activateIgnoringOtherApps(true); // already active: no second notification
    sim.loop.runFor(0ms);
    EXPECT_EQ(activations, 1);

    sim.desktop.setFrontmost(201);
    sim.desktop.setFrontmost(100);
    sim.loop.runFor(0ms);
    EXPECT_EQ(activations, 2);
}

TEST(SimWorkspaceServices, ReduceMotionAndIconsComeFromTheDescription) {
    nlohmann::json description = SampleDesktops::sampleDesktop();
    description["reduceMotion"] = true;
    description["appIcons"] = {{{"pid", 201}, {"path", "/usr/share/icons/safari.png"}}};
    TestSupport::VirtualDesktop sim(description.dump());
    Workspace& workspace = sim.desktop.workspace();

    EXPECT_TRUE(workspace.accessibilityDisplayShouldReduceMotion());
    sim.desktop.appServices().workspace.setReduceMotion(false);
    EXPECT_FALSE(workspace.accessibilityDisplayShouldReduceMotion());

    ASSERT_TRUE(workspace.iconForApplication(201));
    EXPECT_EQ(workspace.iconForApplication(201)->filePath, "/usr/share/icons/safari.png");
    EXPECT_FALSE(workspace.iconForApplication(202)) << "no icon described";
    sim.desktop.quit(201);
    EXPECT_FALSE(workspace.iconForApplication(201)) << "the application is gone";
    EXPECT_TRUE(workspace.iconForFile("/opt/Tessaline").isEmpty()) << "the generic icon";
}

TEST(SimWorkspaceServices, RunningCopiesAreTheDescribedApplicationsOfTheBundle) {
    nlohmann::json description = SampleDesktops::sampleDesktop();
    description["apps"].push_back({{"pid", 900},
                                   {"name", "Tessaline"},
                                   {"bundleIdentifier", "app.tessaline.Tessaline"},
                                   {"launchDate", 100.0}});
    TestSupport::VirtualDesktop sim(description.dump());
    RunningCopies& copies = sim.services().runningCopies;
    EXPECT_EQ(sim.services().bundle.bundleIdentifier(), "app.tessaline.Tessaline");

    const auto running = copies.runningApplications("app.tessaline.Tessaline");
    ASSERT_EQ(running.size(), 2u);
    EXPECT_EQ(running[0].processIdentifier, 100);
    EXPECT_EQ(running[1].processIdentifier, 900);
    EXPECT_FALSE(copies.isTerminated(900));

    EXPECT_TRUE(copies.activate(900, NSApplicationActivateAllWindows));
    EXPECT_EQ(sim.desktop.record().activationCalls.back().pid, 900);
    sim.desktop.quit(900);
    EXPECT_TRUE(copies.isTerminated(900));
    EXPECT_FALSE(copies.activate(900, NSApplicationActivateAllWindows));
}

TEST(SimWorkspaceServices, NotificationsOfAnotherSimulatedProcessArriveOnTheMainLoop) {
    TestSupport::VirtualDesktop sim(SampleDesktops::sampleDesktopText());
    sim::SimAppServices& app = sim.desktop.appServices();
    InMemoryDistributedNotificationCenter other(app.notificationBus, sim.loop, app.log, 900);
    std::vector<DistributedNotification> received;
    sim.services().distributedNotifications.addObserver(
        "app.tessaline.Tessaline.activation-request", "app.tessaline.Tessaline",
        [&](const DistributedNotification& notification) { received.push_back(notification); });

    const DistributedNotification request{"app.tessaline.Tessaline.activation-request",
                                          "app.tessaline.Tessaline",
                                          {{"requestingPID", Value(std::int64_t{900})}}};
    ASSERT_TRUE(other.postNotification(request, true));
    EXPECT_TRUE(other.postNotification({request.name, "another.bundle", {}}, true));
    EXPECT_TRUE(received.empty());
    sim.loop.runFor(0ms);
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0], request);
}

} // namespace
