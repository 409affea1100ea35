#include "sentry/Dsn.h"

#include <algorithm>
#include <cctype>

namespace sentry {

namespace {

bool isKeyCharacter(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_' || c == '.';
}

bool isHostCharacter(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '.';
}

bool allOf(std::string_view text, bool (*predicate)(char)) {
    return !text.empty() && std::all_of(text.begin(), text.end(), predicate);
}

bool isDigit(char c) {
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

// A bracketed IPv6 literal or a name of letters, digits, dots and hyphens.
bool isHost(std::string_view host) {
    if (host.size() > 2 && host.front() == '[' && host.back() == ']') {
        const auto inner = host.substr(1, host.size() - 2);
        return std::all_of(inner.begin(), inner.end(), [](char c) {
            return std::isxdigit(static_cast<unsigned char>(c)) || c == ':' || c == '.';
        });
    }
    return allOf(host, isHostCharacter);
}

std::optional<int> parsedPort(std::string_view text) {
    if (!allOf(text, isDigit) || text.size() > 5) {
        return std::nullopt;
    }
    int port = 0;
    for (const char c : text) {
        port = port * 10 + (c - '0');
    }
    if (port < 1 || port > 65535) {
        return std::nullopt;
    }
    return port;
}

// Path segments of letters, digits and a few safe marks; nothing that needs escaping.
bool isPath(std::string_view path) {
    return std::all_of(path.begin(), path.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '/' || c == '-' || c == '_' ||
               c == '.' || c == '~';
    });
}

} // namespace

std::optional<Dsn> Dsn::parse(std::string_view text) {
    Dsn dsn;
    const auto schemeEnd = text.find("://");
    if (schemeEnd == std::string_view::npos) {
        return std::nullopt;
    }
    dsn.scheme = std::string(text.substr(0, schemeEnd));
    if (dsn.scheme != "http" && dsn.scheme != "https") {
        return std::nullopt;
    }
    auto rest = text.substr(schemeEnd + 3);

    const auto at = rest.find('@');
    if (at == std::string_view::npos) {
        return std::nullopt;
    }
    auto credentials = rest.substr(0, at);
    rest = rest.substr(at + 1);
    const auto colon = credentials.find(':');
    const auto publicKey = credentials.substr(0, colon);
    if (!allOf(publicKey, isKeyCharacter)) {
        return std::nullopt;
    }
    dsn.publicKey = std::string(publicKey);
    if (colon != std::string_view::npos) {
        const auto secretKey = credentials.substr(colon + 1);
        if (!allOf(secretKey, isKeyCharacter)) {
            return std::nullopt;
        }
        dsn.secretKey = std::string(secretKey);
    }

    const auto slash = rest.find('/');
    if (slash == std::string_view::npos) {
        return std::nullopt;
    }
    auto authority = rest.substr(0, slash);
    auto location = rest.substr(slash);
    // A port follows the last colon, unless that colon is inside an IPv6 literal.
    const auto portColon = authority.rfind(':');
    if (portColon != std::string_view::npos &&
        authority.find(']', portColon) == std::string::npos) {
        dsn.port = parsedPort(authority.substr(portColon + 1));
        if (!dsn.port) {
            return std::nullopt;
        }
        authority = authority.substr(0, portColon);
    }
    if (!isHost(authority)) {
        return std::nullopt;
    }
    dsn.host = std::string(authority);

    // Queries and fragments carry nothing a client uses; a trailing slash is tolerated.
    location = location.substr(0, location.find_first_of("?#"));
    if (location.size() > 1 && location.back() == '/') {
        location.remove_suffix(1);
    }
    const auto lastSlash = location.rfind('/');
    const auto projectId = location.substr(lastSlash + 1);
    const auto path = location.substr(0, lastSlash);
    const bool emptySegment =
        path.find("//") != std::string_view::npos || (!path.empty() && path.back() == '/');
    if (!allOf(projectId, isDigit) || !isPath(path) || emptySegment) {
        return std::nullopt;
    }
    dsn.projectId = std::string(projectId);
    dsn.path = std::string(path);
    return dsn;
}

std::string Dsn::envelopeUrl() const {
    // Appended piece by piece: GCC 12 warns falsely about overlapping copies in chains of "+".
    std::string url = scheme;
    url.append("://").append(host);
    if (port) {
        url.append(":").append(std::to_string(*port));
    }
    url.append(path).append("/api/").append(projectId).append("/envelope/");
    return url;
}

std::string Dsn::authHeader(std::string_view clientName) const {
    std::string header = "Sentry sentry_version=7, sentry_client=";
    header.append(clientName).append(", sentry_key=").append(publicKey);
    if (!secretKey.empty()) {
        header.append(", sentry_secret=").append(secretKey);
    }
    return header;
}

} // namespace sentry
