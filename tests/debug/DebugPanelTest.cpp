#include "Parlowen/Settings/AppPreferences.h"
#include "Parlowen/Settings/DiagnosticsAppender.h"
#include "platform/InMemoryUserDefaults.h"
#include "platform/sim/SimulatedDesktop.h"
#include "platform/sim/VirtualRunLoop.h"
#include "tests/support/TemporaryFolder.h"
#include "tests/support/UiTestApplication.h"
#include "ui/Debug/DebugPanelController.h"
#include "ui/Debug/DebugPanelText.h"

#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>

#include <sys/stat.h>

#include <cmath>
#include <limits>
#include <string>
#include <tuple>

namespace {

namespace fs = std::filesystem;
using Parlowen::AXMenuBarItemRecord;
using QelCore::ActionAttemptLog;

TEST(DebugPanelText, NumbersAreCutTowardZeroAndMissingValuesNamed) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const struct {
        std::optional<platform::CGRect> rect;
        std::string text;
    } cases[] = {
        {platform::CGRect{{1200.7, 0}, {24.5, 22}}, "(x:1200, y:0, w:24, h:22)"},
        {platform::CGRect{{-1.7, -0.4}, {1e20, 3}}, "(x:-1, y:0, w:100000000000000000000, h:3)"},
        {platform::CGRect{{nan, inf}, {-inf, 1}}, "(x:nan, y:inf, w:-inf, h:1)"},
        {std::nullopt, "(nil)"},
    };
    for (const auto& testCase : cases) {
        EXPECT_EQ(DebugPanelText::stringify(testCase.rect), testCase.text);
    }
    EXPECT_EQ(DebugPanelText::stringify(std::optional<platform::CGPoint>({-1.7, 2.9})),
              "(x:-1, y:2)");
    EXPECT_EQ(DebugPanelText::stringify(std::optional<platform::CGSize>()), "(nil)");
}

AXMenuBarItemRecord item(std::string app, std::int32_t pid, std::string title) {
    AXMenuBarItemRecord record;
    record.appName = std::move(app);
    record.pid = pid;
    record.title = std::move(title);
    record.role = "AXMenuBarItem";
    record.subrole = "AXMenuExtra";
    record.actions = {"AXPress", "AXShowMenu"};
    record.notes = {"source=menuExtra"};
    return record;
}

ActionAttemptLog attempt(std::string app, std::int64_t pid, std::string title, std::string action) {
    ActionAttemptLog log;
    log.appName = std::move(app);
    log.pid = pid;
    log.title = std::move(title);
    log.action = std::move(action);
    log.result = "ok";
    return log;
}

TEST(DebugPanelText, AnItemShowsOnlyTheAttemptsOnItsProcessTitleAndApp) {
    const DebugPanelText::ScanState scan{{}, "screen 1", 1, "itemCount=0"};
    const auto dropbox = item("Dropbox", 42, "Dropbox");
    const std::vector<ActionAttemptLog> logs = {
        attempt("Dropbox", 42, "Dropbox", "AXPress"),
        attempt("Dropbox", 43, "Dropbox", "relaunched"),
        attempt("Dropbox", 42, "Sync", "otherTitle"),
        attempt("Box", 42, "Dropbox", "otherApp"),
        attempt("Dropbox", 42, "Dropbox", "AXShowMenu"),
    };
    const std::string details = DebugPanelText::itemDetailsText(dropbox, scan, logs);
    EXPECT_NE(details.find("action=AXPress"), std::string::npos);
    EXPECT_NE(details.find("action=AXShowMenu"), std::string::npos);
    for (const char* other : {"relaunched", "otherTitle", "otherApp"}) {
        EXPECT_EQ(details.find(other), std::string::npos) << other;
    }
    EXPECT_NE(details.find("screen=- classification=unknown"), std::string::npos);
    EXPECT_NE(details.find("frame=(nil) position=(nil) size=(nil)"), std::string::npos);

    const std::string relaunched =
        DebugPanelText::itemDetailsText(item("Dropbox", 99, "Dropbox"), scan, logs);
    EXPECT_NE(relaunched.find("attempts=\n(none)\n"), std::string::npos);
}

