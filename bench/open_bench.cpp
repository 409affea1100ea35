// Menu opening's hot paths: comparing two menu-bar trees captured around an action, and building
// the status-item frame index from a full window list.

#include "core/AXChildrenMenuDiff.h"
#include "core/StatusItemWindowFrameIndex.h"

#include <benchmark/benchmark.h>

namespace {

using namespace QelCore;
using Node = AXChildrenSnapshotNode;

// A menu bar of 30 items, each with a menu of 120 items, every tenth item with a submenu of 3:
// 5,101 nodes.
std::vector<Node> menuTree(const std::string& lastTitle) {
    Node bar{"AXMenuBar", "", "", {}};
    for (int item = 0; item < 30; ++item) {
        Node menu{"AXMenu", "", "Menu " + std::to_string(item), {}};
        for (int entry = 0; entry < 120; ++entry) {
            Node menuItem{"AXMenuItem", "", "Entry " + std::to_string(entry), {}};
            if (entry % 10 == 0) {
                menuItem.children.push_back(
                    {"AXMenu", "", "Sub", std::vector<Node>(3, Node{"AXMenuItem", "", "s", {}})});
            }
            menu.children.push_back(std::move(menuItem));
        }
        bar.children.push_back({"AXMenuBarItem", "", "Item " + std::to_string(item), {menu}});
    }
    bar.children.back().title = lastTitle;
    return {bar};
}

std::size_t nodeCount(const std::vector<Node>& nodes) {
    std::size_t count = nodes.size();
    for (const auto& node : nodes) {
        count += nodeCount(node.children);
    }
    return count;
}

// Trees that differ only in the last item's title: the comparison counts every menu of both and
// finds no new one, its slowest path.
void BM_ChildrenMenuDiff(benchmark::State& state) {
    const auto before = menuTree("before");
    const auto after = menuTree("after");
    for (auto _ : state) {
        benchmark::DoNotOptimize(AXChildrenMenuDiff::evidenceSource(before, after));
    }
    state.counters["nodes"] = static_cast<double>(nodeCount(after));
}
BENCHMARK(BM_ChildrenMenuDiff)->Unit(benchmark::kMillisecond);

// 2,000 windows on three displays; every fourth is a status window in a top strip, owned by one
// of 150 applications, some with non-ASCII names.
void BM_FrameIndexMake(benchmark::State& state) {
    const std::vector<ScreenSnapshot> screens{
        {"Built-in", {0, 0, 1512, 982}, {}, {}, {0, 950, 650, 32}, {860, 950, 652, 32}},
        {"Left", {-1920, 0, 1920, 1080}, {}, {}, {}, {}},
        {"Above", {0, 982, 2560, 1440}, {}, {}, {}, {}}};
    const CGFloat tops[] = {0, -98, -1440};
    std::vector<StatusItemWindowFrameIndex::WindowRecord> records;
    for (int i = 0; i < 2000; ++i) {
        const int owner = i % 150;
        std::string name = owner % 7 == 0 ? "Ünïcode Äpp " + std::to_string(owner)
                                          : "Application " + std::to_string(owner);
        const bool status = i % 4 == 0;
        records.push_back({std::move(name),
                           status ? 25 : 0,
                           {static_cast<CGFloat>(i % 1400), status ? tops[i % 3] : 200.0,
                            status ? 30.0 : 800.0, status ? 24.0 : 600.0}});
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(StatusItemWindowFrameIndex::make(records, screens));
    }
}
BENCHMARK(BM_FrameIndexMake)->Unit(benchmark::kMillisecond);

} // namespace
