#include "runtime/NeighborDisplacementReveal.h"
#include "runtime/RuntimeItemIdentity.h"

#include "tests/runtime/RuntimeTestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

using QelRuntime::RuntimeAXMenuBarItemRecord;
using QelRuntime::RuntimeItemIdentity;
using QelRuntime::RuntimeScanSnapshot;
using RuntimeTestSupport::Desktop;
using RuntimeTestSupport::sampleDesktop;
using Reveal = QelRuntime::NeighborDisplacementReveal<RuntimeScanSnapshot, RuntimeItemIdentity>;

// The sample desktop where two items behind the notch and the visible mail-2 are all "Mail".
nlohmann::json mailTwins() {
    auto description = sampleDesktop();
    SampleDesktops::makeClickOnlyMailTwin(description, "amphetamine-14");
    SampleDesktops::makeClickOnlyMailTwin(description, "istat-menus-15");
    return description;
}

// What an application that made its items anew would show: the same items under new elements.
platform::AXUIElement remade(const platform::AXUIElement& element) {
    return {element.pid(), element.identifier() | (std::uint64_t(1) << 60)};
}

TEST(NeighborDisplacementReveal, BuiltFromATemporaryServicesBundle) {
    Desktop desktop(mailTwins());
    const auto item = desktop.record("amphetamine-14");
    ASSERT_TRUE(item);
    // The bundle handed in dies at the end of this statement.
    const Reveal reveal(
        desktop.services(), [&desktop] { return desktop.scan(); }, RuntimeItemIdentity::of,
        std::equal_to<RuntimeItemIdentity>());
    const auto execution = reveal.displaceVisibleNeighborsToReveal(*item);
    EXPECT_EQ(execution.result, "neighbor-displacement-moved-into-view");
}

TEST(NeighborDisplacementReveal, FollowsATwinByItsPlaceOnceItsElementIsGone) {
    struct Row {
        std::string name;
        // Whether later scans lose the other hidden twin as well.
        bool twinLost;
        std::string result;
    };
    const Row rows[] = {
        {"same twins, new elements", false, "neighbor-displacement-moved-into-view"},
        {"one twin fewer", true, "ambiguous-reveal-target"},
    };
    for (const auto& row : rows) {
        Desktop desktop(mailTwins());
        const auto item = desktop.record("amphetamine-14");
        const auto other = desktop.record("istat-menus-15");
        ASSERT_TRUE(item && other) << row.name;
        int scans = 0;
        // After the first scan, every Mail item has a new element.
        const auto scan = [&] {
            auto snapshot = desktop.scan();
            if (++scans == 1) {
                return snapshot;
            }
            std::erase_if(snapshot.items, [&](const RuntimeAXMenuBarItemRecord& record) {
                return row.twinLost && record.element == other->element;
            });
            for (auto& record : snapshot.items) {
                if (record.pid == item->pid) {
                    record.element = remade(record.element);
                }
            }
            return snapshot;
        };
        const Reveal reveal(desktop.services(), scan, RuntimeItemIdentity::of,
                            std::equal_to<RuntimeItemIdentity>());
        const auto execution = reveal.displaceVisibleNeighborsToReveal(*item);
        EXPECT_EQ(execution.result, row.result) << row.name;
        EXPECT_GT(scans, 1) << row.name;
        if (execution.revealedItem) {
            EXPECT_EQ(execution.revealedItem->element, remade(item->element)) << row.name;
        }
    }
}

} // namespace