TEST(DebugPanelText, AnOddTitleStaysOnOneLineInTheLogAndTheDump) {
    DebugPanelText::ScanState scan{{item("Wi\"Fi", 7, "Home \"Net\"\nwork\\")}, "screen", 1, "s"};
    const std::string log = DebugPanelText::copyableLog("2026-12-08T00:53:19Z", true, scan, {});
    EXPECT_NE(log.find("## Items\n- app=Wi\\\"Fi pid=7 title=\"Home \\\"Net\\\"\\nwork\\\\\" "
                       "role=AXMenuBarItem subrole=AXMenuExtra classification=unknown screen=- "
                       "actions=AXPress,AXShowMenu frame=(nil)\n\n## Action Attempts\n(none)"),
              std::string::npos)
        << log;
    const std::string dump = DebugPanelText::scanDump("T", "launch", false, scan);
    EXPECT_TRUE(dump.ends_with("items:\napp=Wi\\\"Fi title=Home \\\"Net\\\"\\nwork\\\\ "
                               "classification=unknown screen=- frame=(nil) "
                               "actions=AXPress,AXShowMenu notes=source=menuExtra\n"))
        << dump;
}

// A debug panel over a simulated desktop, its dump written into a fresh folder.
struct DebugPanelFixture {
    TemporaryFolder folder;
    platform::sim::VirtualClock clock;
    platform::sim::VirtualRunLoop loop{clock};
    platform::sim::SimulatedDesktop desktop;
    Parlowen::AppPreferences preferences{std::make_shared<platform::InMemoryUserDefaults>()};

    explicit DebugPanelFixture(platform::sim::DesktopDescription description =
                                   platform::sim::SimulatedDesktop::defaultDescription())
        : desktop(prepared(std::move(description), folder), loop) {}

    static platform::sim::DesktopDescription prepared(platform::sim::DesktopDescription description,
                                                      const TemporaryFolder& folder) {
        tessaline::testing::uiTestApplication();
        ::setenv(Parlowen::DiagnosticsAppender::directoryVariable, folder.path().c_str(), 1);
        return description;
    }
    ~DebugPanelFixture() { ::unsetenv(Parlowen::DiagnosticsAppender::directoryVariable); }

    fs::path dumpPath() const { return folder.path() / DebugPanelController::scanDumpFileName; }
};

