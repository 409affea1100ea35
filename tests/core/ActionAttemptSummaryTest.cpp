#include "core/ActionAttemptSummary.h"
#include "core/ExperimentLogFormatter.h"

#include <gtest/gtest.h>

namespace {

using namespace QelCore;

ActionAttemptLog attempt(std::string app, std::string title, std::string result,
                         std::int32_t code = 0, std::string action = "AXPress") {
    ActionAttemptLog log;
    log.appName = std::move(app);
    log.pid = 7;
    log.title = std::move(title);
    log.role = "AXMenuBarItem";
    log.action = std::move(action);
    log.result = std::move(result);
    log.errorCode = code;
    return log;
}

TEST(ActionAttemptSummary, CountsTargetsAndFailures) {
    const ActionAttemptSummary empty(std::vector<ActionAttemptLog>{});
    EXPECT_EQ(empty.toJson().dump(),
              R"({"totalCount":0,"successCount":0,"failureCount":0,"successRate":0.0,)"
              R"("successRatePercent":0.0,"failedApps":[],"failuresByErrorCode":{}})");

    // One target that opens on its second attempt, two failing targets of one app (one of them
    // only with code 0), a third app failing twice with one code.
    const ActionAttemptSummary summary({
        attempt("Clock", "12:00", "failure", -25204),
        attempt("Clock", "12:00", "observed-open", 0, "AXShowMenu"),
        attempt("Wi-Fi", "Home", "failure", -25204),
        attempt("Wi-Fi", "Office", "posted-unconfirmed", 0),
        attempt("Battery", "", "failure", -25200),
        attempt("Battery", "", "no-supported-action", -25200),
    });
    EXPECT_EQ(summary.totalCount, 4);
    EXPECT_EQ(summary.successCount, 1);
    EXPECT_EQ(summary.failureCount, 3);
    EXPECT_EQ(summary.successRatePercent, 25.0);
    EXPECT_EQ(summary.failedApps, (std::vector<std::string>{"Battery", "Wi-Fi"}));
    EXPECT_EQ(summary.toJson().dump(),
              R"({"totalCount":4,"successCount":1,"failureCount":3,"successRate":0.25,)"
              R"("successRatePercent":25.0,"failedApps":["Battery","Wi-Fi"],)"
              R"("failuresByErrorCode":{"-25204":1,"-25200":2}})");
}

TEST(ActionAttemptSummary, PercentRoundsToOneDecimal) {
    struct Row {
        int successes;
        int targets;
        double percent;
    };
    for (const auto& row : {Row{1, 3, 33.3}, Row{2, 3, 66.7}, Row{1, 8, 12.5}, Row{3, 3, 100}}) {
        std::vector<ActionAttemptLog> logs;
        for (int i = 0; i < row.targets; ++i) {
            logs.push_back(
                attempt("App", std::to_string(i), i < row.successes ? "observed-open" : "failure"));
        }
        EXPECT_DOUBLE_EQ(ActionAttemptSummary(logs).successRatePercent, row.percent)
            << row.successes << "/" << row.targets;
    }
}

TEST(ExperimentLogFormatter, WritesOneLineWhateverTheTitle) {
    auto log = attempt("Clock", "12:00", "failure", -25204);
    log.subrole = "AXMenuExtra";
    EXPECT_EQ(ExperimentLogFormatter::format(log),
              "- app=Clock pid=7 title=\"12:00\" role=AXMenuBarItem subrole=AXMenuExtra "
              "action=AXPress result=failure error=-25204");

    const std::pair<const char*, const char*> rows[] = {
        {"say \"hi\"", R"(say \"hi\")"},
        {"back\\slash", R"(back\\slash)"},
        {"two\nlines\r", R"(two\nlines\r)"},
        {"tab\tbell\a del\x7f", R"(tab\tbell\u0007 del\u007F)"},
        {"next\xc2\x85line sep\xe2\x80\xa8", R"(next\u0085line sep\u2028)"},
        {"caf\xc3\xa9 \xe2\x80\x99", "caf\xc3\xa9 \xe2\x80\x99"},
    };
    for (const auto& [title, escaped] : rows) {
        log.title = title;
        log.appName = title;
        const auto line = ExperimentLogFormatter::format(log);
        EXPECT_NE(line.find(std::string("title=\"") + escaped + "\""), std::string::npos) << line;
        EXPECT_EQ(line.rfind(std::string("- app=") + escaped + " ", 0), 0u) << line;
        EXPECT_EQ(line.find('\n'), std::string::npos) << line;
    }
}

} // namespace
