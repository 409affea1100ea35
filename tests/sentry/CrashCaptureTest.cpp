#include "sentry/SentrySDK.h"
#include "tests/sentry/SentryTestServer.h"
#include "tests/support/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <fstream>
#include <functional>
#include <stdexcept>
#include <thread>

namespace {

namespace fs = std::filesystem;

sentry::Options crashOptions(const std::string& dsn, const fs::path& folder) {
    sentry::Options options;
    options.dsn = dsn;
    options.releaseName = "tessaline@1.0+1";
    options.environment = "release";
    options.crashReportFolder = folder;
    return options;
}

// Runs `crash` in a child process that captures crashes into `folder`; answers the signal the
// child died of, or 0 when it did not die of a signal.
int signalOfCrashingChild(const fs::path& folder, const std::function<void()>& crash) {
    const pid_t child = ::fork();
    if (child == 0) {
        sentry::SentrySDK sdk;
        // Nothing is sent before the crash, so the server need not exist.
        if (!sdk.start(crashOptions("http://public@127.0.0.1:9/42", folder))) {
            ::_exit(10);
        }
        sdk.setUser(
            sentry::SentryUser{"crashed-install", std::nullopt, std::nullopt, std::nullopt});
        sdk.configureScope([](sentry::Scope& scope) { scope.setTag("1.0", "tessaline.version"); });
        try {
            crash();
        } catch (...) {
        }
        ::_exit(11);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFSIGNALED(status) ? WTERMSIG(status) : 0;
}

// Writes to a page that may not be touched: a real fault, not a raised signal.
void writeToProtectedPage() {
    void* page = ::mmap(nullptr, 4096, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    *static_cast<volatile int*>(page) = 1;
}

volatile bool keepRecursing = true;

// Recurses until the stack runs out; the handler then needs its alternate stack.
int overflowTheStack(int depth) {
    volatile char frame[1024];
    frame[0] = static_cast<char>(depth);
    return keepRecursing ? overflowTheStack(depth + 1) + frame[0] : 0;
}

std::vector<fs::path> reportsIn(const fs::path& folder) {
    return sentry::CrashReportStore(folder).pending();
}

mode_t permissions(const fs::path& path) {
    struct stat info {};
    ::lstat(path.c_str(), &info);
    return info.st_mode & 0777;
}

TEST(CrashCapture, ACrashingChildDiesOfItsSignalAndTheNextStartSendsOneFatalEvent) {
    struct Row {
        const char* name;
        std::function<void()> crash;
        int signal;
        const char* type;
    };
    const std::vector<Row> rows{
        {"segmentation fault", [] { std::raise(SIGSEGV); }, SIGSEGV, "SIGSEGV"},
        {"floating-point exception", [] { std::raise(SIGFPE); }, SIGFPE, "SIGFPE"},
        {"fault on a protected page", writeToProtectedPage, SIGSEGV, "SIGSEGV"},
        {"stack overflow", [] { overflowTheStack(0); }, SIGSEGV, "SIGSEGV"},
        {"uncaught exception", [] { std::thread([] { throw std::runtime_error("boom"); }).join(); },
         SIGABRT, "std::runtime_error"},
    };
    for (const auto& row : rows) {
        TemporaryFolder temporary;
        const auto folder = temporary.path() / "state" / "crash-reports";
        EXPECT_EQ(signalOfCrashingChild(folder, row.crash), row.signal) << row.name;

        const auto reports = reportsIn(folder);
        ASSERT_EQ(reports.size(), 1u) << row.name;
        EXPECT_EQ(permissions(folder), 0700u) << row.name;
        EXPECT_EQ(permissions(reports[0]), 0600u) << row.name;

        SentryTestServer server;
        sentry::SentrySDK sdk;
        ASSERT_TRUE(sdk.start(crashOptions(server.dsn(), folder)));
        ASSERT_TRUE(sdk.flush(5)) << row.name;
        const auto events = server.events();
        ASSERT_EQ(events.size(), 1u) << row.name;
        const auto& event = events[0];
        EXPECT_EQ(event.at("level"), "fatal") << row.name;
        EXPECT_EQ(event.at("release"), "tessaline@1.0+1") << row.name;
        EXPECT_EQ(event.at("user").at("id"), "crashed-install") << row.name;
        EXPECT_EQ(event.at("tags").at("tessaline.version"), "1.0") << row.name;
        const auto& exception = event.at("exception").at("values").at(0);
        EXPECT_EQ(exception.at("type"), row.type) << row.name;
        EXPECT_FALSE(exception.at("mechanism").at("handled").get<bool>()) << row.name;
        EXPECT_FALSE(exception.at("stacktrace").at("frames").empty()) << row.name;
        EXPECT_TRUE(reportsIn(folder).empty()) << "a delivered report is removed: " << row.name;
    }
}

// A report goes once the server took or refused it; one the server never took (unreachable,
// or holding events back with 429) waits for the next start.
TEST(CrashCapture, AReportStaysUntilTheServerTookOrRefusedIt) {
    const struct {
        const char* name;
        int status; // 0: the server cannot be reached
        bool kept;
    } rows[] = {
        {"unreachable", 0, true},
        {"rate limited", 429, true},
        {"refused", 400, false},
    };
    for (const auto& row : rows) {
        TemporaryFolder temporary;
        const auto folder = temporary.path() / "crash-reports";
        ASSERT_EQ(signalOfCrashingChild(folder, [] { std::raise(SIGSEGV); }), SIGSEGV) << row.name;
        SentryTestServer server;
        if (row.status == 0) {
            server.http.stop();
        } else {
            server.http.respond(SentryTestServer::envelopePath, {row.status, {}, "{}"});
        }
        {
            sentry::SentrySDK sdk;
            ASSERT_TRUE(sdk.start(crashOptions(server.dsn(), folder))) << row.name;
            EXPECT_FALSE(sdk.flush(5)) << row.name;
        }
        EXPECT_EQ(server.http.requests().size(), row.status == 0 ? 0u : 1u) << row.name;
        EXPECT_EQ(reportsIn(folder).size(), row.kept ? 1u : 0u) << row.name;
    }
}

TEST(CrashCapture, UnreadableOldAndForeignReportsAreNotSent) {
    TemporaryFolder temporary;
    const auto folder = temporary.path() / "crash-reports";
    ASSERT_TRUE(sentry::CrashReportStore(folder).prepare());
    { std::ofstream(folder / "truncated.envelope") << "{\"event_id\":\"00\"}\n{\"type\":\"ev"; }
    SentryTestServer server;
    {
        sentry::SentrySDK sdk;
        ASSERT_TRUE(sdk.start(crashOptions(server.dsn(), folder)));
        EXPECT_TRUE(sdk.flush(5));
    }
    EXPECT_TRUE(reportsIn(folder).empty());
    EXPECT_TRUE(server.http.requests().empty());

    // Reports beyond the limit drop the oldest.
    const auto now = fs::file_time_type::clock::now();
    for (std::size_t i = 0; i < sentry::CrashReportStore::maxPendingReports + 5; ++i) {
        const auto report = folder / ("report-" + std::to_string(i) + ".envelope");
        std::ofstream(report) << "{}\n";
        fs::last_write_time(report, now - std::chrono::hours(100 - i));
    }
    const auto kept = sentry::CrashReportStore(folder).pruned();
    ASSERT_EQ(kept.size(), sentry::CrashReportStore::maxPendingReports);
    EXPECT_EQ(kept.front().filename(), "report-5.envelope");
    EXPECT_EQ(reportsIn(folder), kept);

    // A link in place of the folder is not followed.
    const auto link = temporary.path() / "linked";
    fs::create_directory_symlink(folder, link);
    EXPECT_FALSE(sentry::CrashReportStore(link).prepare());
}

} // namespace
