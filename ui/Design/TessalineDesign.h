#pragma once

#include <QColor>
#include <QRectF>
#include <QString>

#include <optional>

class QFont;
class QFontMetrics;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

// The look that every window shares: named colours, the page title and intro label, centred
// single-line fields, the hairline separator, the two button styles and the centred title.
// Main thread only.
namespace Parlowen::TessalineDesign {

// Fixed sRGB colours; they do not follow any system appearance.
namespace Palette {
inline QColor ink() {
    return QColor(17, 19, 24);
}
inline QColor muted() {
    return QColor(102, 107, 117);
}
inline QColor line() {
    return QColor(217, 221, 229);
}
inline QColor surface() {
    return QColor::fromRgbF(1.0f, 1.0f, 1.0f, 0.88f);
}
inline QColor soft() {
    return QColor(247, 248, 250);
}
inline QColor blue() {
    return QColor(10, 132, 255);
}
inline QColor blueSoft() {
    return QColor(232, 242, 255);
}
inline QColor focusSoft() {
    return QColor(220, 236, 255);
}
inline QColor rowSelection() {
    return QColor(234, 244, 255);
}
inline QColor orange() {
    return QColor(245, 158, 11);
}
inline QColor orangeSoft() {
    return QColor(255, 243, 215);
}
inline QColor orangeText() {
    return QColor(149, 92, 0);
}
inline QColor green() {
    return QColor(31, 157, 85);
}
inline QColor greenSoft() {
    return QColor(234, 247, 239);
}
inline QColor red() {
    return QColor(217, 45, 32);
}
inline QColor redSoft() {
    return QColor(255, 240, 238);
}
inline QColor graySoft() {
    return QColor(237, 240, 244);
}
inline QColor grayText() {
    return QColor(85, 93, 105);
}
} // namespace Palette

// The system colours the windows use, fixed at their light-appearance values so that no
// desktop theme changes them (docs/ARCHITECTURE.md lists them).
namespace SystemColors {
// labelColor: black at 85 % opacity.
inline QColor label() {
    return QColor(0, 0, 0, 216);
}
// secondaryLabelColor: black at 50 %.
inline QColor secondaryLabel() {
    return QColor(0, 0, 0, 127);
}
// placeholderTextColor: black at 25 %.
inline QColor placeholder() {
    return QColor(0, 0, 0, 64);
}
// disabledControlTextColor: black at 25 %.
inline QColor disabledText() {
    return QColor(0, 0, 0, 64);
}
// windowBackgroundColor.
inline QColor windowBackground() {
    return QColor(236, 236, 236);
}
} // namespace SystemColors

// The object name of the centred window-title label.
inline constexpr const char* centeredTitleIdentifier = "window.title.centered";
// Intro labels show at most this many lines.
inline constexpr int introLabelMaximumLines = 3;

// Gives a label plain text, the font and the text colour.
void stylePlainLabel(QLabel& label, const QFont& font, const QColor& color);

// A one-line page heading: 18 pt semibold in the label colour, left aligned.
QLabel* pageTitle(const QString& text, QWidget* parent = nullptr);

// The height that `lines` wrapped lines take in the font, as a label lays them out (a little
// more than `lines` times the font's height, which is rounded down).
int heightOfLines(const QFontMetrics& metrics, int lines);

// Wraps the label's text (in the font it has now) onto at most `lines` lines; further lines
// are cut off.
void limitLines(QLabel* label, int lines);

// The text of an intro label: trimmed of white space, line breaks, full stops and ideographic
// full stops at both ends (so a closing stop is dropped); inner stops stay.
QString introText(const QString& text);

// A wrapping secondary label under a heading: 12 pt in the secondary label colour, at most three
// lines of the trimmed text.
QLabel* introLabel(const QString& text, QWidget* parent = nullptr);

// The rectangle a single line of `textHeight` takes inside `bounds`: centred vertically and moved
// down by `opticalYOffset`, or `bounds` itself when the text does not fit (the offset is then
// ignored).
QRectF centeredTextRect(const QRectF& bounds, qreal textHeight, qreal opticalYOffset);

// Keeps the field's single line centred by `centeredTextRect` as it resizes, keeping its text
// and style; a second call replaces the offset.
void verticallyCenterText(QLineEdit* field, qreal opticalYOffset);

// The centred window title: 13 pt semibold in `Palette::grayText`, centred and cut with an
// ellipsis at the end, named "window.title.centered". For windows that draw their own title strip.
QLabel* centeredTitleLabel(const QString& title, QWidget* parent = nullptr);

// Sets the window's title. A window manager draws the title bar on Linux and shows this title;
// a window that draws its own strip with a `centeredTitleLabel` gets that label's text replaced,
// so calling again leaves one label with the new title.
void installCenteredTitlebarLabel(QWidget* window, const QString& title);

// Moves the window to the middle of its screen's free area (the primary screen before it is
// shown); without a window manager to place it, a new window would open over the menu bar.
void centerOnScreen(QWidget* window);

// A hairline of the given width in `Palette::line`, one logical pixel high (widget geometry is in
// whole pixels), named `identifier` when one is given.
QWidget* preferenceSeparator(const std::optional<QString>& identifier, int width,
                             QWidget* parent = nullptr);

// The filled blue action style: white 13 pt semibold text, corner radius 7, no system focus
// ring: the focus shows as a 2-point `Palette::focusSoft` ring inside the edge. Disabled
// buttons of both styles draw their titles in the disabled text colour.
void stylePrimaryButton(QPushButton* button);

// The white bordered style: `Palette::line` border, `Palette::ink` text, corner radius 7, no
// focus ring; a `TessalineSecondaryButton` then shows its focus and enabled state.
void styleSecondaryButton(QPushButton* button);

// The style sheet of a secondary button with the given background and border.
QString secondaryButtonStyleSheet(const QColor& background, const QColor& border);

} // namespace Parlowen::TessalineDesign
