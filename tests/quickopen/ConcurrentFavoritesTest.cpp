#include "Parlowen/QuickOpen/FavoriteMenuBarItemStore.h"
#include "RecordBuilder.h"
#include "platform/FileUserDefaults.h"

#include "tests/support/ChildProcesses.h"
#include "tests/support/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <fstream>
#include <mutex>
#include <set>

namespace {

using namespace Parlowen;
using QuickOpenTesting::record;

// Two processes favouriting their own items in one settings file at the same moment. With the
// file lock each list change is one read-modify-write, so every favourite is kept; with a link
// planted at the lock path every change is refused and reported, none written unlocked.
TEST(ConcurrentFavorites, TwoProcessesKeepEveryFavoriteOrWriteNone) {
    constexpr int favoritesPerProcess = 40;
    for (const bool planted : {false, true}) {
        TemporaryFolder temporary;
        const auto file = temporary.path() / "defaults.json";
        if (planted) {
            std::filesystem::create_symlink(temporary.path() / "elsewhere",
                                            file.string() + ".lock");
        }
        const auto favoriter = [&](std::string app) {
            return [&, app] {
                int refused = 0;
                FavoriteMenuBarItemStore store(std::make_shared<platform::FileUserDefaults>(
                    file, [&](std::string_view) { ++refused; }));
                for (int index = 0; index < favoritesPerProcess; ++index) {
                    store.favorite(record(app, "Item " + std::to_string(index)),
                                   *ReferenceDate::fromSecondsSinceReferenceDate(index));
                }
                return refused == (planted ? favoritesPerProcess : 0);
            };
        };
        EXPECT_TRUE(runInChildProcesses({favoriter("One"), favoriter("Two")})) << planted;

        FavoriteMenuBarItemStore reader(std::make_shared<platform::FileUserDefaults>(file));
        std::set<std::string> kept;
        for (const auto& favorite : reader.load()) {
            kept.insert(favorite.appName + " " + favorite.displayName);
        }
        EXPECT_EQ(kept.size(), planted ? 0u : 2u * favoritesPerProcess);
    }
}

// A favourite waits for the lock that another process holds, and that process stores a value
// that is no list under the favourites' key meanwhile. When the favourite is written at last
// it meets that value: the value stays as it was, and since no later round of this store
// decides about it, one line says the favourite was not saved.
TEST(ConcurrentFavorites, AWaitingFavoriteThatMeetsAValueThatIsNoListIsReported) {
    TemporaryFolder temporary;
    const auto file = temporary.path() / "defaults.json";
    const int other = ::open((file.string() + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    ASSERT_EQ(::flock(other, LOCK_EX), 0);
    std::mutex mutex;
    std::vector<std::string> lines;
    const auto defaults = std::make_shared<platform::FileUserDefaults>(
        file,
        [&](std::string_view line) {
            const std::lock_guard guard(mutex);
            lines.emplace_back(line);
        },
        std::chrono::milliseconds(10));
    FavoriteMenuBarItemStore store(defaults);
    store.favorite(record("One", "Item"), *ReferenceDate::fromSecondsSinceReferenceDate(1));
    EXPECT_EQ(store.load().size(), 1u);

    const std::string written = R"({"quickOpen.favoriteItems": "not a list"})";
    const auto replacement = temporary.path() / "other.json";
    std::ofstream(replacement) << written;
    std::filesystem::rename(replacement, file);
    ::close(other);
    defaults->synchronize();

    EXPECT_EQ(TemporaryFolder::read(file), written);
    const std::lock_guard guard(mutex);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1], "Tessaline: settings change not saved: the value of "
                        "quickOpen.favoriteItems in " +
                            file.string() + " is not one the change can be applied to");
}

} // namespace
