#pragma once

#include "core/MenuBarCommandDragRecipe.h"
#include "core/MenuBarVisibilityRevealPlanner.h"
#include "platform/Clock.h"
#include "platform/Events.h"

// Turns a reveal plan into synthesized mouse events.
namespace QelCore::MenuBarVisibilityRevealExecutor {

// Move to the start, Command-press, 18 to 48 Command-drag steps (one per 12 points of travel),
// Command-release at the end, move back to `restorePoint`.
MenuBarCommandDragRecipe commandDragRecipe(const MenuBarVisibilityRevealPlan& plan,
                                           CGPoint restorePoint);

// Posts the drag to the tap, returning the cursor to where it was, and blocks the thread for
// its pauses (60 ms after a move, 80 after the press, 15 per drag step, 140 after the release;
// about 550 ms in all). The cursor is hidden from the press on and always shown again. True
// when the drag itself was posted; when an event cannot be created posting stops, a pressed
// button is released, and the answer is false.
bool postCommandDrag(platform::Events& events, platform::Clock& clock,
                     const MenuBarVisibilityRevealPlan& plan,
                     platform::CGEventTapLocation eventTap);

} // namespace QelCore::MenuBarVisibilityRevealExecutor
