#pragma once

#include "Parlowen/Onboarding/AccessibilityPermissionPreviewPhase.h"
#include "ui/Onboarding/RunLoopTicker.h"

#include <QPointF>
#include <QRectF>
#include <QWidget>

namespace platform {
class RunLoop;
class Workspace;
} // namespace platform

// The drawn System Settings Accessibility pane of the permission page: a pointer glides from
// the sidebar to the app's switch, the switch turns on and a pulse rings the row, in a loop
// that the run loop ticks only while the page shows it. With reduce motion it holds the
// finished picture and starts no timer.
class AccessibilityPermissionPreviewView : public QWidget {
public:
    static constexpr int sidebarWidth = 136;

    // Where everything sits in a view of a given size; painting only reads it.
    struct Geometry {
        QRectF background;
        QRectF window;
        QRectF titleBand;
        QRectF sidebar;
        QRectF searchField;
        QRectF selectedRow;
        QRectF pane;
        QRectF appRow;
        QRectF appSwitch;
        QPointF pointerStart;
        QPointF pointerEnd;
    };
    static Geometry geometry(const QSizeF& size);

    // `loop` runs the ticks and `workspace` answers reduce motion; both outlive the view.
    AccessibilityPermissionPreviewView(platform::RunLoop& loop, platform::Workspace& workspace,
                                       QWidget* parent = nullptr);

    // The permission page is shown: the still start again, then the loop (or, with reduce
    // motion, the finished picture and no timer).
    void restartAnimationAfterInitialDelay();
    // The value page is shown: no timer, back to the start.
    void suspendAnimation();

    double animationPhase() const { return phase_.animationPhase; }
    int remainingInitialDelayTicks() const { return phase_.remainingInitialDelayTicks; }
    bool isTimerRunning() const { return ticker_.isRunning(); }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void startTimerIfNeeded();
    void tick();
    bool reduceMotion() const;

    platform::Workspace& workspace_;
    Parlowen::AccessibilityPermissionPreviewPhase phase_;
    RunLoopTicker ticker_;
};
