// Real copies of the program (offscreen) racing for the one-copy lock.
#include "tests/support/ChildProcesses.h"
#include "tests/support/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <functional>
#include <initializer_list>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

extern char** environ;

namespace {

// A user of its own for each test: data, config, runtime and diagnostic folders.
struct IsolatedUser {
    TemporaryFolder home;

    std::vector<std::string> environment() const {
        std::vector<std::string> variables;
        for (char** entry = environ; *entry != nullptr; ++entry) {
            const std::string text = *entry;
            if (!text.starts_with("XDG_") && !text.starts_with("HOME=") &&
                !text.starts_with("TESSALINE_") && !text.starts_with("QT_QPA_PLATFORM=") &&
                !text.starts_with("DISPLAY=")) {
                variables.push_back(text);
            }
        }
        const auto folder = [this](const char* name) {
            const auto path = home.path() / name;
            std::filesystem::create_directories(path);
            ::chmod(path.c_str(), 0700);
            return path.string();
        };
        variables.push_back("HOME=" + home.path().string());
        variables.push_back("XDG_DATA_HOME=" + folder("data"));
        variables.push_back("XDG_CONFIG_HOME=" + folder("config"));
        variables.push_back("XDG_STATE_HOME=" + folder("state"));
        variables.push_back("XDG_RUNTIME_DIR=" + folder("runtime"));
        variables.push_back("TESSALINE_DIAGNOSTICS_DIR=" + folder("diagnostics"));
        variables.push_back("QT_QPA_PLATFORM=offscreen");
        return variables;
    }

    std::string launchLines() const {
        return TemporaryFolder::read(home.path() / "diagnostics" / "tessaline-launch.txt");
    }

    // Starts a copy with the signals that end a session at their default action, except those
    // of `ignored`, which it starts with ignored (as `nohup` or a non-interactive shell's
    // background job would), whatever this test process inherited. A `runner` (a program and
    // its arguments) runs the copy in its place.
    pid_t launch(std::initializer_list<int> ignored = {},
                 std::vector<std::string> runner = {}) const {
        std::vector<std::string> variables = environment();
        std::vector<char*> env;
        for (std::string& variable : variables) {
            env.push_back(variable.data());
        }
        env.push_back(nullptr);
        runner.push_back(TESSALINE_PROGRAM);
        std::vector<char*> argv;
        for (std::string& word : runner) {
            argv.push_back(word.data());
        }
        argv.push_back(nullptr);
        const pid_t pid = ::fork();
        if (pid == 0) {
            // Only async-signal-safe calls between fork and exec.
            sigset_t none;
            sigemptyset(&none);
            ::sigprocmask(SIG_SETMASK, &none, nullptr);
            for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
                struct sigaction action {};
                action.sa_handler = SIG_DFL;
                for (const int ignoredSignal : ignored) {
                    if (ignoredSignal == signal) {
                        action.sa_handler = SIG_IGN;
                    }
                }
                ::sigaction(signal, &action, nullptr);
            }
            ::execve(argv[0], argv.data(), env.data());
            ::_exit(127);
        }
        EXPECT_GT(pid, 0);
        return pid;
    }
};

int count(const std::string& text, const std::string& word) {
    int found = 0;
    for (std::size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) {
        ++found;
    }
    return found;
}

// Waits until the condition holds, looking again every `pause`; false at the deadline.
bool waitFor(const std::function<bool()>& condition, std::chrono::seconds limit,
             std::chrono::milliseconds pause = std::chrono::milliseconds(20)) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(pause);
    }
    return true;
}

void stop(pid_t pid) {
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
}

// Whether the signal is in a mask of the process's /proc status: "SigCgt:" the signals it has
// a handler for, "SigIgn:" those it ignores, "ShdPnd:" those sent to it and not yet taken;
// false once it is gone.
bool inSignalMask(pid_t pid, const std::string& mask, int signal) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with(mask)) {
            return (std::stoull(line.substr(mask.size()), nullptr, 16) >> (signal - 1) & 1) != 0;
        }
    }
    return false;
}

