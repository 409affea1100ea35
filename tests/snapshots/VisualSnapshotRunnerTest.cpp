#include "ui/Snapshots/VisualSnapshotRunner.h"
#include "Parlowen/QuickOpen/RecentMenuBarItemStore.h"
#include "Parlowen/Settings/L10n.h"
#include "platform/FileUserDefaults.h"
#include "platform/sim/SimulatedDesktop.h"
#include "platform/sim/VirtualRunLoop.h"
#include "tests/support/TemporaryFolder.h"
#include "tests/support/UiTestApplication.h"
#include "ui/Snapshots/SnapshotTarget.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QImageReader>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct RunOutput {
    int status = 0;
    std::string out;
    std::string err;
};

// A runner over a simulated desktop, started from a folder that holds "app/AppIcon.icns".
struct SnapshotFixture {
    platform::sim::VirtualClock clock;
    platform::sim::VirtualRunLoop loop{clock};
    platform::sim::SimulatedDesktop desktop{platform::sim::SimulatedDesktop::defaultDescription(),
                                            loop};
    TemporaryFolder folder;

    SnapshotFixture() {
        tessaline::testing::uiTestApplication();
        fs::create_directories(folder.path() / "app");
        fs::copy_file(TESSALINE_APP_ICON, folder.path() / "app" / "AppIcon.icns");
    }

    RunOutput run(std::vector<std::string> arguments) { return runFrom(folder.path(), arguments); }

    RunOutput runFrom(const fs::path& currentDirectory, std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), "tessaline");
        std::ostringstream out;
        std::ostringstream err;
        const platform::PlatformServices services = desktop.services();
        const int status =
            VisualSnapshotRunner::run(arguments, {services, out, err, currentDirectory});
        return {status, out.str(), err.str()};
    }
};

std::string failure(const std::string& description) {
    return "Visual snapshot failed: " + description + "\n";
}

TEST(VisualSnapshotArguments, FailuresNameTheirCauseAndWriteNothing) {
    const struct {
        std::vector<std::string> arguments;
        std::string err;
    } cases[] = {
        // A missing output folder is reported before the unknown target.
        {{"--visual-snapshot", "nonsense"}, failure("Missing --output <directory>.")},
        {{"--visual-snapshot", "all", "--output"}, failure("Missing --output <directory>.")},
        {{"--visual-snapshot", "ALL", "--output", "out"},
         failure("Unknown visual snapshot target: ALL.")},
        {{"--visual-snapshot", "--output", "out"},
         failure("Unknown visual snapshot target: --output.")},
        {{"--visual-snapshot", "All-clear-panel", "--output", "out"},
         failure("Unknown visual snapshot target: All-clear-panel.")},
    };
    for (const auto& testCase : cases) {
        SnapshotFixture fixture;
        const RunOutput output = fixture.run(testCase.arguments);
        EXPECT_EQ(output.status, 1) << testCase.err;
        EXPECT_EQ(output.err, testCase.err);
        EXPECT_EQ(output.out, "");
        EXPECT_FALSE(fs::exists(fixture.folder.path() / "out" / "manifest.json"));
    }
}

TEST(VisualSnapshotArguments, AFolderThatCannotBeMadeFailsBeforeAnyPicture) {
    SnapshotFixture fixture;
    std::ofstream(fixture.folder.path() / "blocker") << "a file, not a folder";
    const RunOutput output = fixture.run({"--output", "blocker/out", "--visual-snapshot"});
    EXPECT_EQ(output.status, 1);
    EXPECT_TRUE(output.err.starts_with("Visual snapshot failed: Could not create ")) << output.err;
    EXPECT_EQ(output.out, "");
}

