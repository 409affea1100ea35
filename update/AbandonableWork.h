#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>

namespace update {

// Work that cannot be cut short once begun (checking the signature of a whole archive in one
// libsodium call), run so that a cancellation need not wait for it: it runs on a thread of its
// own, and the caller waits for its result only until `cancelled` is set. Then the caller goes
// on at once and the work is left to finish alone: its thread owns the work and all it
// captured, drops the result, and may still run when the process exits. So the work may use
// only what it owns and libraries that free nothing at exit (libsodium keeps no state to free);
// anything a library's teardown frees, libxml2's parser state for one, must not be touched by
// it. Work that is cancelled before it begins is never started.
namespace AbandonableWork {

// How often a waiting caller looks at its cancellation.
inline constexpr std::chrono::milliseconds cancellationCheckInterval{20};

// The result of `work`, or none when `cancelled` was set first.
template <typename Result>
std::optional<Result> run(std::function<Result()> work, const std::atomic<bool>& cancelled) {
    struct Handover {
        std::function<Result()> work;
        std::mutex mutex;
        std::condition_variable done;
        std::optional<Result> result;
    };
    if (cancelled.load()) {
        return std::nullopt;
    }
    const auto handover = std::make_shared<Handover>();
    handover->work = std::move(work);
    try {
        std::thread([handover] {
            auto result = handover->work();
            std::lock_guard lock(handover->mutex);
            handover->result.emplace(std::move(result));
            handover->done.notify_all();
        }).detach();
    } catch (const std::system_error&) {
        // No thread to be had: the work is done here, as it would be without cancellation.
        return handover->work();
    }
    std::unique_lock lock(handover->mutex);
    while (!handover->result) {
        if (cancelled.load()) {
            return std::nullopt;
        }
        handover->done.wait_for(lock, cancellationCheckInterval);
    }
    return std::move(handover->result);
}

} // namespace AbandonableWork

} // namespace update
