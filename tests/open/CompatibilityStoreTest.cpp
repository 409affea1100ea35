#include "Parlowen/Opening/CompatibilityStore.h"
#include "Parlowen/Items/AXMenuBarItemRecord.h"
#include "Parlowen/Settings/StoredJSONList.h"
#include "platform/InMemoryUserDefaults.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <chrono>
#include <string>
#include <vector>

namespace {

using namespace Parlowen;
using enum CompatibilityAttemptOutcome;
using QelCore::MenuKeyboardNavigability;

constexpr std::string_view key = "quickOpen.compatibilityRecords";

AXMenuBarItemRecord item(std::string appName, std::string title = "") {
    AXMenuBarItemRecord record;
    record.appName = std::move(appName);
    record.title = title.empty() ? record.appName : std::move(title);
    record.bundleIdentifier = "com.example." + record.appName;
    record.role = "AXMenuBarItem";
    record.subrole = "AXMenuExtra";
    record.sourceHint = QelCore::FixtureMenuBarItemSourceHint::menuExtra;
    return record;
}

// Seconds after 2001-01-01T00:00:00Z.
Date date(double secondsSinceReferenceDate) {
    return *ReferenceDate::fromSecondsSinceReferenceDate(secondsSinceReferenceDate);
}

struct Store {
    std::shared_ptr<platform::InMemoryUserDefaults> defaults =
        std::make_shared<platform::InMemoryUserDefaults>();
    CompatibilityStore store{defaults};

    std::string text() const {
        const auto data = defaults->dataForKey(key);
        return data ? std::string(data->begin(), data->end()) : std::string();
    }
    nlohmann::json stored() const { return nlohmann::json::parse(text()); }
    void storeText(const std::string& text) {
        defaults->set(key, platform::DefaultsData(text.begin(), text.end()));
    }
};

TEST(CompatibilityStore, WritesTheExactJson) {
    Store store;
    store.store.record(item("Drop/box"), observedOpen, MenuKeyboardNavigability::keyboardNavigable,
                       date(757382400));
    EXPECT_EQ(store.text(),
              R"([{"identity":{"rawValue":"v2|com.example.Drop\/box|menuExtra|drop\/box|drop\/box|)"
              R"(AXMenuBarItem|AXMenuExtra"},"appName":"Drop\/box","displayName":"Drop\/box",)"
              R"("lastOutcome":"worksWell","lastAttemptedAt":757382400,"observedOpenCount":1,)"
              R"("actionSentCount":0,"failureCount":0,"lastKeyboardNavigability":"true",)"
              R"("keyboardNavigableCount":1,"keyboardNotNavigableCount":0,)"
              R"("keyboardUnknownCount":0}])");

    store.store.record(item("Drop/box"), failed, MenuKeyboardNavigability::unknown,
                       date(757382400.25));
    const auto record = store.stored().at(0);
    EXPECT_NEAR(record["lastAttemptedAt"].get<double>(), 757382400.25, 1e-6);
    EXPECT_EQ(record["lastOutcome"], "notSupportedYet");
    EXPECT_EQ(record["lastKeyboardNavigability"], "unknown");
}

TEST(CompatibilityStore, CountsOutcomesAndNavigability) {
    struct Request {
        CompatibilityAttemptOutcome outcome;
        MenuKeyboardNavigability navigability;
    };
    struct Row {
        std::string name;
        std::vector<Request> requests;
        std::string lastOutcome;
        std::string lastNavigability;
        // observed, sent, failed, navigable, not navigable, unknown
        std::array<int, 6> counts;
    };
    using enum MenuKeyboardNavigability;
    const Row rows[] = {
        {"first observed",
         {{observedOpen, keyboardNavigable}},
         "worksWell",
         "true",
         {1, 0, 0, 1, 0, 0}},
        {"sent in view and while obstructed",
         {{actionSent, unknown}, {actionSent, unknown}, {actionSentWhileObstructed, unknown}},
         "requiresMoveIntoView",
         "unknown",
         {0, 3, 0, 0, 0, 3}},
        {"obstructed then in view",
         {{actionSentWhileObstructed, unknown}, {actionSent, notKeyboardNavigable}},
         "actionSentVisualConfirmationLimited",
         "false",
         {0, 2, 0, 0, 1, 1}},
        {"failure last",
         {{observedOpen, keyboardNavigable}, {failed, unknown}},
         "notSupportedYet",
         "unknown",
         {1, 0, 1, 1, 0, 1}},
    };
    for (const auto& row : rows) {
        Store store;
        double seconds = 1000;
        for (const auto& request : row.requests) {
            store.store.record(item("Clock"), request.outcome, request.navigability,
                               date(seconds++));
        }
        const auto stored = store.stored();
        ASSERT_EQ(stored.size(), 1u) << row.name;
        const auto& record = stored[0];
        EXPECT_EQ(record["lastOutcome"], row.lastOutcome) << row.name;
        EXPECT_EQ(record["lastKeyboardNavigability"], row.lastNavigability) << row.name;
        const std::array<int, 6> counts{record["observedOpenCount"].get<int>(),
                                        record["actionSentCount"].get<int>(),
                                        record["failureCount"].get<int>(),
                                        record["keyboardNavigableCount"].get<int>(),
                                        record["keyboardNotNavigableCount"].get<int>(),
                                        record["keyboardUnknownCount"].get<int>()};
        EXPECT_EQ(counts, row.counts) << row.name;
        EXPECT_EQ(record["lastAttemptedAt"], seconds - 1) << row.name;
    }
}

