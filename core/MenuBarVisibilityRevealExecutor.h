#pragma once

#include "core/MenuBarCommandDragRecipe.h"
#include "core/MenuBarVisibilityRevealPlanner.h"

// Turns a reveal plan into synthesized mouse events.
namespace QelCore::MenuBarVisibilityRevealExecutor {

// Move to the start, Command-press, 18 to 48 Command-drag steps (one per 12 points of travel),
// Command-release at the end, move back to `restorePoint`.
MenuBarCommandDragRecipe commandDragRecipe(const MenuBarVisibilityRevealPlan& plan,
                                           CGPoint restorePoint);

} // namespace QelCore::MenuBarVisibilityRevealExecutor
