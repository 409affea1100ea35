#include "ui/Preferences/PreferencesSwitch.h"

#include "ui/Design/TessalineDesign.h"

#include <QPainter>

namespace {

constexpr int trackWidth = 38;
constexpr int trackHeight = 22;
constexpr int knobInset = 2;

} // namespace

PreferencesSwitch::PreferencesSwitch(const QString& identifier, QWidget* parent)
    : QAbstractButton(parent) {
    setObjectName(identifier);
    setCheckable(true);
    setFocusPolicy(Qt::StrongFocus);
    setFixedSize(sizeHint());
    setAccessibleName(identifier);
}

QSize PreferencesSwitch::sizeHint() const {
    return {trackWidth, trackHeight};
}

void PreferencesSwitch::activate() {
    if (isEnabled() && isVisible()) {
        click();
    }
}

void PreferencesSwitch::paintEvent(QPaintEvent*) {
    using namespace Parlowen::TessalineDesign;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF track = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QColor fill = isChecked() ? Palette::blue() : Palette::graySoft();
    if (!isEnabled()) {
        fill.setAlphaF(0.45f);
    }
    painter.setPen(QPen(Palette::line(), 1));
    painter.setBrush(fill);
    painter.drawRoundedRect(track, track.height() / 2, track.height() / 2);
    if (hasFocus()) {
        // A 2-point ring inside the edge that stands out from the fill: soft on the blue of a
        // switch that is on, blue on the gray of one that is off.
        const QRectF ring = QRectF(rect()).adjusted(1, 1, -1, -1);
        painter.setPen(QPen(isChecked() ? Palette::focusSoft() : Palette::blue(), 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(ring, ring.height() / 2, ring.height() / 2);
    }
    const qreal knob = trackHeight - 2 * knobInset;
    const qreal x = isChecked() ? width() - knobInset - knob : knobInset;
    painter.setPen(QPen(Palette::line(), 0.5));
    painter.setBrush(Qt::white);
    painter.drawEllipse(QRectF(x, knobInset, knob, knob));
}
