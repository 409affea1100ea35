#include "ui/Onboarding/QuickOpenIntroDemoPainter.h"

#include "Parlowen/Onboarding/OnboardingEasing.h"
#include "Parlowen/Onboarding/QuickOpenDemoScript.h"
#include "ui/Design/TessalineDesign.h"
#include "ui/Onboarding/OnboardingPainting.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <array>
#include <cmath>
#include <numbers>

namespace QuickOpenIntroDemoPainter {

namespace {

namespace Palette = Parlowen::TessalineDesign::Palette;
namespace Script = Parlowen::QuickOpenDemoScript;
using Parlowen::QuickAccessModifierShortcut;
using Parlowen::OnboardingEasing::ease;
using namespace OnboardingPainting;

struct Row {
    const char* name;
    const char* place;
};
constexpr std::array<Row, 8> rows{{{"Tailscale", "Notch"},
                                   {"1Password", "Notch"},
                                   {"Raycast", "Visible"},
                                   {"CleanShot X", "Visible"},
                                   {"Dropbox", "Pushed"},
                                   {"Google Drive", "Visible"},
                                   {"Maccy", "Visible"},
                                   {"iStat Menus", "Pushed"}}};
constexpr int dropboxRow = 4;
constexpr std::array<const char*, 11> menuLines{"Open Dropbox in Menu Bar",
                                                "Open Dropbox Folder",
                                                "Launch Dropbox Website",
                                                "✓ Personal",
                                                "sam@example.com",
                                                "Recently Changed Files ›",
                                                "Get More Space",
                                                "Pause Syncing",
                                                "View Sync Issues",
                                                "Preferences...",
                                                "Quit Dropbox"};
constexpr std::array<int, 14> hiddenMarks{0, 3, 5, 8, 10, 13, 16, 19, 22, 25, 29, 32, 35, 38};
constexpr int targetMark = 21;

struct Pair {
    QString symbol;
    QString name;
};

Pair pairOf(QuickAccessModifierShortcut shortcut) {
    switch (shortcut) {
    case QuickAccessModifierShortcut::shift:
        return {QString::fromUtf8("⇧"), "shift"};
    case QuickAccessModifierShortcut::option:
        return {QString::fromUtf8("⌥"), "option"};
    case QuickAccessModifierShortcut::command:
        return {QString::fromUtf8("⌘"), "command"};
    case QuickAccessModifierShortcut::none:
        break;
    }
    return {};
}

void drawDesktop(QPainter& painter, const QRectF& screen, double phase, bool noShortcut) {
    fillRounded(painter, screen, 18, QColor::fromRgbF(0, 0, 0, 0.94f));
    const QRectF wallpaper = screen.adjusted(7, 7, -7, -7);
    QLinearGradient light(wallpaper.topLeft(), wallpaper.bottomRight());
    light.setColorAt(0, QColor(226, 236, 250));
    light.setColorAt(1, QColor(246, 238, 228));
    fillRounded(painter, wallpaper, 12, light);

    const QRectF bar(wallpaper.x(), wallpaper.y(), wallpaper.width(), 24);
    painter.save();
    QPainterPath clip;
    clip.addRoundedRect(wallpaper, 12, 12);
    painter.setClipPath(clip);
    painter.fillRect(bar, withAlpha(Qt::white, 0.88));
    painter.restore();
    drawLine(painter, QRectF(bar.x() + 12, bar.y(), 60, bar.height()), "Tessaline",
             font(8, QFont::DemiBold), Palette::ink());
    drawLine(painter, QRectF(bar.x() + 60, bar.y(), 60, bar.height()), "File   Edit", font(8),
             Palette::muted());

    const qreal centreX = bar.center().x();
    const double glow = noShortcut ? 0.18 : 0.35 + 0.25 * std::sin(2 * std::numbers::pi * phase);
    fillRounded(painter, QRectF(centreX - 95, bar.y() + 5, 190, 14), 7,
                withAlpha(Palette::orange(), glow));
    painter.setPen(Qt::NoPen);
    for (int mark = 0; mark < 40; ++mark) {
        const qreal x = centreX - 116 + 15 * mark;
        if (x + 8 > bar.right() - 4) {
            break;
        }
        QColor colour = withAlpha(Palette::grayText(), 0.58);
        if (std::find(hiddenMarks.begin(), hiddenMarks.end(), mark) != hiddenMarks.end()) {
            colour = Palette::orange();
        } else if (mark == targetMark) {
            colour = Palette::blue();
        }
        fillRounded(painter, QRectF(x, bar.center().y() - 4, 8, 8), 2, colour);
    }
    fillRounded(painter, QRectF(centreX - 54, bar.y(), 108, 18), 6,
                QColor::fromRgbF(0, 0, 0, 0.92f));
}

void drawKey(QPainter& painter, const QRectF& key, qreal lit) {
    fillRounded(painter, key, 5, Qt::white);
    if (lit > 0) {
        fillRounded(painter, key, 5, withAlpha(Palette::blue(), lit));
    }
    strokeRounded(painter, key, 5, Palette::line(), 0.8);
}

void drawKeyboard(QPainter& painter, const QRectF& area, double phase,
                  QuickAccessModifierShortcut shortcut) {
    fillRounded(painter, area, 14, Palette::graySoft());
    strokeRounded(painter, area, 14, Palette::line());
    const qreal keyHeight = 30;
    const qreal gap = 6;
    const QRectF inner = area.adjusted(14, 14, -14, -14);
    // Three plain rows, then the row of the pair's keys around the space bar.
    for (int row = 0; row < 3; ++row) {
        const qreal y = inner.y() + row * (keyHeight + gap);
        const int keys = row == 1 ? 11 : 12;
        const qreal returnWidth = row == 1 ? 64 : 0;
        const qreal width =
            (inner.width() - returnWidth - gap * (keys - (row == 1 ? 0 : 1))) / keys;
        for (int index = 0; index < keys; ++index) {
            drawKey(painter, QRectF(inner.x() + index * (width + gap), y, width, keyHeight), 0);
        }
        if (row == 1) {
            const QRectF enter(inner.right() - returnWidth, y, returnWidth, keyHeight);
            const double lit = 0.24 + 0.62 * ease(phase, 0.70, 0.80);
            drawKey(painter, enter, ease(phase, 0.70, 0.80) > 0 ? lit : 0);
            drawLine(painter, enter, "return", font(8, QFont::DemiBold), Palette::ink(),
                     Qt::AlignCenter);
        }
    }
    const qreal y = inner.y() + 3 * (keyHeight + gap);
    const qreal pairWidth = 70;
    const QRectF left(inner.x(), y, pairWidth, keyHeight + 8);
    const QRectF right(inner.right() - pairWidth, y, pairWidth, keyHeight + 8);
    const QRectF space(left.right() + gap, y, right.left() - left.right() - 2 * gap, keyHeight + 8);
    const bool hasPair = shortcut != QuickAccessModifierShortcut::none;
    const double lit = hasPair ? 0.36 + 0.54 * ease(phase, 0.02, 0.20) : 0;
    const bool pressed = hasPair && phase >= 0.02;
    drawKey(painter, space, 0);
    const Pair pair = pairOf(shortcut);
    for (const QRectF& key : {left, right}) {
        drawKey(painter, key, pressed ? lit : 0);
        if (hasPair) {
            drawLine(painter, QRectF(key.x(), key.y() + 3, key.width(), 18), pair.symbol,
                     font(13, QFont::DemiBold), Palette::ink(), Qt::AlignCenter);
            drawLine(painter, QRectF(key.x(), key.y() + 21, key.width(), 12), pair.name,
                     font(7.5, QFont::DemiBold), withAlpha(Palette::ink(), 0.82), Qt::AlignCenter);
        }
    }
}

void drawRowIcon(QPainter& painter, const QRectF& icon, bool dropbox, bool selected) {
    if (dropbox) {
        fillRounded(painter, icon, 4, QColor(0, 97, 254));
        painter.setPen(QPen(Qt::white, 1.2));
        const QPointF c = icon.center();
        QPainterPath box;
        box.moveTo(c + QPointF(-4, -3));
        box.lineTo(c + QPointF(0, -5.5));
        box.lineTo(c + QPointF(4, -3));
        box.lineTo(c + QPointF(0, -0.5));
        box.closeSubpath();
        box.moveTo(c + QPointF(-4, 2));
        box.lineTo(c + QPointF(0, -0.5));
        box.lineTo(c + QPointF(4, 2));
        box.lineTo(c + QPointF(0, 4.5));
        box.closeSubpath();
        painter.drawPath(box);
        return;
    }
    fillRounded(painter, icon, 4, selected ? Palette::blue() : Palette::graySoft());
}

void drawPanel(QPainter& painter, const QRectF& screen, double phase,
               QuickAccessModifierShortcut shortcut) {
    const bool noShortcut = shortcut == QuickAccessModifierShortcut::none;
    const double rise = noShortcut ? Script::restingPanelRise : ease(phase, 0.16, 0.34);
    const QRectF panel(screen.x() + 44, screen.y() + 40 + (1 - rise) * 18, screen.width() - 104,
                       170);
    fillRounded(painter, panel, 12, withAlpha(Qt::white, 0.72 + 0.24 * rise));
    strokeRounded(painter, panel, 12, Palette::line(), 0.8);
    drawLine(painter, QRectF(panel.x() + 12, panel.y() + 8, 140, 14), "Quick Open",
             font(11, QFont::DemiBold), Palette::ink());

    const QRectF field(panel.x() + 12, panel.y() + 28, panel.width() - 24, 30);
    fillRounded(painter, field, 8, Palette::soft());
    const QString typed = noShortcut ? QString() : QString::fromStdString(Script::typedText(phase));
    drawLine(painter, field.adjusted(10, 0, -10, 0),
             typed.isEmpty() ? "Search menu bar apps" : typed, font(11),
             typed.isEmpty() ? Palette::muted() : Palette::ink());

    const QRectF list(panel.x() + 12, panel.y() + 80, panel.width() - 28, 76);
    const qreal scroll = 58 * ease(phase, 0.30, 0.48);
    painter.save();
    QPainterPath clip;
    clip.addRoundedRect(list, 8, 8);
    painter.setClipPath(clip);
    for (int index = 0; index < static_cast<int>(rows.size()); ++index) {
        const QRectF row(list.x(), list.y() + 28 * index - scroll, list.width(), 26);
        const bool dropbox = index == dropboxRow;
        const bool selected = dropbox ? phase >= 0.48 : index == 0 && phase < 0.48;
        painter.setOpacity(!typed.isEmpty() && !dropbox ? 0.28 : 1.0);
        if (selected) {
            fillRounded(painter, row, 7, Palette::blueSoft());
        }
        drawRowIcon(painter, QRectF(row.x() + 6, row.center().y() - 8, 16, 16), dropbox, selected);
        drawLine(painter, QRectF(row.x() + 28, row.y(), 100, row.height()), rows[index].name,
                 font(11, selected ? QFont::DemiBold : QFont::Normal), Palette::ink());
        drawLine(painter, QRectF(row.right() - 58, row.y(), 50, row.height()), rows[index].place,
                 font(10), Palette::muted());
        painter.setOpacity(1.0);
    }
    painter.restore();
    const QRectF track(panel.right() - 12, list.y() + 4, 3, 68);
    fillRounded(painter, track, 1.5, withAlpha(Palette::grayText(), 0.12));
    fillRounded(painter, QRectF(track.x(), track.y() + 4 * ease(phase, 0.36, 0.58), 3, 24), 1.5,
                withAlpha(Palette::grayText(), 0.28));
}

void drawAppMenu(QPainter& painter, const QRectF& screen, double phase) {
    const double open = ease(phase, 0.66, 0.82);
    if (open <= 0.02) {
        return;
    }
    const QRectF menu(screen.right() - 16 - 162, screen.y() + 28 - (1 - open) * 8, 162, 178);
    fillRounded(painter, menu, 10, withAlpha(Qt::white, 0.88 + 0.10 * open));
    strokeRounded(painter, menu, 10, Palette::line());
    for (int index = 0; index < static_cast<int>(menuLines.size()); ++index) {
        drawLine(painter, QRectF(menu.x() + 10, menu.y() + 14 + 13 * index, menu.width() - 20, 13),
                 QString::fromUtf8(menuLines[index]), font(7.6), Palette::ink());
    }
}

} // namespace

void paint(QPainter& painter, const QSizeF& size, double phase,
           QuickAccessModifierShortcut shortcut) {
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF bounds = QRectF(QPointF(0, 0), size).adjusted(1, 1, -1, -1);
    fillRounded(painter, bounds, 14, Palette::soft());
    strokeRounded(painter, bounds, 14, Palette::line());
    const QRectF screen(bounds.x() + 16, bounds.y() + 10, bounds.width() - 32, 254);
    drawDesktop(painter, screen, phase, shortcut == QuickAccessModifierShortcut::none);
    drawKeyboard(painter, QRectF(screen.x() + 20, screen.bottom() + 22, screen.width() - 40, 186),
                 phase, shortcut);
    drawPanel(painter, screen, phase, shortcut);
    drawAppMenu(painter, screen, phase);
}

} // namespace QuickOpenIntroDemoPainter
