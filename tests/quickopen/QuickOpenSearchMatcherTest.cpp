#include "Parlowen/QuickOpen/QuickOpenSearchMatcher.h"
#include "Parlowen/QuickOpen/QuickOpenListPlanner.h"
#include "RecordBuilder.h"

#include <gtest/gtest.h>

#include <latch>
#include <thread>

namespace {

using namespace Parlowen::QuickOpenSearchMatcher;
using Strings = std::vector<std::string>;

TEST(QuickOpenSearchVariants, FoldAndTransliterate) {
    const struct {
        const char* name;
        const char* text;
        Strings variants;
    } rows[] = {
        {"latin name", "Dropbox", {"dropbox"}},
        {"blanks around", "  Google Drive\n", {"google drive"}},
        {"accented", "Café Läden", {"cafe laden"}},
        {"full width", "ＤＲＯＰＢＯＸ", {"dropbox"}},
        {"chinese", "微信", {"微信", "wei xin", "weixin"}},
        {"cyrillic", "Привет", {"привет", "privet"}},
        {"blanks only", " \t ", {}},
        {"ideographic space only", "\u3000", {}},
        {"bar and placeholder", "A|B %@", {"a|b %@"}},
        {"invalid utf-8", "\xff\xfe", {"\uFFFD\uFFFD"}},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(searchVariants(row.text), row.variants) << row.name;
    }
}

// One application with a title of a megabyte in several scripts must not freeze the panel: only
// the start of the title is searched (bench/quickopen_bench times it), so a word near its start
// is found and one at its end is not.
TEST(QuickOpenSearchVariants, AMegabyteTitleIsSearchedByItsStartOnly) {
    std::string title;
    while (title.size() < 1'000'000) {
        title += "Ab Ωμέγα Привет 東京 مرحبا ｆｕｌｌ é\n";
    }
    title += "Zanzibar";
    const std::vector<Parlowen::AXMenuBarItemRecord> items = {
        QuickOpenTesting::record("Hostile", title), QuickOpenTesting::record("Dropbox")};
    const auto matches = [&](std::string_view query) {
        Strings names;
        for (const auto& section : Parlowen::QuickOpenListPlanner::makeSections(
                 items, {}, Parlowen::OverflowPanelScope::allRightSide, query, {}, {})) {
            for (const auto& item : section.items) {
                names.push_back(item.appName);
            }
        }
        return names;
    };
    EXPECT_EQ(matches("privet"), Strings{"Hostile"});
    EXPECT_EQ(matches("zanzibar"), Strings{});
}

TEST(QuickOpenSearchVariants, SameResultOnEveryThread) {
    // The threads start together and transliterate at the same time, so the shared
    // transliterator is really used from several threads at once.
    const std::vector<std::string> texts = {"微信 钉钉", "Привет мир",  "東京 タワー",
                                            "Ελληνικά",  "한국어 입력", "עברית"};
    std::vector<Strings> expected;
    for (const auto& text : texts) {
        expected.push_back(searchVariants(text));
    }
    constexpr int threads = 4;
    std::latch start(threads);
    std::vector<int> mismatches(threads, 0);
    std::vector<std::thread> workers;
    for (int worker = 0; worker < threads; ++worker) {
        workers.emplace_back([&, worker] {
            start.arrive_and_wait();
            for (int round = 0; round < 60; ++round) {
                for (std::size_t index = 0; index < texts.size(); ++index) {
                    mismatches[worker] += searchVariants(texts[index]) != expected[index];
                }
            }
        });
    }
    for (auto& worker : workers) {
        worker.join();
    }
    EXPECT_EQ(mismatches, std::vector<int>(threads, 0));
    EXPECT_EQ(expected[0].size(), 3u);
}

TEST(QuickOpenSearchFields, VariantsOfAllThreeTextsWithoutRepeats) {
    EXPECT_EQ(searchableFields("Dropbox", "dropbox", " DROPBOX "), Strings{"dropbox"});
    EXPECT_EQ(searchableFields("微信", "", "微信"), (Strings{"微信", "wei xin", "weixin"}));
    EXPECT_EQ(searchableFields("Bartender", "Wi-Fi", "Wi-Fi"), (Strings{"bartender", "wi-fi"}));
}

TEST(QuickOpenMatchQuality, BestLevelOfAnyField) {
    const Strings dropbox = searchableFields("Dropbox", "Sync status", "Sync status");
    const Strings plainDropbox = searchableFields("Dropbox", "", "Dropbox");
    const Strings wechat = searchableFields("微信", "", "微信");
    const Strings odd = searchableFields("Bar|Foo", "Up 5%@", "Up 5%@");
    const Strings snitch = searchableFields("Little Snitch Agent", "", "Little Snitch Agent");
    const struct {
        const char* name;
        const Strings& fields;
        const char* query;
        std::optional<int> quality;
    } rows[] = {
        {"equal", dropbox, "dropbox", equalQuality},
        {"prefix", dropbox, "drop", prefixQuality},
        {"contains", dropbox, "box", containsQuality},
        {"later word is contains", dropbox, "status", containsQuality},
        {"title prefix", dropbox, "sync", prefixQuality},
        {"no match", dropbox, "vpn", std::nullopt},
        {"transliterated equal", wechat, "weixin", equalQuality},
        {"transliterated with blank", wechat, "wei x", prefixQuality},
        {"transliterated contains", wechat, "xin", containsQuality},
        {"original script", wechat, "微", prefixQuality},
        {"vertical bar", odd, "|foo", containsQuality},
        {"placeholder text", odd, "5%@", containsQuality},
        {"alias sync finds dropbox", plainDropbox, "sync", aliasQuality},
        {"alias vpn finds a target inside a name", snitch, "vpn", aliasQuality},
        {"alias key prefix only", snitch, "vp", std::nullopt},
        {"longer than the alias key", snitch, "vpns", std::nullopt},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(matchQuality(row.fields, row.query), row.quality) << row.name;
    }
}

TEST(QuickOpenFoldedForm, QueriesFoldLikeNames) {
    EXPECT_EQ(foldedForm("  ÉCLAIR "), "eclair");
    EXPECT_EQ(foldedForm("ｃｌｅａｎｓｈｏｔ"), "cleanshot");
    // Composed and decomposed spellings fold alike.
    EXPECT_EQ(foldedForm("Ａ\u0301"), foldedForm("\u00C1"));
    EXPECT_EQ(foldedForm(" \n "), "");
}

} // namespace
