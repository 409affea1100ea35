#include "Parlowen/Status/ScanStatusStore.h"
#include "Parlowen/Scanning/MenuBarScanner.h"
#include "tests/scan/ScanTestSupport.h"

#include <gtest/gtest.h>

namespace {

using Parlowen::QuickOpenActionFeedback;
using Parlowen::ScanStatusStore;
using Parlowen::TessalineScanStatus;

// Every notification of both names, as (name, object as text).
struct Recorder {
    explicit Recorder(platform::NotificationCenter& center) {
        for (const char* name : {ScanStatusStore::tessalineScanStatusDidChange,
                                 ScanStatusStore::tessalineActionFeedbackDidChange}) {
            tokens.push_back(center.addObserver(name, [this](const platform::Notification& note) {
                std::string object = "none";
                if (const auto* status = std::any_cast<TessalineScanStatus>(&note.object)) {
                    object = "hidden " + std::to_string(status->hiddenCount);
                } else if (const auto* feedback =
                               std::any_cast<QuickOpenActionFeedback>(&note.object)) {
                    object = feedback->message;
                } else if (note.object.has_value()) {
                    object = "unexpected";
                }
                posts.push_back(note.name + ": " + object);
            }));
        }
    }

    std::vector<platform::NotificationCenter::ObservationToken> tokens;
    std::vector<std::string> posts;
};

TEST(ScanStatusStore, UpdateFromAScanPostsEveryTime) {
    ScanTestSupport::Desktop sim(ScanTestSupport::sampleDesktopJson("notched-crowded"));
    const auto snapshot =
        Parlowen::MenuBarScanner::scan(sim.desktop.services(), std::nullopt, true);
    platform::NotificationCenter center;
    Recorder recorder(center);
    ScanStatusStore store(center);
    EXPECT_EQ(store.current(), std::nullopt);

    store.update(snapshot, true);
    store.update(snapshot, true);
    EXPECT_EQ(store.current(), (TessalineScanStatus{15, 43, snapshot.scanStartedAt, true}));
    EXPECT_EQ(recorder.posts,
              std::vector<std::string>(2, "TessalineScanStatusDidChange: hidden 15"));

    // Without status candidates nothing counts as hidden.
    Parlowen::ScanSnapshot plain = snapshot;
    for (auto& item : plain.items) {
        item.isStatusCandidate = false;
    }
    store.update(plain, false);
    EXPECT_EQ(store.current(), (TessalineScanStatus{0, 0, snapshot.scanStartedAt, false}));
}

TEST(ScanStatusStore, ActionFeedbackRecordedAndCleared) {
    platform::NotificationCenter center;
    Recorder recorder(center);
    ScanStatusStore store(center);

    store.clearActionFeedback();
    const auto feedback = QuickOpenActionFeedback::opening("Clock");
    const platform::WallTime at{std::chrono::seconds(1'750'000'000)};
    store.recordActionFeedback(feedback, at);
    EXPECT_EQ(store.lastActionFeedback(), feedback);
    EXPECT_EQ(store.lastActionFeedbackRecordedAt(), at);
    store.clearActionFeedback();
    EXPECT_EQ(store.lastActionFeedback(), std::nullopt);
    EXPECT_EQ(store.lastActionFeedbackRecordedAt(), std::nullopt);
    EXPECT_EQ(store.current(), std::nullopt);

    EXPECT_EQ(recorder.posts, (std::vector<std::string>{
                                  "TessalineActionFeedbackDidChange: none",
                                  "TessalineActionFeedbackDidChange: Opening Clock...",
                                  "TessalineActionFeedbackDidChange: none",
                              }));
}

} // namespace
