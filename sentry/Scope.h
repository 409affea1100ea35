#pragma once

#include "sentry/Breadcrumb.h"
#include "sentry/Event.h"
#include "sentry/SentryUser.h"

#include <nlohmann/json.hpp>

#include <cstddef>
#include <deque>
#include <map>
#include <optional>
#include <string>

namespace sentry {

// The context that events pick up when they are captured: the user, tags, extras and the most
// recent breadcrumbs.
class Scope {
public:
    // Breadcrumbs beyond this many drop the oldest.
    static constexpr std::size_t maxBreadcrumbs = 100;

    void setUser(std::optional<SentryUser> user) { user_ = std::move(user); }
    void setTag(std::string value, const std::string& key) { tags_[key] = std::move(value); }
    void setExtra(nlohmann::json value, const std::string& key) { extras_[key] = std::move(value); }
    void addBreadcrumb(Breadcrumb breadcrumb);

    const std::optional<SentryUser>& user() const { return user_; }

    // Fills in what the event does not set itself: its own tags and extras win over the scope's.
    void applyTo(Event& event) const;

private:
    std::optional<SentryUser> user_;
    std::map<std::string, std::string> tags_;
    std::map<std::string, nlohmann::json> extras_;
    std::deque<Breadcrumb> breadcrumbs_;
};

} // namespace sentry
