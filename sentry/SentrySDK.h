#pragma once

#include "sentry/Breadcrumb.h"
#include "sentry/CrashReportStore.h"
#include "sentry/Dsn.h"
#include "sentry/Options.h"
#include "sentry/Scope.h"
#include "sentry/SentryId.h"
#include "sentry/SentryUser.h"

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

namespace sentry {

class HttpTransport;

// A client of a Sentry server: it captures messages with the scope's context, sends them as
// envelopes from a worker thread, captures crashes to disk and sends them at the next start.
// Safe to use from any thread.
class SentrySDK {
public:
    // How long a flush may wait at most; longer requests are capped.
    static constexpr double longestFlushSeconds = 3600;

    SentrySDK() = default;
    ~SentrySDK();
    SentrySDK(const SentrySDK&) = delete;
    SentrySDK& operator=(const SentrySDK&) = delete;

    // Starts the client, closing one started before; false, with nothing started, when the
    // DSN does not parse. With a crash report folder, crashes are captured from now on and
    // the reports of earlier crashes are sent as fatal events.
    bool start(Options options);
    bool isEnabled() const;

    // Runs `configure` on the scope that later events pick up.
    void configureScope(const std::function<void(Scope&)>& configure);
    void setUser(std::optional<SentryUser> user);
    // Keeps the breadcrumb unless `beforeBreadcrumb` drops it.
    void addBreadcrumb(Breadcrumb breadcrumb);

    // Queues a message event; `block` adjusts a copy of the scope for this event only. The
    // empty id when the client is not started or the event was not sampled.
    SentryId capture(const std::string& message,
                     const std::function<void(Scope&)>& block = nullptr);

    // Waits up to `timeoutSeconds` (NaN and negatives wait not at all) for the events captured
    // so far; true when every event captured since the previous flush was delivered.
    bool flush(double timeoutSeconds);

    // Stops the client: events not yet sent are dropped, crashes are no longer captured.
    void close();

private:
    void log(const std::string& line) const;
    void queue(Event event, std::function<void(bool settledForGood)> onSettled);
    void updateCrashReport();

    mutable std::mutex mutex_;
    Options options_;
    Scope scope_;
    std::shared_ptr<HttpTransport> transport_;
    std::optional<CrashReportStore> crashReports_;
    SentryId crashEventId_;
};

} // namespace sentry
