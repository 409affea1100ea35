// The program's launch modes as a person starts them, without any display.
#include <gtest/gtest.h>

#include <stdio.h>
#include <sys/wait.h>

#include <array>
#include <string>

namespace {

struct Outcome {
    int status = -1;
    std::string output;
};

// Runs the program with the arguments, with neither a display nor a chosen Qt platform.
Outcome runWithoutDisplay(const std::string& arguments) {
    const std::string command = "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "
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
        {"--debug --visual-snapshot", 1, "visual snapshots"},
    };
    for (const Row& row : rows) {
        const Outcome outcome = runWithoutDisplay(row.arguments);
        EXPECT_EQ(outcome.status, row.status) << row.arguments << ": " << outcome.output;
        EXPECT_NE(outcome.output.find(row.says), std::string::npos) << outcome.output;
        EXPECT_EQ(outcome.output.find("could not connect to display"), std::string::npos)
            << outcome.output;
    }
}

TEST(LaunchProcessTest, TheProductWithoutADisplaySaysWhatToDoInOneLine) {
    const Outcome outcome = runWithoutDisplay("");
    EXPECT_EQ(outcome.status, 1);
    EXPECT_NE(outcome.output.find("xvfb-run make run"), std::string::npos) << outcome.output;
    EXPECT_EQ(outcome.output.find('\n'), outcome.output.size() - 1) << outcome.output;
}

TEST(LaunchProcessTest, AnUnreadableDesktopDescriptionIsRefusedByName) {
    const Outcome outcome =
        runWithoutDisplay("-platform offscreen --desktop /nonexistent/desktop.json");
    EXPECT_EQ(outcome.status, 2);
    EXPECT_NE(outcome.output.find("/nonexistent/desktop.json"), std::string::npos)
        << outcome.output;
}

} // namespace
