#include "sentry/SentrySDK.h"
#include "tests/sentry/SentryTestServer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <mutex>
#include <thread>

namespace {

using sentry::SentrySDK;
using testsupport::HttpRequest;
using testsupport::HttpResponse;

// Makes the server's answers wait until `release`, to keep a request in flight.
class HeldAnswers {
public:
    explicit HeldAnswers(SentryTestServer& server) : hold_(gate_) {
        server.http.setHandler([this](const HttpRequest&) {
            std::lock_guard wait(gate_);
            return HttpResponse{200, {}, ""};
        });
    }
    void release() { hold_.unlock(); }

private:
    std::mutex gate_;
    std::unique_lock<std::mutex> hold_;
};

sentry::Options optionsFor(const SentryTestServer& server) {
    sentry::Options options;
    options.dsn = server.dsn();
    options.releaseName = "tessaline@1.2+3";
    options.environment = "release";
    return options;
}

TEST(SentrySDK, SendsOneEnvelopeWithHeaderAuthenticationAndPayload) {
    SentryTestServer server;
    SentrySDK sdk;
    ASSERT_TRUE(sdk.start(optionsFor(server)));
    sdk.configureScope([](sentry::Scope& scope) {
        scope.setUser(sentry::SentryUser{"install-id", std::nullopt, std::nullopt, "{{auto}}"});
        scope.setTag("1.2", "tessaline.version");
    });
    const auto id = sdk.capture("quick_open_attempt", [](sentry::Scope& scope) {
        scope.setTag("observedOpen", "outcome");
        scope.setExtra(42, "durationMs");
    });
    EXPECT_NE(id, sentry::SentryId::empty());
    EXPECT_TRUE(sdk.flush(5));

    const auto requests = server.http.requests();
    ASSERT_EQ(requests.size(), 1u);
    const HttpRequest& request = requests[0];
    EXPECT_EQ(request.method, "POST");
    EXPECT_EQ(request.path, SentryTestServer::envelopePath);
    EXPECT_EQ(request.headers.at("content-type"), "application/x-sentry-envelope");
    EXPECT_EQ(request.headers.at("x-sentry-auth"),
              "Sentry sentry_version=7, sentry_client=tessaline.sentry/0.1.0, sentry_key=public");

    const auto envelope = sentry::Envelope::parse(request.body);
    ASSERT_TRUE(envelope);
    EXPECT_EQ(envelope->header.at("event_id"), id.sentryIdString());
    const auto event = *envelope->eventPayload();
    EXPECT_EQ(event.at("event_id"), id.sentryIdString());
    EXPECT_EQ(event.at("message").at("formatted"), "quick_open_attempt");
    EXPECT_EQ(event.at("level"), "info");
    EXPECT_EQ(event.at("release"), "tessaline@1.2+3");
    EXPECT_EQ(event.at("environment"), "release");
    EXPECT_EQ(event.at("tags"),
              (nlohmann::json{{"outcome", "observedOpen"}, {"tessaline.version", "1.2"}}));
    EXPECT_EQ(event.at("extra"), (nlohmann::json{{"durationMs", 42}}));
    // Without consent to personal data the server is not asked for the address.
    EXPECT_EQ(event.at("user"), (nlohmann::json{{"id", "install-id"}}));
}

TEST(SentrySDK, EventIdsAre32LowerCaseHexDigits) {
    SentryTestServer server;
    SentrySDK sdk;
    EXPECT_EQ(sdk.capture("before start"), sentry::SentryId::empty());
    ASSERT_TRUE(sdk.start(optionsFor(server)));
    const auto text = sdk.capture("x").sentryIdString();
    EXPECT_EQ(text.size(), 32u);
    EXPECT_EQ(text.find_first_not_of("0123456789abcdef"), std::string::npos);
    EXPECT_EQ(sentry::SentryId::empty().sentryIdString(), std::string(32, '0'));
}

TEST(SentrySDK, DoesNotStartWithoutAUsableDsn) {
    SentrySDK sdk;
    sentry::Options options;
    options.dsn = "https://example.com/no-key/1";
    EXPECT_FALSE(sdk.start(options));
    EXPECT_FALSE(sdk.isEnabled());
}

TEST(SentrySDK, BeforeSendSeesEveryEventAndMayDropOrChangeIt) {
    SentryTestServer server;
    SentrySDK sdk;
    auto options = optionsFor(server);
    options.sendDefaultPii = true;
    options.beforeSend = [](sentry::Event event) -> std::optional<sentry::Event> {
        if (event.message == "drop me") {
            return std::nullopt;
        }
        event.user.reset();
        return event;
    };
    ASSERT_TRUE(sdk.start(options));
    sdk.setUser(sentry::SentryUser{"id", "name", std::nullopt, "{{auto}}"});
    sdk.capture("drop me");
    sdk.capture("keep me");
    EXPECT_TRUE(sdk.flush(5)) << "a dropped event counts as handled";
    const auto events = server.events();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].at("message").at("formatted"), "keep me");
    EXPECT_FALSE(events[0].contains("user"));
}

TEST(SentrySDK, CaptureBlockChangesOnlyItsOwnEvent) {
    SentryTestServer server;
    SentrySDK sdk;
    ASSERT_TRUE(sdk.start(optionsFor(server)));
    sdk.setUser(sentry::SentryUser{"id", std::nullopt, std::nullopt, std::nullopt});
    sdk.capture("first", [](sentry::Scope& scope) {
        scope.setUser(std::nullopt);
        scope.setTag("yes", "only.first");
    });
    sdk.capture("second");
    ASSERT_TRUE(sdk.flush(5));
    const auto events = server.events();
    ASSERT_EQ(events.size(), 2u);
    EXPECT_FALSE(events[0].contains("user"));
    EXPECT_EQ(events[0].at("tags").at("only.first"), "yes");
    EXPECT_EQ(events[1].at("user").at("id"), "id");
    EXPECT_FALSE(events[1].contains("tags"));
}

