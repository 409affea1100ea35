#pragma once

#include "sentry/Envelope.h"
#include "tests/support/LoopbackHttpServer.h"

#include <nlohmann/json.hpp>

#include <string>
#include <vector>

// A loopback server standing in for a Sentry project, and the event payloads it received.
struct SentryTestServer {
    static constexpr const char* envelopePath = "/api/42/envelope/";

    testsupport::LoopbackHttpServer http;

    SentryTestServer() { http.respond(envelopePath, {200, {}, "{}"}); }

    std::string dsn() const {
        return "http://public@127.0.0.1:" + std::to_string(http.port()) + "/42";
    }

    std::vector<nlohmann::json> events() const {
        std::vector<nlohmann::json> payloads;
        for (const auto& request : http.requests()) {
            const auto envelope = sentry::Envelope::parse(request.body);
            const auto payload = envelope ? envelope->eventPayload() : std::nullopt;
            if (payload) {
                payloads.push_back(*payload);
            }
        }
        return payloads;
    }
};
