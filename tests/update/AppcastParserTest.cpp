#include "update/AppcastParser.h"

#include "tests/update/UpdateTestSupport.h"

#include <gtest/gtest.h>

namespace {

using update::SUAppcastItem;

std::vector<SUAppcastItem> parseItems(const std::string& items) {
    auto result = update::AppcastParser::parse(UpdateTestSupport::appcast(items));
    EXPECT_TRUE(std::holds_alternative<std::vector<SUAppcastItem>>(result));
    auto* parsed = std::get_if<std::vector<SUAppcastItem>>(&result);
    return parsed ? *parsed : std::vector<SUAppcastItem>{};
}

TEST(AppcastParser, ReadsEveryFieldOfAnItem) {
    const auto items = parseItems(R"(<item><title> Tessaline 2 </title>
        <sparkle:version>200</sparkle:version>
        <sparkle:shortVersionString>2.0</sparkle:shortVersionString>
        <sparkle:releaseNotesLink>https://example.test/notes.html</sparkle:releaseNotesLink>
        <sparkle:criticalUpdate/>
        <enclosure url="https://example.test/t.tar.gz" length="1234" type="application/gzip"
                   sparkle:edSignature=" c2ln "/></item>)");
    ASSERT_EQ(items.size(), 1u);
    const SUAppcastItem expected{"Tessaline 2", "200",  "2.0", "https://example.test/t.tar.gz",
                                 1234,          "c2ln", true,  "https://example.test/notes.html"};
    EXPECT_EQ(items[0], expected);
}

struct OddItem {
    const char* name;
    const char* xml;
    std::size_t count;
    // Checks on the first item when there is one.
    std::function<void(const SUAppcastItem&)> check;
};

TEST(AppcastParser, HandlesOddItems) {
    const OddItem rows[] = {
        {"missing enclosure is kept without a file",
         "<item><sparkle:version>2</sparkle:version></item>", 1,
         [](const SUAppcastItem& item) {
             EXPECT_FALSE(item.fileURL);
             EXPECT_FALSE(item.edSignature);
         }},
        {"versions from the enclosure's attributes",
         R"(<item><enclosure url="u" sparkle:version="7" sparkle:shortVersionString="0.7"/></item>)",
         1,
         [](const SUAppcastItem& item) {
             EXPECT_EQ(item.versionString, "7");
             EXPECT_EQ(item.displayVersionString, "0.7");
         }},
        {"no version at all drops the item", R"(<item><enclosure url="u"/></item>)", 0, {}},
        {"two different signatures count as none",
         R"(<item><sparkle:version>2</sparkle:version><enclosure url="u" sparkle:edSignature="QQ==" sparkle:edSignature="Qg=="/></item>)",
         1, [](const SUAppcastItem& item) { EXPECT_FALSE(item.edSignature); }},
        {"a repeated equal signature is kept",
         R"(<item><sparkle:version>2</sparkle:version><enclosure url="u" sparkle:edSignature="QQ==" sparkle:edSignature="QQ=="/></item>)",
         1, [](const SUAppcastItem& item) { EXPECT_EQ(item.edSignature, "QQ=="); }},
        {"an undeclared prefix names nothing",
         R"(<item><foo:version>9</foo:version><enclosure url="u" foo:edSignature="QQ==" sparkle:version="3"/></item>)",
         1,
         [](const SUAppcastItem& item) {
             EXPECT_EQ(item.versionString, "3");
             EXPECT_FALSE(item.edSignature);
         }},
        {"another prefix bound to the update namespace counts",
         R"(<item xmlns:s="http://www.andymatuschak.org/xml-namespaces/sparkle"><s:version>4</s:version><enclosure url="u" s:edSignature="QQ=="/></item>)",
         1,
         [](const SUAppcastItem& item) {
             EXPECT_EQ(item.versionString, "4");
             EXPECT_EQ(item.edSignature, "QQ==");
         }},
        {"a length beyond 64 bits reads as unknown",
         R"(<item><sparkle:version>2</sparkle:version><enclosure url="u" length="99999999999999999999999"/></item>)",
         1, [](const SUAppcastItem& item) { EXPECT_EQ(item.contentLength, 0u); }},
        {"the largest 64-bit length is kept",
         R"(<item><sparkle:version>2</sparkle:version><enclosure url="u" length="18446744073709551615"/></item>)",
         1,
         [](const SUAppcastItem& item) { EXPECT_EQ(item.contentLength, 18446744073709551615u); }},
        {"a negative length reads as unknown",
         R"(<item><sparkle:version>2</sparkle:version><enclosure url="u" length="-5"/></item>)", 1,
         [](const SUAppcastItem& item) { EXPECT_EQ(item.contentLength, 0u); }},
        {"critical inside tags",
         "<item><sparkle:version>2</sparkle:version><sparkle:tags><sparkle:criticalUpdate/>"
         "</sparkle:tags></item>",
         1, [](const SUAppcastItem& item) { EXPECT_TRUE(item.isCriticalUpdate); }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const auto items = parseItems(row.xml);
        ASSERT_EQ(items.size(), row.count);
        if (row.check && !items.empty()) {
            row.check(items.front());
        }
    }
}

TEST(AppcastParser, RefusesDocumentsThatAreNoFeed) {
    for (const char* text : {"", "not xml", "<rss><channel>", "<feed/>", "<rss/>"}) {
        const auto result = update::AppcastParser::parse(text);
        ASSERT_TRUE(std::holds_alternative<update::UpdateError>(result)) << text;
        EXPECT_EQ(std::get<update::UpdateError>(result).code,
                  update::UpdateErrorCode::appcastParse);
    }
}

} // namespace
