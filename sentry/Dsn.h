#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace sentry {

// A project's client key and address, parsed from its DSN text
// "<scheme>://<public key>[:<secret key>]@<host>[:<port>][/<path>]/<project id>".
struct Dsn {
    std::string scheme; // "http" or "https"
    std::string publicKey;
    std::string secretKey; // empty unless the DSN has one (an old form)
    std::string host;      // as written, with brackets for an IPv6 address
    std::optional<int> port;
    std::string path; // empty, or beginning with "/" and ending without one
    std::string projectId;

    friend bool operator==(const Dsn&, const Dsn&) = default;

    // The DSN, or none when the text is not a usable DSN.
    static std::optional<Dsn> parse(std::string_view text);

    // Where envelopes are posted: "<scheme>://<host>[:<port>]<path>/api/<project id>/envelope/".
    std::string envelopeUrl() const;
    // The value of the "X-Sentry-Auth" header naming this client.
    std::string authHeader(std::string_view clientName) const;
};

} // namespace sentry