std::vector<std::string> appNames(const nlohmann::json& stored) {
    std::vector<std::string> names;
    for (const auto& record : stored) {
        names.push_back(record["appName"]);
    }
    return names;
}

TEST(CompatibilityStore, OneRecordPerIdentityNewestFirst) {
    Store store;
    store.store.record(item("A"), actionSent, MenuKeyboardNavigability::unknown, date(100));
    store.store.record(item("B"), actionSent, MenuKeyboardNavigability::unknown, date(300));
    store.store.record(item("C"), actionSent, MenuKeyboardNavigability::unknown, date(200));
    EXPECT_EQ(appNames(store.stored()), (std::vector<std::string>{"B", "C", "A"}));

    // Earlier than all others: to the end; latest: to the front; same date: after the others.
    store.store.record(item("B"), failed, MenuKeyboardNavigability::unknown, date(50));
    EXPECT_EQ(appNames(store.stored()), (std::vector<std::string>{"C", "A", "B"}));
    store.store.record(item("A"), failed, MenuKeyboardNavigability::unknown, date(400));
    EXPECT_EQ(appNames(store.stored()), (std::vector<std::string>{"A", "C", "B"}));
    store.store.record(item("B"), failed, MenuKeyboardNavigability::unknown, date(400));
    EXPECT_EQ(appNames(store.stored()), (std::vector<std::string>{"A", "B", "C"}));

    // A stored duplicate collapses into the first one found, with the newer names.
    auto stored = store.stored();
    stored[1]["failureCount"] = 7;
    stored[1]["displayName"] = "Old name";
    stored.push_back(stored[1]);
    stored.back()["failureCount"] = 40;
    store.storeText(stored.dump());
    store.store.record(item("B"), failed, MenuKeyboardNavigability::unknown, date(500));
    stored = store.stored();
    ASSERT_EQ(appNames(stored), (std::vector<std::string>{"B", "A", "C"}));
    EXPECT_EQ(stored[0]["failureCount"], 8);
    EXPECT_EQ(stored[0]["displayName"], "B");
}

TEST(CompatibilityStore, StoredDataIsReadElementByElement) {
    const std::string v2 =
        R"({"rawValue":"v2|com.example.Old|menuExtra|Old|Old|AXMenuBarItem|AXMenuExtra"})";
    const std::string v1 = R"({"rawValue":"v1|menuExtra|Clock|Clock|AXMenuBarItem|AXMenuExtra"})";
    const auto entry = [](const std::string& identity, const std::string& outcome) {
        return R"({"identity":)" + identity +
               R"(,"appName":"Old","displayName":"Old","lastOutcome":")" + outcome +
               R"(","lastAttemptedAt":10,"observedOpenCount":2,"actionSentCount":0,"failureCount":0})";
    };

    // Without the keyboard keys, beside an unknown label (kept as it was, after the records
    // that decode) and a legacy key that never matches.
    Store store;
    store.storeText("[" + entry(v2, "worksWell") + "," + entry(v2, "brokenLabel") + "," +
                    entry(v1, "worksWell") + "]");
    store.store.record(item("Clock"), observedOpen, MenuKeyboardNavigability::unknown, date(20));
    const auto stored = store.stored();
    ASSERT_EQ(stored.size(), 4u);
    EXPECT_EQ(stored[3], nlohmann::json::parse(entry(v2, "brokenLabel")));
    EXPECT_EQ(stored[0]["appName"], "Clock");
    EXPECT_EQ(stored[0]["observedOpenCount"], 1) << "the legacy record is not this item's";
    EXPECT_EQ(stored[1]["identity"]["rawValue"], nlohmann::json::parse(v2)["rawValue"]);
    EXPECT_EQ(stored[1]["lastKeyboardNavigability"], "unknown");
    EXPECT_EQ(stored[1]["keyboardUnknownCount"], 0);
    EXPECT_EQ(stored[1]["observedOpenCount"], 2);
    EXPECT_EQ(stored[2]["identity"]["rawValue"], nlohmann::json::parse(v1)["rawValue"]);

    // A value that is no list at all is kept aside before the first save replaces it.
    const struct {
        const char* name;
        platform::DefaultsValue value;
    } unreadable[] = {
        {"not JSON", platform::DefaultsData{'{', 'x'}},
        {"an object", platform::DefaultsData{'{', '}'}},
        {"a string", std::string("[]")},
    };
    for (const auto& row : unreadable) {
        Store broken;
        broken.defaults->set(key, row.value);
        broken.store.record(item("Clock"), failed, MenuKeyboardNavigability::unknown, date(1));
        EXPECT_EQ(broken.defaults->objectForKey(StoredJSONList::backupKey(key)), row.value)
            << row.name;
        EXPECT_EQ(broken.stored().size(), 1u) << row.name;
    }
}

} // namespace
