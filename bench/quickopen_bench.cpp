// Quick Open typing: the sections of a scan of 500 items (30% of the names in other scripts,
// 50 favourites, 10 recents) rebuilt for every keystroke of 200 incremental queries.

#include "Parlowen/QuickOpen/QuickOpenListPlanner.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using namespace Parlowen;
using QelCore::VisibilityClassification;

const std::vector<std::string> latinNames = {
    "Dropbox",    "Tailscale",     "Bartender",   "Maccy",        "CleanShot X",
    "1Password",  "Little Snitch", "iStat Menus", "Google Drive", "OneDrive",
    "Rectangle",  "Amphetamine",   "Shottr",      "Docker",       "Raycast",
    "Hidden Bar", "Stats",         "Caffeine",    "WireGuard",    "Paste"};
const std::vector<std::string> otherScriptNames = {
    "微信",   "钉钉",   "网易云音乐", "搜狗输入法", "腾讯会议",    "飞书",
    "カメラ", "メモ帳", "Телеграм",   "Погода",     "한글 입력기", "Καιρός"};

std::vector<AXMenuBarItemRecord> scanItems() {
    std::vector<AXMenuBarItemRecord> items;
    for (int index = 0; index < 500; ++index) {
        AXMenuBarItemRecord item;
        const bool otherScript = index % 10 < 3;
        const auto& names = otherScript ? otherScriptNames : latinNames;
        item.appName =
            names[static_cast<std::size_t>(index) % names.size()] + " " + std::to_string(index);
        item.bundleIdentifier = "com.example.app" + std::to_string(index);
        item.title = index % 4 == 0 ? "Status " + std::to_string(index) : "";
        item.role = "AXMenuBarItem";
        item.subrole = "AXMenuExtra";
        item.sourceHint = QelCore::FixtureMenuBarItemSourceHint::menuExtra;
        item.classification = index % 5 == 0
                                  ? VisibilityClassification::hiddenBehindNotch
                                  : (index % 17 == 0 ? VisibilityClassification::unknown
                                                     : VisibilityClassification::visible);
        if (index % 7 != 0) {
            item.frame = platform::CGRect(2000.0 - index * 3.5, 0, 24, 24);
        }
        item.isStatusCandidate = true;
        item.notes = {"source=menuExtra", "frameSource=ax"};
        items.push_back(std::move(item));
    }
    return items;
}

// The first `count` characters of a UTF-8 text.
std::string prefix(const std::string& text, std::size_t count) {
    std::size_t end = 0;
    for (std::size_t seen = 0; end < text.size() && seen < count; ++seen) {
        do {
            ++end;
        } while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80);
    }
    return text.substr(0, end);
}

// Every prefix of each word, one to twelve characters, until there are 200 queries.
std::vector<std::string> typedQueries() {
    const std::vector<std::string> words = {
        "dropbox status", "weixin",         "tailscale",   "微信",        "bartender 12",
        "wang yi yun",    "sync",           "cleanshot x", "telegram",    "1password",
        "istat menus",    "docker desktop", "vpn",         "kamera",      "google drive",
        "raycast",        "网易云音乐",     "shottr 4",    "amphetamine", "hidden bar"};
    std::vector<std::string> queries;
    for (std::size_t word = 0; queries.size() < 200; word = (word + 1) % words.size()) {
        for (std::size_t length = 1; length <= 12 && queries.size() < 200; ++length) {
            std::string query = prefix(words[word], length);
            if (!queries.empty() && query == queries.back()) {
                break;
            }
            queries.push_back(std::move(query));
        }
    }
    return queries;
}

double percentile(std::vector<double> samples, double fraction) {
    std::sort(samples.begin(), samples.end());
    const auto index = static_cast<std::size_t>(fraction * static_cast<double>(samples.size() - 1));
    return samples[index];
}

void BM_QuickOpenTyping(benchmark::State& state) {
    const auto items = scanItems();
    std::vector<MenuBarItemStableIdentity> favorites;
    std::vector<MenuBarItemStableIdentity> recents;
    for (std::size_t index = 0; index < 50; ++index) {
        favorites.push_back(MenuBarItemStableIdentity::of(items[index * 10 + 1]));
    }
    for (std::size_t index = 0; index < 10; ++index) {
        recents.push_back(MenuBarItemStableIdentity::of(items[index * 37 + 2]));
    }
    const auto queries = typedQueries();

    // Opening the panel lists the browsing sections first; the cold list is reported apart.
    const auto coldStart = std::chrono::steady_clock::now();
    benchmark::DoNotOptimize(QuickOpenListPlanner::makeSections(
        items, {}, OverflowPanelScope::allRightSide, "", recents, favorites));
    const double coldMicroseconds =
        std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - coldStart)
            .count();

    std::vector<double> samples;
    for (auto _ : state) {
        for (const auto& query : queries) {
            const auto start = std::chrono::steady_clock::now();
            auto sections = QuickOpenListPlanner::makeSections(
                items, {}, OverflowPanelScope::allRightSide, query, recents, favorites);
            benchmark::DoNotOptimize(sections);
            samples.push_back(
                std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start)
                    .count());
        }
    }
    const double p50 = percentile(samples, 0.50);
    const double p95 = percentile(samples, 0.95);
    state.counters["p50_us"] = p50;
    state.counters["p95_us"] = p95;
    state.counters["cold_us"] = coldMicroseconds;
    std::printf("quickopen makeSections over %zu queries: p50 %.1f us, p95 %.1f us "
                "(budget 1000 us); first list with empty caches %.1f us\n",
                samples.size(), p50, p95, coldMicroseconds);
}
BENCHMARK(BM_QuickOpenTyping)->Unit(benchmark::kMillisecond)->Iterations(5);

// One application whose title is a megabyte in several scripts: a search over it must stay far
// below a frame's worth of waiting, since only the title's start is looked at. Every round's title
// is new, so none finds the keys of an earlier one cached.
void BM_MegabyteTitleSearch(benchmark::State& state) {
    std::string title;
    while (title.size() < 1'000'000) {
        title += "Ab Ωμέγα Привет 東京 مرحبا ｆｕｌｌ é\n";
    }
    auto items = scanItems();
    items.resize(2);
    items[0].appName = "Hostile";
    items[1].appName = "Dropbox";
    // The transliterator and the collator are made by the first search of the process.
    benchmark::DoNotOptimize(QuickOpenListPlanner::makeSections(
        {items[1]}, {}, OverflowPanelScope::allRightSide, "privet", {}, {}));
    std::vector<double> samples;
    for (auto _ : state) {
        items[0].title = std::to_string(samples.size()) + " " + title;
        const auto start = std::chrono::steady_clock::now();
        auto sections = QuickOpenListPlanner::makeSections(
            items, {}, OverflowPanelScope::allRightSide, "privet", {}, {});
        samples.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count());
        if (sections.size() != 1 || sections[0].items.size() != 1 ||
            sections[0].items[0].appName != "Hostile") {
            state.SkipWithError("the search did not find the word at the title's start");
            return;
        }
    }
    const double p95 = percentile(samples, 0.95);
    state.counters["p95_ms"] = p95;
    std::printf("quickopen search over a megabyte title: p50 %.2f ms, p95 %.2f ms (budget 50 ms)\n",
                percentile(samples, 0.50), p95);
}
BENCHMARK(BM_MegabyteTitleSearch)->Unit(benchmark::kMillisecond)->Iterations(20);

} // namespace
