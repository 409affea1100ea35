#include "ui/Desktop/DesktopScene.h"

#include "ui/Design/TessalineFonts.h"
#include "ui/QuickOpenPanel/SampleAppIconFactory.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace DesktopScene {

namespace {
using Parlowen::TessalineFonts::font;

constexpr qreal ownItemMargin = 8;
constexpr qreal textPadding = 8;
constexpr qreal glyphSize = 16;
constexpr qreal menuRowHeight = 22;

QRectF qrect(const platform::CGRect& rect) {
    return QRectF(rect.origin.x, rect.origin.y, rect.size.width, rect.size.height);
}

std::optional<std::string> attributeText(const Item& item, const char* key) {
    const auto found = item.description.attributes.find(key);
    if (found == item.description.attributes.end()) {
        return std::nullopt;
    }
    const auto text = found->second.string();
    if (!text || text->empty() || *text == "missing value") {
        return std::nullopt;
    }
    return *text;
}

// The name an item's glyph is made from: its own accessible name, so that the several items of
// one app (Control Center's clock, Wi-Fi and battery) tell apart, else its app's name.
QString glyphNameOf(const Item& item) {
    for (const char* key : {"AXDescription", "AXTitle"}) {
        if (const auto name = attributeText(item, key)) {
            return QString::fromStdString(*name);
        }
    }
    return appNameOf(item);
}

// The initials of a name on a rounded square in its colour, as the panel's sample icons are.
void paintGlyph(QPainter& painter, const QRectF& frame, const QString& name) {
    const QRectF square(frame.center().x() - glyphSize / 2, frame.center().y() - glyphSize / 2,
                        glyphSize, glyphSize);
    QPainterPath path;
    path.addRoundedRect(square, 4, 4);
    painter.fillPath(path, SampleAppIconFactory::color(name));
    const QString initials = SampleAppIconFactory::initials(name);
    painter.setFont(font(initials.size() < 2 ? 10 : 8, QFont::Bold));
    painter.setPen(Qt::white);
    painter.drawText(square, Qt::AlignCenter, initials);
}

void paintOwnItem(QPainter& painter, const Item& item, const View& view) {
    const QRectF frame = qrect(item.axFrame);
    painter.fillRect(frame.adjusted(1, 2, -1, -2), QColor(0, 0, 0, 24));
    qreal x = frame.left() + 4;
    if (!view.ownImage.isNull()) {
        painter.drawImage(QRectF(x, frame.center().y() - 9, 18, 18), view.ownImage);
        x += 18;
    }
    painter.setPen(QColor(0, 0, 0, 220));
    painter.drawText(QRectF(x, frame.top(), frame.right() - x, frame.height()),
                     Qt::AlignVCenter | Qt::AlignLeft, view.ownTitle);
}

void paintItems(QPainter& painter, const State& state, const View& view) {
    const QFont textFont = font(13);
    const QFontMetricsF metrics(textFont);
    for (const Item& item : state.items) {
        painter.setFont(textFont);
        if (item.ownItem) {
            paintOwnItem(painter, item, view);
            continue;
        }
        const QRectF frame = qrect(item.axFrame);
        if (item.menuOpen) {
            painter.fillRect(frame.adjusted(1, 2, -1, -2), QColor(0, 0, 0, 40));
        }
        if (const auto title = shownTitle(item, metrics)) {
            painter.setPen(QColor(0, 0, 0, 220));
            painter.drawText(frame, Qt::AlignCenter, *title);
        } else {
            paintGlyph(painter, frame, glyphNameOf(item));
        }
    }
}

// The frontmost app's menus where the desktop puts them: those that fit before the status
// items, its own name in bold.
void paintAppMenus(QPainter& painter, const State& state) {
    if (!state.frontmost) {
        return;
    }
    painter.setPen(QColor(0, 0, 0, 220));
    for (const State::AppMenu& menu : state.appMenus) {
        painter.setFont(
            font(13, menu.title == state.frontmost->name ? QFont::Bold : QFont::Normal));
        painter.drawText(qrect(menu.axFrame), Qt::AlignCenter, QString::fromStdString(menu.title));
    }
}

// Open menus where the desktop puts them, cut at the bottom of the scene.
void paintOpenMenus(QPainter& painter, const State& state, const View& view) {
    painter.setFont(font(13));
    for (const Item& item : state.items) {
        if (!item.menuOpen || !item.description.menu || item.menuFrame.isNull()) {
            continue;
        }
        QRectF box = qrect(item.menuFrame).adjusted(0, 2, 0, 2);
        box.setBottom(std::min(box.bottom(), view.sceneHeight - 2));
        painter.setPen(QColor(0, 0, 0, 60));
        painter.setBrush(QColor(0xfb, 0xfb, 0xfb));
        painter.drawRoundedRect(box, 6, 6);
        painter.setPen(QColor(0, 0, 0, 220));
        qreal y = box.top() + 6;
        for (const auto& entry : item.description.menu->items) {
            painter.drawText(QRectF(box.left() + 12, y, box.width() - 24, menuRowHeight),
                             Qt::AlignVCenter, QString::fromStdString(entry));
            y += menuRowHeight;
        }
    }
}

} // namespace

qreal horizontalOffset(const State& state, qreal viewWidth) {
    const auto* primary = platform::sim::primaryDisplay(state.displays);
    const qreal most = (primary ? primary->frame.size.width : 0) - viewWidth;
    if (most <= 0) {
        return 0;
    }
    const auto own = std::find_if(state.items.begin(), state.items.end(),
                                  [](const Item& item) { return item.ownItem; });
    if (own == state.items.end()) {
        return most;
    }
    return std::clamp(own->axFrame.maxX() + ownItemMargin - viewWidth, 0.0, most);
}

const Item* itemAt(const State& state, platform::CGPoint point) {
    const auto found = std::find_if(state.items.begin(), state.items.end(),
                                    [&](const Item& item) { return item.axFrame.contains(point); });
    return found == state.items.end() ? nullptr : &*found;
}

QString appNameOf(const Item& item) {
    if (item.appName) {
        return QString::fromStdString(*item.appName);
    }
    const auto description = attributeText(item, "AXDescription");
    return QString::fromStdString(description.value_or(item.description.id));
}

std::optional<QString> shownTitle(const Item& item, const QFontMetricsF& metrics) {
    const auto title = attributeText(item, "AXTitle");
    if (!title) {
        return std::nullopt;
    }
    const QString text = QString::fromStdString(*title);
    if (metrics.horizontalAdvance(text) > item.axFrame.size.width - textPadding) {
        return std::nullopt;
    }
    return text;
}

void paint(QPainter& painter, const State& state, const View& view) {
    const auto* primary = platform::sim::primaryDisplay(state.displays);
    const qreal barHeight = primary ? primary->menuBarHeight : 24;
    const qreal barWidth = primary ? primary->frame.size.width : view.width;
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.fillRect(QRectF(0, 0, view.width, view.sceneHeight), QColor(0x5b, 0x7d, 0xa8));
    painter.translate(-view.offset, 0);
    painter.fillRect(QRectF(0, 0, barWidth, barHeight), QColor(0xf2, 0xf2, 0xf2, 0xee));
    paintItems(painter, state, view);
    paintAppMenus(painter, state);
    if (primary && primary->notch) {
        const platform::CGRect notch =
            platform::sim::StatusBarLayout::axNotchOf(*primary, primary->frame.size.height);
        painter.fillRect(qrect(notch), Qt::black);
    }
    paintOpenMenus(painter, state, view);
}

} // namespace DesktopScene
