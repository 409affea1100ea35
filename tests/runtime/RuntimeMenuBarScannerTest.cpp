#include "runtime/RuntimeMenuBarScanner.h"
#include "runtime/RuntimeItemIdentity.h"
#include "runtime/RuntimePermissionProbe.h"
#include "runtime/RuntimeScreenProbe.h"

#include "tests/runtime/RuntimeTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

namespace {

using QelCore::FixtureMenuBarItemSourceHint;
using QelCore::ScreenSnapshot;
using QelCore::VisibilityClassification;
using QelRuntime::RuntimeAXMenuBarItemRecord;
using QelRuntime::RuntimeItemIdentity;
using RuntimeTestSupport::Desktop;
using RuntimeTestSupport::sampleDesktop;

std::vector<std::string> identityTexts(const QelRuntime::RuntimeScanSnapshot& snapshot) {
    std::vector<std::string> texts;
    for (const auto& record : snapshot.items) {
        texts.push_back(RuntimeItemIdentity::of(record).text());
    }
    return texts;
}

TEST(RuntimeMenuBarScanner, ScansTheSampleDesktopInTheApplicationsOrder) {
    Desktop desktop;
    const auto snapshot = desktop.scan();
    ASSERT_FALSE(snapshot.items.empty());
    EXPECT_EQ(snapshot.screens,
              QelRuntime::RuntimeScreenProbe::captureScreens(desktop.desktop.displays()))
        << "the screens are captured by the scan itself";
    EXPECT_NE(snapshot.summary.find(
                  "\nscreenCount=1\nitemCount=" + std::to_string(snapshot.items.size()) + "\n"),
              std::string::npos)
        << snapshot.summary;
    EXPECT_NE(snapshot.summary.find("Control Center pid=150 source=AXExtrasMenuBar children="),
              std::string::npos)
        << snapshot.summary;

    // The application's reviewed scan of this desktop, less its own identity keys: the same
    // records with the same verdicts in the same order.
    std::ifstream golden(std::string(TESSALINE_SCAN_GOLDEN_DIR) + "/notched-crowded.txt");
    std::string expected;
    for (std::string line; std::getline(golden, line);) {
        expected += line.substr(0, line.rfind(" | ")) + "\n";
    }
    std::string actual;
    for (const auto& record : snapshot.items) {
        EXPECT_EQ(record.notes.front(), "source=" + QelCore::toString(record.sourceHint));
        actual += desktop.itemId(record) + " | " + record.appName + " | " + record.title + " | " +
                  QelCore::toString(record.classification) + " | " +
                  (record.isStatusCandidate ? "candidate" : "-") + "\n";
    }
    EXPECT_EQ(actual, expected);

    EXPECT_EQ(identityTexts(desktop.scan()), identityTexts(snapshot))
        << "a rescan names the same items in the same order";
}

TEST(RuntimeMenuBarScanner, MenuExtrasAreAlwaysFramedByTheWindowServer) {
    Desktop desktop;
    // Tailscale reports no position; its status window still shows where it is drawn.
    for (int scan = 0; scan < 2; ++scan) {
        const auto tailscale = desktop.record("tailscale-19");
        ASSERT_TRUE(tailscale && tailscale->frame) << scan;
        EXPECT_FALSE(tailscale->position.has_value());
        EXPECT_EQ(tailscale->classification, VisibilityClassification::hiddenBehindNotch);
        EXPECT_EQ(tailscale->notes,
                  (std::vector<std::string>{"source=menuExtra", "frameSource=windowServer"}));
    }
    for (const auto& record : desktop.scan().items) {
        if (record.sourceHint == FixtureMenuBarItemSourceHint::applicationMenu) {
            EXPECT_EQ(
                std::count(record.notes.begin(), record.notes.end(), "frameSource=windowServer"), 0)
                << record.title;
        }
    }
}

TEST(RuntimeMenuBarScanner, NeverScansItsHostProcess) {
    auto description = sampleDesktop();
    description["statusItems"].push_back(
        {{"id", "own"}, {"pid", 100}, {"width", 30}, {"attributes", {{"AXTitle", "Tessaline"}}}});
    Desktop desktop(description);
    ASSERT_TRUE(desktop.desktop.statusItemElement("own"));
    for (const auto& record : desktop.scan().items) {
        EXPECT_NE(record.pid, 100) << record.title;
    }
}

TEST(RuntimeMenuBarScanner, WithoutTrustGivesTheScreensAndNoItems) {
    Desktop desktop;
    desktop.desktop.setTrusted(false);
    const auto snapshot = desktop.scan();
    EXPECT_EQ(snapshot.screens.size(), 1u);
    EXPECT_TRUE(snapshot.items.empty());
    EXPECT_TRUE(snapshot.summary.ends_with("\nscreenCount=1\nitemCount=0\n")) << snapshot.summary;

    auto& accessibility = desktop.desktop.accessibility();
    EXPECT_FALSE(QelRuntime::RuntimePermissionProbe::isTrusted(accessibility, false));
    EXPECT_EQ(desktop.desktop.record().trustPrompts, 0) << "no prompt unless asked";
    EXPECT_FALSE(QelRuntime::RuntimePermissionProbe::isTrusted(accessibility, true));
    EXPECT_EQ(desktop.desktop.record().trustPrompts, 1);
}

TEST(RuntimeScreenProbe, MatchingScreen) {
    const auto screen = [](std::string id, platform::CGFloat x) {
        ScreenSnapshot snapshot;
        snapshot.id = std::move(id);
        snapshot.frame = {{x, 0}, {1000, 800}};
        return snapshot;
    };
    const ScreenSnapshot left = screen("Left#0", 0);
    ScreenSnapshot right = screen("Right#1", 1000);
    right.auxiliaryTopRightArea = {{2000, 700}, {100, 100}};
    const std::vector<ScreenSnapshot> screens{left, right};
    const struct {
        const char* name;
        platform::CGRect rect;
        std::vector<ScreenSnapshot> screens;
        const char* expected;
    } rows[] = {
        {"on the first screen", {{10, 780}, {20, 20}}, screens, "Left#0"},
        {"straddling both takes the first", {{990, 780}, {20, 20}}, screens, "Left#0"},
        {"on the second screen", {{1500, 780}, {20, 20}}, screens, "Right#1"},
        {"in the right auxiliary area only", {{2050, 750}, {20, 20}}, screens, "Right#1"},
        {"on no screen", {{5000, 5000}, {20, 20}}, screens, "none"},
        {"no screens at all", {{10, 780}, {20, 20}}, {}, "none"},
    };
    for (const auto& row : rows) {
        const auto* screen = QelRuntime::RuntimeScreenProbe::matchingScreen(row.rect, row.screens);
        EXPECT_EQ(screen ? screen->id : std::string("none"), row.expected) << row.name;
    }
}

TEST(RuntimeAXMenuBarItemRecord, KeepsWhatItIsGiven) {
    const RuntimeAXMenuBarItemRecord record(
        "Clock", 150, "Clock", "AXMenuBarItem", "(none)", std::nullopt, std::nullopt, std::nullopt,
        {}, FixtureMenuBarItemSourceHint::menuExtra, VisibilityClassification::visible, false,
        std::nullopt, platform::AXUIElement(150, 7), {"source=menuExtra"}, std::nullopt);
    EXPECT_EQ(record.bundleIdentifier, std::nullopt) << "nothing is looked up";
    EXPECT_EQ(record.pid, 150);
    EXPECT_EQ(record.element, platform::AXUIElement(150, 7));
}

} // namespace
