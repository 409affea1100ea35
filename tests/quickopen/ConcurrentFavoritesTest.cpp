#include "Parlowen/QuickOpen/FavoriteMenuBarItemStore.h"
#include "RecordBuilder.h"
#include "platform/FileUserDefaults.h"

#include "tests/support/ChildProcesses.h"
#include "tests/support/TemporaryFolder.h"

#include <gtest/gtest.h>

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

} // namespace
