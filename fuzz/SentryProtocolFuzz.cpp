// Feeds arbitrary bytes to what the Sentry client parses from outside: DSN texts, envelopes
// (crash reports read back from disk) with their event payloads, and rate-limit headers.
#include "sentry/Dsn.h"
#include "sentry/Envelope.h"
#include "sentry/Event.h"
#include "sentry/RateLimits.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    if (const auto dsn = sentry::Dsn::parse(text)) {
        // A parsed DSN must give back a usable address and header.
        if (dsn->publicKey.empty() || dsn->projectId.empty() || dsn->envelopeUrl().empty() ||
            dsn->authHeader("fuzz").find('\n') != std::string::npos) {
            std::abort();
        }
    }

    if (const auto envelope = sentry::Envelope::parse(text)) {
        if (const auto payload = envelope->eventPayload()) {
            if (const auto event = sentry::Event::fromJson(*payload)) {
                // What is read back must serialize and parse again.
                const auto again = sentry::Envelope::parse(
                    sentry::Envelope::forEvent(event->toJson()).serialized());
                if (!again || !again->eventPayload()) {
                    std::abort();
                }
            }
        }
    }

    for (const auto& [category, seconds] : sentry::RateLimits::parseHeader(text)) {
        if (seconds.count() < 0 || seconds > sentry::RateLimits::longestLimit) {
            std::abort();
        }
    }
    return 0;
}
