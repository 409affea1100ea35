#pragma once

#include "core/ScreenSnapshot.h"

#include <set>
#include <vector>

namespace QelCore {

enum class MenuBarCommandDragEventKind { mouseMoved, leftMouseDown, leftMouseDragged, leftMouseUp };

enum class MenuBarCommandDragModifier { command };

// One synthesized mouse event of a Command-drag, at a point in mouse-event coordinates.
struct MenuBarCommandDragEvent {
    MenuBarCommandDragEventKind kind = MenuBarCommandDragEventKind::mouseMoved;
    CGPoint point;
    std::set<MenuBarCommandDragModifier> modifiers;

    friend bool operator==(const MenuBarCommandDragEvent&,
                           const MenuBarCommandDragEvent&) = default;
};

// The events of one Command-drag, in posting order.
struct MenuBarCommandDragRecipe {
    std::vector<MenuBarCommandDragEvent> events;
    // Whether separate Command key events accompany the drag; the Command key travels as a flag
    // on each mouse event instead, so the recipes built here leave this false.
    bool postsStandaloneCommandKeyEvents = false;

    friend bool operator==(const MenuBarCommandDragRecipe&,
                           const MenuBarCommandDragRecipe&) = default;
};

} // namespace QelCore
