#pragma once

#include <QColor>
#include <QString>

class QLabel;
class QWidget;

// The board of the visual snapshot mode that shows in which order the quick-access shortcut falls
// back. Its texts are fixed English.
namespace QuickAccessFallbackBoard {

inline constexpr int width = 840;
inline constexpr int height = 430;

// The 840 x 430 board; the caller owns it.
QWidget* make();

// A 42 x 22 rounded badge with the text in the text colour on the fill.
QLabel* priorityBadge(const QString& text, const QColor& textColor, const QColor& fill);

// A hairline above a row of the title and detail with the accessory at the trailing end, named
// `identifier`.
QWidget* fallbackInfoRow(const QString& identifier, const QString& title, const QString& detail,
                         QWidget* accessory, int width);

} // namespace QuickAccessFallbackBoard
