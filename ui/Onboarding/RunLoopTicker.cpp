#include "ui/Onboarding/RunLoopTicker.h"

#include "platform/RunLoop.h"

#include <QObject>

#include <chrono>

RunLoopTicker::RunLoopTicker(platform::RunLoop& loop, platform::Duration interval)
    : loop_(loop), interval_(interval) {}

RunLoopTicker::~RunLoopTicker() {
    stop();
}

platform::Duration RunLoopTicker::seconds(double seconds) {
    return std::chrono::duration_cast<platform::Duration>(std::chrono::duration<double>(seconds));
}

void RunLoopTicker::startIfNeeded(QObject* owner, std::function<void()> tick) {
    if (timer_) {
        return;
    }
    restart(owner, std::move(tick));
}

void RunLoopTicker::restart(QObject* owner, std::function<void()> tick) {
    stop();
    timer_ = loop_.scheduleRepeatingTimer(
        interval_, [guard = QPointer<QObject>(owner), tick = std::move(tick)] {
            if (guard) {
                tick();
            }
        });
}

void RunLoopTicker::stop() {
    if (timer_) {
        timer_->invalidate();
        timer_.reset();
    }
}