TEST(SentrySDK, BreadcrumbsPassTheFilterAndRideOnLaterEvents) {
    SentryTestServer server;
    SentrySDK sdk;
    auto options = optionsFor(server);
    options.beforeBreadcrumb = [](sentry::Breadcrumb crumb) -> std::optional<sentry::Breadcrumb> {
        if (crumb.category != "navigation") {
            return std::nullopt;
        }
        return crumb;
    };
    ASSERT_TRUE(sdk.start(options));
    sdk.addBreadcrumb({"navigation", "opened panel"});
    sdk.addBreadcrumb({"ui.click", "clicked"});
    sdk.capture("after");
    ASSERT_TRUE(sdk.flush(5));
    const auto events = server.events();
    ASSERT_EQ(events.size(), 1u);
    const auto& crumbs = events[0].at("breadcrumbs").at("values");
    ASSERT_EQ(crumbs.size(), 1u);
    EXPECT_EQ(crumbs[0].at("message"), "opened panel");
}

TEST(SentrySDK, SampleRateZeroCapturesNothing) {
    SentryTestServer server;
    SentrySDK sdk;
    auto options = optionsFor(server);
    options.sampleRate = 0;
    ASSERT_TRUE(sdk.start(options));
    EXPECT_EQ(sdk.capture("never"), sentry::SentryId::empty());
    EXPECT_TRUE(sdk.flush(1));
    EXPECT_TRUE(server.http.requests().empty());
}

TEST(SentrySDK, FlushAnswersWhetherEventsWereDelivered) {
    struct Row {
        const char* name;
        int status;
        bool delivered;
    };
    const std::vector<Row> rows{
        {"accepted", 200, true},
        {"server error", 500, false},
        {"refused", 400, false},
        {"rate limited", 429, false},
    };
    for (const auto& row : rows) {
        SentryTestServer server;
        server.http.respond(SentryTestServer::envelopePath, {row.status, {}, ""});
        SentrySDK sdk;
        ASSERT_TRUE(sdk.start(optionsFor(server)));
        sdk.capture("one");
        EXPECT_EQ(sdk.flush(5), row.delivered) << row.name;
        // Each flush answers for the events since the one before.
        server.http.respond(SentryTestServer::envelopePath, {200, {}, ""});
        EXPECT_TRUE(sdk.flush(5)) << row.name;
    }
}

TEST(SentrySDK, FlushFailsWhenTheServerIsDown) {
    SentryTestServer server;
    server.http.stop();
    SentrySDK sdk;
    ASSERT_TRUE(sdk.start(optionsFor(server)));
    sdk.capture("lost");
    EXPECT_FALSE(sdk.flush(5));
}

TEST(SentrySDK, HonoursRateLimitsUntilTheyExpire) {
    SentryTestServer server;
    server.http.respond(SentryTestServer::envelopePath,
                        {429, {{"X-Sentry-Rate-Limits", "60:error:key"}}, ""});
    SentrySDK sdk;
    ASSERT_TRUE(sdk.start(optionsFor(server)));
    sdk.capture("limited");
    EXPECT_FALSE(sdk.flush(5));
    server.http.respond(SentryTestServer::envelopePath, {200, {}, ""});
    sdk.capture("held back");
    EXPECT_FALSE(sdk.flush(5));
    EXPECT_EQ(server.http.requests().size(), 1u) << "nothing is sent while the limit lasts";
}

TEST(SentrySDK, FlushTimeOutsAreSanitized) {
    SentryTestServer server;
    HeldAnswers held(server);
    SentrySDK sdk;
    ASSERT_TRUE(sdk.start(optionsFor(server)));
    sdk.capture("slow");
    for (const double timeout : {std::nan(""), -1.0, 0.0}) {
        const auto started = std::chrono::steady_clock::now();
        EXPECT_FALSE(sdk.flush(timeout)) << timeout;
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(500));
    }
    held.release();
    EXPECT_TRUE(sdk.flush(1e300)) << "an absurd time-out is capped, not overflowed";
}

TEST(SentrySDK, CloseDropsWhatWasNotSentAndStopsCapturing) {
    SentryTestServer server;
    HeldAnswers held(server);
    SentrySDK sdk;
    ASSERT_TRUE(sdk.start(optionsFor(server)));
    for (int i = 0; i < 5; ++i) {
        sdk.capture("queued");
    }
    // Let the first request reach the server, then close while it waits there.
    while (server.http.requests().empty()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    const auto closing = std::chrono::steady_clock::now();
    sdk.close();
    EXPECT_LT(std::chrono::steady_clock::now() - closing, std::chrono::seconds(3))
        << "the request in flight is abandoned";
    held.release();
    EXPECT_FALSE(sdk.isEnabled());
    EXPECT_EQ(sdk.capture("after close"), sentry::SentryId::empty());
    EXPECT_EQ(server.http.requests().size(), 1u);
}

TEST(SentrySDK, FlushOfAHundredQueuedEventsDeliversEveryOne) {
    SentryTestServer server;
    SentrySDK sdk;
    ASSERT_TRUE(sdk.start(optionsFor(server)));
    for (int i = 0; i < 100; ++i) {
        sdk.capture("event " + std::to_string(i));
    }
    EXPECT_TRUE(sdk.flush(10));
    EXPECT_EQ(server.events().size(), 100u);
}

} // namespace
