#pragma once

#include "Parlowen/Settings/QuickAccessModifierShortcut.h"

#include <QSizeF>

class QPainter;

// Draws one frame of the Quick Open demo script: the desktop with its menu bar and notch, the
// keyboard with the chosen pair, and the Quick Open panel with the app's menu.
namespace QuickOpenIntroDemoPainter {

void paint(QPainter& painter, const QSizeF& size, double phase,
           Parlowen::QuickAccessModifierShortcut shortcut);

} // namespace QuickOpenIntroDemoPainter
