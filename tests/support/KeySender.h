#pragma once

#include <Qt>

class QWidget;

namespace tessaline::testing {

// Shows the window, makes it the active window and waits until it is exposed and active, so
// that keys and focus behave as for a person; false when it never became active.
bool showAndActivate(QWidget& window);

// Presses and releases a key on the focused widget of the active window (or on `window` when
// nothing has the focus), as the window system delivers it.
void sendKey(QWidget& window, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);

} // namespace tessaline::testing
