#include "ui/Desktop/DesktopWindow.h"
#include "platform/sim/SimAppServices.h"
#include "platform/sim/SimulatedDesktop.h"
#include "tests/support/KeySender.h"
#include "tests/support/SampleDesktops.h"
#include "tests/support/UiTestApplication.h"
#include "tests/support/VirtualDesktop.h"
#include "ui/Desktop/DesktopScene.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QWindow>

#include <algorithm>
#include <functional>
#include <utility>
#include <vector>

namespace {

const std::string desktopJson = R"({
  "name": "window",
  "displays": [{"id": 1, "name": "Built-in", "frame": {"x": 0, "y": 0, "width": 1000, "height": 700},
                "notch": {"width": 200, "height": 32}}],
  "ownProcess": {"pid": 100, "name": "Tessaline", "activationPolicy": "accessory"},
  "apps": [{"pid": 201, "name": "Clock", "activationPolicy": "accessory"},
           {"pid": 202, "name": "Wifi", "activationPolicy": "accessory"}],
  "statusItems": [
    {"id": "clock", "pid": 201, "width": 80,
     "menu": {"opensOn": ["click"], "notification": "none", "items": ["Open Date & Time"]}},
    {"id": "wifi", "pid": 202, "width": 40}
  ]
})";

struct DesktopWindowTest : ::testing::Test {
    TestSupport::VirtualDesktop desk{desktopJson};
    DesktopWindow* window = nullptr;

    void SetUp() override {
        tessaline::testing::uiTestApplication();
        window = new DesktopWindow(desk.desktop);
        window->show();
    }
    void TearDown() override { delete window; }

    QPoint centreOf(std::string_view id) {
        const auto frame = desk.desktop.statusItemFrame(id);
        EXPECT_TRUE(frame);
        return QPoint(static_cast<int>(frame->origin.x + frame->size.width / 2),
                      static_cast<int>(frame->origin.y + frame->size.height / 2));
    }
};

// The title names the open menu, so a person (or a script) sees which one is open. Escape, or
// a click on the item again, closes it.
TEST_F(DesktopWindowTest, AClickOpensAMenuAndEscapeOrASecondClickClosesIt) {
    QTest::mouseClick(window, Qt::LeftButton, Qt::NoModifier, centreOf("clock"));
    EXPECT_TRUE(desk.desktop.isMenuOpen("clock"));
    window->refresh();
    EXPECT_EQ(window->windowTitle(), "Simulated desktop: window, menu of Clock open");
    QTest::keyClick(window, Qt::Key_Escape);
    EXPECT_FALSE(desk.desktop.isMenuOpen("clock"));
    window->refresh();
    EXPECT_EQ(window->windowTitle(), "Simulated desktop: window");

    QTest::mouseClick(window, Qt::LeftButton, Qt::NoModifier, centreOf("clock"));
    ASSERT_TRUE(desk.desktop.isMenuOpen("clock"));
    QTest::mouseClick(window, Qt::LeftButton, Qt::NoModifier, centreOf("clock"));
    EXPECT_FALSE(desk.desktop.isMenuOpen("clock"));
}

TEST_F(DesktopWindowTest, ACtrlDragMovesAnItemAlongTheBar) {
    const double before = desk.desktop.statusItemFrame("wifi")->origin.x;
    const QPoint from = centreOf("clock");
    QTest::mousePress(window, Qt::LeftButton, Qt::ControlModifier, from);
    QMouseEvent move(QEvent::MouseMove, QPointF(from + QPoint(-200, 0)),
                     window->mapToGlobal(QPointF(from + QPoint(-200, 0))), Qt::NoButton,
                     Qt::LeftButton, Qt::ControlModifier);
    QApplication::sendEvent(window, &move);
    QTest::mouseRelease(window, Qt::LeftButton, Qt::ControlModifier, from + QPoint(-200, 0));
    EXPECT_FALSE(desk.desktop.isMenuOpen("clock"));
    EXPECT_NE(desk.desktop.statusItemFrame("wifi")->origin.x, before);
}

