#include "platform/FileUserDefaults.h"
#include "platform/InMemoryUserDefaults.h"
#include "platform/OverlayUserDefaults.h"

#include "tests/support/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <limits>
#include <thread>
#include <vector>

namespace {

using namespace platform;

struct StoreKind {
    const char* name;
    std::function<std::shared_ptr<UserDefaults>(const std::filesystem::path& folder)> make;
};

const StoreKind storeKinds[] = {
    {"in memory", [](const auto&) { return std::make_shared<InMemoryUserDefaults>(); }},
    {"file",
     [](const auto& folder) { return std::make_shared<FileUserDefaults>(folder / "d.json"); }},
    {"overlay",
     [](const auto&) {
         return std::make_shared<OverlayUserDefaults>(std::make_shared<InMemoryUserDefaults>(),
                                                      DefaultsDictionary{});
     }},
};

class UserDefaultsTest : public testing::Test {
protected:
    TemporaryFolder temporary;
    const std::filesystem::path& folder = temporary.path();
};

TEST_F(UserDefaultsTest, EveryTypeReadsBackAsStored) {
    DefaultsData bytes;
    for (int byte = 0; byte < 256; ++byte) {
        bytes.push_back(static_cast<std::uint8_t>(byte));
    }
    const struct {
        const char* name;
        DefaultsValue value;
    } rows[] = {
        {"true", true},
        {"false", false},
        {"zero integer", std::int64_t{0}},
        {"largest integer", std::numeric_limits<std::int64_t>::max()},
        {"smallest integer", std::numeric_limits<std::int64_t>::min()},
        {"whole double", 5.0},
        {"fraction", 0.1},
        {"tiny double", 4.9e-324},
        {"infinity", std::numeric_limits<double>::infinity()},
        {"negative infinity", -std::numeric_limits<double>::infinity()},
        {"empty string", std::string()},
        {"unicode string", std::string("Caf\u00e9 \u5feb \U0001F600 \"quoted\" \\ /")},
        {"string that looks tagged", std::string("{\"data\":\"AA==\"}")},
        {"all bytes", bytes},
        {"empty data", DefaultsData{}},
    };
    for (const auto& kind : storeKinds) {
        auto store = kind.make(folder);
        for (const auto& row : rows) {
            store->set(row.name, row.value);
        }
        // A second file store on the same file reads what the first one wrote.
        auto reader = std::string(kind.name) == "file" ? kind.make(folder) : store;
        for (const auto& row : rows) {
            EXPECT_EQ(reader->objectForKey(row.name), row.value) << kind.name << ": " << row.name;
        }
        store->set("nan", std::numeric_limits<double>::quiet_NaN());
        EXPECT_TRUE(std::isnan(reader->doubleForKey("nan"))) << kind.name;
    }
}

TEST_F(UserDefaultsTest, TypedReadsOfOtherTypesGiveTheEmptyAnswer) {
    const struct {
        const char* name;
        std::optional<DefaultsValue> stored;
        bool boolean;
        std::int64_t integer;
        double real;
        bool hasString;
        bool hasData;
    } rows[] = {
        {"absent", std::nullopt, false, 0, 0, false, false},
        {"bool true", true, true, 0, 0, false, false},
        {"integer 1", std::int64_t{1}, false, 1, 1, false, false},
        {"double 2.9", 2.9, false, 2, 2.9, false, false},
        {"double -2.9", -2.9, false, -2, -2.9, false, false},
        {"huge double", 1e300, false, 0, 1e300, false, false},
        {"nan", std::numeric_limits<double>::quiet_NaN(), false, 0, NAN, false, false},
        {"string true", std::string("true"), false, 0, 0, true, false},
        {"string 5", std::string("5"), false, 0, 0, true, false},
        {"data", DefaultsData{1, 2}, false, 0, 0, false, true},
    };
    for (const auto& row : rows) {
        InMemoryUserDefaults store;
        if (row.stored) {
            store.set("key", *row.stored);
        }
        EXPECT_EQ(store.objectForKey("key").has_value(), row.stored.has_value()) << row.name;
        EXPECT_EQ(store.boolForKey("key"), row.boolean) << row.name;
        EXPECT_EQ(store.integerForKey("key"), row.integer) << row.name;
        const double real = store.doubleForKey("key");
        EXPECT_TRUE(real == row.real || (std::isnan(real) && std::isnan(row.real))) << row.name;
        EXPECT_EQ(store.stringForKey("key").has_value(), row.hasString) << row.name;
        EXPECT_EQ(store.dataForKey("key").has_value(), row.hasData) << row.name;
    }
}

TEST_F(UserDefaultsTest, StoredFalseIsNotAbsent) {
    for (const auto& kind : storeKinds) {
        auto store = kind.make(folder);
        EXPECT_EQ(store->objectForKey("flag"), std::nullopt) << kind.name;
        store->set("flag", false);
        EXPECT_EQ(store->objectForKey("flag"), DefaultsValue(false)) << kind.name;
        store->removeObject("flag");
        EXPECT_EQ(store->objectForKey("flag"), std::nullopt) << kind.name;
    }
}

TEST_F(UserDefaultsTest, RegisteredDefaultsShowWhereNothingIsStored) {
    for (const auto& kind : storeKinds) {
        auto store = kind.make(folder);
        store->registerDefaults({{"interval", 5.0}, {"name", std::string("first")}});
        store->registerDefaults({{"name", std::string("second")}});
        EXPECT_EQ(store->doubleForKey("interval"), 5.0) << kind.name;
        EXPECT_EQ(store->stringForKey("name"), "second") << kind.name;
        store->set("interval", 10.0);
        EXPECT_EQ(store->doubleForKey("interval"), 10.0) << kind.name;
        store->removeObject("interval");
        EXPECT_EQ(store->doubleForKey("interval"), 5.0) << kind.name;
    }
    // Registered values are never written to the file.
    FileUserDefaults reader(folder / "d.json");
    EXPECT_EQ(reader.objectForKey("name"), std::nullopt);
}

TEST_F(UserDefaultsTest, UpdateSeesTheStoredValueAndStoresItsAnswer) {
    for (const auto& kind : storeKinds) {
        const auto store = kind.make(folder / kind.name);
        store->registerDefaults({{"count", std::int64_t{100}}});
        std::vector<std::optional<DefaultsValue>> seen;
        const auto increment = [&](const std::optional<DefaultsValue>& stored) {
            seen.push_back(stored);
            const auto* count = stored ? std::get_if<std::int64_t>(&*stored) : nullptr;
            return std::optional<DefaultsValue>(std::int64_t{count ? *count + 1 : 1});
        };
        store->update("count", increment);
        store->update("count", increment);
        EXPECT_EQ(store->integerForKey("count"), 2) << kind.name;
        // The registered default is not a stored value.
        EXPECT_EQ(seen, (std::vector<std::optional<DefaultsValue>>{std::nullopt, std::int64_t{1}}))
            << kind.name;

        store->update("count", [](const auto&) { return std::nullopt; });
        EXPECT_EQ(store->integerForKey("count"), 100) << kind.name;
    }
}

// A change that can be applied only to some values (here: none, or a text) leaves any other as
// it is and answers it. The value is put there after the store read the key: for the file store
// by another store on the same file, so the condition must be asked of what the file holds
// under the lock, not of what the store read before.
TEST_F(UserDefaultsTest, UpdateIfChangesOnlyAValueItAccepts) {
    const auto isText = [](const std::optional<DefaultsValue>& stored) {
        return !stored || std::holds_alternative<std::string>(*stored);
    };
    const auto append = [](const std::optional<DefaultsValue>& stored) {
        const auto* text = stored ? std::get_if<std::string>(&*stored) : nullptr;
        return std::optional<DefaultsValue>((text ? *text : "") + "+");
    };
    const struct {
        const char* name;
        std::optional<DefaultsValue> stored;
        std::optional<DefaultsValue> after;
    } rows[] = {
        {"absent", std::nullopt, std::string("+")},
        {"a text", std::string("a"), std::string("a+")},
        {"a number", std::int64_t{7}, std::int64_t{7}},
        {"data", DefaultsData{1}, DefaultsData{1}},
    };
    for (const auto& kind : storeKinds) {
        for (const auto& row : rows) {
            const auto where = folder / kind.name / row.name;
            const auto store = kind.make(where);
            const auto writer = std::string(kind.name) == "file" ? kind.make(where) : store;
            store->set("key", std::string("read before"));
            ASSERT_TRUE(store->objectForKey("key")) << kind.name << ": " << row.name;
            if (row.stored) {
                writer->set("key", *row.stored);
            } else {
                writer->removeObject("key");
            }
            EXPECT_EQ(store->updateIf("key", isText, append), row.stored)
                << kind.name << ": " << row.name;
            EXPECT_EQ(writer->objectForKey("key"), row.after) << kind.name << ": " << row.name;
        }
    }
}

// Threads that each add to one stored list through `update` keep every addition.
TEST_F(UserDefaultsTest, ConcurrentUpdatesOfOneKeyKeepEveryChange) {
    constexpr int threads = 4;
    constexpr int additions = 25;
    for (const auto& kind : storeKinds) {
        const auto store = kind.make(folder / kind.name);
        std::vector<std::thread> workers;
        for (int thread = 0; thread < threads; ++thread) {
            workers.emplace_back([&, thread] {
                for (int index = 0; index < additions; ++index) {
                    store->update("list", [&](const std::optional<DefaultsValue>& stored) {
                        auto* text = stored ? std::get_if<std::string>(&*stored) : nullptr;
                        return std::optional<DefaultsValue>((text ? *text : "") +
                                                            char('a' + thread));
                    });
                }
            });
        }
        for (auto& worker : workers) {
            worker.join();
        }
        const auto list = store->stringForKey("list").value_or("");
        for (int thread = 0; thread < threads; ++thread) {
            EXPECT_EQ(std::count(list.begin(), list.end(), char('a' + thread)), additions)
                << kind.name;
        }
    }
}

TEST_F(UserDefaultsTest, OverlayReadsFirstAndKeepsItsWritesToItself) {
    auto base = std::make_shared<FileUserDefaults>(folder / "d.json");
    base->set("panel.scope", std::string("allRightSide"));
    base->set("diagnostics.labelsEnabled", true);
    base->set("kept", std::int64_t{7});

    OverlayUserDefaults overlay(base, {{"panel.scope", std::string("hiddenOnly")}});
    EXPECT_EQ(overlay.stringForKey("panel.scope"), "hiddenOnly");
    EXPECT_EQ(overlay.integerForKey("kept"), 7);

    overlay.set("kept", std::int64_t{8});
    overlay.removeObject("diagnostics.labelsEnabled");
    overlay.update("panel.scope", [](const auto&) { return std::string("allApps"); });
    EXPECT_EQ(overlay.stringForKey("panel.scope"), "allApps");
    EXPECT_EQ(overlay.integerForKey("kept"), 8);
    EXPECT_EQ(overlay.objectForKey("diagnostics.labelsEnabled"), std::nullopt);

    const FileUserDefaults reader(folder / "d.json");
    EXPECT_EQ(reader.stringForKey("panel.scope"), "allRightSide");
    EXPECT_EQ(reader.integerForKey("kept"), 7);
    EXPECT_TRUE(reader.boolForKey("diagnostics.labelsEnabled"));
}

TEST(StandardUserDefaults, CanBeReplaced) {
    auto memory = std::make_shared<InMemoryUserDefaults>();
    UserDefaults::setStandard(memory);
    EXPECT_EQ(UserDefaults::standard(), memory);
    UserDefaults::setStandard(nullptr);
    EXPECT_NE(UserDefaults::standard(), memory);
}

TEST(StandardUserDefaults, LivesUnderTheXdgConfigFolder) {
    const char* saved = std::getenv("XDG_CONFIG_HOME");
    const std::string previous = saved ? saved : "";
    ::setenv("XDG_CONFIG_HOME", "/config/home", 1);
    EXPECT_EQ(FileUserDefaults::standardPath(), "/config/home/tessaline/defaults.json");
    ::setenv("XDG_CONFIG_HOME", "relative", 1);
    EXPECT_EQ(FileUserDefaults::standardPath().filename(), "defaults.json");
    EXPECT_TRUE(FileUserDefaults::standardPath().is_absolute());
    if (saved) {
        ::setenv("XDG_CONFIG_HOME", previous.c_str(), 1);
    } else {
        ::unsetenv("XDG_CONFIG_HOME");
    }
}

} // namespace
