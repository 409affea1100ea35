#include "Parlowen/Scanning/ScreenProbe.h"
#include "Parlowen/Scanning/ScreenChangeObserver.h"
#include "ScanTestSupport.h"

#include <gtest/gtest.h>

#include <limits>
#include <memory>
#include <string>

namespace {

using namespace std::chrono_literals;
using platform::CGRect;
using QelCore::ScreenSnapshot;

TEST(ScreenProbe, CapturesEveryDisplayWithIndexedIds) {
    ScanTestSupport::Desktop dual(ScanTestSupport::sampleDesktopJson("dual-display"));
    const auto screens = Parlowen::ScreenProbe::captureScreens(dual.desktop.displays());
    EXPECT_EQ(Parlowen::ScreenProbe::describe(screens),
              "screen=DELL U2720Q#0\n"
              "  frame=(x:-1920, y:-1080, w:1920, h:1080)\n"
              "  visibleFrame=(x:-1920, y:-1080, w:1920, h:1056)\n"
              "  safeAreaInsets=top:0.0 left:0.0 bottom:0.0 right:0.0\n"
              "  auxiliaryTopLeftArea=(x:0, y:0, w:0, h:0)\n"
              "  auxiliaryTopRightArea=(x:0, y:0, w:0, h:0)\n"
              "screen=Built-in Retina Display#1\n"
              "  frame=(x:0, y:0, w:1512, h:982)\n"
              "  visibleFrame=(x:0, y:0, w:1512, h:950)\n"
              "  safeAreaInsets=top:32.0 left:0.0 bottom:0.0 right:0.0\n"
              "  auxiliaryTopLeftArea=(x:0, y:950, w:656, h:32)\n"
              "  auxiliaryTopRightArea=(x:856, y:950, w:656, h:32)");

    dual.desktop.setDisplays(
        {{1, "Studio Display", CGRect(0, 0, 2560, 1440), 24, std::nullopt},
         {2, "Studio Display", CGRect(2560, 0, 2560, 1440), 24, std::nullopt}});
    const auto twins = Parlowen::ScreenProbe::captureScreens(dual.desktop.displays());
    ASSERT_EQ(twins.size(), 2u);
    EXPECT_EQ(twins[0].id, "Studio Display#0");
    EXPECT_EQ(twins[1].id, "Studio Display#1");

    EXPECT_EQ(Parlowen::ScreenProbe::describe({}), "");
}

TEST(ScreenProbe, PrintsNumbersTruncatedAndWithoutUndefinedConversions) {
    constexpr double infinity = std::numeric_limits<double>::infinity();
    constexpr double nan = std::numeric_limits<double>::quiet_NaN();
    struct Row {
        const char* name;
        CGRect frame;
        QelCore::EdgeInsetsSnapshot insets;
        std::string frameText;
        std::string insetsText;
    };
    const std::vector<Row> rows = {
        {"fractions toward zero",
         CGRect(-0.5, -1439.5, 1511.9, 32.99),
         {32, 0, 0.5, 12.25},
         "(x:0, y:-1439, w:1511, h:32)",
         "top:32.0 left:0.0 bottom:0.5 right:12.25"},
        {"huge values printed whole",
         CGRect(1e20, -1e20, 4294967296.5, 0),
         {1e17, 1e-5, 0.0001, 123456.0},
         "(x:100000000000000000000, y:-100000000000000000000, w:4294967296, h:0)",
         "top:1e+17 left:1e-05 bottom:0.0001 right:123456.0"},
        {"non-finite",
         CGRect(nan, infinity, -infinity, 1),
         {nan, infinity, -infinity, -0.0},
         "(x:nan, y:inf, w:-inf, h:1)",
         "top:nan left:inf bottom:-inf right:-0.0"},
    };
    for (const Row& row : rows) {
        const ScreenSnapshot screen{"S#0",      row.frame,      row.frame,
                                    row.insets, CGRect::zero(), CGRect::zero()};
        const std::string frameText = row.frameText;
        EXPECT_EQ(Parlowen::ScreenProbe::describe({screen}),
                  "screen=S#0\n  frame=" + frameText + "\n  visibleFrame=" + frameText +
                      "\n  safeAreaInsets=" + row.insetsText +
                      "\n  auxiliaryTopLeftArea=(x:0, y:0, w:0, h:0)"
                      "\n  auxiliaryTopRightArea=(x:0, y:0, w:0, h:0)")
            << row.name;
    }
}

struct ObserverDesktop : ScanTestSupport::Desktop {
    ObserverDesktop() : VirtualDesktop(ScanTestSupport::sampleDesktopJson("external-plain")) {}

