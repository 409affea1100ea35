#pragma once

#include <QFont>

namespace Parlowen::TessalineFonts {

// The family every window draws with; the application's font configuration holds only it.
inline constexpr const char* family = "Inter";

// The monospaced family, for shortcut chords.
inline constexpr const char* monospacedFamily = "DejaVu Sans Mono";

// Inter at a size in points, where one point is one logical pixel, drawn without hinting so that
// a text has the same shape on every machine.
QFont font(int points, QFont::Weight weight = QFont::Normal);

// The same in the monospaced family (whose faces are regular and bold only).
QFont monospacedFont(int points, QFont::Weight weight = QFont::Normal);

} // namespace Parlowen::TessalineFonts
