#include "PollerTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

using namespace std::chrono_literals;
using PollerTesting::PollerRig;
using PollerTesting::ScanLines;

TEST(MenuBarPollerDiagnostics, TwoLinesPerScanAppended) {
    PollerRig rig(ScanTestSupport::sampleDesktopJson("notched-crowded"));
    const auto file = Parlowen::DiagnosticsAppender::path("tessaline-product-scan.txt");
    ASSERT_FALSE(std::filesystem::exists(file));

    rig.poller->scan("start", false);
    rig.run(0ms);
    rig.sim.desktop.setTrusted(false);
    rig.run(2s);
    rig.poller->scan("tick", false);
    rig.run(0ms);

    ASSERT_EQ(rig.snapshots.size(), 2u);
    EXPECT_EQ(ScanLines::read().all,
              (std::vector<std::string>{
                  "2025-01-01T00:00:00Z reason=start accessibilityTrusted=true",
                  "2025-01-01T00:00:00Z reason=start accessibilityTrusted=true itemCount=51 "
                  "statusCandidates=43 hiddenCount=15 rawHiddenCount=15",
                  "2025-01-01T00:00:02Z reason=tick accessibilityTrusted=false",
                  "2025-01-01T00:00:02Z reason=tick accessibilityTrusted=false itemCount=0 "
                  "statusCandidates=0 hiddenCount=0 rawHiddenCount=0",
              }));
}

// A reason cannot add or forge a line: its line feed and quotes are escaped.
TEST(MenuBarPollerDiagnostics, ReasonWithALineFeedWritesOneLine) {
    PollerRig rig;
    rig.poller->scan("tick\n2025-01-01T00:00:00Z reason=\"forged\"", false);
    rig.run(0ms);
    const auto lines = ScanLines::read().all;
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "2025-01-01T00:00:00Z reason=tick\\n2025-01-01T00:00:00Z "
                        "reason=\\\"forged\\\" accessibilityTrusted=true");
}

// Diagnostics never affect scanning: a planted link is left alone and the scan still arrives.
TEST(MenuBarPollerDiagnostics, UnwritableFileDoesNotStopScans) {
    PollerRig rig;
    const auto target = rig.folder.path() / "elsewhere.txt";
    std::filesystem::create_symlink(
        target, Parlowen::DiagnosticsAppender::path("tessaline-product-scan.txt"));
    rig.poller->scan("start", false);
    rig.run(0ms);
    EXPECT_EQ(rig.snapshots.size(), 1u);
    EXPECT_FALSE(std::filesystem::exists(target));
}

} // namespace