// Sends the signal and waits until the process has taken it: two signals of a kind pending at
// once are one, and the next one sent must arrive as a signal of its own.
void sendTaken(pid_t pid, int signal) {
    ::kill(pid, signal);
    waitFor([&] { return !inSignalMask(pid, "ShdPnd:", signal); }, std::chrono::seconds(20),
            std::chrono::milliseconds(1));
}

// The status of the process once it ended, within a generous minute; none when it still runs
// (it is stopped then).
std::optional<int> endOf(pid_t pid) {
    int status = -1;
    if (waitFor([&] { return ::waitpid(pid, &status, WNOHANG) == pid; },
                std::chrono::seconds(60))) {
        return status;
    }
    stop(pid);
    return std::nullopt;
}

// Whether the user's first copy went on as the product, within a generous minute.
bool wentOnAsProduct(const IsolatedUser& user) {
    return waitFor([&] { return count(user.launchLines(), "event=product") == 1; },
                   std::chrono::seconds(60));
}

// The user's copy, started while a child holds its settings lock (so that what the copy saves
// waits for the lock) and gone on as the product; none, with nothing left running, when either
// did not start.
struct CopyBehindSettingsLock {
    pid_t holder = -1;
    pid_t copy = -1;
};
std::optional<CopyBehindSettingsLock> startBehindSettingsLock(const IsolatedUser& user,
                                                              std::vector<std::string> runner) {
    const auto settings = user.home.path() / "config" / "tessaline" / "defaults.json";
    std::filesystem::create_directories(settings.parent_path());
    const std::string lock = settings.string() + ".lock";
    const pid_t holder = startHoldingChild([&] {
        const int file = ::open(lock.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        return file >= 0 && ::flock(file, LOCK_EX) == 0;
    });
    if (holder <= 0) {
        return std::nullopt;
    }
    const pid_t copy = user.launch({}, std::move(runner));
    if (!wentOnAsProduct(user)) {
        stop(copy);
        stop(holder);
        return std::nullopt;
    }
    return CopyBehindSettingsLock{holder, copy};
}

// Starts twenty copies at once and checks that exactly one stays and hears the other
// nineteen; every copy still running is stopped at the end.
void expectOneOfTwentyLeft(const IsolatedUser& user) {
    constexpr int copies = 20;
    std::vector<pid_t> pids;
    for (int i = 0; i < copies; ++i) {
        pids.push_back(user.launch());
    }
    std::map<pid_t, int> exits;
    EXPECT_TRUE(waitFor(
        [&] {
            for (const pid_t pid : pids) {
                int status = 0;
                if (!exits.contains(pid) && ::waitpid(pid, &status, WNOHANG) == pid) {
                    exits[pid] = status;
                }
            }
            return exits.size() >= copies - 1;
        },
        std::chrono::seconds(60)))
        << exits.size() << " copies ended";
    for (const auto& [pid, status] : exits) {
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << pid << " ended " << status;
    }
    std::vector<pid_t> running;
    for (const pid_t pid : pids) {
        if (!exits.contains(pid)) {
            running.push_back(pid);
        }
    }
    EXPECT_EQ(running.size(), 1u);
    if (running.size() == 1) {
        EXPECT_TRUE(waitFor(
            [&] {
                return count(user.launchLines(), "event=duplicate-instance-activation-request") ==
                       copies - 1;
            },
            std::chrono::seconds(20)))
            << user.launchLines();
        const std::string lines = user.launchLines();
        EXPECT_EQ(count(lines, "event=duplicate-instance-exit"), copies - 1);
        EXPECT_EQ(count(lines, "event=product"), 1);
    }
    for (const pid_t pid : running) {
        stop(pid);
    }
}

// With the lock file usable, and with a link planted at its path (the lock is then taken by
// name), twenty copies started at once leave exactly one.
TEST(RacingCopiesTest, TwentyCopiesAtOnceLeaveExactlyOneThatHearsEveryOther) {
    const struct {
        const char* name;
        bool linkAtTheLockPath;
    } rows[] = {{"a lock file", false}, {"a link at the lock path", true}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        IsolatedUser user;
        if (row.linkAtTheLockPath) {
            const auto lock = user.home.path() / "data" / "Tessaline" / "Tessaline.lock";
            std::filesystem::create_directories(lock.parent_path());
            std::ofstream(user.home.path() / "elsewhere") << "keep\n";
            std::filesystem::create_symlink(user.home.path() / "elsewhere", lock);
        }
        expectOneOfTwentyLeft(user);
        if (row.linkAtTheLockPath) {
            EXPECT_EQ(TemporaryFolder::read(user.home.path() / "elsewhere"), "keep\n");
        }
    }
}

TEST(RacingCopiesTest, TheLockOfAKilledCopyDoesNotBlockTheNext) {
    IsolatedUser user;
    const pid_t first = user.launch();
    ASSERT_TRUE(waitFor([&] { return count(user.launchLines(), "event=product") == 1; },
                        std::chrono::seconds(20)));
    stop(first);
    const pid_t second = user.launch();
    ASSERT_TRUE(waitFor([&] { return count(user.launchLines(), "event=product") == 2; },
                        std::chrono::seconds(20)))
        << user.launchLines();
    EXPECT_EQ(count(user.launchLines(), "duplicate"), 0);
    EXPECT_EQ(::waitpid(second, nullptr, WNOHANG), 0) << "the second copy should still run";
    stop(second);
}

// A process of another user holding this user's lock file (one started from root with this
// user's folders, say) turns the start away as a failure: no copy of this user's runs to come
// forward.
TEST(RacingCopiesTest, ALockFileHeldByAnotherUserFailsTheStart) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "acting as another user needs root";
    }
    IsolatedUser user;
    const auto lock = user.home.path() / "data" / "Tessaline" / "Tessaline.lock";
    std::filesystem::create_directories(lock.parent_path());
    const pid_t holder = startHoldingChild([&] {
        const int file = ::open(lock.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        return file >= 0 && ::flock(file, LOCK_EX) == 0 && ::setuid(65534) == 0;
    });
    ASSERT_GT(holder, 0);

    const pid_t copy = user.launch();
    int status = -1;
    const bool ended = waitFor([&] { return ::waitpid(copy, &status, WNOHANG) == copy; },
                               std::chrono::seconds(60));
    if (!ended) {
        stop(copy);
    }
    stop(holder);
    ASSERT_TRUE(ended);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status;
    EXPECT_EQ(count(user.launchLines(), "event=lock-held-by-another-user-exit"), 1)
        << user.launchLines();
    EXPECT_EQ(count(user.launchLines(), "event=product"), 0);
}

