#include "platform/InMemoryLoginItems.h"
#include "platform/linux/XdgAutostartLoginItems.h"
#include "tests/support/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <sys/resource.h>

namespace {

using namespace platform;
using native::XdgAutostartLoginItems;

struct AutostartRig {
    AutostartRig()
        : entry(XdgAutostartLoginItems::defaultEntryPath(
              {{"XDG_CONFIG_HOME", folder.path().string()}})),
          items(entry, "/bin/sh", "Tessaline") {}

    TemporaryFolder folder;
    std::filesystem::path entry;
    XdgAutostartLoginItems items;
};

TEST(XdgAutostartLoginItems, RoundTripWritesAndRemovesTheEntry) {
    AutostartRig rig;
    EXPECT_EQ(rig.entry, rig.folder.path() / "autostart" / "app.tessaline.Tessaline.desktop");
    EXPECT_EQ(rig.items.status(), SMAppServiceStatusNotRegistered);

    EXPECT_EQ(rig.items.registerAndReturnError(), std::nullopt);
    EXPECT_EQ(rig.items.status(), SMAppServiceStatusEnabled);
    const std::string text = TemporaryFolder::read(rig.entry);
    EXPECT_NE(text.find("[Desktop Entry]\n"), std::string::npos);
    EXPECT_NE(text.find("\nExec=\"/bin/sh\"\n"), std::string::npos);
    EXPECT_NE(text.find("\nName=Tessaline\n"), std::string::npos);

    EXPECT_EQ(rig.items.registerAndReturnError(), std::nullopt) << "registering again";
    EXPECT_EQ(rig.items.unregisterAndReturnError(), std::nullopt);
    EXPECT_EQ(rig.items.status(), SMAppServiceStatusNotRegistered);
    EXPECT_FALSE(std::filesystem::exists(rig.entry));
    EXPECT_EQ(rig.items.unregisterAndReturnError(), std::nullopt) << "already gone";
}

TEST(XdgAutostartLoginItems, EntrySwitchedOffByTheUserRequiresApproval) {
    for (const char* line : {"Hidden=true", "X-GNOME-Autostart-enabled=false"}) {
        AutostartRig rig;
        std::filesystem::create_directories(rig.entry.parent_path());
        std::ofstream(rig.entry) << "[Desktop Entry]\nType=Application\n" << line << "\n";
        EXPECT_EQ(rig.items.status(), SMAppServiceStatusRequiresApproval) << line;
    }
}

TEST(XdgAutostartLoginItems, MissingProgramIsNotFound) {
    TemporaryFolder folder;
    XdgAutostartLoginItems items(folder.path() / "entry.desktop", folder.path() / "gone",
                                 "Tessaline");
    EXPECT_EQ(items.status(), SMAppServiceStatusNotFound);
}

TEST(XdgAutostartLoginItems, FailedWriteLeavesTheOldEntryAndAnswersTheError) {
    AutostartRig rig;
    std::filesystem::create_directories(rig.entry.parent_path());
    const std::string old = "[Desktop Entry]\nType=Application\nName=Old copy of the entry\n";
    std::ofstream(rig.entry) << old;

    // A file size limit below the entry's size makes the write itself fail.
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit tiny = saved;
    tiny.rlim_cur = 16;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &tiny), 0);
    const auto error = rig.items.registerAndReturnError();
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    ASSERT_TRUE(error);
    EXPECT_EQ(error->code, EFBIG);
    EXPECT_NE(error->description.find(rig.entry.string()), std::string::npos);
    EXPECT_EQ(TemporaryFolder::read(rig.entry), old);
    // No temporary file is left beside it.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(rig.entry.parent_path()),
                            std::filesystem::directory_iterator()),
              1);
}

TEST(XdgAutostartLoginItems, ExecQuotesThePathAsTheEntryFormatAsks) {
    struct Row {
        const char* name;
        const char* path;
        const char* exec;
    };
    const std::vector<Row> rows{
        {"plain", "/opt/Tessaline/tessaline", R"(Exec="/opt/Tessaline/tessaline")"},
        {"space", "/opt/My Apps/tessaline", R"(Exec="/opt/My Apps/tessaline")"},
        {"quote and dollar", "/opt/a\"$b/t", R"(Exec="/opt/a\\"\\$b/t")"},
        {"backslash", "/opt/a\\b/t", R"(Exec="/opt/a\\\\b/t")"},
        {"percent", "/opt/100%/t", R"(Exec="/opt/100%%/t")"},
    };
    for (const Row& row : rows) {
        const auto text = XdgAutostartLoginItems::entryText(row.path, "Tessaline");
        ASSERT_TRUE(text) << row.name;
        EXPECT_NE(text->find(std::string("\n") + row.exec + "\n"), std::string::npos)
            << row.name << ": " << *text;
    }
    EXPECT_FALSE(XdgAutostartLoginItems::entryText("/opt/a\nb", "Tessaline"));
}

TEST(InMemoryLoginItems, ScriptedFailureChangesNothingAndAnswersTheError) {
    InMemoryLoginItems items;
    const LoginItemError denied{1, "Operation not permitted"};
    items.failNext(denied);
    EXPECT_EQ(items.registerAndReturnError(), denied);
    EXPECT_EQ(items.status(), SMAppServiceStatusNotRegistered);
    EXPECT_EQ(items.registerAndReturnError(), std::nullopt);
    EXPECT_EQ(items.status(), SMAppServiceStatusEnabled);
    items.failNext(denied);
    EXPECT_EQ(items.unregisterAndReturnError(), denied);
    EXPECT_EQ(items.status(), SMAppServiceStatusEnabled);
}

} // namespace
