#include "PanelTestSupport.h"
#include "ui/QuickOpenPanel/OverflowRowHotKeyButton.h"
#include "ui/QuickOpenPanel/PanelScopeControl.h"
#include "ui/QuickOpenPanel/PanelSymbols.h"
#include "ui/QuickOpenPanel/SampleAppIconFactory.h"

#include <QKeyEvent>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using Parlowen::OverflowPanelScope;
using namespace PanelTesting;

TEST(PanelScopeControl, ClickOnTheOtherHalfSwitchesOnlyThen) {
    application();
    PanelScopeControl control;
    control.resize(408, PanelScopeControl::controlHeight);
    std::vector<OverflowPanelScope> changes;
    control.onChange = [&](OverflowPanelScope scope) { changes.push_back(scope); };
    control.show();

    QTest::mouseClick(&control, Qt::LeftButton, {}, QPoint(50, 12));
    EXPECT_TRUE(changes.empty());
    QTest::mouseClick(&control, Qt::LeftButton, {}, QPoint(300, 12));
    EXPECT_EQ(changes, std::vector{OverflowPanelScope::allRightSide});
    EXPECT_EQ(control.selectedScope, OverflowPanelScope::allRightSide);
    QTest::mouseClick(&control, Qt::LeftButton, {}, QPoint(203, 12));
    EXPECT_EQ(changes.back(), OverflowPanelScope::hiddenOnly);
}

TEST(PanelScopeControl, PillSitsInTheSelectedHalf) {
    const QRectF bounds(0, 0, 200, 25);
    const auto hidden = PanelScopeControl::geometry(bounds, OverflowPanelScope::hiddenOnly);
    EXPECT_EQ(hidden.track, QRectF(0, 0.5, 200, 24));
    EXPECT_EQ(hidden.selectedPill, QRectF(2, 2.5, 98, 20));
    const auto all = PanelScopeControl::geometry(bounds, OverflowPanelScope::allRightSide);
    EXPECT_EQ(all.selectedPill, QRectF(100, 2.5, 98, 20));
}

TEST(SampleAppIconFactory, InitialsAndColours) {
    application();
    const std::pair<const char*, const char*> rows[] = {
        {"1Password", "1P"},
        {"1Password 7", "1P"},
        {"Google Drive", "GD"},
        {"Dropbox", "D"},
        {"", "?"},
        {"   ", "?"},
        {"\u00E9lan vital", "\u00E9v"},
        {"memory  monitor", "mm"},
        {"\U0001F44D\U0001F3FDApp", "\U0001F44D\U0001F3FD"},
        {"\U0001F600 Face", "\U0001F600F"},
    };
    for (const auto& [name, initials] : rows) {
        EXPECT_EQ(SampleAppIconFactory::initials(QString::fromUtf8(name)),
                  QString::fromUtf8(initials))
            << name;
    }
    EXPECT_EQ(SampleAppIconFactory::color("Tailscale"), QColor(11, 132, 229));
    EXPECT_EQ(SampleAppIconFactory::color("Dropbox"), QColor(19, 174, 117));
    EXPECT_EQ(SampleAppIconFactory::icon("Dropbox").size(), QSize(30, 30));
}

TEST(PanelSymbols, EverySymbolOfThePanelLoads) {
    application();
    for (const char* name :
         {"arrow.clockwise", "gearshape", "star", "star.fill", "keyboard", "command",
          "checkmark.circle", "magnifyingglass", "person.crop.circle.badge.exclamationmark"}) {
        const QPixmap image = PanelSymbols::image(name, 14, Qt::red);
        ASSERT_FALSE(image.isNull()) << name;
        EXPECT_EQ(image.size(), QSize(14, 14)) << name;
    }
    EXPECT_TRUE(PanelSymbols::image("no.such.symbol", 14, Qt::red).isNull());
}

} // namespace

namespace {

TEST(OverflowRowHotKeyButton, TakesOnlyChordsWithAModifier) {
    application();
    OverflowRowHotKeyButton button;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> captured;
    button.onCapture = [&](std::uint32_t key, std::uint32_t modifiers) {
        captured.emplace_back(key, modifiers);
    };
    const auto press = [&](Qt::Key key, Qt::KeyboardModifiers modifiers) {
        QKeyEvent event(QEvent::KeyPress, key, modifiers);
        QCoreApplication::sendEvent(&button, &event);
        return event.isAccepted();
    };
    // Escape alone is the panel's; with Shift it is a chord (Escape 53, Carbon Shift 0x200).
    EXPECT_FALSE(press(Qt::Key_Escape, Qt::NoModifier));
    EXPECT_TRUE(press(Qt::Key_Escape, Qt::ShiftModifier));
    // Ctrl is Command: Command-W closes the window instead.
    EXPECT_FALSE(press(Qt::Key_W, Qt::ControlModifier));
    EXPECT_TRUE(press(Qt::Key_W, Qt::ControlModifier | Qt::ShiftModifier));
    EXPECT_EQ(captured, (std::vector<std::pair<std::uint32_t, std::uint32_t>>{
                            {53, 0x200}, {13, 0x100 | 0x200}}));
}

} // namespace
