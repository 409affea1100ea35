#pragma once

#include "platform/Events.h"
#include "platform/Workspace.h"

#include <string>
#include <vector>

namespace platform::sim {

// One event handed to the simulated event system; `delivered` is false for a post made to fail.
struct PostedEvent {
    CGEventTapLocation tap = kCGHIDEventTap;
    CGEvent event;
    bool delivered = true;

    friend bool operator==(const PostedEvent&, const PostedEvent&) = default;
};

enum class CursorCall { hide, show };

// One call that changes this application's activation.
struct ActivationCall {
    enum class Kind { setActivationPolicy, activateIgnoringOtherApps, activate };
    Kind kind = Kind::activate;
    NSApplicationActivationPolicy policy = NSApplicationActivationPolicyRegular;
    bool flag = false;
    pid_t pid = 0;
    NSApplicationActivationOptions options = 0;

    friend bool operator==(const ActivationCall&, const ActivationCall&) = default;
};

// What the program did to the simulated desktop, in order, for tests to read back.
struct SimRecord {
    std::vector<PostedEvent> events;
    std::vector<CursorCall> cursorCalls;
    std::vector<ActivationCall> activationCalls;
    int trustPrompts = 0;
    std::vector<std::string> openedURLs;
    std::vector<std::string> revealedFiles;
};

// Which event call a test makes fail.
enum class EventFailure { sourceCreation, eventCreation, post };

} // namespace platform::sim
