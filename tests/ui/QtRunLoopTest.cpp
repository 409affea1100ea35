// What only the product's loop has: it turns inside Qt's own event loop, and its waits hold
// user input until they end.
#include "platform/qt/QtRunLoop.h"
#include "platform/SystemClock.h"
#include "tests/support/UiTestApplication.h"

#include <QApplication>
#include <QEventLoop>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;

// Records the events that reach it.
class EventLog : public QObject {
public:
    explicit EventLog(std::vector<std::string>& log) : log_(log) {}

    bool event(QEvent* event) override {
        switch (event->type()) {
        case QEvent::KeyPress:
            log_.push_back("key");
            return true;
        case QEvent::MouseButtonPress:
            log_.push_back("click");
            return true;
        case QEvent::User:
            log_.push_back("other event");
            return true;
        default:
            return QObject::event(event);
        }
    }

private:
    std::vector<std::string>& log_;
};

class QtRunLoopTest : public testing::Test {
protected:
    // Made before the loop, which needs it.
    QApplication& application = tessaline::testing::uiTestApplication();
    platform::SystemClock clock;
    platform::qt::QtRunLoop loop{clock};
};

// Runs the loop in short waits until `done`; a broken loop gives up after a minute.
void runUntil(platform::qt::QtRunLoop& loop, const std::function<bool()>& done) {
    for (int turn = 0; turn < 12'000 && !done(); ++turn) {
        loop.runFor(5ms);
    }
}

// Waits that end on what happened, not on a time, so a loaded machine cannot reorder the log.
TEST_F(QtRunLoopTest, InputDuringAWaitArrivesAfterIt) {
    std::vector<std::string> log;
    EventLog receiver(log);
    loop.post([&] {
        QApplication::postEvent(&receiver, new QKeyEvent(QEvent::KeyPress, Qt::Key_A,
                                                         Qt::NoModifier, QStringLiteral("a")));
        QApplication::postEvent(&receiver, new QMouseEvent(QEvent::MouseButtonPress, QPointF(1, 1),
                                                           QPointF(1, 1), Qt::LeftButton,
                                                           Qt::LeftButton, Qt::NoModifier));
        QApplication::postEvent(&receiver, new QEvent(QEvent::User));
        // A nested wait inside the outer one, until the other event came: the input waits for
        // the outermost wait to end.
        runUntil(loop, [&] { return !log.empty(); });
        log.push_back("inner wait over");
    });
    runUntil(loop, [&] { return log.size() >= 2; });
    log.push_back("wait over");
    QApplication::processEvents();
    EXPECT_EQ(log, (std::vector<std::string>{"other event", "inner wait over", "wait over", "key",
                                             "click"}));
}

// Qt's own loop, not the run loop's waits, runs the tasks (also one posted from another thread)
// and the timer: it ends from the timer's second tick after both tasks. Waiting on that, not on
// a time, keeps a loaded machine from failing it; a broken loop ends at the safety net.
TEST_F(QtRunLoopTest, TasksAndTimersRunInQtsOwnEventLoop) {
    QEventLoop outer;
    std::vector<std::string> log;
    loop.post([&] { log.push_back("task"); });
    std::thread other([&] { loop.post([&] { log.push_back("from a thread"); }); });
    other.join();
    int ticks = 0;
    auto timer = loop.scheduleRepeatingTimer(5ms, [&] {
        if (++ticks == 2) {
            log.push_back("second tick");
            outer.quit();
        }
    });
    QTimer::singleShot(60s, &outer, &QEventLoop::quit);
    outer.exec();
    timer->invalidate();
    EXPECT_EQ(log, (std::vector<std::string>{"task", "from a thread", "second tick"}));
}

// A post from another thread wakes Qt's loop with an event made on the loop's own thread: one made
// on the poster's thread would be read here with nothing the thread sanitizer can see ordering
// the two (Qt's queue is not instrumented). Outside a wait only the wake event runs the task, and
// the poster is joined after it, so no join orders them either.
TEST_F(QtRunLoopTest, APostFromAnotherThreadWakesQtsOwnEventLoop) {
    QEventLoop outer;
    bool ran = false;
    std::thread poster([&] {
        loop.post([&] {
            ran = true;
            outer.quit();
        });
    });
    QTimer::singleShot(60s, &outer, &QEventLoop::quit);
    outer.exec();
    poster.join();
    EXPECT_TRUE(ran);
}

// Outside any wait the loop runs 64 items a turn and then lets Qt's own events have theirs; the
// next turn must come by itself, not when a timer next falls due. Nothing here waits: each pass
// of Qt's loop delivers the wake event posted before it, so a stall shows as tasks left over.
TEST_F(QtRunLoopTest, TurnsFollowOneAnotherUntilEveryTaskHasRun) {
    constexpr int tasks = 300;
    for (const bool eachPostsTheNext : {false, true}) {
        int ran = 0;
        std::function<void()> task = [&] {
            if (++ran < tasks && eachPostsTheNext) {
                loop.post(task);
            }
        };
        for (int posted = 0; posted < (eachPostsTheNext ? 1 : tasks); ++posted) {
            loop.post(task);
        }
        for (int pass = 0; pass < 50 && ran < tasks; ++pass) {
            QCoreApplication::processEvents();
        }
        EXPECT_EQ(ran, tasks) << (eachPostsTheNext ? "each posting the next" : "posted at once");
    }
}

} // namespace
