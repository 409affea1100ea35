#pragma once

#include <QColor>
#include <QWidget>

// A container drawn as a rounded card: a fill and a hairline border.
class OnboardingCard : public QWidget {
public:
    OnboardingCard(const QColor& fill, const QColor& border, qreal radius,
                   QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor fill_;
    QColor border_;
    qreal radius_;
};