    void changeDisplays() {
        desktop.setDisplays({{1, "LG UltraFine", CGRect(0, 0, 2560, 1440), 24, std::nullopt}});
    }
    std::unique_ptr<Parlowen::ScreenChangeObserver> startedObserver(int& calls) {
        auto observer = std::make_unique<Parlowen::ScreenChangeObserver>(desktop.displays(), loop);
        observer->onChange = [&calls] { ++calls; };
        observer->start();
        return observer;
    }
};

TEST(ScreenChangeObserver, EveryStartedObserverHearsEachChangeAsALaterTask) {
    ObserverDesktop fixture;
    int firstCalls = 0;
    int secondCalls = 0;
    const auto first = fixture.startedObserver(firstCalls);
    const auto second = fixture.startedObserver(secondCalls);
    fixture.changeDisplays();
    EXPECT_EQ(firstCalls, 0) << "never inside the changing call";
    fixture.loop.runFor(10ms);
    // One display replaced by one: the notification and a before and after callback for each.
    EXPECT_GT(firstCalls, 1);
    EXPECT_EQ(secondCalls, firstCalls) << "starting a second observer cuts nobody off";

    const int before = firstCalls;
    first->start();
    fixture.changeDisplays();
    fixture.loop.runFor(10ms);
    EXPECT_EQ(firstCalls - before, secondCalls - before) << "a restart does not register twice";
}

TEST(ScreenChangeObserver, DestroyedOrUnstartedObserversAreNeverCalled) {
    ObserverDesktop fixture;
    int destroyedCalls = 0;
    int unstartedCalls = 0;
    auto destroyed = fixture.startedObserver(destroyedCalls);
    Parlowen::ScreenChangeObserver unstarted(fixture.desktop.displays(), fixture.loop);
    unstarted.onChange = [&unstartedCalls] { ++unstartedCalls; };
    fixture.changeDisplays();
    destroyed.reset(); // with deliveries already queued
    fixture.loop.runFor(10ms);
    fixture.changeDisplays();
    fixture.loop.runFor(10ms);
    EXPECT_EQ(destroyedCalls, 0);
    EXPECT_EQ(unstartedCalls, 0);

    int withoutHandlerCalls = 0;
    Parlowen::ScreenChangeObserver withoutHandler(fixture.desktop.displays(), fixture.loop);
    withoutHandler.start();
    fixture.changeDisplays();
    fixture.loop.runFor(10ms);
    withoutHandler.onChange = [&withoutHandlerCalls] { ++withoutHandlerCalls; };
    fixture.changeDisplays();
    fixture.loop.runFor(10ms);
    EXPECT_GT(withoutHandlerCalls, 0) << "a handler set after start is called";
}

TEST(ScreenChangeObserver, HandlerMayReplaceItselfOrDestroyItsObserver) {
    ObserverDesktop fixture;
    // Each handler reads what it captured after the deed, which would be freed memory if it
    // ran in place.
    const std::string captured(64, 'x');
    std::size_t replacedCalls = 0;
    int replacementCalls = 0;
    auto replacing =
        std::make_unique<Parlowen::ScreenChangeObserver>(fixture.desktop.displays(), fixture.loop);
    replacing->onChange = [&, captured] {
        replacing->onChange = [&replacementCalls] { ++replacementCalls; };
        replacedCalls += captured.size();
    };
    replacing->start();

    std::size_t destroyingCalls = 0;
    auto destroying =
        std::make_unique<Parlowen::ScreenChangeObserver>(fixture.desktop.displays(), fixture.loop);
    destroying->onChange = [&, captured] {
        destroying.reset();
        destroyingCalls += captured.size();
    };
    destroying->start();

    fixture.changeDisplays();
    fixture.loop.runFor(10ms);
    EXPECT_EQ(replacedCalls, captured.size()) << "the first handler ran once";
    EXPECT_GT(replacementCalls, 0) << "its replacement heard the rest of the burst";
    EXPECT_EQ(destroyingCalls, captured.size()) << "a destroyed observer hears nothing more";
    EXPECT_EQ(destroying, nullptr);
}

} // namespace
