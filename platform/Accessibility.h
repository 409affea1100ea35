#pragma once

#include "platform/AXUIElement.h"
#include "platform/AccessibilityConstants.h"
#include "platform/RunLoopSource.h"
#include "platform/Value.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace platform {

// What a copy call answers: the error code, and the value when the code is kAXErrorSuccess.
struct AXCopyResult {
    AXError error = kAXErrorFailure;
    Value value;
};

// An Accessibility observer of one process. Its callback runs on the thread of a run loop that
// holds its source, and only while that loop runs.
class AXObserver {
public:
    // Called with the element a notification names and the notification's name.
    using Callback = std::function<void(const AXUIElement& element, const std::string& name)>;

    AXObserver() = default;
    AXObserver(const AXObserver&) = delete;
    AXObserver& operator=(const AXObserver&) = delete;
    virtual ~AXObserver() = default;

    // Registers a notification on an element of the observed process (AXObserverAddNotification).
    virtual AXError addNotification(const AXUIElement& element, std::string_view name) = 0;
    // Unregisters it (AXObserverRemoveNotification).
    virtual AXError removeNotification(const AXUIElement& element, std::string_view name) = 0;
    // The source to add to a run loop so that callbacks run (AXObserverGetRunLoopSource).
    virtual std::shared_ptr<RunLoopSource> runLoopSource() = 0;
};

// The Accessibility interface to other applications' user-interface elements.
class Accessibility {
public:
    Accessibility() = default;
    Accessibility(const Accessibility&) = delete;
    Accessibility& operator=(const Accessibility&) = delete;
    virtual ~Accessibility() = default;

    // Whether this process may use Accessibility; with `prompt`, asks the user to grant it when
    // it may not (AXIsProcessTrustedWithOptions with kAXTrustedCheckOptionPrompt).
    virtual bool isProcessTrusted(bool prompt) = 0;
    // The application element of a process (AXUIElementCreateApplication); never fails itself.
    virtual AXUIElement createApplication(pid_t pid) = 0;
    // Copies one attribute's value (AXUIElementCopyAttributeValue).
    virtual AXCopyResult copyAttributeValue(const AXUIElement& element,
                                            std::string_view attribute) = 0;
    // Copies the names of the element's actions, a list of strings (AXUIElementCopyActionNames).
    virtual AXCopyResult copyActionNames(const AXUIElement& element) = 0;
    // Performs an action on the element (AXUIElementPerformAction).
    virtual AXError performAction(const AXUIElement& element, std::string_view action) = 0;
    // Creates an observer of a process (AXObserverCreate); null when it cannot be created.
    virtual std::shared_ptr<AXObserver> createObserver(pid_t pid,
                                                       AXObserver::Callback callback) = 0;
};

} // namespace platform