TEST(VisualSnapshotArguments, TheForcedLanguageEndsWithTheRun) {
    SnapshotFixture fixture;
    Parlowen::L10n::setLocaleOverride("fr");
    const RunOutput output = fixture.run(
        {"--language", "ZH_TW", "--visual-snapshot", "all-clear-panel", "--output", "out"});
    EXPECT_EQ(output.status, 0) << output.err;
    EXPECT_EQ(Parlowen::L10n::localeOverride(), std::optional<std::string>("fr"));
    fixture.run({"--language", "de", "--visual-snapshot", "ALL", "--output", "out"});
    EXPECT_EQ(Parlowen::L10n::localeOverride(), std::optional<std::string>("fr"));
    Parlowen::L10n::setLocaleOverride(std::nullopt);
}

TEST(VisualSnapshotRunner, OneTargetWritesItsPictureManifestAndResultLine) {
    SnapshotFixture fixture;
    const RunOutput output =
        fixture.run({"--visual-snapshot", "all-clear-panel", "--output", "shots/./out/"});
    ASSERT_EQ(output.status, 0) << output.err;
    const fs::path folder = fixture.folder.path() / "shots" / "out";
    std::string escaped;
    for (const char character : folder.string()) {
        escaped += character == '/' ? std::string("\\/") : std::string(1, character);
    }
    EXPECT_EQ(output.out, "{\"captured\":1,\"outputDir\":\"" + escaped + "\"}\n");
    EXPECT_EQ(output.err, "");

    const std::string manifest = TemporaryFolder::read(folder / "manifest.json");
    const std::regex date(R"("capturedAt" : "\d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ")");
    EXPECT_EQ(std::regex_replace(manifest, date, "\"capturedAt\" : \"DATE\""),
              "{\n"
              "  \"capturedAt\" : \"DATE\",\n"
              "  \"targets\" : [\n"
              "    {\n"
              "      \"file\" : \"all-clear-panel.png\",\n"
              "      \"height\" : 452,\n"
              "      \"target\" : \"all-clear-panel\",\n"
              "      \"width\" : 440\n"
              "    }\n"
              "  ]\n"
              "}");
    EXPECT_EQ(std::vector<fs::path>(fs::directory_iterator(folder), {}).size(), 2u)
        << "no temporary file is left behind";
}

// The colour type byte of a PNG's header chunk: 6 is RGB with alpha.
int pngColorType(const std::string& data) {
    return data.size() > 25 ? static_cast<unsigned char>(data[25]) : -1;
}

TEST(VisualSnapshotRunner, EveryTargetIsDrawnAtItsSizeAlikeOnEveryRun) {
    SnapshotFixture fixture;
    const RunOutput first = fixture.run({"--output", "first", "--visual-snapshot"});
    ASSERT_EQ(first.status, 0) << first.err;
    EXPECT_NE(first.out.find("{\"captured\":12,"), std::string::npos);
    const RunOutput second = fixture.run({"--visual-snapshot", "all", "--output", "second"});
    ASSERT_EQ(second.status, 0) << second.err;

    const std::string manifest =
        TemporaryFolder::read(fixture.folder.path() / "first" / "manifest.json");
    std::size_t previous = 0;
    fs::create_directories(TESSALINE_SNAPSHOT_REVIEW_DIR);
    for (const SnapshotTarget target : SnapshotTargets::allCases) {
        const std::string file = std::string(SnapshotTargets::toString(target)) + ".png";
        // Rows are listed in render order.
        const std::size_t position = manifest.find("\"" + file + "\"");
        ASSERT_NE(position, std::string::npos) << file;
        EXPECT_GT(position, previous) << file;
        previous = position;

        const std::string data = TemporaryFolder::read(fixture.folder.path() / "first" / file);
        QImage image;
        ASSERT_TRUE(image.loadFromData(QByteArray::fromStdString(data), "PNG")) << file;
        EXPECT_EQ(image.size(), SnapshotTargets::size(target)) << file;
        EXPECT_EQ(pngColorType(data), 6) << file;
        EXPECT_EQ(data, TemporaryFolder::read(fixture.folder.path() / "second" / file)) << file;
        fs::copy_file(fixture.folder.path() / "first" / file,
                      fs::path(TESSALINE_SNAPSHOT_REVIEW_DIR) / file,
                      fs::copy_options::overwrite_existing);
    }
}

