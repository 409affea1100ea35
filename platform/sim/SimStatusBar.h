#pragma once

#include "platform/StatusBar.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>

namespace platform::sim {

class SimulatedDesktop;

// This program's status items in the simulated menu bar. Each is laid out among the other
// applications' items as an item of this process, at the position the description gives
// (default: rightmost), so it can fall behind the notch like any other; it grows with its image
// and title. A click on it runs its action on the main loop. The items must not outlive the
// desktop.
class SimStatusBar final : public StatusBar {
public:
    // The desktop's name of the first item made; later ones add ".2", ".3", ...
    static constexpr std::string_view firstItemId = "tessaline.status-item";

    SimStatusBar(SimulatedDesktop& desktop, std::size_t position);

    std::unique_ptr<StatusItem> statusItemWithLength(CGFloat length) override;
    CGFloat thickness() override;

    // With the desktop's lock held: a click on the item of that serial. False when it is not one
    // of this program's items.
    bool click(std::uint64_t serial);

private:
    class Item;
    struct ItemState {
        CGFloat length = NSVariableStatusItemLength;
        NSImage image;
        std::string title;
        std::string toolTip;
        std::shared_ptr<const std::function<void()>> action;
    };

    // All below with the desktop's lock held.
    CGFloat widthOf(const ItemState& state) const;
    void resize(std::uint64_t serial);
    void remove(std::uint64_t serial);

    SimulatedDesktop& desktop_;
    const std::size_t position_;
    int made_ = 0;
    std::map<std::uint64_t, ItemState> items_;
};

} // namespace platform::sim
