#pragma once

#include <QPalette>

class QApplication;

// The one look of the application, the same on every machine: the Fusion style, a fixed light
// palette, Inter through the application's own font configuration, and no desktop settings.
namespace Parlowen::TessalineAppearance {

// Call before the QApplication exists: points fontconfig at the application's configuration
// and turns off what the desktop, the environment or a theme plugin could change (scale
// factors, font DPI, style and theme overrides); picks the FFmpeg media backend unless one
// is chosen.
void prepareEnvironment();

// Call once the QApplication exists: style, palette and default font.
void install(QApplication& application);

// The fixed light palette of every window.
QPalette palette();

} // namespace Parlowen::TessalineAppearance
