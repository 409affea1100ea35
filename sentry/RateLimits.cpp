#include "sentry/RateLimits.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace sentry {

namespace {

std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

// Whole seconds from a decimal text, rounded up and capped at the longest limit; none when the
// text is not a non-negative finite number.
std::optional<std::chrono::seconds> seconds(std::string_view text) {
    text = trimmed(text);
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() ||
        !std::isfinite(value) || value < 0) {
        return std::nullopt;
    }
    const double capped =
        std::min(std::ceil(value), static_cast<double>(RateLimits::longestLimit.count()));
    return std::chrono::seconds(static_cast<long long>(capped));
}

} // namespace

std::map<std::string, std::chrono::seconds> RateLimits::parseHeader(std::string_view header) {
    std::map<std::string, std::chrono::seconds> limits;
    while (!header.empty()) {
        const auto comma = header.find(',');
        const auto entry = header.substr(0, comma);
        header = comma == std::string_view::npos ? std::string_view{} : header.substr(comma + 1);

        // retry_after:categories:scope[:reason[:namespaces]]
        const auto colon = entry.find(':');
        const auto duration = seconds(entry.substr(0, colon));
        if (!duration) {
            continue;
        }
        auto categories =
            colon == std::string_view::npos ? std::string_view{} : entry.substr(colon + 1);
        categories = categories.substr(0, categories.find(':'));
        categories = trimmed(categories);
        if (categories.empty()) {
            limits[""] = std::max(limits[""], *duration);
            continue;
        }
        while (!categories.empty()) {
            const auto semicolon = categories.find(';');
            const auto category = std::string(trimmed(categories.substr(0, semicolon)));
            categories = semicolon == std::string_view::npos ? std::string_view{}
                                                             : categories.substr(semicolon + 1);
            if (!category.empty()) {
                limits[category] = std::max(limits[category], *duration);
            }
        }
    }
    return limits;
}

void RateLimits::update(long status, const std::optional<std::string>& rateLimitsHeader,
                        const std::optional<std::string>& retryAfterHeader, Clock::time_point now) {
    const auto limits = rateLimitsHeader ? parseHeader(*rateLimitsHeader)
                                         : std::map<std::string, std::chrono::seconds>{};
    for (const auto& [category, duration] : limits) {
        limit(category, duration, now);
    }
    if (!limits.empty()) {
        return;
    }
    if (status == 429) {
        const auto retryAfter = retryAfterHeader ? seconds(*retryAfterHeader) : std::nullopt;
        limit("", retryAfter.value_or(defaultRetryAfter), now);
    }
}

bool RateLimits::isLimited(std::string_view category, Clock::time_point now) const {
    const auto limitedUntil = [&](std::string_view key) {
        const auto found = until_.find(key);
        return found != until_.end() && now < found->second;
    };
    return limitedUntil("") || limitedUntil(category);
}

void RateLimits::limit(const std::string& category, std::chrono::seconds duration,
                       Clock::time_point now) {
    auto& until = until_[category];
    until = std::max(until, now + duration);
}

} // namespace sentry
