#include "update/AbandonableWork.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

namespace {

using update::AbandonableWork::run;

// Work that is already cancelled never starts: a signature check of a large archive costs
// seconds of processor time and keeps the archive's file on disk while it runs. Work that is
// not cancelled gives its result.
TEST(AbandonableWork, RunsOnlyWorkThatIsStillWanted) {
    struct Row {
        const char* name;
        bool cancelledBefore;
        std::optional<int> result;
    };
    for (const Row& row : {Row{"not cancelled", false, 7}, Row{"cancelled before", true, {}}}) {
        SCOPED_TRACE(row.name);
        const auto began = std::make_shared<std::atomic<bool>>(false);
        const std::atomic<bool> cancelled = row.cancelledBefore;

        const auto result = run<int>(
            [began] {
                began->store(true);
                return 7;
            },
            cancelled);

        EXPECT_EQ(result, row.result);
        // Work started anyway would begin on its own thread soon after.
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        EXPECT_EQ(began->load(), !row.cancelledBefore);
    }
}

} // namespace
