#include "platform/sim/SimEvents.h"

#include "platform/sim/SimAppServices.h"

namespace platform::sim {

bool SimEvents::failing(EventFailure failure) {
    int& left = desktop_.failures_[failure];
    if (left <= 0) {
        return false;
    }
    --left;
    return true;
}

std::optional<CGEventSource> SimEvents::createSource(CGEventSourceStateID state) {
    std::lock_guard lock(desktop_.mutex_);
    if (failing(EventFailure::sourceCreation)) {
        return std::nullopt;
    }
    return CGEventSource{state};
}

std::optional<CGEvent> SimEvents::createEvent(const CGEventSource*) {
    std::lock_guard lock(desktop_.mutex_);
    if (failing(EventFailure::eventCreation)) {
        return std::nullopt;
    }
    CGEvent event;
    event.location = desktop_.cursor_;
    return event;
}

std::optional<CGEvent> SimEvents::createMouseEvent(const CGEventSource*, CGEventType type,
                                                   CGPoint location, CGMouseButton button) {
    std::lock_guard lock(desktop_.mutex_);
    if (failing(EventFailure::eventCreation) || !location.isFinite()) {
        return std::nullopt;
    }
    CGEvent event;
    event.type = type;
    event.location = location;
    event.button = button;
    return event;
}

std::optional<CGEvent> SimEvents::createKeyboardEvent(const CGEventSource*, CGKeyCode keyCode,
                                                      bool keyDown) {
    std::lock_guard lock(desktop_.mutex_);
    if (failing(EventFailure::eventCreation)) {
        return std::nullopt;
    }
    CGEvent event;
    event.type = keyDown ? kCGEventKeyDown : kCGEventKeyUp;
    event.keyCode = keyCode;
    event.location = desktop_.cursor_;
    return event;
}

void SimEvents::post(CGEventTapLocation tap, const CGEvent& event) {
    std::lock_guard lock(desktop_.mutex_);
    const bool delivered = !failing(EventFailure::post);
    desktop_.record_.events.push_back({tap, event, delivered});
    if (delivered) {
        deliver(event);
    }
}

void SimEvents::deliver(const CGEvent& event) {
    const bool command = (event.flags & kCGEventFlagMaskCommand) != 0;
    switch (event.type) {
    case kCGEventMouseMoved:
    case kCGEventLeftMouseDragged:
        desktop_.cursor_ = event.location;
        break;
    case kCGEventLeftMouseDown: {
        desktop_.cursor_ = event.location;
        SimulatedDesktop::StatusItem* item = desktop_.itemAt(event.location);
        if (command) {
            // Command-dragging a status item rearranges the menu bar instead of clicking it.
            if (item != nullptr) {
                desktop_.dragged_ = item->serial;
            }
            break;
        }
        // A click on the item whose menu is open closes that menu and opens nothing.
        const bool closesOwnMenu = item != nullptr && item->menuOpen;
        desktop_.closeMenus();
        if (closesOwnMenu ||
            (item != nullptr && desktop_.appServices_->statusBar.click(item->serial))) {
            break;
        }
        const bool opensOnClick = item != nullptr && item->description.menu &&
                                  std::find(item->description.menu->opensOn.begin(),
                                            item->description.menu->opensOn.end(),
                                            "click") != item->description.menu->opensOn.end();
        if (opensOnClick) {
            desktop_.openMenu(*item);
        }
        break;
    }
    case kCGEventLeftMouseUp:
        desktop_.cursor_ = event.location;
        if (desktop_.dragged_) {
            desktop_.dropDraggedItem(*desktop_.dragged_, event.location.x);
            desktop_.dragged_.reset();
        }
        break;
    case kCGEventKeyDown:
        if (event.keyCode == kVK_Escape) {
            desktop_.closeMenus();
        }
        break;
    default:
        break;
    }
}

CGDirectDisplayID SimEvents::mainDisplayID() {
    std::lock_guard lock(desktop_.mutex_);
    return desktop_.primary().id;
}

CGError SimEvents::hideCursor(CGDirectDisplayID) {
    std::lock_guard lock(desktop_.mutex_);
    desktop_.record_.cursorCalls.push_back(CursorCall::hide);
    return kCGErrorSuccess;
}

CGError SimEvents::showCursor(CGDirectDisplayID) {
    std::lock_guard lock(desktop_.mutex_);
    desktop_.record_.cursorCalls.push_back(CursorCall::show);
    return kCGErrorSuccess;
}

} // namespace platform::sim
