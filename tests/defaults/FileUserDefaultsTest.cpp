#include "platform/FileUserDefaults.h"

#include "tests/support/ChildProcesses.h"
#include "tests/support/TemporaryFolder.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fcntl.h>
#include <sched.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <latch>
#include <memory>
#include <mutex>
#include <sstream>
#include <thread>

namespace {

using namespace platform;

void writeFile(const std::filesystem::path& file, const std::string& text) {
    std::ofstream(file, std::ios::binary) << text;
}

// Caps the address space of this process at what it maps now and `more` bytes, so that a read
// without end fails soon (in a child process).
void capAddressSpace(rlim_t more) {
    std::ifstream statm("/proc/self/statm");
    rlim_t pages = 0;
    statm >> pages;
    const rlim_t cap = pages * static_cast<rlim_t>(::sysconf(_SC_PAGESIZE)) + more;
    const rlimit limit{cap, cap};
    ::setrlimit(RLIMIT_AS, &limit);
}

// Makes the folder one that this process cannot write to, root included: root writes whatever a
// folder's mode says, so it gets a read-only mount of the folder over itself, in a mount
// namespace of its own. Only for a child process, as the namespace is the whole process's.
// Answers the errno that writes in the folder fail with; none when no such mount can be made.
std::optional<int> makeUnwritable(const std::filesystem::path& folder) {
    if (::geteuid() != 0) {
        std::filesystem::permissions(folder, std::filesystem::perms::owner_read |
                                                 std::filesystem::perms::owner_exec);
        return EACCES;
    }
    const bool mounted =
        ::unshare(CLONE_NEWNS) == 0 &&
        ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
        ::mount(folder.c_str(), folder.c_str(), nullptr, MS_BIND, nullptr) == 0 &&
        ::mount(nullptr, folder.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) == 0;
    return mounted ? std::optional<int>(EROFS) : std::nullopt;
}

// The lines a store reports, from whichever thread it reports them.
class RecordedLines {
public:
    FileUserDefaults::FailureLog sink() {
        return [this](std::string_view line) {
            const std::lock_guard guard(mutex);
            lines.emplace_back(line);
        };
    }
    std::vector<std::string> all() const {
        const std::lock_guard guard(mutex);
        return lines;
    }

private:
    mutable std::mutex mutex;
    std::vector<std::string> lines;
};

// Looks again every millisecond until the condition holds; a condition that never holds ends
// in the test's timeout.
void eventually(const std::function<bool()>& condition) {
    while (!condition()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

bool mentions(const std::string& line, std::string_view word) {
    return line.find(word) != std::string::npos;
}

class FileUserDefaultsTest : public testing::Test {
protected:
    std::vector<std::filesystem::path> keptAside() const {
        std::vector<std::filesystem::path> found;
        for (const auto& entry : std::filesystem::directory_iterator(file.parent_path())) {
            if (entry.path().filename().string().starts_with("defaults.json.corrupt-")) {
                found.push_back(entry.path());
            }
        }
        return found;
    }

    TemporaryFolder temporary;
    const std::filesystem::path file = temporary.path() / "config" / "defaults.json";
};

TEST_F(FileUserDefaultsTest, WritesTheFileWithMode0600AndNoLeftovers) {
    ::umask(022);
    FileUserDefaults store(file);
    store.set("general.launchAtLogin", true);
    struct stat status {};
    ASSERT_EQ(::stat(file.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);
    for (const auto& entry : std::filesystem::directory_iterator(file.parent_path())) {
        const auto name = entry.path().filename().string();
        EXPECT_TRUE(name == "defaults.json" || name == "defaults.json.lock" ||
                    name == "defaults.json.lock.queue")
            << name;
    }
}

// Members written by another version or by hand stay where they are, whatever their type.
TEST_F(FileUserDefaultsTest, MembersOfOtherTypesAreKeptByteForByte) {
    const struct {
        const char* name;
        std::string member;
    } rows[] = {
        {"null", "null"},
        {"list", "[1, 2.50, \"x\"]"},
        {"nested object", "{\"b\": {\"c\": [true]}}"},
        {"unknown tag", R"({"date": "2020"})"},
        {"bad base64", R"({"data": "%%%"})"},
        {"two tags", R"({"data": "", "double": "nan"})"},
    };
    for (const auto& row : rows) {
        std::filesystem::remove_all(file.parent_path());
        std::filesystem::create_directories(file.parent_path());
        writeFile(file, "{\"a\": " + row.member + ",\n \"b\": 7, \"z\": \"kept\"}");

        FileUserDefaults store(file);
        EXPECT_EQ(store.objectForKey("a"), std::nullopt) << row.name;
        EXPECT_EQ(store.integerForKey("b"), 7) << row.name;
        store.set("c", true);

        EXPECT_TRUE(keptAside().empty()) << row.name;
        const auto text = TemporaryFolder::read(file);
        EXPECT_NE(text.find("\"a\": " + row.member + ",\n"), std::string::npos)
            << row.name << ": " << text;
        const FileUserDefaults reader(file);
        EXPECT_EQ(reader.integerForKey("b"), 7) << row.name;
        EXPECT_EQ(reader.stringForKey("z"), "kept") << row.name;
        EXPECT_TRUE(reader.boolForKey("c")) << row.name;

        // Writing the key itself replaces the member.
        store.set("a", std::int64_t{1});
        EXPECT_EQ(FileUserDefaults(file).integerForKey("a"), 1) << row.name;
    }
}

TEST_F(FileUserDefaultsTest, UndecodableFileReadsEmptyAndIsKeptAside) {
    const struct {
        const char* name;
        std::string text;
        const char* reason;
    } rows[] = {
        {"cut short", "{\"panel.scope\": \"hiddenOnly\"", "it is not valid JSON"},
        {"array", "[1, 2]", "it is not a JSON object"},
        {"a string", R"("a")", "it is not a JSON object"},
        {"invalid UTF-8", "{\"a\": \"\xff\xfe\"}", "it is not valid JSON"},
        {"empty file", "", "it is not valid JSON"},
    };
    for (const auto& row : rows) {
        std::filesystem::remove_all(file.parent_path());
        std::filesystem::create_directories(file.parent_path());
        writeFile(file, row.text);

        RecordedLines log;
        FileUserDefaults store(file, log.sink());
        EXPECT_EQ(store.objectForKey("a"), std::nullopt) << row.name;
        store.set("quickAccess.modifierShortcut", std::string("option"));

        const auto aside = keptAside();
        ASSERT_EQ(aside.size(), 1u) << row.name;
        EXPECT_EQ(TemporaryFolder::read(aside.front()), row.text) << row.name;
        EXPECT_EQ(log.all(), std::vector<std::string>{"Tessaline: settings file kept aside as " +
                                                      aside.front().string() + ": " + row.reason})
            << row.name;
        EXPECT_EQ(FileUserDefaults(file).stringForKey("quickAccess.modifierShortcut"), "option")
            << row.name;
    }
}

// What sits at the settings path but is no file to read (a pipe, a link to a device, a file
// past the size cap) is never read, so it can neither hang the start nor fill the memory: it is
// kept aside with a line saying why, and the next write makes a new file. Each row runs in a
// child with a capped address space, where a read without end fails soon; a pipe gets a
// settings text from this process once anything opens it to read.
TEST_F(FileUserDefaultsTest, WhatIsNoFileToReadIsKeptAsideUnread) {
    const std::string settings = R"({"a": 1})";
    const struct {
        const char* name;
        std::function<void()> plant;
        const char* reason;
    } rows[] = {
        {"pipe", [&] { ::mkfifo(file.c_str(), 0600); }, "not a regular file of this user"},
        {"link to a device", [&] { std::filesystem::create_symlink("/dev/zero", file); },
         "not a regular file of this user"},
        {"file past the size cap",
         [&] {
             writeFile(file, R"({"a": 1, "padding": ")" +
                                 std::string(FileUserDefaults::maximumFileSize, ' ') + "\"}");
         },
         "larger than 16 MiB"},
        // Root reads it all the same, so only the owner tells.
        {"another user's file",
         [&] {
             writeFile(file, settings);
             [[maybe_unused]] const int changed = ::chown(file.c_str(), 65534, 65534);
         },
         "not a regular file of this user"},
    };
    for (const auto& row : rows) {
        if (std::string_view(row.name) == "another user's file" && ::geteuid() != 0) {
            continue; // only root can give a file away
        }
        std::filesystem::remove_all(file.parent_path());
        std::filesystem::create_directories(file.parent_path());
        row.plant();
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            capAddressSpace(rlim_t{1} << 30);
            const auto keptAsideAndWritten = [&] {
                std::vector<std::string> log;
                FileUserDefaults store(file,
                                       [&](std::string_view line) { log.emplace_back(line); });
                if (store.objectForKey("a")) {
                    return false;
                }
                store.set("b", std::int64_t{2});
                const FileUserDefaults reader(file);
                return log.size() == 1 && log[0].find(row.reason) != std::string::npos &&
                       reader.integerForKey("b") == 2 && !reader.objectForKey("a");
            };
            try {
                ::_exit(keptAsideAndWritten() ? 0 : 1);
            } catch (...) {
                ::_exit(2);
            }
        }
        bool fed = false;
        int status = 0;
        while (::waitpid(child, &status, WNOHANG) == 0) {
            const int pipe = fed ? -1 : ::open(file.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
            struct stat opened {};
            if (pipe >= 0 && ::fstat(pipe, &opened) == 0 && S_ISFIFO(opened.st_mode)) {
                fed = ::write(pipe, settings.data(), settings.size()) > 0;
            }
            if (pipe >= 0) {
                ::close(pipe);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << row.name << ": " << status;
        EXPECT_EQ(keptAside().size(), 1u) << row.name;
    }
}

// A lock that another process holds stops nothing: reads and writes return after a short
// wait and reads see the changes at once. The moment the lock frees they are written, with no
// further access, and each one line tells; once written they are not written again. A lock
// belongs to an open file, so a descriptor of this process stands in for the other one.
TEST_F(FileUserDefaultsTest, ALockHeldElsewhereDelaysTheWriteAndBlocksNothing) {
    std::filesystem::create_directories(file.parent_path());
    const std::string original = R"({"a": 1})";
    writeFile(file, original);
    const int other = ::open((file.string() + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    ASSERT_EQ(::flock(other, LOCK_EX), 0);

    RecordedLines log;
    FileUserDefaults store(file, log.sink(), std::chrono::milliseconds(10));
    std::vector<std::optional<DefaultsValue>> seen;
    seen.push_back(store.objectForKey("a"));
    store.set("b", std::int64_t{2});
    store.removeObject("a");
    seen.push_back(store.objectForKey("a"));
    seen.push_back(store.objectForKey("b"));
    EXPECT_EQ(seen, (std::vector<std::optional<DefaultsValue>>{std::int64_t{1}, std::nullopt,
                                                               std::int64_t{2}}));
    EXPECT_EQ(TemporaryFolder::read(file), original);
    ASSERT_EQ(log.all().size(), 1u);
    EXPECT_TRUE(mentions(log.all()[0], "kept in memory")) << log.all()[0];

    ::close(other);
    eventually([&] { return log.all().size() == 2; });
    EXPECT_TRUE(mentions(log.all()[1], "are saved")) << log.all()[1];
    {
        const FileUserDefaults reader(file);
        EXPECT_EQ(reader.integerForKey("b"), 2);
        EXPECT_EQ(reader.objectForKey("a"), std::nullopt);
    }
    // Another writer's newer value stays when this store writes again.
    FileUserDefaults(file).set("b", std::int64_t{3});
    store.set("c", std::int64_t{4});
    const FileUserDefaults reader(file);
    EXPECT_EQ(reader.integerForKey("b"), 3);
    EXPECT_EQ(reader.integerForKey("c"), 4);
    EXPECT_EQ(log.all().size(), 2u);
}

// While one change waits for the lock, the next ones join it at once, whatever the wait, and
// each is applied in turn: two updates of one key both count. Nothing is said, as nothing waited
// past its bound.
TEST_F(FileUserDefaultsTest, ChangesMadeWhileOneWaitsJoinItWithoutWaiting) {
    std::filesystem::create_directories(file.parent_path());
    const int other = ::open((file.string() + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    ASSERT_EQ(::flock(other, LOCK_EX), 0);
    RecordedLines log;
    FileUserDefaults store(file, log.sink(), std::chrono::hours(1));
    std::thread first([&] { store.set("a", std::int64_t{1}); });
    eventually([&] { return store.objectForKey("a").has_value(); });

    const auto increment = [](const std::optional<DefaultsValue>& stored) {
        const auto* count = stored ? std::get_if<std::int64_t>(&*stored) : nullptr;
        return std::optional<DefaultsValue>(std::int64_t{count ? *count + 1 : 1});
    };
    store.set("b", std::int64_t{2});
    store.update("count", increment);
    store.update("count", increment);
    EXPECT_EQ(store.integerForKey("b"), 2);
    EXPECT_EQ(store.integerForKey("count"), 2);
    EXPECT_FALSE(std::filesystem::exists(file));

    ::close(other);
    first.join();
    const FileUserDefaults reader(file);
    EXPECT_EQ(reader.integerForKey("a"), 1);
    EXPECT_EQ(reader.integerForKey("b"), 2);
    EXPECT_EQ(reader.integerForKey("count"), 2);
    EXPECT_EQ(log.all(), std::vector<std::string>{});
}

// Updates that wait are counted once each, whatever is read between them: on what this process
// read, on what another writer put in the file meanwhile, and in what is written at last. Each
// runs once on each of those values, not again at every read.
TEST_F(FileUserDefaultsTest, EachWaitingUpdateCountsOnceOnWhateverTheFileHolds) {
    std::filesystem::create_directories(file.parent_path());
    writeFile(file, R"({"count": 5})");
    const int other = ::open((file.string() + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    ASSERT_EQ(::flock(other, LOCK_EX), 0);
    auto runs = std::make_shared<std::atomic<int>>(0); // the write runs the changes on its thread
    const auto increment = [runs](const std::optional<DefaultsValue>& stored) {
        ++*runs;
        const auto* count = stored ? std::get_if<std::int64_t>(&*stored) : nullptr;
        return std::optional<DefaultsValue>(std::int64_t{count ? *count + 1 : 1});
    };
    RecordedLines log;
    FileUserDefaults store(file, log.sink(), std::chrono::milliseconds(10));
    std::vector<std::int64_t> seen;
    for (int index = 0; index < 3; ++index) {
        store.update("count", increment);
        seen.push_back(store.integerForKey("count"));
        seen.push_back(store.integerForKey("count"));
    }
    // The holder of the lock writes the file, as another process's store does.
    const std::filesystem::path replacement = file.string() + ".other";
    writeFile(replacement, R"({"count": 100})");
    std::filesystem::rename(replacement, file);
    seen.push_back(store.integerForKey("count"));
    store.update("count", increment);
    seen.push_back(store.integerForKey("count"));
    EXPECT_EQ(seen, (std::vector<std::int64_t>{6, 6, 7, 7, 8, 8, 103, 104}));
    EXPECT_EQ(*runs, 3 + 3 + 1); // on 5, on 100, the fourth on 103

    ::close(other);
    eventually([&] { return log.all().size() == 2; });
    EXPECT_EQ(FileUserDefaults(file).integerForKey("count"), 104);
    EXPECT_EQ(store.integerForKey("count"), 104);
    EXPECT_EQ(*runs, 7 + 4);
}

// A change that waits applies to what the file holds when it is written, so one whose
// condition refuses the value seen already is answered with that value and does not wait: the
// caller decides what becomes of it, and no line tells of a change kept or not saved.
TEST_F(FileUserDefaultsTest, AChangeRefusedBeforeItWouldWaitIsNeitherKeptNorReported) {
    std::filesystem::create_directories(file.parent_path());
    const std::string original = R"({"key": 7})";
    int other = -1;
    const struct {
        const char* name;
        std::function<void()> block;
        std::function<void()> unblock;
    } rows[] = {
        {"lock held elsewhere",
         [&] {
             other = ::open((file.string() + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
             ::flock(other, LOCK_EX);
         },
         [&] { ::close(other); }},
        {"file unreadable for now",
         [&] {
             std::filesystem::remove(file);
             std::filesystem::create_symlink("/proc/self/mem", file);
         },
         [&] {
             std::filesystem::remove(file);
             writeFile(file, original);
         }},
    };
    for (const auto& row : rows) {
        writeFile(file, original);
        RecordedLines log;
        FileUserDefaults store(file, log.sink(), std::chrono::milliseconds(10));
        ASSERT_EQ(store.integerForKey("key"), 7) << row.name;
        row.block();
        const auto answer = store.updateIf(
            "key",
            [](const std::optional<DefaultsValue>& stored) {
                return !stored || std::holds_alternative<std::string>(*stored);
            },
            [](const std::optional<DefaultsValue>&) { return std::string("changed"); });
        EXPECT_EQ(answer, DefaultsValue(std::int64_t{7})) << row.name;
        row.unblock();
        store.synchronize();
        EXPECT_EQ(log.all(), std::vector<std::string>{}) << row.name;
        EXPECT_EQ(TemporaryFolder::read(file), original) << row.name;
    }
}

// Two processes append to one list while a third holds the lock: each change waits as the
// change it is and is applied to the list the file holds when its turn comes, so both appends
// are kept, and each process says truthfully that its change waited and was then saved.
TEST_F(FileUserDefaultsTest, ChangesThatWaitAreAppliedToWhatTheFileHoldsThen) {
    std::filesystem::create_directories(file.parent_path());
    writeFile(file, R"({"list": "start"})");
    const std::filesystem::path lock = file.string() + ".lock";
    const pid_t holder = startHoldingChild([&] {
        const int held = ::open(lock.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        return held >= 0 && ::flock(held, LOCK_EX) == 0;
    });
    ASSERT_GT(holder, 0);
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const auto appender = [&](std::string name) {
        return [&, name] {
            RecordedLines log;
            bool seen = false;
            {
                FileUserDefaults store(file, log.sink(), std::chrono::milliseconds(10));
                store.update("list", [name](const std::optional<DefaultsValue>& stored) {
                    const auto* text = stored ? std::get_if<std::string>(&*stored) : nullptr;
                    return std::optional<DefaultsValue>((text ? *text : "") + "," + name);
                });
                seen = mentions(store.stringForKey("list").value_or(""), name);
                if (::write(ready[1], "x", 1) != 1) {
                    return false;
                }
            } // the end waits for the lock
            const auto lines = log.all();
            return seen && lines.size() == 2 && mentions(lines[0], "kept in memory") &&
                   mentions(lines[1], "are saved");
        };
    };
    const auto children = startChildProcesses({appender("one"), appender("two")});
    // Both changes wait (a pipe read may take them one at a time).
    for (int arrived = 0; arrived < 2;) {
        char bytes[2];
        const ssize_t count = ::read(ready[0], bytes, sizeof bytes - arrived);
        ASSERT_GT(count, 0);
        arrived += static_cast<int>(count);
    }
    ::kill(holder, SIGKILL);
    ::waitpid(holder, nullptr, 0);
    EXPECT_TRUE(waitForChildProcesses(children));
    ::close(ready[0]);
    ::close(ready[1]);

    const auto list = FileUserDefaults(file).stringForKey("list").value_or("");
    EXPECT_TRUE(list == "start,one,two" || list == "start,two,one") << list;
}

// The end waits for the lock once more: what is written by then is saved; what is not is named
// in one line, and nothing says it was saved.
TEST_F(FileUserDefaultsTest, TheEndWaitsForTheLockAndNamesWhatItCouldNotSave) {
    for (const bool freed : {true, false}) {
        SCOPED_TRACE(freed ? "freed during the end's wait" : "held past it");
        std::filesystem::remove_all(file.parent_path());
        std::filesystem::create_directories(file.parent_path());
        const int other =
            ::open((file.string() + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        ASSERT_EQ(::flock(other, LOCK_EX), 0);
        RecordedLines log;
        FileUserDefaults store(file, log.sink(), std::chrono::milliseconds(10),
                               freed ? std::chrono::milliseconds(std::chrono::hours(1))
                                     : std::chrono::milliseconds(10));
        store.set("a", std::int64_t{1});
        store.set("b", std::int64_t{2});
        std::thread end([&] { store.synchronize(); });
        if (freed) {
            ::close(other);
        }
        end.join();
        const auto lines = log.all();
        ASSERT_EQ(lines.size(), 2u);
        if (freed) {
            EXPECT_TRUE(mentions(lines[1], "are saved")) << lines[1];
            EXPECT_EQ(FileUserDefaults(file).integerForKey("b"), 2);
        } else {
            EXPECT_EQ(lines[1], "Tessaline: settings not saved: another process still holds " +
                                    file.string() + ".lock; lost: a, b");
            EXPECT_FALSE(std::filesystem::exists(file));
            ::close(other);
        }
    }
}

// Both lines of a wait name the file that another process holds: the lock, or the gate before
// it in which writers wait their turn.
TEST_F(FileUserDefaultsTest, TheLinesOfAWaitNameTheFileHeld) {
    for (const std::string held : {".lock", ".lock.queue"}) {
        SCOPED_TRACE(held);
        std::filesystem::remove_all(file.parent_path());
        std::filesystem::create_directories(file.parent_path());
        const std::string heldPath = file.string() + held;
        const int other = ::open(heldPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        ASSERT_EQ(::flock(other, LOCK_EX), 0);
        RecordedLines log;
        {
            FileUserDefaults store(file, log.sink(), std::chrono::milliseconds(10),
                                   std::chrono::milliseconds(10));
            store.set("a", std::int64_t{1});
        }
        ::close(other);
        EXPECT_EQ(
            log.all(),
            (std::vector<std::string>{
                "Tessaline: settings change kept in memory until another process frees " + heldPath,
                "Tessaline: settings not saved: another process still holds " + heldPath +
                    "; lost: a"}));
    }
}

// A file replaced again and again by another writer (an editor's atomic save) while this store
// reads it is read again each time: it is never kept aside and a key it always holds is never
// missing.
TEST_F(FileUserDefaultsTest, AFileReplacedWhileItIsReadIsReadAgain) {
    std::filesystem::create_directories(file.parent_path());
    writeFile(file, R"({"stable": 1, "n": 0})");
    RecordedLines log;
    FileUserDefaults store(file, log.sink());
    ASSERT_EQ(store.integerForKey("stable"), 1);
    // Two versions swapped in one step, as fast as the file system allows.
    const std::filesystem::path other = file.string() + ".other";
    writeFile(other, R"({"stable": 1, "n": 1})");
    std::atomic<bool> done = false;
    std::thread editor([&] {
        while (!done) {
            ::renameat2(AT_FDCWD, other.c_str(), AT_FDCWD, file.c_str(), RENAME_EXCHANGE);
        }
    });
    int missing = 0;
    for (int read = 0; read < 50000; ++read) {
        missing += !store.objectForKey("stable").has_value();
    }
    done = true;
    editor.join();
    EXPECT_EQ(missing, 0);
    EXPECT_TRUE(keptAside().empty());
    EXPECT_EQ(log.all(), std::vector<std::string>{});
}

// A settings file that is a link (kept by a dotfile manager) is read through and written
// through: the link stays as it was and its target holds the change.
TEST_F(FileUserDefaultsTest, ALinkAtTheSettingsPathIsWrittenThrough) {
    const std::filesystem::path target = temporary.path() / "dotfiles" / "defaults.json";
    for (const auto& link : {target, std::filesystem::path("../dotfiles/defaults.json")}) {
        SCOPED_TRACE(link);
        std::filesystem::remove_all(file.parent_path());
        std::filesystem::remove_all(target.parent_path());
        std::filesystem::create_directories(file.parent_path());
        std::filesystem::create_directories(target.parent_path());
        writeFile(target, R"({"a": 1})");
        std::filesystem::create_symlink(link, file);

        FileUserDefaults store(file);
        EXPECT_EQ(store.integerForKey("a"), 1);
        store.set("b", std::int64_t{2});

        ASSERT_TRUE(std::filesystem::is_symlink(file));
        EXPECT_EQ(std::filesystem::read_symlink(file), link);
        const FileUserDefaults reader(target);
        EXPECT_EQ(reader.integerForKey("a"), 1);
        EXPECT_EQ(reader.integerForKey("b"), 2);
        EXPECT_TRUE(keptAside().empty());
        for (const auto& entry : std::filesystem::directory_iterator(target.parent_path())) {
            EXPECT_TRUE(entry.path() == target || entry.path() == target.string() + ".lock")
                << entry.path();
        }
    }
}

// A link whose target is no settings object (a typo in a dotfile) stays a link: the target's
// bad bytes are kept aside beside the target, and the target holds the settings from then on.
TEST_F(FileUserDefaultsTest, ALinkToAFileThatIsNoSettingsObjectStaysALink) {
    const std::filesystem::path target = temporary.path() / "dotfiles" / "defaults.json";
    const struct {
        const char* name;
        std::string text;
    } rows[] = {
        {"trailing comma", R"({"a": 1,})"},
        {"an array", "[1, 2]"},
    };
    for (const auto& row : rows) {
        std::filesystem::remove_all(file.parent_path());
        std::filesystem::remove_all(target.parent_path());
        std::filesystem::create_directories(file.parent_path());
        std::filesystem::create_directories(target.parent_path());
        writeFile(target, row.text);
        std::filesystem::create_symlink(target, file);

        RecordedLines log;
        {
            FileUserDefaults store(file, log.sink());
            EXPECT_EQ(store.objectForKey("a"), std::nullopt) << row.name;
            store.set("b", std::int64_t{2});
        }
        FileUserDefaults(file).set("c", std::int64_t{3});

        ASSERT_TRUE(std::filesystem::is_symlink(file)) << row.name;
        EXPECT_EQ(std::filesystem::read_symlink(file), target) << row.name;
        const auto stored = nlohmann::json::parse(TemporaryFolder::read(target), nullptr, false);
        EXPECT_EQ(stored, nlohmann::json({{"b", 2}, {"c", 3}})) << row.name;
        EXPECT_TRUE(keptAside().empty()) << row.name;
        std::vector<std::filesystem::path> besideTarget;
        for (const auto& entry : std::filesystem::directory_iterator(target.parent_path())) {
            if (entry.path() != target) {
                besideTarget.push_back(entry.path());
            }
        }
        ASSERT_EQ(besideTarget.size(), 1u) << row.name;
        EXPECT_TRUE(besideTarget[0].filename().string().starts_with("defaults.json.corrupt-"))
            << row.name << ": " << besideTarget[0];
        EXPECT_EQ(TemporaryFolder::read(besideTarget[0]), row.text) << row.name;
        ASSERT_EQ(log.all().size(), 1u) << row.name;
        EXPECT_TRUE(mentions(log.all()[0], "kept aside as " + besideTarget[0].string()))
            << row.name << ": " << log.all()[0];
    }
}

// A link whose target is no settings object, in a folder that cannot be written, can neither
// keep that file aside nor be written through: one line says that the file could not be kept
// aside and why, and each write that fails names that file and the link. The changes stay in
// memory for this process, and the file and the link as they were. The store runs in a child,
// which may make the folder a read-only mount of its own.
TEST_F(FileUserDefaultsTest, ALinkIntoAFolderThatCannotBeWrittenNamesItsTarget) {
    const std::filesystem::path target = temporary.path() / "dotfiles" / "settings.json";
    const std::filesystem::path lines = temporary.path() / "lines";
    std::filesystem::create_directories(file.parent_path());
    std::filesystem::create_directories(target.parent_path());
    const std::string bad = R"({"a": 1,)";
    writeFile(target, bad);
    std::filesystem::create_symlink(target, file);
    int error = 0;
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const auto failure = makeUnwritable(target.parent_path());
        if (!failure || ::write(ready[1], &*failure, sizeof *failure) != sizeof *failure) {
            ::_exit(2);
        }
        std::ofstream out(lines);
        FileUserDefaults store(file, [&](std::string_view line) { out << line << '\n'; });
        bool readBack = !store.objectForKey("a");
        store.set("b", std::int64_t{2});
        readBack = readBack && store.integerForKey("b") == 2;
        store.set("c", std::int64_t{3});
        readBack = readBack && store.integerForKey("c") == 3;
        out.flush();
        ::_exit(readBack ? 0 : 1);
    }
    ::close(ready[1]);
    const bool made = ::read(ready[0], &error, sizeof error) == sizeof error;
    ::close(ready[0]);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    std::filesystem::permissions(target.parent_path(), std::filesystem::perms::owner_all);
    if (!made) {
        GTEST_SKIP() << "root writes whatever a folder's mode says, and this process may not make "
                        "a read-only mount in a namespace of its own";
    }
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
        << "the changes are not read back from memory: " << status;

    std::vector<std::string> said;
    std::istringstream text(TemporaryFolder::read(lines));
    for (std::string line; std::getline(text, line);) {
        said.push_back(line);
    }
    const std::string shown = target.string() + " (linked from " + file.string() + ")";
    const std::string why = std::strerror(error);
    ASSERT_EQ(said.size(), 3u) << testing::PrintToString(said);
    EXPECT_TRUE(said[0].starts_with("Tessaline: settings file " + shown +
                                    " cannot be kept aside as " + target.string() + ".corrupt-") &&
                said[0].ends_with(": " + why + "; it is not valid JSON"))
        << said[0];
    const std::string notWritten =
        "Tessaline: settings change not saved: cannot write " + shown + ": " + why;
    EXPECT_EQ(said[1], notWritten);
    EXPECT_EQ(said[2], notWritten);
    EXPECT_EQ(TemporaryFolder::read(target), bad);
    EXPECT_EQ(std::filesystem::read_symlink(file), target);
}

// A link to nothing is replaced by a plain file holding the settings, and one line says so,
// naming the link and where it pointed.
TEST_F(FileUserDefaultsTest, ALinkToNothingBecomesAPlainFileWithALine) {
    const std::filesystem::path target = temporary.path() / "dotfiles" / "settings.json";
    std::filesystem::create_directories(file.parent_path());
    std::filesystem::create_directories(target.parent_path());
    std::filesystem::create_symlink("../dotfiles/settings.json", file);
    RecordedLines log;
    FileUserDefaults store(file, log.sink());
    store.set("b", std::int64_t{2});
    store.set("c", std::int64_t{3});

    EXPECT_EQ(log.all(), std::vector<std::string>{"Tessaline: settings link " + file.string() +
                                                  " pointed to " + target.string() +
                                                  ", which does not exist; it is now a plain file "
                                                  "holding the settings"});
    EXPECT_TRUE(std::filesystem::is_regular_file(std::filesystem::symlink_status(file)));
    EXPECT_FALSE(std::filesystem::exists(target));
    const FileUserDefaults reader(file);
    EXPECT_EQ(reader.integerForKey("b"), 2);
    EXPECT_EQ(reader.integerForKey("c"), 3);
}

// A file that cannot be read for now (here an I/O error: a link to this process's own memory
// reads as one) keeps the change in memory instead of dropping it; the next write that can read
// the file saves it with its own.
TEST_F(FileUserDefaultsTest, AReadThatFailsForNowKeepsTheChange) {
    std::filesystem::create_directories(file.parent_path());
    std::filesystem::create_symlink("/proc/self/mem", file);
    RecordedLines log;
    FileUserDefaults store(file, log.sink());
    store.set("b", std::int64_t{2});
    EXPECT_EQ(store.integerForKey("b"), 2);
    ASSERT_EQ(log.all().size(), 1u);
    EXPECT_TRUE(mentions(log.all()[0], "kept in memory until " + file.string() + " can be read"))
        << log.all()[0];
    EXPECT_TRUE(keptAside().empty());

    std::filesystem::remove(file);
    writeFile(file, R"({"a": 1})");
    store.set("c", std::int64_t{3});
    const FileUserDefaults reader(file);
    EXPECT_EQ(reader.integerForKey("a"), 1);
    EXPECT_EQ(reader.integerForKey("b"), 2);
    EXPECT_EQ(reader.integerForKey("c"), 3);
}

// A file that this process may not read must not be taken for a corrupt one and moved aside,
// nor replaced by a file holding only the new key. The child drops root first, since root
// reads the file whatever its mode, and the file is the child's own while it runs.
TEST_F(FileUserDefaultsTest, FileThatCannotBeReadIsLeftAlone) {
    constexpr uid_t nobody = 65534;
    const uid_t self = ::geteuid();
    std::filesystem::create_directories(file.parent_path());
    // The folders open to the child, the file closed to it.
    std::filesystem::permissions(temporary.path(), std::filesystem::perms::all);
    std::filesystem::permissions(file.parent_path(), std::filesystem::perms::all);
    const std::string original = R"({"a": 1, "b": true})";
    writeFile(file, original);
    std::filesystem::permissions(file, std::filesystem::perms::none);
    ASSERT_EQ(::chown(file.c_str(), self == 0 ? nobody : self, static_cast<gid_t>(-1)), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (self == 0 && ::setuid(nobody) != 0) {
            ::_exit(2);
        }
        FileUserDefaults store(file);
        store.set("c", std::int64_t{3});
        ::_exit(store.objectForKey("a") == std::nullopt ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    ASSERT_EQ(::chown(file.c_str(), self, static_cast<gid_t>(-1)), 0);
    std::filesystem::permissions(file, std::filesystem::perms::owner_read |
                                           std::filesystem::perms::owner_write);
    EXPECT_EQ(TemporaryFolder::read(file), original);
    EXPECT_TRUE(keptAside().empty());

    // Once the file can be read again, writes merge into it as usual.
    FileUserDefaults store(file);
    store.set("c", std::int64_t{3});
    EXPECT_EQ(FileUserDefaults(file).integerForKey("a"), 1);
    EXPECT_EQ(FileUserDefaults(file).integerForKey("c"), 3);
}

// A lock file that cannot be ours (a link planted at its path, a directory) is never followed
// nor written through: the write is dropped and reported, and the settings file is untouched.
TEST_F(FileUserDefaultsTest, WriteThatCannotLockIsDroppedAndReported) {
    const std::filesystem::path lock = file.string() + ".lock";
    const std::filesystem::path target = temporary.path() / "target";
    const struct {
        const char* name;
        std::function<void()> plant;
    } rows[] = {
        {"link to a missing file", [&] { std::filesystem::create_symlink(target, lock); }},
        {"link to a file",
         [&] {
             writeFile(target, "x");
             std::filesystem::create_symlink(target, lock);
         }},
        {"directory", [&] { std::filesystem::create_directory(lock); }},
    };
    for (const auto& row : rows) {
        std::filesystem::remove_all(file.parent_path());
        std::filesystem::remove(target);
        std::filesystem::create_directories(file.parent_path());
        writeFile(file, R"({"a": 1})");
        row.plant();

        std::vector<std::string> log;
        FileUserDefaults store(file, [&](std::string_view line) { log.emplace_back(line); });
        store.set("b", std::int64_t{2});
        store.removeObject("a");

        EXPECT_EQ(TemporaryFolder::read(file), R"({"a": 1})") << row.name;
        ASSERT_EQ(log.size(), 2u) << row.name;
        EXPECT_NE(log[0].find("not saved: cannot lock"), std::string::npos) << log[0];
        EXPECT_EQ(store.integerForKey("a"), 1) << row.name;
        EXPECT_EQ(store.objectForKey("b"), std::nullopt) << row.name;
        EXPECT_FALSE(std::filesystem::exists(target) && TemporaryFolder::read(target) != "x")
            << row.name;
    }
}

// Writers killed inside their write leave temporary files beside the settings file; the next
// write removes them, and nothing else that lies there.
TEST_F(FileUserDefaultsTest, TemporariesOfKilledWritersAreGoneAfterTheNextWrite) {
    std::filesystem::create_directories(file.parent_path());
    const std::filesystem::path usersOwn = file.string() + ".backup";
    writeFile(usersOwn, "{}");
    const auto leftovers = [&] {
        std::vector<std::string> found;
        for (const auto& entry : std::filesystem::directory_iterator(file.parent_path())) {
            const auto path = entry.path();
            if (path != file && path != file.string() + ".lock" &&
                path != file.string() + ".lock.queue" && path != usersOwn) {
                found.push_back(path.filename().string());
            }
        }
        return found;
    };
    for (int writer = 0; writer < 3; ++writer) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            // The file size limit kills the writer (SIGXFSZ) in the middle of its write.
            const rlimit noCore{0, 0};
            const rlimit small{64, 64};
            ::setrlimit(RLIMIT_CORE, &noCore);
            ::setrlimit(RLIMIT_FSIZE, &small);
            FileUserDefaults(file).set("large", std::string(4096, 'x'));
            ::_exit(0);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGXFSZ) << status;
    }
    ASSERT_FALSE(leftovers().empty());

    FileUserDefaults store(file);
    store.set("small", std::int64_t{1});
    EXPECT_EQ(leftovers(), std::vector<std::string>{});
    EXPECT_EQ(TemporaryFolder::read(usersOwn), "{}");
    EXPECT_EQ(FileUserDefaults(file).integerForKey("small"), 1);
}

TEST_F(FileUserDefaultsTest, SeesWritesOfAnotherStoreOnTheSameFile) {
    FileUserDefaults first(file);
    FileUserDefaults second(file);
    first.set("a", std::int64_t{1});
    EXPECT_EQ(second.integerForKey("a"), 1);
    second.set("a", std::int64_t{2});
    EXPECT_EQ(first.integerForKey("a"), 2);
    second.removeObject("a");
    EXPECT_EQ(first.objectForKey("a"), std::nullopt);
}

TEST_F(FileUserDefaultsTest, ConcurrentWritersKeepEachOthersKeys) {
    constexpr int keysPerWriter = 40;
    std::filesystem::create_directories(file.parent_path());
    const auto writeKeys = [&](const std::string& prefix) {
        FileUserDefaults store(file);
        for (int index = 0; index < keysPerWriter; ++index) {
            store.set(prefix + std::to_string(index), std::int64_t{index});
        }
    };
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        writeKeys("process.");
        ::_exit(0);
    }
    std::latch start(2); // the two threads write at the same time
    const auto writeAfterStart = [&](const std::string& prefix) {
        start.arrive_and_wait();
        writeKeys(prefix);
    };
    std::thread first(writeAfterStart, "first.");
    std::thread second(writeAfterStart, "second.");
    first.join();
    second.join();
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

    const FileUserDefaults reader(file);
    for (const std::string prefix : {"process.", "first.", "second."}) {
        for (int index = 0; index < keysPerWriter; ++index) {
            EXPECT_EQ(reader.objectForKey(prefix + std::to_string(index)),
                      DefaultsValue(std::int64_t{index}))
                << prefix << index;
        }
    }
    EXPECT_TRUE(keptAside().empty());
}

// Two processes writing their own keys at once: with the lock every key is kept; with a link
// planted at the lock path every write is refused and reported, and none goes through unlocked.
TEST_F(FileUserDefaultsTest, TwoProcessesLoseNothingOrWriteNothing) {
    constexpr int keysPerProcess = 150;
    for (const bool planted : {false, true}) {
        std::filesystem::remove_all(file.parent_path());
        std::filesystem::create_directories(file.parent_path());
        if (planted) {
            std::filesystem::create_symlink(temporary.path() / "elsewhere",
                                            file.string() + ".lock");
        }
        const auto writer = [&](std::string prefix) {
            return [&, prefix] {
                int refused = 0;
                FileUserDefaults store(file, [&](std::string_view) { ++refused; });
                for (int index = 0; index < keysPerProcess; ++index) {
                    store.set(prefix + std::to_string(index), std::int64_t{index});
                }
                return refused == (planted ? keysPerProcess : 0);
            };
        };
        EXPECT_TRUE(runInChildProcesses({writer("one."), writer("two.")})) << planted;
        const FileUserDefaults reader(file);
        int kept = 0;
        for (const std::string prefix : {"one.", "two."}) {
            for (int index = 0; index < keysPerProcess; ++index) {
                kept += reader.objectForKey(prefix + std::to_string(index)).has_value();
            }
        }
        EXPECT_EQ(kept, planted ? 0 : 2 * keysPerProcess);
        EXPECT_FALSE(std::filesystem::exists(temporary.path() / "elsewhere"));
    }
}

} // namespace
