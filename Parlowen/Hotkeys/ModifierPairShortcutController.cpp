#include "Parlowen/Hotkeys/ModifierPairShortcutController.h"

namespace Parlowen {

namespace {

void handle(const std::weak_ptr<ModifierPairShortcutDetector>& weak,
            const platform::NSEvent& event) {
    // Held for the whole call: the trigger may drop the controller.
    const auto detector = weak.lock();
    if (detector && event.type == platform::NSEventTypeFlagsChanged) {
        detector->handle(event.keyCode, event.modifierFlags);
    }
}

} // namespace

ModifierPairShortcutController::ModifierPairShortcutController(platform::EventMonitors& monitors,
                                                               platform::RunLoop& mainLoop,
                                                               QuickAccessModifierShortcut shortcut,
                                                               std::function<void()> onTrigger)
    : monitors_(monitors), mainLoop_(mainLoop),
      detector_(std::make_shared<ModifierPairShortcutDetector>(shortcut, std::move(onTrigger))) {}

ModifierPairShortcutController::~ModifierPairShortcutController() {
    stop();
}

void ModifierPairShortcutController::start() {
    stop();
    const std::weak_ptr<ModifierPairShortcutDetector> weak = detector_;
    localMonitor_ = monitors_.addLocalMonitor(
        platform::NSEventMaskFlagsChanged,
        [weak](const platform::NSEvent& event) -> std::optional<platform::NSEvent> {
            handle(weak, event);
            // The application still receives every modifier event.
            return event;
        });
    globalMonitor_ =
        monitors_.addGlobalMonitor(platform::NSEventMaskFlagsChanged,
                                   [weak, &mainLoop = mainLoop_](const platform::NSEvent& event) {
                                       mainLoop.post([weak, event] { handle(weak, event); });
                                   });
}

void ModifierPairShortcutController::stop() {
    if (localMonitor_ != 0) {
        monitors_.removeMonitor(localMonitor_);
        localMonitor_ = 0;
    }
    if (globalMonitor_ != 0) {
        monitors_.removeMonitor(globalMonitor_);
        globalMonitor_ = 0;
    }
}

} // namespace Parlowen
