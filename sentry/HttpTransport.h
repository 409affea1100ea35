#pragma once

#include "sentry/Dsn.h"
#include "sentry/RateLimits.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>

namespace sentry {

// How the sending of one envelope ended.
enum class Delivery {
    delivered,   // the server accepted it
    discarded,   // its filter dropped it before sending
    rateLimited, // the server asked for a pause, so it was not sent or not taken
    rejected,    // the server refused it for good (a 4xx answer other than 429)
    failed,      // not sent: no connection, a time-out, a server error or a shutdown
};

// Sends envelopes to the server's envelope endpoint with libcurl, one at a time and in order,
// from a worker thread of its own.
class HttpTransport {
public:
    struct Job {
        // Makes the envelope's wire form on the worker thread; none drops it.
        std::function<std::optional<std::string>()> render;
        // Told how the job ended, on the worker thread; not called for jobs dropped by shutdown.
        std::function<void(Delivery)> onSettled;
    };

    // More than this many waiting envelopes drop the newest.
    static constexpr std::size_t maxQueuedJobs = 256;

    // `log` receives one line per notable step, on any thread; it may be empty.
    HttpTransport(Dsn dsn, std::function<void(const std::string&)> log);
    ~HttpTransport();
    HttpTransport(const HttpTransport&) = delete;
    HttpTransport& operator=(const HttpTransport&) = delete;

    // Queues a job; cheap, never blocks on the network.
    void send(Job job);
    // Waits until every job queued before the call has ended, at most `timeout`. True when all
    // jobs queued since the previous flush call (or the start) were delivered or discarded.
    bool flush(std::chrono::nanoseconds timeout);
    // Drops the waiting jobs, aborts the one being sent and stops the worker. Idempotent.
    void shutdown();

private:
    struct Queued {
        std::uint64_t sequence;
        Job job;
    };

    void work();
    Delivery deliver(void* curl, const Job& job);
    Delivery post(void* curl, const std::string& body);
    void log(const std::string& line) const;

    const Dsn dsn_;
    const std::string url_;
    const std::function<void(const std::string&)> log_;

    mutable std::mutex mutex_;
    std::condition_variable queued_;
    std::condition_variable settled_;
    std::deque<Queued> queue_;
    std::set<std::uint64_t> pending_; // queued or being sent
    std::set<std::uint64_t> failed_;  // ended without being delivered
    std::uint64_t lastSequence_ = 0;
    std::uint64_t lastFlushTarget_ = 0;
    std::atomic<bool> stopping_ = false; // also read by a transfer in progress
    std::once_flag stopped_;
    RateLimits rateLimits_; // worker thread only
    std::thread worker_;
};

} // namespace sentry
