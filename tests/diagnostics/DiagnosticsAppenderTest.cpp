#include "Parlowen/Settings/DiagnosticsAppender.h"
#include "platform/IsoTimestamp.h"

#include "tests/support/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <latch>
#include <set>
#include <sstream>
#include <thread>
#include <vector>

namespace {

namespace Appender = Parlowen::DiagnosticsAppender;

std::string contents(const std::filesystem::path& file) {
    return TemporaryFolder::read(file);
}

class DiagnosticsAppenderTest : public testing::Test {
protected:
    void SetUp() override { ::setenv(Appender::directoryVariable, folder.c_str(), 1); }
    void TearDown() override { ::unsetenv(Appender::directoryVariable); }

    TemporaryFolder temporary;
    const std::filesystem::path& folder = temporary.path();
};

TEST_F(DiagnosticsAppenderTest, FolderFollowsTheEnvironment) {
    EXPECT_EQ(Appender::path("tessaline-launch.txt"), folder / "tessaline-launch.txt");
    ::setenv(Appender::directoryVariable, "", 1);
    EXPECT_EQ(Appender::path("tessaline-launch.txt"), "/tmp/tessaline-launch.txt");
}

TEST_F(DiagnosticsAppenderTest, CreatesWithMode0600AndAppendsLines) {
    const auto file = Appender::path("tessaline-launch.txt");
    EXPECT_TRUE(Appender::append(file, "2025-01-31T09:05:00Z event=launch"));
    EXPECT_TRUE(Appender::append(file, "second\n"));
    EXPECT_EQ(contents(file), "2025-01-31T09:05:00Z event=launch\nsecond\n");
    struct stat status {};
    ASSERT_EQ(::stat(file.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);
}

TEST_F(DiagnosticsAppenderTest, PlantedPathsAreNotWrittenThrough) {
    const auto victim = folder / "victim.txt";
    std::ofstream(victim) << "precious\n";
    const auto symlinkPath = Appender::path("symlink.txt");
    std::filesystem::create_symlink(victim, symlinkPath);
    const auto hardLink = Appender::path("hardlink.txt");
    std::filesystem::create_hard_link(victim, hardLink);
    const auto fifo = Appender::path("fifo.txt");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const auto directory = Appender::path("directory.txt");
    std::filesystem::create_directory(directory);

    for (const auto& path : {symlinkPath, hardLink, fifo, directory}) {
        EXPECT_FALSE(Appender::append(path, "injected")) << path;
    }
    EXPECT_EQ(contents(victim), "precious\n");
}

TEST_F(DiagnosticsAppenderTest, ConcurrentLinesArriveWhole) {
    const auto file = Appender::path("tessaline-product-scan.txt");
    constexpr int writers = 4;
    constexpr int linesPerWriter = 200;
    const std::string padding(300, 'x');
    std::vector<std::thread> threads;
    std::latch start(writers); // the writers append at the same time
    for (int writer = 0; writer < writers; ++writer) {
        threads.emplace_back([&, writer] {
            start.arrive_and_wait();
            for (int index = 0; index < linesPerWriter; ++index) {
                Appender::append(file, "writer=" + std::to_string(writer) +
                                           " index=" + std::to_string(index) + " " + padding);
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    std::istringstream lines(contents(file));
    std::set<std::string> seen;
    for (std::string line; std::getline(lines, line);) {
        ASSERT_TRUE(line.starts_with("writer=") && line.ends_with(padding)) << line;
        seen.insert(line);
    }
    EXPECT_EQ(seen.size(), std::size_t{writers * linesPerWriter});
}

TEST(DiagnosticsTimestamp, IsoUtcWholeSeconds) {
    const platform::WallTime time =
        std::chrono::system_clock::from_time_t(1738314300) + std::chrono::milliseconds(999);
    EXPECT_EQ(platform::isoTimestamp(time), "2025-01-31T09:05:00Z");
}

} // namespace
