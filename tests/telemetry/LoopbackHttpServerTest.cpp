#include "tests/support/LoopbackHttpServer.h"

#include <gtest/gtest.h>

#include <httplib.h>

namespace {

using testsupport::HttpRequest;
using testsupport::HttpResponse;
using testsupport::LoopbackHttpServer;

httplib::Client clientFor(const LoopbackHttpServer& server) {
    httplib::Client client("127.0.0.1", server.port());
    client.set_connection_timeout(2);
    return client;
}

TEST(LoopbackHttpServer, AnswersScriptedPathsAndRecordsRequestsInOrder) {
    LoopbackHttpServer server;
    server.respond("/api/1/envelope/", {202, {{"X-Answer", "yes"}}, "queued"});
    auto client = clientFor(server);

    const auto posted =
        client.Post("/api/1/envelope/?sentry_key=abc", {{"X-Sentry-Auth", "Sentry x"}}, "payload",
                    "application/x-sentry-envelope");
    ASSERT_TRUE(posted);
    EXPECT_EQ(posted->status, 202);
    EXPECT_EQ(posted->body, "queued");
    EXPECT_EQ(posted->get_header_value("X-Answer"), "yes");

    const auto missing = client.Get("/elsewhere");
    ASSERT_TRUE(missing);
    EXPECT_EQ(missing->status, 404);

    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].method, "POST");
    EXPECT_EQ(requests[0].path, "/api/1/envelope/");
    EXPECT_EQ(requests[0].query, "sentry_key=abc");
    EXPECT_EQ(requests[0].headers.at("x-sentry-auth"), "Sentry x");
    EXPECT_EQ(requests[0].body, "payload");
    EXPECT_EQ(requests[1].method, "GET");
    EXPECT_EQ(requests[1].path, "/elsewhere");
}

TEST(LoopbackHttpServer, HandlerTakesPrecedenceOverScriptedAnswers) {
    LoopbackHttpServer server;
    server.respond("/a", {200, {}, "scripted"});
    server.setHandler([](const HttpRequest& request) {
        return HttpResponse{500, {}, request.path};
    });
    auto client = clientFor(server);
    const auto answer = client.Get("/a");
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->status, 500);
    EXPECT_EQ(answer->body, "/a");
}

TEST(LoopbackHttpServer, RefusesConnectionsAfterStop) {
    LoopbackHttpServer server;
    EXPECT_EQ(server.url("/x"), "http://127.0.0.1:" + std::to_string(server.port()) + "/x");
    server.stop();
    server.stop();
    auto client = clientFor(server);
    EXPECT_FALSE(client.Get("/x"));
    EXPECT_TRUE(server.requests().empty());
}

} // namespace
