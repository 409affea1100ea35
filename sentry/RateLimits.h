#pragma once

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace sentry {

// What the server said about sending less: per data category, the time until which nothing of
// that category may be sent. Taken from "X-Sentry-Rate-Limits" on any answer, and from
// "Retry-After" (or a minute) on a 429 that has no such header.
class RateLimits {
public:
    using Clock = std::chrono::steady_clock;

    // Limits last at most a day, so a wrong header cannot silence the client for good.
    static constexpr std::chrono::seconds longestLimit{24 * 60 * 60};
    static constexpr std::chrono::seconds defaultRetryAfter{60};

    // Records the limits of one answer.
    void update(long status, const std::optional<std::string>& rateLimitsHeader,
                const std::optional<std::string>& retryAfterHeader, Clock::time_point now);
    // Whether items of `category` ("error" for events) must not be sent now.
    bool isLimited(std::string_view category, Clock::time_point now) const;

    // The limits of an "X-Sentry-Rate-Limits" value: category (empty for all) to seconds.
    // Entries that do not parse are skipped.
    static std::map<std::string, std::chrono::seconds> parseHeader(std::string_view header);

private:
    void limit(const std::string& category, std::chrono::seconds duration, Clock::time_point now);

    std::map<std::string, Clock::time_point, std::less<>> until_;
};

} // namespace sentry
