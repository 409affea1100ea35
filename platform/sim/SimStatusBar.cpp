#include "platform/sim/SimStatusBar.h"

#include "platform/sim/SimulatedDesktop.h"

#include <algorithm>
#include <cmath>

namespace platform::sim {

namespace {
// A status button's padding around its content and the average advance of a title glyph.
constexpr CGFloat buttonPadding = 4;
constexpr CGFloat titleGlyphWidth = 7;

std::size_t codePoints(std::string_view text) {
    return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}
} // namespace

class SimStatusBar::Item final : public StatusItem {
public:
    Item(SimStatusBar& bar, std::uint64_t serial) : bar_(bar), serial_(serial) {}
    ~Item() override {
        std::lock_guard lock(bar_.desktop_.mutex_);
        bar_.remove(serial_);
    }

    bool hasButton() const override { return true; }
    void setImage(NSImage image) override { change(&ItemState::image, std::move(image)); }
    NSImage image() const override { return read().image; }
    void setTitle(std::string title) override { change(&ItemState::title, std::move(title)); }
    std::string title() const override { return read().title; }
    void setToolTip(std::string toolTip) override {
        change(&ItemState::toolTip, std::move(toolTip));
    }
    std::string toolTip() const override { return read().toolTip; }
    void setAction(std::function<void()> action) override {
        std::lock_guard lock(bar_.desktop_.mutex_);
        bar_.items_.at(serial_).action =
            std::make_shared<const std::function<void()>>(std::move(action));
    }
    std::optional<CGRect> buttonFrame() const override {
        std::lock_guard lock(bar_.desktop_.mutex_);
        const SimulatedDesktop::StatusItem* item = bar_.desktop_.findItem(serial_);
        return item ? std::optional(item->axFrame) : std::nullopt;
    }

private:
    // Setting what the item already shows changes nothing: the hub sets its badge after every
    // scan, and a desktop that looks the same needs no new layout or redraw.
    template <typename Field> void change(Field ItemState::*field, Field value) {
        std::lock_guard lock(bar_.desktop_.mutex_);
        Field& current = bar_.items_.at(serial_).*field;
        if (current != value) {
            current = std::move(value);
            bar_.resize(serial_);
        }
    }
    ItemState read() const {
        std::lock_guard lock(bar_.desktop_.mutex_);
        return bar_.items_.at(serial_);
    }

    SimStatusBar& bar_;
    const std::uint64_t serial_;
};

SimStatusBar::SimStatusBar(SimulatedDesktop& desktop, std::size_t position)
    : desktop_(desktop), position_(position) {}

std::unique_ptr<StatusItem> SimStatusBar::statusItemWithLength(CGFloat length) {
    std::lock_guard lock(desktop_.mutex_);
    ItemState state;
    state.length = length;
    StatusItemDescription description;
    description.id = std::string(firstItemId);
    if (++made_ > 1) {
        description.id.append(".").append(std::to_string(made_));
    }
    description.pid = desktop_.ownProcess_.pid;
    description.width = widthOf(state);
    const std::uint64_t serial = desktop_.nextSerial_++;
    items_.emplace(serial, std::move(state));
    auto& bar = desktop_.items_;
    const auto at = bar.begin() + static_cast<std::ptrdiff_t>(std::min(position_, bar.size()));
    bar.insert(at, SimulatedDesktop::StatusItem{std::move(description), serial, {}, false, {}});
    desktop_.layOut();
    return std::make_unique<Item>(*this, serial);
}

CGFloat SimStatusBar::thickness() {
    std::lock_guard lock(desktop_.mutex_);
    return desktop_.primary().menuBarHeight;
}

bool SimStatusBar::click(std::uint64_t serial) {
    auto found = items_.find(serial);
    if (found == items_.end()) {
        return false;
    }
    if (auto action = found->second.action) {
        desktop_.postToMain([action] { (*action)(); });
    }
    return true;
}

CGFloat SimStatusBar::widthOf(const ItemState& state) const {
    if (state.length > 0 && std::isfinite(state.length)) {
        // No item is wider than the bar it stands in.
        return std::min(state.length, desktop_.primary().frame.width());
    }
    if (state.length == NSSquareStatusItemLength) {
        return desktop_.primary().menuBarHeight;
    }
    CGFloat width = 2 * buttonPadding;
    if (!state.image.isEmpty()) {
        width += state.image.size.width;
    }
    width += static_cast<CGFloat>(codePoints(state.title)) * titleGlyphWidth;
    return width;
}

void SimStatusBar::resize(std::uint64_t serial) {
    if (SimulatedDesktop::StatusItem* item = desktop_.findItem(serial)) {
        item->description.width = widthOf(items_.at(serial));
        desktop_.layOut();
    }
}

void SimStatusBar::remove(std::uint64_t serial) {
    items_.erase(serial);
    std::erase_if(desktop_.items_, [serial](const SimulatedDesktop::StatusItem& item) {
        return item.serial == serial;
    });
    desktop_.layOut();
}

} // namespace platform::sim
