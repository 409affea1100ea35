#include "sentry/SentrySDK.h"

#include "sentry/CrashHandler.h"
#include "sentry/Envelope.h"
#include "sentry/HttpTransport.h"
#include "sentry/JsonFields.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <random>

namespace sentry {

namespace {

double secondsSince1970() {
    return std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

bool sampled(double rate) {
    if (std::isnan(rate) || rate <= 0) {
        return false;
    }
    if (rate >= 1) {
        return true;
    }
    thread_local std::mt19937_64 generator{std::random_device{}()};
    return std::uniform_real_distribution<double>(0.0, 1.0)(generator) < rate;
}

// Without consent to personal data, the server is not asked to fill in the user's address.
void withoutAutomaticAddress(Event& event) {
    if (event.user && event.user->ipAddress == "{{auto}}") {
        event.user->ipAddress.reset();
    }
}

std::function<void(const std::string&)> debugLog(bool debug) {
    if (!debug) {
        return nullptr;
    }
    return [](const std::string& line) { std::fprintf(stderr, "[Sentry] %s\n", line.c_str()); };
}

} // namespace

SentrySDK::~SentrySDK() {
    close();
}

bool SentrySDK::start(Options options) {
    close();
    const auto dsn = Dsn::parse(options.dsn);
    if (!dsn) {
        if (const auto write = debugLog(options.debug)) {
            write("Not started: the DSN does not parse");
        }
        return false;
    }
    std::lock_guard lock(mutex_);
    options_ = std::move(options);
    scope_ = Scope();
    transport_ = std::make_shared<HttpTransport>(*dsn, debugLog(options_.debug));
    log("Started for " + dsn->envelopeUrl());
    if (options_.crashReportFolder.empty()) {
        return true;
    }
    CrashReportStore store(options_.crashReportFolder);
    if (!store.prepare()) {
        log("No crash capture: the report folder is not a private folder of this user");
        return true;
    }
    for (const auto& report : store.pruned()) {
        const auto text = store.read(report);
        const auto envelope = text ? Envelope::parse(*text) : std::nullopt;
        const auto payload = envelope ? envelope->eventPayload() : std::nullopt;
        auto event = payload ? Event::fromJson(*payload) : std::nullopt;
        if (!event) {
            log("Unreadable crash report removed: " + report.filename().string());
            store.remove(report);
            continue;
        }
        log("Sending the report of an earlier crash: " + event->eventId.sentryIdString());
        queue(std::move(*event), [store, report](bool settledForGood) {
            if (settledForGood) {
                store.remove(report);
            }
        });
    }
    crashReports_ = store;
    crashEventId_ = SentryId::random();
    updateCrashReport();
    return true;
}

bool SentrySDK::isEnabled() const {
    std::lock_guard lock(mutex_);
    return transport_ != nullptr;
}

void SentrySDK::configureScope(const std::function<void(Scope&)>& configure) {
    std::lock_guard lock(mutex_);
    configure(scope_);
    updateCrashReport();
}

void SentrySDK::setUser(std::optional<SentryUser> user) {
    std::lock_guard lock(mutex_);
    scope_.setUser(std::move(user));
    updateCrashReport();
}

void SentrySDK::addBreadcrumb(Breadcrumb breadcrumb) {
    std::function<std::optional<Breadcrumb>(Breadcrumb)> filter;
    {
        std::lock_guard lock(mutex_);
        if (!transport_) {
            return;
        }
        filter = options_.beforeBreadcrumb;
    }
    if (breadcrumb.timestamp == 0) {
        breadcrumb.timestamp = secondsSince1970();
    }
    auto kept = filter ? filter(std::move(breadcrumb)) : std::optional(std::move(breadcrumb));
    if (!kept) {
        return;
    }
    std::lock_guard lock(mutex_);
    scope_.addBreadcrumb(std::move(*kept));
    updateCrashReport();
}

SentryId SentrySDK::capture(const std::string& message, const std::function<void(Scope&)>& block) {
    Scope scope;
    Event event;
    {
        std::lock_guard lock(mutex_);
        if (!transport_ || !sampled(options_.sampleRate)) {
            return SentryId::empty();
        }
        scope = scope_;
        event.release = options_.releaseName;
        event.environment = options_.environment;
    }
    // Outside the lock, so the block may use this client.
    if (block) {
        block(scope);
    }
    event.eventId = SentryId::random();
    event.timestamp = secondsSince1970();
    event.message = message;
    scope.applyTo(event);
    const auto id = event.eventId;
    std::lock_guard lock(mutex_);
    if (!transport_) {
        return SentryId::empty();
    }
    queue(std::move(event), nullptr);
    return id;
}

bool SentrySDK::flush(double timeoutSeconds) {
    std::shared_ptr<HttpTransport> transport;
    {
        std::lock_guard lock(mutex_);
        transport = transport_;
    }
    if (!transport) {
        return true;
    }
    const double seconds =
        std::isnan(timeoutSeconds) ? 0.0 : std::clamp(timeoutSeconds, 0.0, longestFlushSeconds);
    return transport->flush(std::chrono::duration_cast<std::chrono::nanoseconds>(
        std::chrono::duration<double>(seconds)));
}

void SentrySDK::close() {
    std::shared_ptr<HttpTransport> transport;
    bool capturingCrashes = false;
    {
        std::lock_guard lock(mutex_);
        transport = std::move(transport_);
        capturingCrashes = crashReports_.has_value();
        crashReports_.reset();
    }
    if (capturingCrashes) {
        CrashHandler::uninstall();
    }
    if (transport) {
        transport->shutdown();
    }
}

void SentrySDK::log(const std::string& line) const {
    if (const auto write = debugLog(options_.debug)) {
        write(line);
    }
}

// Called with the mutex held.
void SentrySDK::queue(Event event, std::function<void(bool settledForGood)> onSettled) {
    HttpTransport::Job job;
    job.render = [event = std::move(event), beforeSend = options_.beforeSend,
                  sendDefaultPii = options_.sendDefaultPii]() -> std::optional<std::string> {
        auto filtered = beforeSend ? beforeSend(event) : std::optional(event);
        if (!filtered) {
            return std::nullopt;
        }
        if (!sendDefaultPii) {
            withoutAutomaticAddress(*filtered);
        }
        return Envelope::forEvent(filtered->toJson()).serialized();
    };
    if (onSettled) {
        job.onSettled = [onSettled = std::move(onSettled)](Delivery delivery) {
            // Worth another try at the next start only when the server never took it.
            onSettled(delivery != Delivery::failed && delivery != Delivery::rateLimited);
        };
    }
    transport_->send(std::move(job));
}

// Called with the mutex held: renders what a crash from now on writes.
void SentrySDK::updateCrashReport() {
    if (!crashReports_) {
        return;
    }
    Event event;
    event.eventId = crashEventId_;
    event.release = options_.releaseName;
    event.environment = options_.environment;
    scope_.applyTo(event);
    if (!options_.sendDefaultPii) {
        withoutAutomaticAddress(event);
    }
    auto payload = event.toJson();
    // The handler appends these when the crash happens.
    payload.erase("level");
    payload.erase("timestamp");
    std::string head = JsonFields::compact({{"event_id", event.eventId.sentryIdString()}}) + "\n" +
                       JsonFields::compact({{"type", "event"}}) + "\n" +
                       JsonFields::compact(payload);
    head.pop_back(); // the payload's closing brace
    const auto path = crashReports_->folder() /
                      (event.eventId.sentryIdString() + CrashReportStore::reportExtension);
    CrashHandler::install({path.string(), std::move(head)});
}

} // namespace sentry