TEST(DebugPanelController, AnEmptyScanDumpsNone) {
    auto description = platform::sim::SimulatedDesktop::defaultDescription();
    description.statusItems.clear();
    description.apps.clear();
    description.windows.clear();
    DebugPanelFixture fixture(description);
    DebugPanelController panel(fixture.desktop.services(), fixture.preferences);
    EXPECT_EQ(panel.tableView()->rowCount(), 0);
    const std::string dump = TemporaryFolder::read(fixture.dumpPath());
    EXPECT_TRUE(dump.starts_with("generatedAt=")) << dump;
    EXPECT_NE(dump.find("\nreason=launch\n"), std::string::npos);
    EXPECT_TRUE(dump.ends_with("\nitems:\n(none)\n")) << dump;
    struct stat status {};
    ASSERT_EQ(::stat(fixture.dumpPath().c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);
}

TEST(DebugPanelController, AnUntrustedScanStillRunsAndSaysSo) {
    auto description = platform::sim::SimulatedDesktop::defaultDescription();
    description.trust.trusted = false;
    DebugPanelFixture fixture(description);
    DebugPanelController panel(fixture.desktop.services(), fixture.preferences);
    EXPECT_TRUE(panel.statusLabel()->text().startsWith("Accessibility: missing."));
    const std::string dump = TemporaryFolder::read(fixture.dumpPath());
    EXPECT_NE(dump.find("\naccessibilityGranted=false\n"), std::string::npos) << dump;
    EXPECT_NE(dump.find("\nitems:\n"), std::string::npos);
}

TEST(DebugPanelController, EachScanReplacesTheDumpWithoutFollowingALink) {
    DebugPanelFixture fixture;
    const fs::path victim = fixture.folder.path() / "victim.txt";
    std::ofstream(victim) << "keep";
    fs::remove(fixture.dumpPath());
    fs::create_symlink(victim, fixture.dumpPath());

    DebugPanelController panel(fixture.desktop.services(), fixture.preferences);
    panel.refreshManually();
    EXPECT_EQ(TemporaryFolder::read(victim), "keep");
    EXPECT_FALSE(fs::is_symlink(fixture.dumpPath()));
    const std::string dump = TemporaryFolder::read(fixture.dumpPath());
    EXPECT_NE(dump.find("\nreason=manual-refresh\n"), std::string::npos);
    EXPECT_EQ(panel.tableView()->rowCount(), static_cast<int>(panel.scan().items.size()));
    // Only the dump and the planted file: no temporary file is left.
    EXPECT_EQ(std::vector<fs::path>(fs::directory_iterator(fixture.folder.path()), {}).size(), 2u);
}

TEST(DebugPanelController, CopyingPutsTheLogOnTheClipboard) {
    DebugPanelFixture fixture;
    DebugPanelController panel(fixture.desktop.services(), fixture.preferences);
    panel.copyLogs();
    const QString copied = QGuiApplication::clipboard()->text();
    EXPECT_TRUE(copied.startsWith("# Parlowen Experiment Log\ngeneratedAt="))
        << copied.toStdString();
    EXPECT_TRUE(copied.contains(QString("\nitemCount=%1\n").arg(panel.scan().items.size())));
    EXPECT_TRUE(copied.endsWith("## Action Attempts\n(none)"));
    EXPECT_EQ(panel.detailsTextView()->toPlainText(), copied);
}

QPushButton* button(const DebugPanelController& panel, const QString& title) {
    for (auto* candidate : panel.window()->findChildren<QPushButton*>()) {
        if (candidate->text() == title) {
            return candidate;
        }
    }
    return nullptr;
}

// The button's attempts join the log only for the selected item, and every later attempt is
// added after them, across items.
TEST(DebugPanelController, TryingTheSelectedItemLogsItsAttempts) {
    DebugPanelFixture fixture;
    DebugPanelController panel(fixture.desktop.services(), fixture.preferences);
    QPushButton* trySelected = button(panel, "Try Selected Action");
    ASSERT_NE(trySelected, nullptr);
    ASSERT_GE(panel.scan().items.size(), 2u);

    trySelected->click();
    EXPECT_TRUE(panel.logs().empty()) << "nothing selected, nothing tried";

    std::size_t before = 0;
    for (const int row : {1, 0}) {
        panel.tableView()->selectRow(row);
        const AXMenuBarItemRecord chosen = panel.scan().items[static_cast<std::size_t>(row)];
        trySelected->click();
        ASSERT_GT(panel.logs().size(), before) << chosen.title;
        for (std::size_t index = before; index < panel.logs().size(); ++index) {
            const ActionAttemptLog& log = panel.logs()[index];
            EXPECT_EQ(std::tie(log.appName, log.pid, log.title),
                      std::tie(chosen.appName, chosen.pid, chosen.title));
        }
        const std::string details = panel.detailsTextView()->toPlainText().toStdString();
        EXPECT_TRUE(details.starts_with("app=" + chosen.appName)) << details;
        EXPECT_NE(details.find("attempts=\n- app=" + chosen.appName), std::string::npos) << details;
        before = panel.logs().size();
    }

    // The copied log lists every attempt, oldest first.
    button(panel, "Copy Experiment Log")->click();
    const std::string copied = QGuiApplication::clipboard()->text().toStdString();
    const std::size_t attempts = copied.find("## Action Attempts\n");
    ASSERT_NE(attempts, std::string::npos);
    std::size_t lines = 0;
    for (std::size_t at = copied.find('\n', attempts); at != std::string::npos;
         at = copied.find('\n', at + 1)) {
        ++lines;
    }
    EXPECT_EQ(lines, panel.logs().size()) << copied;
    const auto firstLine = [&](std::size_t item) {
        return copied.find("title=\"" + panel.scan().items[item].title + "\"", attempts);
    };
    EXPECT_NE(firstLine(1), std::string::npos);
    EXPECT_LT(firstLine(1), firstLine(0));
}

} // namespace