TEST_F(DesktopWindowTest, TheControlsActOnTheDesktopAndClosingReportsIt) {
    auto* accessibility = window->findChild<QCheckBox*>("desktop.controls.accessibility");
    ASSERT_NE(accessibility, nullptr);
    accessibility->setChecked(false);
    EXPECT_FALSE(desk.desktop.menuBarState().trusted);

    bool reopened = false;
    window->onReopen = [&] { reopened = true; };
    window->findChild<QPushButton*>("desktop.controls.reopen")->click();
    EXPECT_TRUE(reopened);

    window->findChild<QPushButton*>("desktop.controls.quit")->click();
    EXPECT_FALSE(desk.desktop.statusItemFrame("clock"));
    window->findChild<QPushButton*>("desktop.controls.launch")->click();
    EXPECT_TRUE(desk.desktop.statusItemFrame("clock"));

    bool closed = false;
    window->onClosed = [&] { closed = true; };
    window->close();
    EXPECT_TRUE(closed);
}

// Whatever the displays, the window is as wide as the primary display's bar, or as the screen
// allows, and shows this program's own item, scrolling the bar when the screen is narrower. The
// offscreen screen (offscreen-screen.json) is wider than a built-in display and narrower than an
// external one, so that a change of displays shows in the window's width.
TEST(DesktopWindowDisplays, TheWindowFollowsTheBarsWidthAndKeepsTheOwnItemInView) {
    tessaline::testing::uiTestApplication();
    for (const char* name : {"notched-crowded", "external-plain", "dual-display"}) {
        TestSupport::VirtualDesktop desk(SampleDesktops::sampleDesktopText(name));
        const auto own = desk.desktop.appServices().statusBar.statusItemWithLength(
            platform::NSVariableStatusItemLength);
        DesktopWindow window(desk.desktop);
        window.show();
        const int screenWidth = window.screen()->availableGeometry().width();
        ASSERT_TRUE(screenWidth > 1512 && screenWidth < 1920)
            << "the test runs on the offscreen screen of tests/app/offscreen-screen.json";
        auto* displays = window.findChild<QComboBox*>("desktop.controls.displays");
        for (int choice = 0; choice < displays->count(); ++choice) {
            emit displays->activated(choice);
            desk.loop.runFor(std::chrono::milliseconds(1));
            QApplication::processEvents();
            const auto state = desk.desktop.menuBarState();
            const int barWidth =
                static_cast<int>(platform::sim::primaryDisplay(state.displays)->frame.size.width);
            EXPECT_EQ(window.width(), std::min(barWidth, screenWidth))
                << name << ", choice " << choice;
            const auto item = std::find_if(state.items.begin(), state.items.end(),
                                           [](const auto& shown) { return shown.ownItem; });
            ASSERT_NE(item, state.items.end());
            const qreal offset = DesktopScene::horizontalOffset(state, window.width());
            EXPECT_GE(item->axFrame.minX() - offset, 0) << name << ", choice " << choice;
            EXPECT_LE(item->axFrame.maxX() - offset, window.width())
                << name << ", choice " << choice;
        }
    }
}

// Counts the window's paint events.
struct PaintCounter : QObject {
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        paints += event->type() == QEvent::Paint ? 1 : 0;
        return false;
    }
};

// The window draws again only when the desktop's picture changed: setting the badge the item
// already shows, or time passing, costs no drawing.
TEST_F(DesktopWindowTest, OnlyAChangedDesktopIsDrawnAgain) {
    auto item = desk.desktop.appServices().statusBar.statusItemWithLength(
        platform::NSVariableStatusItemLength);
    item->setTitle(" 2");
    window->ownItemTitle = [&] { return item->title(); };
    PaintCounter counter;
    window->installEventFilter(&counter);
    const auto settle = [&] {
        desk.loop.runFor(std::chrono::seconds(1));
        QApplication::processEvents();
        return std::exchange(counter.paints, 0);
    };
    settle();

    const struct {
        const char* name;
        std::function<void()> change;
        bool drawn;
    } steps[] = {
        {"nothing", [] {}, false},
        {"the same badge", [&] { item->setTitle(" 2"); }, false},
        {"a new badge", [&] { item->setTitle(" 3"); }, true},
        {"a menu opened by a posted click",
         [&] { QTest::mouseClick(window, Qt::LeftButton, Qt::NoModifier, centreOf("clock")); },
         true},
        {"trust revoked", [&] { desk.desktop.setTrusted(false); }, true},
    };
    for (const auto& step : steps) {
        step.change();
        EXPECT_EQ(settle() > 0, step.drawn) << step.name;
    }
    window->removeEventFilter(&counter);
}

