#include "ui/Onboarding/DraggableApplicationTokenView.h"

#include "ui/Design/LocalizedText.h"
#include "ui/Design/TessalineDesign.h"
#include "ui/Onboarding/OnboardingPainting.h"

#include "platform/RunLoop.h"

#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

#include <chrono>
#include <cmath>

namespace {

namespace Palette = Parlowen::TessalineDesign::Palette;
using namespace OnboardingPainting;

constexpr int iconSide = 34;

double easeOut(double t) {
    return 1 - (1 - t) * (1 - t);
}

double easeInOut(double t) {
    return t * t * (3 - 2 * t);
}

} // namespace

DraggableApplicationTokenView::DraggableApplicationTokenView(const QPixmap& icon,
                                                             platform::RunLoop& loop,
                                                             QWidget* parent)
    : QWidget(parent), loop_(loop), iconView_(new QLabel), icon_(icon),
      animation_(loop, std::chrono::milliseconds(16)) {
    setObjectName("onboarding.permission-drag-source");
    setFixedSize(84, 92);
    setToolTip(
        Parlowen::localizedText("onboarding.permission.drag_overlay.tooltip",
                                "Drag the current Tessaline app into the Accessibility list."));
    iconView_->setObjectName("onboarding.permission-drag-icon");
    iconView_->setFixedSize(iconSide, iconSide);
    iconView_->setAlignment(Qt::AlignCenter);
    applyIconScale(1.0);

    auto* title =
        makeLabel("Tessaline", OnboardingPainting::font(10.5, QFont::DemiBold), Palette::ink());
    title->setAlignment(Qt::AlignCenter);
    auto* hint =
        makeLabel(Parlowen::localizedText("onboarding.permission.drag_overlay.hint", "Drag app"),
                  OnboardingPainting::font(10), Palette::blue());
    hint->setAlignment(Qt::AlignCenter);
    auto* stack = new QVBoxLayout(this);
    stack->setContentsMargins(8, 0, 8, 0);
    stack->setSpacing(4);
    stack->addStretch();
    stack->addWidget(iconView_, 0, Qt::AlignHCenter);
    stack->addWidget(title);
    stack->addWidget(hint);
    stack->addStretch();
}

double DraggableApplicationTokenView::pickupScale(double seconds) {
    const double t = seconds / pickupSeconds;
    if (t <= 0 || t >= 1) {
        return 1.0;
    }
    constexpr double peakTime = 0.62;
    if (t < peakTime) {
        return 1.0 + 0.22 * easeOut(t / peakTime);
    }
    return 1.22 - 0.13 * easeInOut((t - peakTime) / (1 - peakTime));
}

void DraggableApplicationTokenView::playDragPickupAnimation() {
    const platform::MonotonicTime start = loop_.clock().now();
    animation_.restart(this, [this, start] {
        const double seconds = std::chrono::duration<double>(loop_.clock().now() - start).count();
        applyIconScale(pickupScale(seconds));
        if (seconds >= pickupSeconds) {
            animation_.stop();
        }
    });
}

void DraggableApplicationTokenView::applyIconScale(double scale) {
    iconScale_ = scale;
    if (!icon_.isNull()) {
        // The grown icon is centred in its 34-point frame, which trims its edges at the peak.
        const int side = static_cast<int>(std::lround(iconSide * scale));
        iconView_->setPixmap(
            icon_.scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    }
}

void DraggableApplicationTokenView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF card = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    fillRounded(painter, card, 8, Palette::blueSoft());
    strokeRounded(painter, card, 8, withAlpha(Palette::blue(), 0.22), 0.5);
}
