#include "platform/qt/QtRunLoop.h"

#include "platform/ThreadSerialQueue.h"

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QPointer>
#include <QTimer>

#include <algorithm>
#include <climits>

namespace platform::qt {

namespace {

// Outside any wait, at most this many items run per turn before Qt's own events get theirs, so
// a task that keeps posting itself cannot starve painting.
constexpr int stepsPerTurn = 64;

const QEvent::Type wakeEventType = static_cast<QEvent::Type>(QEvent::registerEventType());

// Whole milliseconds until `until`, rounded up so that a timer never fires early.
int millisecondsUntil(MonotonicTime until, MonotonicTime now) {
    if (until <= now) {
        return 0;
    }
    const auto span = std::chrono::ceil<std::chrono::milliseconds>(until - now).count();
    return static_cast<int>(std::min<std::int64_t>(span, INT_MAX));
}

bool isUserInput(QEvent::Type type) {
    switch (type) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TouchCancel:
    case QEvent::TabletPress:
    case QEvent::TabletMove:
    case QEvent::TabletRelease:
    case QEvent::ContextMenu:
        return true;
    default:
        return false;
    }
}

} // namespace

// Receives the wake events and owns the timer of the next due item.
class QtRunLoop::Pump : public QObject {
public:
    explicit Pump(QtRunLoop& loop) : loop_(loop) {
        timer.setSingleShot(true);
        timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer, &QTimer::timeout, this, [this] { loop_.turn(); });
    }

    bool event(QEvent* event) override {
        if (event->type() != wakeEventType) {
            return QObject::event(event);
        }
        // Put back before the turn: a turn that stops after its steps wakes the loop with it.
        loop_.spareWake_.store(new QEvent(wakeEventType));
        loop_.turn();
        return true;
    }

    QTimer timer;

private:
    QtRunLoop& loop_;
};

// Holds user input that reaches the application during a wait (Qt's own flag holds only the
// window system's input, not input posted as events) and posts it again afterwards, in order.
class QtRunLoop::InputHold : public QObject {
public:
    InputHold() { QCoreApplication::instance()->installEventFilter(this); }

    bool eventFilter(QObject* receiver, QEvent* event) override {
        if (!holding || !isUserInput(event->type())) {
            return false;
        }
        held.push_back({receiver, std::unique_ptr<QEvent>(event->clone())});
        return true;
    }

    void release() {
        std::vector<Held> released;
        released.swap(held);
        for (Held& entry : released) {
            if (entry.receiver) {
                QCoreApplication::postEvent(entry.receiver, entry.event.release());
            }
        }
    }

    bool holding = false;

private:
    struct Held {
        QPointer<QObject> receiver;
        std::unique_ptr<QEvent> event;
    };
    std::vector<Held> held;
};

QtRunLoop::QtRunLoop(Clock& clock)
    : BasicRunLoop(clock), pump_(std::make_unique<Pump>(*this)),
      inputHold_(std::make_unique<InputHold>()), spareWake_(new QEvent(wakeEventType)) {}

QtRunLoop::~QtRunLoop() {
    delete spareWake_.load();
}

void QtRunLoop::wake() {
    // Only the loop's thread makes wake events; a poster only hands the spare one over. An event
    // made on a poster's thread would reach the loop's thread through Qt's queue, whose locks
    // the thread sanitizer cannot see, and every reading of it would count as a race.
    if (QEvent* event = spareWake_.exchange(nullptr)) {
        QCoreApplication::postEvent(pump_.get(), event);
    }
}

void QtRunLoop::turn() {
    if (!waits_.empty()) {
        waits_.back()->quit();
        return;
    }
    for (int step = 0; step < stepsPerTurn; ++step) {
        if (!performOneStep()) {
            armForNextDue();
            return;
        }
    }
    wake();
}

void QtRunLoop::armForNextDue() {
    if (const auto next = nextDueTime()) {
        pump_->timer.start(millisecondsUntil(*next, clock().now()));
    } else {
        pump_->timer.stop();
    }
}

void QtRunLoop::runFor(Duration duration) {
    if (nestedRuns_++ == 0) {
        inputHold_->holding = true;
    }
    BasicRunLoop::runFor(duration);
    if (--nestedRuns_ == 0) {
        inputHold_->holding = false;
        inputHold_->release();
    }
    armForNextDue();
}

void QtRunLoop::waitUntil(std::unique_lock<std::mutex>& lock, MonotonicTime until) {
    const int milliseconds = millisecondsUntil(until, clock().now());
    lock.unlock();
    if (milliseconds > 0) {
        QEventLoop wait;
        QTimer deadline;
        deadline.setSingleShot(true);
        deadline.setTimerType(Qt::PreciseTimer);
        QObject::connect(&deadline, &QTimer::timeout, &wait, &QEventLoop::quit);
        deadline.start(milliseconds);
        waits_.push_back(&wait);
        wait.exec(QEventLoop::ExcludeUserInputEvents);
        waits_.pop_back();
    }
    lock.lock();
}

std::unique_ptr<SerialQueue> QtRunLoop::makeSerialQueue(std::string label) {
    return std::make_unique<ThreadSerialQueue>(std::move(label));
}

} // namespace platform::qt