// A modifier let go where no window of the program saw it (its window closed, or the pointer
// was over another program) is let go on the simulated keyboard once a window of the program
// gains or loses the keyboard, through the monitors of whoever has it then; a modifier the
// window system still holds stays held. The pointer moving with no key held is how the window
// system tells the offscreen platform that the keys are up.
TEST_F(DesktopWindowTest, AModifierLetGoUnseenIsLetGoWhenTheKeyboardMoves) {
    using namespace platform;
    QWidget own; // a window of the program
    own.resize(200, 100);
    auto& monitors = desk.desktop.appServices().eventMonitors;
    std::vector<std::pair<bool, NSEvent>> seen; // local?, event
    const ObserverToken local =
        monitors.addLocalMonitor(NSEventMaskFlagsChanged, [&](const NSEvent& event) {
            seen.emplace_back(true, event);
            return std::optional(event);
        });
    const ObserverToken global = monitors.addGlobalMonitor(
        NSEventMaskFlagsChanged, [&](const NSEvent& event) { seen.emplace_back(false, event); });
    const struct {
        const char* name;
        QWidget* from;
        QWidget* to;
        Qt::Key key;
        Qt::KeyboardModifier modifier;
        CGKeyCode keyCode;
        bool letGo;
    } rows[] = {
        {"Ctrl let go, the desktop gains the keyboard", &own, window, Qt::Key_Control,
         Qt::ControlModifier, kVK_Command, true},
        {"Alt let go, the program gains the keyboard", window, &own, Qt::Key_Alt, Qt::AltModifier,
         kVK_Option, true},
        {"Meta let go, the desktop gains the keyboard", &own, window, Qt::Key_Meta,
         Qt::MetaModifier, kVK_Control, true},
        {"Shift still held", &own, window, Qt::Key_Shift, Qt::ShiftModifier, kVK_Shift, false},
    };
    for (const auto& row : rows) {
        ASSERT_TRUE(tessaline::testing::showAndActivate(*row.from)) << row.name;
        QTest::keyPress(row.from->windowHandle(), row.key, row.modifier);
        if (row.letGo) {
            QTest::mouseMove(row.from->windowHandle());
        }
        desk.loop.runFor(std::chrono::milliseconds(0));
        seen.clear();
        ASSERT_TRUE(tessaline::testing::showAndActivate(*row.to)) << row.name;
        desk.loop.runFor(std::chrono::milliseconds(0));
        if (row.letGo) {
            ASSERT_EQ(seen.size(), 1U) << row.name;
            EXPECT_EQ(seen[0].first, row.to == &own) << row.name << ": whose monitors";
            EXPECT_EQ(seen[0].second.keyCode, row.keyCode) << row.name;
            EXPECT_EQ(seen[0].second.modifierFlags, 0U) << row.name;
        } else {
            EXPECT_TRUE(seen.empty()) << row.name;
            // Let go now, as the window system delivers it.
            QTest::keyRelease(row.to->windowHandle(), row.key, row.modifier);
            desk.loop.runFor(std::chrono::milliseconds(0));
            EXPECT_EQ(seen.size(), 1U) << row.name << ": held until let go";
        }
    }
    monitors.removeMonitor(local);
    monitors.removeMonitor(global);
}

// A window handed the keyboard that closes before it has taken it hands it on as well: closing
// two windows at once leaves the keyboard with the desktop window, not with a closed one.
TEST_F(DesktopWindowTest, AWindowClosedBeforeTakingTheKeyboardHandsItOn) {
    ASSERT_TRUE(tessaline::testing::showAndActivate(*window));
    QWidget first;
    QWidget second;
    ASSERT_TRUE(tessaline::testing::showAndActivate(first));
    ASSERT_TRUE(tessaline::testing::showAndActivate(second));
    second.close();
    first.close();
    EXPECT_TRUE(QTest::qWaitForWindowActive(window));
    EXPECT_EQ(QApplication::focusWidget(), window);
}

} // namespace
