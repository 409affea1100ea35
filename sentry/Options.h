#pragma once

#include "sentry/Breadcrumb.h"
#include "sentry/Event.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace sentry {

// How a client is started.
struct Options {
    // The project's DSN; the client does not start when it does not parse.
    std::string dsn;
    std::string releaseName;
    std::string environment = "production";
    // Writes the client's steps to standard error.
    bool debug = false;
    // The share of captured messages that is sent, from 0 to 1 (NaN sends none).
    double sampleRate = 1.0;
    // Lets the server fill in a user's address ("{{auto}}"); when false, such a request is
    // removed from every event before sending.
    bool sendDefaultPii = false;
    // Sees every event before it is sent, on the sending thread; none drops it.
    std::function<std::optional<Event>(Event)> beforeSend;
    // Sees every breadcrumb before it is kept; none drops it.
    std::function<std::optional<Breadcrumb>(Breadcrumb)> beforeBreadcrumb;
    // Where crashes are written and found again at the next start; empty captures no crashes
    // and sends no earlier ones.
    std::filesystem::path crashReportFolder;
};

} // namespace sentry
