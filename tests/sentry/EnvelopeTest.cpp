#include "sentry/Envelope.h"
#include "sentry/RateLimits.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

using sentry::Envelope;
using sentry::RateLimits;
using namespace std::chrono_literals;

TEST(Envelope, RoundTripsAnEventWithLengths) {
    // Letters of two, three and four bytes, so a count of characters differs from the bytes.
    const nlohmann::json event{{"event_id", "0123456789abcdef0123456789abcdef"},
                               {"message", {{"formatted", "line one\nZürich ✓ 東京 😀"}}}};
    const auto text = Envelope::forEvent(event).serialized();

    // The length, read without the envelope parser: the item header is the second line and the
    // payload, compact JSON without a raw line break, the third.
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) {
        lines.push_back(line);
    }
    ASSERT_EQ(lines.size(), 3u) << text;
    const auto itemHeader = nlohmann::json::parse(lines[1]);
    EXPECT_EQ(itemHeader.at("type"), "event");
    EXPECT_EQ(itemHeader.at("length").get<std::size_t>(), lines[2].size());
    EXPECT_EQ(nlohmann::json::parse(lines[2]), event);

    const auto parsed = Envelope::parse(text);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->header, (nlohmann::json{{"event_id", "0123456789abcdef0123456789abcdef"}}));
    ASSERT_EQ(parsed->items.size(), 1u);
    EXPECT_EQ(parsed->eventPayload(), event);
}

TEST(Envelope, ParsesItemsWithoutLengthsUpToTheirNewline) {
    const auto parsed = Envelope::parse("{}\n{\"type\":\"attachment\"}\nabc\n"
                                        "{\"type\":\"event\"}\n{\"event_id\":\"x\"}");
    ASSERT_TRUE(parsed);
    ASSERT_EQ(parsed->items.size(), 2u);
    EXPECT_EQ(parsed->items[0].payload, "abc");
    EXPECT_EQ(parsed->eventPayload(), (nlohmann::json{{"event_id", "x"}}));
}

TEST(Envelope, RejectsMalformedText) {
    const std::vector<std::string> rows{
        "",
        "not json\n",
        "[]\n",
        "{}\nnot json\n",
        "{}\n{\"length\":100}\nshort\n",
        "{}\n{\"length\":-1}\nx\n",
        "{}\n{\"length\":\"3\"}\nabc\n",
        "{}\n{\"length\":1.5}\nabc\n",
    };
    for (const auto& text : rows) {
        EXPECT_FALSE(Envelope::parse(text)) << text;
    }
}

TEST(Envelope, InvalidUtf8IsReplacedInsteadOfFailing) {
    const nlohmann::json event{{"event_id", "id"}, {"tags", {{"app", std::string("bad\xff")}}}};
    const auto parsed = Envelope::parse(Envelope::forEvent(event).serialized());
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->eventPayload()->at("tags").at("app"), "bad\xef\xbf\xbd");
}

TEST(RateLimits, ParsesTheHeader) {
    struct Row {
        const char* header;
        std::map<std::string, std::chrono::seconds> limits;
    };
    const std::vector<Row> rows{
        {"60:error:key", {{"error", 60s}}},
        {"60::organization", {{"", 60s}}},
        {"10:error;transaction:key, 2.5:session:project",
         {{"error", 10s}, {"transaction", 10s}, {"session", 3s}}},
        {"abc:error:key, -5:error:key, inf:error:key, nan:error", {}},
        {"99999999:error:key", {{"error", RateLimits::longestLimit}}},
        {"", {}},
        {"30", {{"", 30s}}},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(RateLimits::parseHeader(row.header), row.limits) << row.header;
    }
}

TEST(RateLimits, LimitsFromAnswers) {
    const auto now = RateLimits::Clock::now();
    RateLimits limits;
    limits.update(200, std::nullopt, std::nullopt, now);
    EXPECT_FALSE(limits.isLimited("error", now));

    limits.update(200, "5:transaction:key", std::nullopt, now);
    EXPECT_FALSE(limits.isLimited("error", now));
    EXPECT_TRUE(limits.isLimited("transaction", now + 4s));

    RateLimits retryAfter;
    retryAfter.update(429, std::nullopt, "7", now);
    EXPECT_TRUE(retryAfter.isLimited("error", now + 6s));
    EXPECT_FALSE(retryAfter.isLimited("error", now + 7s));

    RateLimits bare;
    bare.update(429, std::nullopt, "Wed, 21 Oct 2015 07:28:00 GMT", now);
    EXPECT_TRUE(bare.isLimited("error", now + RateLimits::defaultRetryAfter - 1s));
    EXPECT_FALSE(bare.isLimited("error", now + RateLimits::defaultRetryAfter));
}

} // namespace
