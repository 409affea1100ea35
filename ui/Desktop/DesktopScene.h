#pragma once

#include "platform/sim/SimulatedDesktop.h"

#include <QImage>
#include <QString>

#include <optional>

class QFontMetricsF;
class QPainter;

// The picture of the simulated menu bar in the desktop window: where the bar stands in a view
// of some width, what each item shows and the drawing itself, so that painting, clicks and
// tooltips read the same geometry. Coordinates of the bar are the desktop's top-left ones.
namespace DesktopScene {

using State = platform::sim::SimulatedDesktop::MenuBarState;
using Item = State::Item;

// How far the bar is drawn left of the view's left edge: nothing when it fits, else as far as
// this program's own item needs to stay in view (its right edge 8 points inside the view), and
// never so far that the bar's right end leaves the view's.
qreal horizontalOffset(const State& state, qreal viewWidth);
// The item whose frame holds the point, none elsewhere.
const Item* itemAt(const State& state, platform::CGPoint point);
// The name of the item's app; its description, then its id, for an app without a name.
QString appNameOf(const Item& item);
// The text an item shows: its title when it fits the item. An item without a title, or whose
// title is longer than the item is wide (the name of an icon, not what it shows), shows a glyph
// made from its name (its own accessible name, else its app's) instead.
std::optional<QString> shownTitle(const Item& item, const QFontMetricsF& metrics);

// What the window adds to the desktop's state: the view's size, the bar's offset, and this
// program's own item as its status item shows it.
struct View {
    qreal width = 0;
    qreal sceneHeight = 0;
    qreal offset = 0;
    QImage ownImage;
    QString ownTitle;
};
// Draws the desktop behind the bar, the bar with its items, the frontmost app's menus, the
// notch and the open menus.
void paint(QPainter& painter, const State& state, const View& view);

} // namespace DesktopScene
