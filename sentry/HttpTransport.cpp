#include "sentry/HttpTransport.h"

#include "sentry/Event.h"

#include <curl/curl.h>

#include <algorithm>
#include <cctype>
#include <memory>

namespace sentry {

namespace {

// Failures remembered for flush answers; older ones are forgotten.
constexpr std::size_t rememberedFailures = 4096;

std::string lowerCased(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

struct ResponseHeaders {
    std::optional<std::string> rateLimits;
    std::optional<std::string> retryAfter;
};

std::size_t collectHeader(char* data, std::size_t size, std::size_t count, void* context) {
    const std::size_t length = size * count;
    const std::string line(data, length);
    const auto colon = line.find(':');
    if (colon != std::string::npos) {
        const auto name = lowerCased(line.substr(0, colon));
        auto value = line.substr(colon + 1);
        value.erase(0, value.find_first_not_of(" \t"));
        value.erase(value.find_last_not_of(" \t\r\n") + 1);
        auto& headers = *static_cast<ResponseHeaders*>(context);
        if (name == "x-sentry-rate-limits") {
            headers.rateLimits = value;
        } else if (name == "retry-after") {
            headers.retryAfter = value;
        }
    }
    return length;
}

std::size_t ignoreBody(char*, std::size_t size, std::size_t count, void*) {
    return size * count;
}

int abortWhenStopping(void* context, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    return static_cast<const std::atomic<bool>*>(context)->load() ? 1 : 0;
}

} // namespace

HttpTransport::HttpTransport(Dsn dsn, std::function<void(const std::string&)> log)
    : dsn_(std::move(dsn)), url_(dsn_.envelopeUrl()), log_(std::move(log)) {
    static std::once_flag curlInitialized;
    std::call_once(curlInitialized, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
    worker_ = std::thread([this] { work(); });
}

HttpTransport::~HttpTransport() {
    shutdown();
}

void HttpTransport::send(Job job) {
    std::lock_guard lock(mutex_);
    const auto sequence = ++lastSequence_;
    if (stopping_ || queue_.size() >= maxQueuedJobs) {
        failed_.insert(sequence);
        log(stopping_ ? "Envelope dropped: transport closed" : "Envelope dropped: queue full");
        return;
    }
    pending_.insert(sequence);
    queue_.push_back({sequence, std::move(job)});
    queued_.notify_one();
}

bool HttpTransport::flush(std::chrono::nanoseconds timeout) {
    std::unique_lock lock(mutex_);
    const auto target = lastSequence_;
    const auto windowStart = std::exchange(lastFlushTarget_, std::max(lastFlushTarget_, target));
    const bool settled = settled_.wait_for(
        lock, timeout, [&] { return pending_.empty() || *pending_.begin() > target; });
    if (!settled) {
        return false;
    }
    const auto failure = failed_.upper_bound(windowStart);
    return failure == failed_.end() || *failure > target;
}

void HttpTransport::shutdown() {
    std::call_once(stopped_, [this] {
        std::unique_lock lock(mutex_);
        stopping_ = true;
        for (const auto& queued : queue_) {
            pending_.erase(queued.sequence);
            failed_.insert(queued.sequence);
        }
        queue_.clear();
        queued_.notify_all();
        settled_.notify_all();
        lock.unlock();
        worker_.join();
    });
}

void HttpTransport::work() {
    // One handle for the worker's life, so its connection is kept between envelopes.
    const std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> curl(curl_easy_init(),
                                                                   curl_easy_cleanup);
    for (;;) {
        Queued next;
        {
            std::unique_lock lock(mutex_);
            queued_.wait(lock, [&] { return stopping_ || !queue_.empty(); });
            if (stopping_) {
                return;
            }
            next = std::move(queue_.front());
            queue_.pop_front();
        }
        const Delivery delivery = deliver(curl.get(), next.job);
        if (next.job.onSettled) {
            next.job.onSettled(delivery);
        }
        std::lock_guard lock(mutex_);
        pending_.erase(next.sequence);
        if (delivery != Delivery::delivered && delivery != Delivery::discarded) {
            failed_.insert(next.sequence);
            if (failed_.size() > rememberedFailures) {
                failed_.erase(failed_.begin());
            }
        }
        settled_.notify_all();
    }
}

Delivery HttpTransport::deliver(void* curl, const Job& job) {
    const auto body = job.render ? job.render() : std::nullopt;
    if (!body) {
        log("Envelope discarded by its filter");
        return Delivery::discarded;
    }
    if (rateLimits_.isLimited("error", RateLimits::Clock::now())) {
        log("Envelope dropped: rate limited");
        return Delivery::rateLimited;
    }
    return post(curl, *body);
}

Delivery HttpTransport::post(void* curl, const std::string& body) {
    if (!curl) {
        log("Envelope not sent: no HTTP handle");
        return Delivery::failed;
    }
    curl_easy_reset(curl);

    std::unique_ptr<curl_slist, decltype(&curl_slist_free_all)> headers(nullptr,
                                                                        curl_slist_free_all);
    for (const std::string& header :
         {std::string("Content-Type: application/x-sentry-envelope"),
          "X-Sentry-Auth: " + dsn_.authHeader(std::string(sdkName) + "/" + sdkVersion),
          "User-Agent: " + std::string(sdkName) + "/" + sdkVersion}) {
        headers.reset(curl_slist_append(headers.release(), header.c_str()));
    }
    ResponseHeaders response;
    curl_easy_setopt(curl, CURLOPT_URL, url_.c_str());
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers.get());
    curl_easy_setopt(curl, CURLOPT_POST, 1L);
    curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body.data());
    curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, 5000L);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, 15000L);
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, collectHeader);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, &response);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, ignoreBody);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, abortWhenStopping);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &stopping_);
    const CURLcode result = curl_easy_perform(curl);
    if (result != CURLE_OK) {
        log(std::string("Envelope not sent: ") + curl_easy_strerror(result));
        return Delivery::failed;
    }
    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    rateLimits_.update(status, response.rateLimits, response.retryAfter, RateLimits::Clock::now());
    log("Envelope answered with status " + std::to_string(status));
    if (status >= 200 && status < 300) {
        return Delivery::delivered;
    }
    if (status == 429) {
        return Delivery::rateLimited;
    }
    if (status >= 400 && status < 500) {
        return Delivery::rejected;
    }
    return Delivery::failed;
}

void HttpTransport::log(const std::string& line) const {
    if (log_) {
        log_(line);
    }
}

} // namespace sentry