// A signal that ends the session (logout, `kill`, Ctrl-C, a closed terminal) ends the program as
// its Quit does: settings written while another process held their lock (the first start's
// keys) are saved once that lock frees, within the end's wait, and the program exits normally.
// So does one request that arrives as two signals of a kind within milliseconds (a closing
// terminal's shell passes SIGHUP on to its job and the kernel sends another as the shell ends;
// `timeout` passes SIGTERM on to its command and then to its group), and a logout's SIGTERM
// and SIGHUP, which count apart however far apart they come.
TEST(RacingCopiesTest, ASignalEndsTheProgramAsQuitDoesAndSavesWhatWaits) {
    const struct {
        const char* name;
        std::vector<int> signals;
        std::chrono::seconds pause;
        std::vector<std::string> runner;
    } rows[] = {
        {"SIGTERM", {SIGTERM}, {}, {}},
        {"SIGINT", {SIGINT}, {}, {}},
        {"SIGHUP", {SIGHUP}, {}, {}},
        {"SIGTERM twice within milliseconds", {SIGTERM, SIGTERM}, {}, {}},
        {"SIGINT twice within milliseconds", {SIGINT, SIGINT}, {}, {}},
        {"SIGHUP twice within milliseconds", {SIGHUP, SIGHUP}, {}, {}},
        {"SIGTERM, SIGHUP a second later", {SIGTERM, SIGHUP}, std::chrono::seconds(1), {}},
        {"SIGTERM to timeout", {SIGTERM}, {}, {"/usr/bin/timeout", "-s", "KILL", "300"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        IsolatedUser user;
        const auto run = startBehindSettingsLock(user, row.runner);
        ASSERT_TRUE(run);
        for (std::size_t sent = 0; sent < row.signals.size(); ++sent) {
            std::this_thread::sleep_for(sent == 0 ? std::chrono::seconds(0) : row.pause);
            sendTaken(run->copy, row.signals[sent]);
        }
        stop(run->holder);
        const auto status = endOf(run->copy);
        ASSERT_TRUE(status);
        EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0) << *status;
        const auto settings = user.home.path() / "config" / "tessaline" / "defaults.json";
        EXPECT_NE(TemporaryFolder::read(settings).find(R"("firstRun.defaultsApplied": true)"),
                  std::string::npos)
            << TemporaryFolder::read(settings);
    }
}

// Started with SIGHUP ignored (under `nohup`) or SIGINT ignored (a background job of a
// non-interactive shell), the program keeps it ignored: after that signal it still answers a
// later copy, and SIGTERM still ends it as Quit does.
TEST(RacingCopiesTest, ASignalIgnoredAtStartStaysIgnored) {
    for (const int signal : {SIGHUP, SIGINT}) {
        SCOPED_TRACE(::strsignal(signal));
        IsolatedUser user;
        const pid_t copy = user.launch({signal});
        ASSERT_TRUE(wentOnAsProduct(user));
        // No handler for it: the kernel drops it, however long a quit would take to show.
        EXPECT_TRUE(inSignalMask(copy, "SigIgn:", signal));
        EXPECT_FALSE(inSignalMask(copy, "SigCgt:", signal));
        EXPECT_TRUE(inSignalMask(copy, "SigCgt:", SIGTERM));
        ::kill(copy, signal);
        // The later copy's request reaches the main loop after a quit that the signal would
        // have asked for.
        const auto later = endOf(user.launch());
        EXPECT_TRUE(later && WIFEXITED(*later) && WEXITSTATUS(*later) == 0);
        EXPECT_TRUE(waitFor(
            [&] {
                return count(user.launchLines(), "event=duplicate-instance-activation-request") ==
                       1;
            },
            std::chrono::seconds(20)))
            << user.launchLines();
        if (::waitpid(copy, nullptr, WNOHANG) != 0) {
            ADD_FAILURE() << "the first copy ended";
            continue;
        }
        ::kill(copy, SIGTERM);
        const auto status = endOf(copy);
        ASSERT_TRUE(status);
        EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0) << *status;
    }
}

// A second SIGTERM or SIGINT that a person sends after a pause ends the program at once, also
// while its end waits (up to 10 s) for a settings lock that another process holds: it ends by
// the signal before the lock frees.
TEST(RacingCopiesTest, ASecondSignalEndsTheProgramAtOnce) {
    for (const int signal : {SIGTERM, SIGINT}) {
        SCOPED_TRACE(::strsignal(signal));
        IsolatedUser user;
        const auto run = startBehindSettingsLock(user, {});
        ASSERT_TRUE(run);
        sendTaken(run->copy, signal);
        // A person's pause: far longer than the gap between two signals of one request.
        std::this_thread::sleep_for(std::chrono::seconds(1));
        ::kill(run->copy, signal);
        const auto status = endOf(run->copy);
        stop(run->holder);
        ASSERT_TRUE(status);
        EXPECT_TRUE(WIFSIGNALED(*status) && WTERMSIG(*status) == signal)
            << (WIFEXITED(*status) ? "exited with " + std::to_string(WEXITSTATUS(*status))
                                   : "ended by signal " + std::to_string(WTERMSIG(*status)));
    }
}

} // namespace
