#include "Parlowen/Preferences/ScanSnapshotExport.h"
#include "Parlowen/Settings/DiagnosticsAppender.h"
#include "tests/support/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>

namespace {

using namespace Parlowen;
namespace Export = ScanSnapshotExport;

platform::WallTime at(std::int64_t secondsSince1970) {
    return platform::WallTime(std::chrono::seconds(secondsSince1970));
}

// One notched screen and two items: one placed, one without frame or screen.
ScanSnapshot sampleSnapshot() {
    ScanSnapshot snapshot;
    QelCore::ScreenSnapshot screen;
    screen.id = "display-1";
    screen.frame = {{0, 0}, {1512, 982}};
    screen.visibleFrame = {{0, 0}, {1512, 945}};
    screen.safeAreaInsets = {37, 0, 0, 0};
    screen.auxiliaryTopLeftArea = {{0, 945}, {661.5, 37}};
    snapshot.screens.push_back(screen);
    AXMenuBarItemRecord placed;
    placed.appName = "Wi-Fi/Bluetooth";
    placed.pid = 301;
    placed.title = "Wi-Fi";
    placed.role = "AXMenuBarItem";
    placed.subrole = "AXMenuExtra";
    placed.frame = platform::CGRect{{1300, 945}, {24, 37}};
    placed.actions = {"AXPress"};
    placed.sourceHint = QelCore::FixtureMenuBarItemSourceHint::menuExtra;
    placed.classification = QelCore::VisibilityClassification::visible;
    placed.isStatusCandidate = true;
    placed.screenID = "display-1";
    placed.notes = {"source=menuExtra"};
    AXMenuBarItemRecord lost;
    lost.appName = "Ghost";
    lost.pid = 9;
    lost.title = "";
    lost.role = "(unknown)";
    lost.subrole = "(none)";
    snapshot.items = {placed, lost};
    snapshot.scanStartedAt = at(1'796'000'000);
    snapshot.summary = "scanStartedAt=2026-11-30T00:53:20Z";
    return snapshot;
}

Export::ExportContext sampleContext() {
    return {at(1'796'000'003), true, true, false};
}

TEST(ScanSnapshotExportTest, FileBytesHaveSortedKeysEscapedSlashesAndNulls) {
    const auto bytes = Export::serialize(Export::document(sampleSnapshot(), sampleContext()));
    ASSERT_TRUE(std::holds_alternative<std::string>(bytes));
    const std::string expected = R"json({
  "accessibilityGranted" : true,
  "diagnosticLabelsEnabled" : false,
  "generatedAt" : "2026-11-30T00:53:23Z",
  "items" : [
    {
      "actions" : [
        "AXPress"
      ],
      "appName" : "Wi-Fi\/Bluetooth",
      "classification" : "visible",
      "frame" : {
        "height" : 37,
        "width" : 24,
        "x" : 1300,
        "y" : 945
      },
      "isStatusCandidate" : true,
      "notes" : [
        "source=menuExtra"
      ],
      "pid" : 301,
      "role" : "AXMenuBarItem",
      "screenID" : "display-1",
      "sourceHint" : "menuExtra",
      "subrole" : "AXMenuExtra",
      "title" : "Wi-Fi"
    },
    {
      "actions" : [],
      "appName" : "Ghost",
      "classification" : "unknown",
      "frame" : null,
      "isStatusCandidate" : false,
      "notes" : [],
      "pid" : 9,
      "role" : "(unknown)",
      "screenID" : null,
      "sourceHint" : "unknown",
      "subrole" : "(none)",
      "title" : ""
    }
  ],
  "renderedFrameAssistEnabled" : true,
  "scanStartedAt" : "2026-11-30T00:53:20Z",
  "screens" : [
    {
      "auxiliaryTopLeftArea" : {
        "height" : 37,
        "width" : 661.5,
        "x" : 0,
        "y" : 945
      },
      "auxiliaryTopRightArea" : {
        "height" : 0,
        "width" : 0,
        "x" : 0,
        "y" : 0
      },
      "frame" : {
        "height" : 982,
        "width" : 1512,
        "x" : 0,
        "y" : 0
      },
      "id" : "display-1",
      "safeAreaInsets" : {
        "bottom" : 0,
        "left" : 0,
        "right" : 0,
        "top" : 37
      },
      "visibleFrame" : {
        "height" : 945,
        "width" : 1512,
        "x" : 0,
        "y" : 0
      }
    }
  ],
  "source" : "AdvancedPaneController",
  "summary" : "scanStartedAt=2026-11-30T00:53:20Z"
})json";
    EXPECT_EQ(std::get<std::string>(bytes), expected);
}

TEST(ScanSnapshotExportTest, OnlyTheFirstHundredItemsAreWritten) {
    auto snapshot = sampleSnapshot();
    snapshot.items.resize(130, snapshot.items.front());
    const auto json = Export::document(snapshot, sampleContext());
    EXPECT_EQ(json["items"].size(), 100u);
    EXPECT_EQ(json["screens"].size(), 1u);
}

// Points the diagnostics folder at a fresh folder for one test.
class ExportFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::setenv(DiagnosticsAppender::directoryVariable, folder.path().c_str(), 1);
    }
    void TearDown() override { ::unsetenv(DiagnosticsAppender::directoryVariable); }

