#include "ui/Desktop/SettingsSwitch.h"

#include "ui/Design/TessalineDesign.h"

#include <QPainter>

namespace {
constexpr int trackWidth = 42;
constexpr int trackHeight = 24;
constexpr int knobInset = 3;
} // namespace

SettingsSwitch::SettingsSwitch(QWidget* parent) : QAbstractButton(parent) {
    setCheckable(true);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
    setFixedSize(sizeHint());
}

QSize SettingsSwitch::sizeHint() const {
    return {trackWidth, trackHeight};
}

void SettingsSwitch::paintEvent(QPaintEvent*) {
    using namespace Parlowen::TessalineDesign;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF track(0.5, 0.5, trackWidth - 1, trackHeight - 1);
    painter.setPen(hasFocus() ? QPen(Palette::blue(), 1) : QPen(Palette::line(), 1));
    painter.setBrush(isChecked() ? Palette::blue() : Palette::graySoft());
    painter.drawRoundedRect(track, track.height() / 2, track.height() / 2);
    const qreal knob = trackHeight - 2 * knobInset;
    const qreal x = isChecked() ? trackWidth - knobInset - knob : knobInset;
    painter.setPen(QPen(QColor(0, 0, 0, 40), 0.5));
    painter.setBrush(Qt::white);
    painter.drawEllipse(QRectF(x, knobInset, knob, knob));
}
