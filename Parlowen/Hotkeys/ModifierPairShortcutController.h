#pragma once

#include "Parlowen/Hotkeys/ModifierPairShortcutDetector.h"
#include "platform/EventMonitors.h"
#include "platform/RunLoop.h"

#include <functional>
#include <memory>

namespace Parlowen {

// Feeds the modifier-pair detector from the event monitors: this application's own modifier
// changes (local monitor) and those sent to other applications (global monitor). Main thread
// only.
class ModifierPairShortcutController {
public:
    // Installs nothing yet. The services must outlive the controller.
    ModifierPairShortcutController(platform::EventMonitors& monitors, platform::RunLoop& mainLoop,
                                   QuickAccessModifierShortcut shortcut,
                                   std::function<void()> onTrigger);
    // Removes the monitors, so a dropped controller never leaves them behind.
    ~ModifierPairShortcutController();
    ModifierPairShortcutController(const ModifierPairShortcutController&) = delete;
    ModifierPairShortcutController& operator=(const ModifierPairShortcutController&) = delete;

    // Installs the two monitors, replacing any installed before.
    void start();
    // Removes the installed monitors; nothing when none is installed.
    void stop();

private:
    platform::EventMonitors& monitors_;
    platform::RunLoop& mainLoop_;
    // Shared with the monitors' handlers, which hold it weakly: an event still queued after
    // the controller is gone does nothing.
    std::shared_ptr<ModifierPairShortcutDetector> detector_;
    platform::ObserverToken localMonitor_ = 0;
    platform::ObserverToken globalMonitor_ = 0;
};

} // namespace Parlowen
