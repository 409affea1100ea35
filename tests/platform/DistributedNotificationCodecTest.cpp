#include "platform/DistributedNotificationCodec.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <variant>

namespace {

using namespace platform;
namespace Codec = DistributedNotificationCodec;

TEST(DistributedNotificationCodec, RoundTripKeepsNameObjectAndPlainUserInfo) {
    const DistributedNotification notification{
        "app.tessaline.Tessaline.activation-request",
        "app.tessaline.Tessaline",
        {{"requestingPID", Value(std::int64_t{4242})},
         {"nested", Value(Value::Dictionary{
                        {"list", Value(Value::List{Value(true), Value(1.5), Value("é ✓")})}})}}};
    const auto bytes = Codec::encode(notification, 4242);
    ASSERT_TRUE(bytes);
    const auto decoded = Codec::decode(*bytes);
    ASSERT_TRUE(std::holds_alternative<Codec::Message>(decoded));
    EXPECT_EQ(std::get<Codec::Message>(decoded).sender, 4242);
    EXPECT_EQ(std::get<Codec::Message>(decoded).notification, notification);
}

TEST(DistributedNotificationCodec, RefusesToEncodeWhatCannotTravel) {
    struct Row {
        const char* name;
        DistributedNotification notification;
    };
    const std::string big(Codec::maximumMessageSize, 'x');
    Value deep = Value(std::int64_t{1});
    for (int depth = 0; depth <= Codec::maximumUserInfoDepth + 1; ++depth) {
        deep = Value(Value::List{deep});
    }
    const std::vector<Row> rows{
        {"no name", {"", std::nullopt, {}}},
        {"over 4 KB", {"n", std::nullopt, {{"text", Value(big)}}}},
        {"a point", {"n", std::nullopt, {{"p", Value(CGPoint{1, 2})}}}},
        {"not finite", {"n", std::nullopt, {{"x", Value(std::nan(""))}}}},
        {"nested too deeply", {"n", std::nullopt, {{"deep", deep}}}},
    };
    for (const Row& row : rows) {
        EXPECT_FALSE(Codec::encode(row.notification, 1)) << row.name;
    }
}

TEST(DistributedNotificationCodec, DropsMalformedForeignAndOversizedMessages) {
    struct Row {
        const char* name;
        std::string bytes;
    };
    const std::string header = R"({"format":"app.tessaline.distributed-notification","version":1,)";
    const std::vector<Row> rows{
        {"empty", ""},
        {"not JSON", "{\"name\":"},
        {"not an object", "[1,2]"},
        {"foreign format", R"({"format":"other","version":1,"sender":1,"name":"n"})"},
        {"other version", R"({"format":"app.tessaline.distributed-notification","version":2,)"
                          R"("sender":1,"name":"n"})"},
        {"no sender", header + R"("name":"n"})"},
        {"sender out of range", header + R"("sender":99999999999,"name":"n"})"},
        {"name not text", header + R"("sender":1,"name":5})"},
        {"object not text", header + R"("sender":1,"name":"n","object":[1]})"},
        {"user info not object", header + R"("sender":1,"name":"n","userInfo":"x"})"},
        {"too deep", header + R"("sender":1,"name":"n","userInfo":{"a":[[[[[[[[[[1]]]]]]]]]]}})"},
        {"too large", header + R"("sender":1,"name":")" + std::string(5000, 'n') + "\"}"},
        {"deep garbage", std::string(4000, '[')},
    };
    for (const Row& row : rows) {
        EXPECT_TRUE(std::holds_alternative<std::string>(Codec::decode(row.bytes))) << row.name;
    }
}

} // namespace