TEST(VisualSnapshotRunner, TheUsersSettingsNeverShowAndAreNeverTouched) {
    SnapshotFixture fixture;
    const RunOutput clean =
        fixture.run({"--visual-snapshot", "quick-open-search-panel", "--output", "clean"});
    ASSERT_EQ(clean.status, 0) << clean.err;

    const fs::path settingsFile = fixture.folder.path() / "defaults.json";
    auto userDefaults = std::make_shared<platform::FileUserDefaults>(settingsFile);
    userDefaults->set(Parlowen::RecentMenuBarItemStore::key,
                      std::string(R"([{"appName":"Dropbox","displayName":"Dropbox"}])"));
    userDefaults->set("panel.scope", std::string("allRightSide"));
    const auto previousStandard = platform::UserDefaults::standard();
    platform::UserDefaults::setStandard(userDefaults);
    const std::string before = TemporaryFolder::read(settingsFile);
    const auto modified = fs::last_write_time(settingsFile);

    const RunOutput seeded =
        fixture.run({"--visual-snapshot", "quick-open-search-panel", "--output", "seeded"});
    platform::UserDefaults::setStandard(previousStandard);
    ASSERT_EQ(seeded.status, 0) << seeded.err;
    EXPECT_EQ(
        TemporaryFolder::read(fixture.folder.path() / "seeded" / "quick-open-search-panel.png"),
        TemporaryFolder::read(fixture.folder.path() / "clean" / "quick-open-search-panel.png"));
    EXPECT_EQ(TemporaryFolder::read(settingsFile), before);
    EXPECT_EQ(fs::last_write_time(settingsFile), modified);
}

TEST(VisualSnapshotAppIcon, IsFoundBesideOrAboveTheCurrentFolder) {
    SnapshotFixture fixture;
    fs::create_directories(fixture.folder.path() / "build");
    const RunOutput output = fixture.runFrom(fixture.folder.path() / "build",
                                             {"--visual-snapshot", "app-icon", "--output", "out"});
    ASSERT_EQ(output.status, 0) << output.err;
    QImage icon(QString::fromStdString(
        (fixture.folder.path() / "build" / "out" / "app-icon.png").string()));
    EXPECT_EQ(icon.size(), QSize(1024, 1024));
    // The tile's corners stay clear.
    EXPECT_EQ(qAlpha(icon.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(icon.pixel(512, 512)), 255);
}

TEST(VisualSnapshotAppIcon, AMissingIconFailsAfterTheEarlierPicturesWithoutManifest) {
    SnapshotFixture fixture;
    fs::remove(fixture.folder.path() / "app" / "AppIcon.icns");
    const RunOutput output = fixture.run({"--visual-snapshot", "all", "--output", "out"});
    EXPECT_EQ(output.status, 1);
    EXPECT_EQ(output.err, failure("Could not find app/AppIcon.icns for app-icon snapshot."));
    EXPECT_EQ(output.out, "");
    EXPECT_FALSE(fs::exists(fixture.folder.path() / "out" / "manifest.json"));
    EXPECT_TRUE(fs::exists(fixture.folder.path() / "out" / "preferences-advanced.png"));
}

TEST(VisualSnapshotAppIcon, AnUnreadableIconNamesItsPath) {
    SnapshotFixture fixture;
    const fs::path icon = fixture.folder.path() / "app" / "AppIcon.icns";
    fs::remove(icon);
    std::ofstream(icon) << "icns but not really";
    const RunOutput output = fixture.run({"--visual-snapshot", "app-icon", "--output", "out"});
    EXPECT_EQ(output.status, 1);
    EXPECT_EQ(output.err, failure("Could not read app icon at " + icon.string() + "."));
}

} // namespace
