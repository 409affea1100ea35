#include "platform/FileUserDefaults.h"

#include "tests/support/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <latch>
#include <thread>

namespace {

using namespace platform;

void writeFile(const std::filesystem::path& file, const std::string& text) {
    std::ofstream(file, std::ios::binary) << text;
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
        EXPECT_TRUE(name == "defaults.json" || name == "defaults.json.lock") << name;
    }
}

TEST_F(FileUserDefaultsTest, UndecodableFileReadsEmptyAndIsKeptAside) {
    const struct {
        const char* name;
        std::string text;
    } rows[] = {
        {"not JSON", "{\"panel.scope\": \"hiddenOnly\""},
        {"array", "[1, 2]"},
        {"null member", R"({"a": true, "b": null})"},
        {"nested array", R"({"a": [1]})"},
        {"unknown tag", R"({"a": {"date": "2020"}})"},
        {"bad base64", R"({"a": {"data": "%%%"}})"},
        {"invalid UTF-8", "{\"a\": \"\xff\xfe\"}"},
        {"empty file", ""},
    };
    for (const auto& row : rows) {
        std::filesystem::remove_all(file.parent_path());
        std::filesystem::create_directories(file.parent_path());
        writeFile(file, row.text);

        FileUserDefaults store(file);
        EXPECT_EQ(store.objectForKey("a"), std::nullopt) << row.name;
        store.set("quickAccess.modifierShortcut", std::string("option"));

        const auto aside = keptAside();
        ASSERT_EQ(aside.size(), 1u) << row.name;
        EXPECT_EQ(TemporaryFolder::read(aside.front()), row.text) << row.name;
        EXPECT_EQ(FileUserDefaults(file).stringForKey("quickAccess.modifierShortcut"), "option")
            << row.name;
    }
}

// A file that this process may not read must not be taken for a corrupt one and moved aside,
// nor replaced by a file holding only the new key. The child drops root first, since root
// reads the file whatever its mode.
TEST_F(FileUserDefaultsTest, FileThatCannotBeReadIsLeftAlone) {
    std::filesystem::create_directories(file.parent_path());
    // The folders open to the child, the file closed to it.
    std::filesystem::permissions(temporary.path(), std::filesystem::perms::all);
    std::filesystem::permissions(file.parent_path(), std::filesystem::perms::all);
    const std::string original = R"({"a": 1, "b": true})";
    writeFile(file, original);
    std::filesystem::permissions(file, std::filesystem::perms::none);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::geteuid() == 0 && ::setuid(65534) != 0) {
            ::_exit(2);
        }
        FileUserDefaults store(file);
        store.set("c", std::int64_t{3});
        ::_exit(store.objectForKey("a") == std::nullopt ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
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

} // namespace
