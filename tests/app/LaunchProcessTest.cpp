// The program's launch modes as a person starts them, without any display.
#include "tests/support/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <stdio.h>
#include <sys/wait.h>

#include <array>
#include <filesystem>
#include <string>

namespace {

struct Outcome {
    int status = -1;
    std::string output;
};

// Runs the program with the arguments, with neither a display nor a chosen Qt platform.
Outcome runWithoutDisplay(const std::string& arguments, const std::string& folder = ".") {
    const std::string command = "cd '" + folder +
                                "' && env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "
                                "-u SENTRY_DSN TESSALINE_DIAGNOSTICS_DIR=/nonexistent '" +
                                std::string(TESSALINE_PROGRAM) + "' " + arguments + " 2>&1";
    Outcome outcome;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return outcome;
    }
    std::array<char, 512> buffer{};
    while (const std::size_t read = std::fread(buffer.data(), 1, buffer.size(), pipe)) {
        outcome.output.append(buffer.data(), read);
    }
    const int status = ::pclose(pipe);
    outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return outcome;
}

TEST(LaunchProcessTest, HeadlessModesRunWithoutADisplay) {
    struct Row {
        const char* arguments;
        int status;
        const char* says;
    };
    const Row rows[] = {
        // The update smoke test refuses a missing feed address itself, after Qt started.
        {"--update-smoke", 2, "feed"},
        // The crash-reporting smoke test needs no application at all.
        {"--sentry-smoke", 2, ""},
        // The snapshots win over the debug panel, and check their own arguments.
        {"--debug --visual-snapshot", 1, "Visual snapshot failed: Missing --output <directory>."},
    };
    for (const Row& row : rows) {
        const Outcome outcome = runWithoutDisplay(row.arguments);
        EXPECT_EQ(outcome.status, row.status) << row.arguments << ": " << outcome.output;
        EXPECT_NE(outcome.output.find(row.says), std::string::npos) << outcome.output;
        EXPECT_EQ(outcome.output.find("could not connect to display"), std::string::npos)
            << outcome.output;
    }
}

// The width and height in a PNG file's header, zero when it is no PNG.
std::pair<std::uint32_t, std::uint32_t> pngSize(const std::string& bytes) {
    if (bytes.size() < 24 || bytes.compare(1, 3, "PNG") != 0) {
        return {0, 0};
    }
    const auto word = [&](std::size_t at) {
        std::uint32_t value = 0;
        for (std::size_t index = at; index < at + 4; ++index) {
            value = value << 8 | static_cast<unsigned char>(bytes[index]);
        }
        return value;
    };
    return {word(16), word(20)};
}

TEST(LaunchProcessTest, EveryVisualSnapshotIsWrittenWithoutADisplay) {
    // Kept in the build folder, so that every picture can be looked at after the run.
    const std::filesystem::path output = TESSALINE_SNAPSHOT_DIR;
    std::filesystem::remove_all(output);
    std::filesystem::create_directories(output);
    // Started from the sources, where the committed icon is found.
    const Outcome outcome = runWithoutDisplay(
        "--debug --visual-snapshot all --output '" + output.string() + "'", TESSALINE_SOURCE_DIR);
    ASSERT_EQ(outcome.status, 0) << outcome.output;
    EXPECT_NE(outcome.output.find("{\"captured\":12,\"outputDir\":"), std::string::npos)
        << outcome.output;
    const struct {
        const char* target;
        std::uint32_t width;
        std::uint32_t height;
    } targets[] = {
        {"first-launch", 1040, 760},           {"accessibility-permission", 1040, 760},
        {"hidden-icons-panel", 440, 452},      {"quick-open-no-hidden-panel", 440, 452},
        {"quick-open-search-panel", 440, 452}, {"missing-permission-panel", 440, 452},
        {"all-clear-panel", 440, 452},         {"quick-access-fallback", 840, 430},
        {"preferences-general", 640, 580},     {"preferences-quick-access", 640, 580},
        {"preferences-advanced", 640, 580},    {"app-icon", 1024, 1024},
    };
    const std::string manifest = TemporaryFolder::read(output / "manifest.json");
    std::size_t previous = 0;
    for (const auto& target : targets) {
        const std::string file = std::string(target.target) + ".png";
        EXPECT_EQ(pngSize(TemporaryFolder::read(output / file)),
                  std::make_pair(target.width, target.height))
            << file;
        // Listed in the manifest in render order.
        const std::size_t listed = manifest.find("\"file\" : \"" + file + "\"");
        EXPECT_NE(listed, std::string::npos) << file;
        EXPECT_GT(listed, previous) << file;
        previous = listed;
    }
}

TEST(LaunchProcessTest, TheProductWithoutADisplaySaysWhatToDoInOneLine) {
    const Outcome outcome = runWithoutDisplay("");
    EXPECT_EQ(outcome.status, 1);
    EXPECT_NE(outcome.output.find(R"(xvfb-run -s "-screen 0 2560x1600x24" make run)"),
              std::string::npos)
        << outcome.output;
    EXPECT_EQ(outcome.output.find('\n'), outcome.output.size() - 1) << outcome.output;
}

TEST(LaunchProcessTest, AnUnusableDesktopDescriptionIsRefusedByNameAndReason) {
    const struct {
        const char* arguments;
        const char* says;
    } rows[] = {
        {"-platform offscreen --desktop /nonexistent/desktop.json",
         "/nonexistent/desktop.json is not usable: (document): cannot be read"},
        // A device without end is read no further than the size limit.
        {"-platform offscreen --desktop /dev/zero",
         "/dev/zero is not usable: (document): is larger than 16 MiB"},
        // No path at all is no choice of the compiled-in desktop; refused before it looks for a
        // display, so a start that went on would stop at once for want of one.
        {"--desktop", "--desktop needs the path of a desktop description after it"},
    };
    for (const auto& row : rows) {
        const Outcome outcome = runWithoutDisplay(row.arguments);
        EXPECT_EQ(outcome.status, 2) << row.arguments << ": " << outcome.output;
        EXPECT_NE(outcome.output.find(row.says), std::string::npos) << outcome.output;
    }
}

} // namespace
