#pragma once

#include <QColor>
#include <QPixmap>
#include <QString>

// Placeholder app icons: the app's initials, white, on a rounded square in the app's colour.
// Sample rows use them, and so does any row whose application has no icon.
namespace SampleAppIconFactory {

// The square of a row's icon, real or drawn, and the radius of its corners.
inline constexpr int iconSize = 30;
inline constexpr qreal iconCornerRadius = 6;

QPixmap icon(const QString& appName, qreal devicePixelRatio = 1.0);
QColor color(const QString& appName);
// "1P" for 1Password; else the first letters of the first two words, or the first character
// of a single word; "?" for a name without words.
QString initials(const QString& appName);

} // namespace SampleAppIconFactory
