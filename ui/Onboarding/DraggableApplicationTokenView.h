#pragma once

#include "ui/Onboarding/RunLoopTicker.h"

#include <QWidget>

class QLabel;

namespace platform {
class RunLoop;
} // namespace platform

// The app card inside the drag-the-app panel: the app's icon, its name and "Drag app". Clicks
// pass through to the panel's overlay, which runs the drag; the token plays the pick-up.
class DraggableApplicationTokenView : public QWidget {
public:
    static constexpr double pickupSeconds = 0.18;

    DraggableApplicationTokenView(const QPixmap& icon, platform::RunLoop& loop,
                                  QWidget* parent = nullptr);

    // The icon grows and settles (1.0, 1.22, 1.09 over 0.18 s), then returns to its size.
    void playDragPickupAnimation();
    // The icon's scale `seconds` into the pick-up; 1 outside it.
    static double pickupScale(double seconds);

    QLabel* iconView() const { return iconView_; }
    double iconScale() const { return iconScale_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void applyIconScale(double scale);

    platform::RunLoop& loop_;
    QLabel* iconView_;
    QPixmap icon_;
    double iconScale_ = 1.0;
    RunLoopTicker animation_;
};
