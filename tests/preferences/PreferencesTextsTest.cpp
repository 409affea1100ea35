#include "Parlowen/Preferences/PerAppHotKeySummaryText.h"
#include "Parlowen/Preferences/UpdateControlPresentation.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace Parlowen;

struct StatusCase {
    UpdaterStatus status;
    std::string title;
    std::string toolTip;
};

TEST(UpdateControlPresentationTest, EveryStatusGivesItsTitleAndToolTip) {
    const std::vector<StatusCase> cases = {
        {UpdaterStatus::updateAvailable("2.1", false), "Check Now", "Version 2.1 is available"},
        {UpdaterStatus::updateAvailable("2.1", true), "Check Now",
         "Required update 2.1 is available"},
        {UpdaterStatus::downloading("2.1", false), "Downloading...", "Downloading..."},
        {UpdaterStatus::downloaded("2.1", false), "Install...",
         "Version 2.1 has downloaded. Click Install to finish."},
        {UpdaterStatus::downloaded("2.1", true), "Install...",
         "Required update 2.1 has downloaded. Click Install to finish."},
        {UpdaterStatus::installing("2.1", true), "Installing...", "Installing..."},
        {UpdaterStatus::failed("no network"), "Check Now", "Update check failed: no network"},
        {UpdaterStatus::idle(), "Check Now", "Check Now"},
        {UpdaterStatus::checking(), "Checking...", "Checking..."},
        {UpdaterStatus::latest(), "Check Now", "Tessaline is up to date"},
    };
    for (const auto& each : cases) {
        SCOPED_TRACE(each.toolTip);
        EXPECT_EQ(UpdateControlPresentation::checkButtonTitle(each.status), each.title);
        EXPECT_EQ(UpdateControlPresentation::checkButtonToolTip(each.status), each.toolTip);
    }
}

TEST(UpdateControlPresentationTest, PlaceholdersInsideTheMessageStayAsWritten) {
    EXPECT_EQ(UpdateControlPresentation::checkButtonToolTip(UpdaterStatus::failed("50%@ %d")),
              "Update check failed: 50%@ %d");
}

TEST(PerAppHotKeySummaryTextTest, PaneSummaryCountsBindingsAndStaleOnes) {
    EXPECT_EQ(PerAppHotKeySummaryText::paneSummary(0, 0), "No app shortcuts");
    EXPECT_EQ(PerAppHotKeySummaryText::paneSummary(3, 1), "3 shortcuts · 1 unavailable");
    EXPECT_EQ(PerAppHotKeySummaryText::paneSummary(3, 0), "3 shortcuts");
    EXPECT_EQ(PerAppHotKeySummaryText::paneSummary(1, 0), "1 shortcut");
    // The stale count is looked at before the singular.
    EXPECT_EQ(PerAppHotKeySummaryText::paneSummary(1, 1), "1 shortcuts · 1 unavailable");
}

TEST(PerAppHotKeySummaryTextTest, ManagementSummaryCountsAvailableAndStale) {
    EXPECT_EQ(PerAppHotKeySummaryText::managementSummary(0, 0), "No shortcuts configured");
    EXPECT_EQ(PerAppHotKeySummaryText::managementSummary(3, 0), "3 available");
    EXPECT_EQ(PerAppHotKeySummaryText::managementSummary(2, 1), "2 available · 1 unavailable");
}

} // namespace
