#pragma once

#include <any>
#include <functional>
#include <memory>
#include <string>

namespace platform {

// One posted notification: its name and the object it carries (empty when posted without one).
struct Notification {
    std::string name;
    std::any object;
};

// In-process notifications: observers register a block for a name; a post calls every block
// registered for that name, synchronously on the posting thread, in registration order. Safe
// to use from any thread.
class NotificationCenter {
    struct State;
    struct Observer;

public:
    using Block = std::function<void(const Notification&)>;

    // Keeps one observation alive; destroying (or resetting) it unregisters the block. Once
    // the destructor returns, the block is not running on another thread and will not run
    // again. A block may destroy its own token while it runs.
    class ObservationToken {
    public:
        ObservationToken() = default;
        ObservationToken(ObservationToken&&) noexcept = default;
        ObservationToken& operator=(ObservationToken&& other) noexcept;
        ObservationToken(const ObservationToken&) = delete;
        ObservationToken& operator=(const ObservationToken&) = delete;
        ~ObservationToken() { reset(); }

        void reset();

    private:
        friend class NotificationCenter;
        ObservationToken(std::weak_ptr<State> state, std::shared_ptr<Observer> observer);

        std::weak_ptr<State> state;
        std::shared_ptr<Observer> observer;
    };

    NotificationCenter();
    NotificationCenter(const NotificationCenter&) = delete;
    NotificationCenter& operator=(const NotificationCenter&) = delete;
    ~NotificationCenter();

    // The process-wide centre.
    static NotificationCenter& defaultCenter();

    // Registers `block` for notifications named `name` until the token goes away.
    [[nodiscard]] ObservationToken addObserver(std::string name, Block block);
    // Delivers a notification to the blocks registered for `name` at the time of the post.
    void post(std::string name, std::any object = {});

private:
    std::shared_ptr<State> state;
};

} // namespace platform
