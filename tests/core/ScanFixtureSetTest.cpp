#include "core/MenuBarScanFixture.h"
#include "core/OverflowClassifier.h"
#include "core/StatusItemCandidateFilter.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

using namespace QelCore;

const std::filesystem::path fixtureFolder = TESSALINE_FIXTURE_DIR;

MenuBarScanFixture loadFixture(const std::string& name) {
    auto result = MenuBarScanFixture::load(fixtureFolder / name);
    if (const auto* error = std::get_if<MenuBarScanFixtureError>(&result)) {
        ADD_FAILURE() << name << ": " << error->codingPath << ": " << error->message;
        return {};
    }
    return std::get<MenuBarScanFixture>(std::move(result));
}

// The candidate answer recorded beside each item under a key the loader ignores.
std::vector<bool> expectedCandidates(const std::string& name) {
    std::ifstream file(fixtureFolder / name);
    const auto document = nlohmann::json::parse(file);
    std::vector<bool> result;
    for (const auto& item : document.at("items")) {
        result.push_back(item.at("expectedCandidate").get<bool>());
    }
    return result;
}

struct FixtureShape {
    std::string name;
    std::size_t minimumCandidates;
    bool hasHiddenItems;
    bool hasOffscreenItems;
};

TEST(ScanFixtureSet, ItemsClassifyAndFilterAsRecorded) {
    const FixtureShape shapes[] = {
        {"notched-crowded.json", 40, true, true},
        {"external-plain.json", 30, false, false},
        {"dual-display.json", 38, true, true},
        {"notched-mixed-sources.json", 40, true, true},
    };
    for (const auto& shape : shapes) {
        const MenuBarScanFixture fixture = loadFixture(shape.name);
        const std::vector<bool> candidates = expectedCandidates(shape.name);
        ASSERT_EQ(fixture.items.size(), candidates.size()) << shape.name;
        for (std::size_t index = 0; index < fixture.items.size(); ++index) {
            const FixtureMenuBarItem& item = fixture.items[index];
            const std::string where =
                shape.name + " item " + std::to_string(index) + " (" + item.appName + ")";
            EXPECT_EQ(OverflowClassifier::classify(item.snapshot.frame, fixture.screen),
                      item.expectedVisibility)
                << where;
            EXPECT_EQ(StatusItemCandidateFilter::isCandidate(item, fixture.screen),
                      candidates[index])
                << where;
        }
        const auto count = [&](VisibilityClassification visibility) {
            return std::count_if(fixture.items.begin(), fixture.items.end(), [&](const auto& item) {
                return item.expectedVisibility == visibility;
            });
        };
        EXPECT_GE(StatusItemCandidateFilter::candidates(fixture).size(), shape.minimumCandidates)
            << shape.name;
        EXPECT_EQ(count(VisibilityClassification::hiddenBehindNotch) > 0, shape.hasHiddenItems)
            << shape.name;
        EXPECT_EQ(count(VisibilityClassification::pushedOffscreen) > 0, shape.hasOffscreenItems)
            << shape.name;
    }
}

} // namespace
