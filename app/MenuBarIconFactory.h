#pragma once

#include "platform/Image.h"

// Tessaline's status-item icon, drawn in code.
namespace Parlowen::MenuBarIconFactory {

// An 18 by 18 point template image (one pixel a point): a rounded black square with a
// transparent bar above its centre and a small transparent circle at the lower right, and a
// small black square inside the bar. An empty template image when the bitmap cannot be made.
platform::NSImage drawnTemplateIcon();

} // namespace Parlowen::MenuBarIconFactory