    TemporaryFolder folder;
};

TEST_F(ExportFolderTest, ExportFollowsTheDiagnosticsFolderWithMode0600) {
    const auto result = Export::exportSnapshot(sampleSnapshot(), sampleContext());
    ASSERT_TRUE(std::holds_alternative<std::filesystem::path>(result));
    const auto path = std::get<std::filesystem::path>(result);
    EXPECT_EQ(path, folder.path() / "tessaline-last-scan.json");
    struct stat info {};
    ASSERT_EQ(::lstat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()),
                            std::filesystem::directory_iterator()),
              1);
}

TEST_F(ExportFolderTest, PlantedLinkIsReplacedAndItsTargetLeftUntouched) {
    const auto target = folder.path() / "victim.txt";
    std::ofstream(target) << "keep me";
    const auto path = folder.path() / "tessaline-last-scan.json";
    std::filesystem::create_symlink(target, path);

    ASSERT_TRUE(std::holds_alternative<std::filesystem::path>(
        Export::exportSnapshot(sampleSnapshot(), sampleContext())));
    EXPECT_FALSE(std::filesystem::is_symlink(path));
    EXPECT_EQ(TemporaryFolder::read(target), "keep me");
    EXPECT_NE(TemporaryFolder::read(path).find("\"source\" : \"AdvancedPaneController\""),
              std::string::npos);
}

TEST_F(ExportFolderTest, NonFiniteValueFailsAndKeepsTheEarlierExport) {
    ASSERT_TRUE(std::holds_alternative<std::filesystem::path>(
        Export::exportSnapshot(sampleSnapshot(), sampleContext())));
    const auto path = folder.path() / "tessaline-last-scan.json";
    const auto earlier = TemporaryFolder::read(path);

    auto broken = sampleSnapshot();
    broken.items.front().frame->size.width = std::numeric_limits<double>::quiet_NaN();
    const auto result = Export::exportSnapshot(broken, sampleContext());
    ASSERT_TRUE(std::holds_alternative<Export::ExportError>(result));
    EXPECT_FALSE(std::get<Export::ExportError>(result).description.empty());
    EXPECT_EQ(TemporaryFolder::read(path), earlier);
}

TEST_F(ExportFolderTest, UnwritableFolderIsAnErrorNotACrash) {
    const auto result = Export::writeAtomically(folder.path() / "missing" / "x.json", "{}");
    ASSERT_TRUE(result.has_value());
    EXPECT_NE(result->description.find("No such file"), std::string::npos);
}

} // namespace
