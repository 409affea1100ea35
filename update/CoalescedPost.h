#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <utility>

namespace update {

// Figures that a worker hands to the main loop with at most one post waiting there: figures
// sent while a post waits are folded into it, and the post shows what was folded by the time it
// runs. A download of a million chunks thus costs the main loop one task per turn, not a
// million, and the last figures shown are the final ones. `Target` is what the post reaches on
// the main loop (the update cycle).
template <typename Target, typename Figures> class CoalescedPost {
public:
    // Queues a step on the main loop (dropped there when the target is gone).
    using Post = std::function<void(std::function<void(Target&)>)>;
    // Shows figures on the main loop.
    using Show = std::function<void(Target&, Figures)>;
    // Folds newer figures into those still waiting.
    using Fold = std::function<void(Figures& waiting, Figures newer)>;

    CoalescedPost(Post post, Show show, Fold fold)
        : post(std::move(post)), state(std::make_shared<State>(std::move(show), std::move(fold))) {}

    // Called on the worker.
    void send(Figures figures) const {
        {
            std::lock_guard lock(state->mutex);
            state->fold(state->waiting, std::move(figures));
            if (state->posted) {
                return;
            }
            state->posted = true;
        }
        post([state = state](Target& target) {
            Figures figures;
            {
                std::lock_guard lock(state->mutex);
                figures = std::exchange(state->waiting, Figures{});
                state->posted = false;
            }
            state->show(target, std::move(figures));
        });
    }

private:
    struct State {
        State(Show show, Fold fold) : show(std::move(show)), fold(std::move(fold)) {}
        const Show show;
        const Fold fold;
        std::mutex mutex;
        Figures waiting{};
        bool posted = false;
    };

    Post post;
    std::shared_ptr<State> state;
};

} // namespace update
