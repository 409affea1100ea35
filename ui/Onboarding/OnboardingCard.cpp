#include "ui/Onboarding/OnboardingCard.h"

#include "ui/Onboarding/OnboardingPainting.h"

#include <QPainter>

OnboardingCard::OnboardingCard(const QColor& fill, const QColor& border, qreal radius,
                               QWidget* parent)
    : QWidget(parent), fill_(fill), border_(border), radius_(radius) {}

void OnboardingCard::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF card = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    OnboardingPainting::fillRounded(painter, card, radius_, fill_);
    OnboardingPainting::strokeRounded(painter, card, radius_, border_, 0.5);
}
