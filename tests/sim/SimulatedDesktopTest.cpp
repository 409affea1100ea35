#include "SimTestSupport.h"

#include "core/OverflowClassifier.h"
#include "core/ScreenCoordinateConverter.h"

#include <gtest/gtest.h>

namespace platform::sim {
namespace {

using Placement = StatusBarLayout::Placement;

CGPoint centre(const CGRect& rect) {
    return {rect.midX(), rect.midY()};
}

void post(SimulatedDesktop& desktop, CGEventType type, CGPoint point, CGEventFlags flags = 0) {
    CGEvent event = *desktop.events().createMouseEvent(nullptr, type, point, kCGMouseButtonLeft);
    event.flags = flags;
    desktop.events().post(kCGHIDEventTap, event);
}

// Notes "launch <name>" and "quit <name>" as the workspace reports them.
void hearLaunchesAndQuits(Workspace& workspace, std::vector<std::string>& heard) {
    workspace.addLaunchObserver(
        [&](const RunningApplication& app) { heard.push_back("launch " + *app.localizedName); });
    workspace.addTerminateObserver(
        [&](const RunningApplication& app) { heard.push_back("quit " + *app.localizedName); });
}

QelCore::ScreenSnapshot snapshot(const Screen& screen) {
    return {screen.localizedName,
            screen.frame,
            screen.visibleFrame,
            {screen.safeAreaInsets.top, screen.safeAreaInsets.left, screen.safeAreaInsets.bottom,
             screen.safeAreaInsets.right},
            screen.auxiliaryTopLeftArea.value_or(CGRect::zero()),
            screen.auxiliaryTopRightArea.value_or(CGRect::zero())};
}

TEST(SimulatedDesktop, SampleDesktopsHideTheItemsTheyExpect) {
    for (const char* name : {"notched-crowded", "external-plain", "dual-display"}) {
        VirtualDesktop sample(name);
        SimulatedDesktop& desktop = sample.desktop;
        const DesktopDescription& description = desktop.initialDescription();
        EXPECT_EQ(desktop.statusItemIds(Placement::hiddenBehindNotch),
                  description.expectedHiddenBehindNotch)
            << name;
        EXPECT_EQ(desktop.statusItemIds(Placement::pushedOffscreen),
                  description.expectedPushedOffscreen)
            << name;
        // The program's own classifier agrees with the desktop on every item.
        std::vector<QelCore::ScreenSnapshot> screens;
        for (const Screen& screen : desktop.displays().screens()) {
            screens.push_back(snapshot(screen));
        }
        const auto primary = *QelCore::ScreenCoordinateConverter::primaryScreen(screens);
        for (const StatusItemDescription& item : description.statusItems) {
            const CGRect cocoa = QelCore::ScreenCoordinateConverter::axRectToCocoa(
                *desktop.statusItemFrame(item.id), primary.frame.height());
            const auto expected = *desktop.placement(item.id);
            const auto classified = QelCore::OverflowClassifier::classify(cocoa, primary);
            EXPECT_EQ(static_cast<int>(classified),
                      static_cast<int>(expected == Placement::visible
                                           ? QelCore::VisibilityClassification::visible
                                       : expected == Placement::hiddenBehindNotch
                                           ? QelCore::VisibilityClassification::hiddenBehindNotch
                                           : QelCore::VisibilityClassification::pushedOffscreen))
                << name << " " << item.id;
        }
    }
    const DesktopDescription crowded = SimulatedDesktop::defaultDescription();
    EXPECT_GE(crowded.expectedHiddenBehindNotch.size(), 3U);
    EXPECT_GE(crowded.expectedPushedOffscreen.size(), 3U);
}

TEST(SimulatedDesktop, ClickOpensOnlyAVisibleItemsMenu) {
    VirtualDesktop sample;
    SimulatedDesktop& desktop = sample.desktop;
    struct Row {
        const char* name;
        std::string id;
        bool opens;
    };
    // An item wholly behind the notch (the first one reaches out to its right).
    const std::string hidden = desktop.initialDescription().expectedHiddenBehindNotch.at(1);
    const std::string offscreen = desktop.initialDescription().expectedPushedOffscreen.front();
    const std::vector<Row> rows = {{"behind the notch", hidden, false},
                                   {"pushed off screen", offscreen, false},
                                   {"visible clock", "clock", true}};
    for (const Row& row : rows) {
        post(desktop, kCGEventKeyDown, {}, 0);
        const CGRect frame = *desktop.statusItemFrame(row.id);
        const CGPoint point{std::max(frame.midX(), frame.minX()), frame.midY()};
        post(desktop, kCGEventLeftMouseDown, point);
        post(desktop, kCGEventLeftMouseUp, point);
        EXPECT_EQ(desktop.isMenuOpen(row.id), row.opens) << row.name;
    }
    // The open menu shows as a window and as an "AXMenu" child of the item.
    ASSERT_TRUE(desktop.isMenuOpen("clock"));
    const Value windows = desktop.windowServer().copyWindowInfo(
        kCGWindowListOptionOnScreenOnly | kCGWindowListExcludeDesktopElements, kCGNullWindowID);
    const Value& first = windows.list()->front();
    EXPECT_EQ(*first.find(kCGWindowOwnerName)->string(), "Control Center");
    EXPECT_EQ(first.find(kCGWindowLayer)->integer(), 101);
    Accessibility& ax = desktop.accessibility();
    const auto children =
        ax.copyAttributeValue(*desktop.statusItemElement("clock"), kAXChildrenAttribute)
            .value.elements();
    ASSERT_EQ(children->size(), 1U);
    EXPECT_EQ(*ax.copyAttributeValue(children->front(), kAXRoleAttribute).value.string(), "AXMenu");
    // Escape closes it.
    CGEvent escape = *desktop.events().createKeyboardEvent(nullptr, kVK_Escape, true);
    desktop.events().post(kCGHIDEventTap, escape);
    EXPECT_FALSE(desktop.isMenuOpen("clock"));
}

TEST(SimulatedDesktop, CommandDragBringsAHiddenItemIntoView) {
    VirtualDesktop sample;
    SimulatedDesktop& desktop = sample.desktop;
    // The hidden item nearest the notch's right edge, and its visible neighbour on the right.
    const std::vector<std::string> hidden = desktop.statusItemIds(Placement::hiddenBehindNotch);
    const std::string target = hidden.front();
    const auto& items = desktop.initialDescription().statusItems;
    auto at = std::find_if(items.begin(), items.end(),
                           [&](const StatusItemDescription& i) { return i.id == target; });
    const std::string neighbour = std::prev(at)->id;
    ASSERT_EQ(desktop.placement(neighbour), Placement::visible);

    const CGPoint start = centre(*desktop.statusItemFrame(neighbour));
    const CGPoint end{desktop.statusItemFrame(target)->minX() - 8, start.y};
    post(desktop, kCGEventLeftMouseDown, start, kCGEventFlagMaskCommand);
    post(desktop, kCGEventLeftMouseDragged, end, kCGEventFlagMaskCommand);
    post(desktop, kCGEventLeftMouseUp, end, kCGEventFlagMaskCommand);

    EXPECT_EQ(desktop.placement(target), Placement::visible);
    EXPECT_FALSE(desktop.isMenuOpen(neighbour));
    EXPECT_LT(desktop.statusItemFrame(neighbour)->maxX(),
              desktop.statusItemFrame(target)->minX() + 1);
    EXPECT_EQ(desktop.record().events.size(), 3U);
}

// A drop right of a neighbour's centre, still inside it, places the item on that neighbour's
// right: the neighbour's centre, not its edge, decides the side.
TEST(SimulatedDesktop, CommandDropBetweenANeighboursCentreAndRightEdgeLandsRightOfIt) {
    VirtualDesktop sample;
    SimulatedDesktop& desktop = sample.desktop;
    const std::vector<std::string> visible = desktop.statusItemIds(Placement::visible);
    ASSERT_GE(visible.size(), 4u);
    // Right to left: the right item, the neighbour, and the item dragged from further left.
    const std::string right = visible[0];
    const std::string neighbour = visible[1];
    const std::string dragged = visible[3];
    const CGRect neighbourFrame = *desktop.statusItemFrame(neighbour);
    const CGPoint start = centre(*desktop.statusItemFrame(dragged));
    const CGPoint drop{neighbourFrame.midX() + neighbourFrame.width() / 4, start.y};
    ASSERT_LT(drop.x, neighbourFrame.maxX());
    post(desktop, kCGEventLeftMouseDown, start, kCGEventFlagMaskCommand);
    post(desktop, kCGEventLeftMouseDragged, drop, kCGEventFlagMaskCommand);
    post(desktop, kCGEventLeftMouseUp, drop, kCGEventFlagMaskCommand);

    const std::vector<std::string> after = desktop.statusItemIds(Placement::visible);
    ASSERT_GE(after.size(), 3u);
    EXPECT_EQ(std::vector<std::string>(after.begin(), after.begin() + 3),
              (std::vector<std::string>{right, dragged, neighbour}));
}

TEST(SimulatedDesktop, ObserversHearNotificationsOnlyWhileTheirLoopRuns) {
    VirtualDesktop sample;
    SimulatedDesktop& desktop = sample.desktop;
    Accessibility& ax = desktop.accessibility();
    const AXUIElement clock = *desktop.statusItemElement("clock");
    std::vector<std::string> heard;
    auto observer = ax.createObserver(
        clock.pid(), [&](const AXUIElement&, const std::string& name) { heard.push_back(name); });
    ASSERT_NE(observer, nullptr);
    const AXUIElement app = ax.createApplication(clock.pid());
    EXPECT_EQ(observer->addNotification(app, kAXMenuOpenedNotification), kAXErrorSuccess);
    EXPECT_EQ(observer->addNotification(app, kAXMenuOpenedNotification),
              kAXErrorNotificationAlreadyRegistered);

    EXPECT_EQ(ax.performAction(clock, kAXPressAction), kAXErrorSuccess);
    sample.clock.sleep(std::chrono::seconds(1));
    EXPECT_TRUE(heard.empty()) << "delivered while no loop holds the source";

    sample.loop.runFor(std::chrono::milliseconds(25));
    EXPECT_TRUE(heard.empty()) << "delivered while the source is on no loop";
    sample.loop.addSource(observer->runLoopSource());
    sample.loop.runFor(std::chrono::milliseconds(25));
    EXPECT_EQ(heard, std::vector<std::string>{"AXMenuOpened"});
    sample.loop.removeSource(observer->runLoopSource());
}

TEST(SimulatedDesktop, ActionsAnswerWithMacOSResultCodes) {
    VirtualDesktop sample;
    SimulatedDesktop& desktop = sample.desktop;
    Accessibility& ax = desktop.accessibility();
    const auto& items = desktop.initialDescription().statusItems;
    auto withQuirk = [&](const std::string& action, ActionQuirk::Kind kind) {
        for (const auto& item : items) {
            auto quirk = item.actionQuirks.find(action);
            if (quirk != item.actionQuirks.end() && quirk->second.kind == kind) {
                return *desktop.statusItemElement(item.id);
            }
        }
        return AXUIElement();
    };
    const AXUIElement transient = withQuirk("AXPress", ActionQuirk::Kind::transientFailures);
    const AXUIElement ignored = withQuirk("AXPress", ActionQuirk::Kind::acceptedWithoutEffect);
    const AXUIElement unsupported = withQuirk("AXShowMenu", ActionQuirk::Kind::unsupported);
    struct Row {
        const char* name;
        AXUIElement element;
        std::string_view action;
        AXError error;
    };
    const std::vector<Row> rows = {
        {"transient first", transient, kAXPressAction, kAXErrorCannotComplete},
        {"transient then works", transient, kAXPressAction, kAXErrorSuccess},
        {"accepted without effect", ignored, kAXPressAction, kAXErrorSuccess},
        {"unsupported quirk", unsupported, kAXShowMenuAction, kAXErrorActionUnsupported},
        {"action not advertised", *desktop.statusItemElement("clock"), "AXRaise",
         kAXErrorActionUnsupported},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(ax.performAction(row.element, row.action), row.error) << row.name;
    }
    // An element outlives its application safely.
    const AXUIElement clock = *desktop.statusItemElement("clock");
    desktop.quit(clock.pid());
    EXPECT_EQ(ax.copyAttributeValue(clock, kAXTitleAttribute).error, kAXErrorInvalidUIElement);
    EXPECT_EQ(ax.performAction(clock, kAXPressAction), kAXErrorInvalidUIElement);
    // Without trust every read is refused.
    desktop.setTrusted(false);
    EXPECT_EQ(
        ax.copyAttributeValue(*desktop.statusItemElement(items.back().id), kAXRoleAttribute).error,
        kAXErrorAPIDisabled);
}

TEST(SimulatedDesktop, EventCallsCanBeMadeToFail) {
    VirtualDesktop sample;
    SimulatedDesktop& desktop = sample.desktop;
    Events& events = desktop.events();
    desktop.failNext(EventFailure::sourceCreation, 1);
    EXPECT_FALSE(events.createSource(kCGEventSourceStateHIDSystemState));
    EXPECT_TRUE(events.createSource(kCGEventSourceStateHIDSystemState));
    desktop.failNext(EventFailure::eventCreation, 1);
    EXPECT_FALSE(
        events.createMouseEvent(nullptr, kCGEventLeftMouseDown, {1, 1}, kCGMouseButtonLeft));
    desktop.failNext(EventFailure::post, 1);
    const CGRect clock = *desktop.statusItemFrame("clock");
    post(desktop, kCGEventLeftMouseDown, centre(clock));
    EXPECT_FALSE(desktop.isMenuOpen("clock"));
    EXPECT_FALSE(desktop.record().events.front().delivered);
    events.hideCursor(events.mainDisplayID());
    events.showCursor(events.mainDisplayID());
    EXPECT_EQ(desktop.record().cursorCalls,
              (std::vector<CursorCall>{CursorCall::hide, CursorCall::show}));
}

TEST(SimulatedDesktop, LaunchesQuitsAndDisplayChangesNotifyOnTheMainLoop) {
    VirtualDesktop sample("dual-display");
    SimulatedDesktop& desktop = sample.desktop;
    std::vector<std::string> heard;
    hearLaunchesAndQuits(desktop.workspace(), heard);
    desktop.displays().addScreenParametersObserver([&] { heard.push_back("screens"); });
    // The description's timeline launches one app at 2 s and quits another at 4 s.
    sample.loop.runFor(std::chrono::seconds(5));
    EXPECT_EQ(heard, (std::vector<std::string>{"launch Late Starter", "quit Google Drive"}));
    EXPECT_TRUE(desktop.statusItemFrame("late-starter"));

    std::vector<DisplayDescription> displays = desktop.initialDescription().displays;
    displays.erase(displays.begin());
    desktop.setDisplays(displays);
    EXPECT_EQ(heard.size(), 2U) << "notified inside the changing call";
    sample.loop.runFor(std::chrono::milliseconds(1));
    EXPECT_EQ(heard.back(), "screens");
    EXPECT_EQ(desktop.displays().screens().size(), 1U);
}

// A Mac keeps a menu on its item's display: one that would run past an edge moves along it.
TEST(SimulatedDesktop, MenusStayOnTheDisplayOfTheirItem) {
    const CGSize menu{240, 180};
    constexpr CGFloat itemWidth = 30;
    for (const char* name : {"notched-crowded", "external-plain", "dual-display"}) {
        const auto displays = VirtualDesktop(name).desktop.initialDescription().displays;
        const CGFloat primaryHeight = primaryDisplay(displays)->frame.height();
        for (const DisplayDescription& display : displays) {
            const CGRect screen = StatusBarLayout::axFrameOf(display, primaryHeight);
            const struct {
                const char* where;
                CGFloat itemX;
                CGFloat menuX;
            } rows[] = {
                {"at the left edge", screen.minX(), screen.minX()},
                {"in the middle", screen.midX(), screen.midX()},
                {"at the right edge", screen.maxX() - itemWidth, screen.maxX() - menu.width},
                {"past the left edge", screen.minX() - itemWidth / 3, screen.minX()},
            };
            for (const auto& row : rows) {
                const CGRect item{row.itemX, screen.minY(), itemWidth, 24};
                const CGRect frame = StatusBarLayout::menuFrameOf(item, menu, displays);
                EXPECT_EQ(frame, (CGRect{row.menuX, item.maxY(), menu.width, menu.height}))
                    << name << ", " << display.name << ", " << row.where;
            }
        }
    }
    // The clock, rightmost on the bar, opens its menu shifted left; the window list and the
    // picture of the bar put it in the same place.
    VirtualDesktop sample;
    SimulatedDesktop& desktop = sample.desktop;
    const CGRect clock = *desktop.statusItemFrame("clock");
    post(desktop, kCGEventLeftMouseDown, centre(clock));
    post(desktop, kCGEventLeftMouseUp, centre(clock));
    const Value windows =
        desktop.windowServer().copyWindowInfo(kCGWindowListOptionOnScreenOnly, kCGNullWindowID);
    const Value& bounds = *windows.list()->front().find(kCGWindowBounds);
    const auto state = desktop.menuBarState();
    const auto drawn = std::find_if(state.items.begin(), state.items.end(), [](const auto& item) {
        return item.description.id == "clock";
    });
    EXPECT_EQ(drawn->menuFrame.maxX(), primaryDisplay(state.displays)->frame.maxX());
    EXPECT_EQ(*bounds.find("X")->number(), drawn->menuFrame.minX());
    EXPECT_LT(drawn->menuFrame.minX(), clock.minX());
}

// The frontmost app's menus end before the status items begin: a title that would run into the
// leftmost item that shows, even in part, is left out of the bar, and comes back once the items
// leave it room.
TEST(SimulatedDesktop, AppMenusEndBeforeTheStatusItems) {
    const std::vector<std::string> every{"Apple", "Editor", "File", "Edit",
                                         "View",  "Window", "Help"};
    const struct {
        const char* name;
        int clockWidth;
        std::vector<std::string> shown;
    } rows[] = {
        {"room for five", 200, {"Apple", "Editor", "File", "Edit", "View"}},
        // The editor's item starts 8 points left of the screen and shows in its last 92.
        {"the leftmost item partly past the left edge", 500, {}},
    };
    for (const auto& row : rows) {
        TestSupport::VirtualDesktop sample(R"({
          "name": "short bar",
          "displays": [{"id": 1, "name": "Built-in",
                        "frame": {"x": 0, "y": 0, "width": 600, "height": 400}}],
          "ownProcess": {"pid": 100, "name": "Tessaline", "activationPolicy": "accessory"},
          "apps": [{"pid": 200, "name": "Editor", "activationPolicy": "regular",
                    "menus": ["Apple", "Editor", "File", "Edit", "View", "Window", "Help"]},
                   {"pid": 201, "name": "Clock", "activationPolicy": "accessory"}],
          "frontmostPid": 200,
          "statusItems": [{"id": "clock", "pid": 201, "width": )" +
                                           std::to_string(row.clockWidth) + R"(},
                          {"id": "editor", "pid": 200, "width": 100}]
        })");
        SimulatedDesktop& desktop = sample.desktop;
        const auto shownMenus = [&] {
            const auto state = desktop.menuBarState();
            std::vector<std::string> titles;
            for (const auto& menu : state.appMenus) {
                titles.push_back(menu.title);
                for (const auto& item : state.items) {
                    EXPECT_LE(menu.axFrame.maxX(), item.axFrame.minX()) << row.name << menu.title;
                }
            }
            return titles;
        };
        EXPECT_EQ(shownMenus(), row.shown) << row.name;
        desktop.quit(201);
        EXPECT_EQ(shownMenus(), every) << row.name;
    }
}

// Opening the Accessibility settings launches System Settings in front; closing them quits it
// and this program, frontmost again, hears that it became active.
TEST(SimulatedDesktop, AccessibilitySettingsComeAndGoLikeSystemSettings) {
    VirtualDesktop sample;
    SimulatedDesktop& desktop = sample.desktop;
    std::vector<std::string> heard;
    hearLaunchesAndQuits(desktop.workspace(), heard);
    desktop.workspace().addDidBecomeActiveObserver([&] { heard.push_back("active"); });

    desktop.workspace().openURL(std::string(kAccessibilitySettingsURL));
    sample.loop.runFor(std::chrono::milliseconds(1));
    EXPECT_EQ(desktop.menuBarState().frontmost->name, "System Settings");
    desktop.closeAccessibilitySettings();
    desktop.closeAccessibilitySettings();
    sample.loop.runFor(std::chrono::milliseconds(1));
    EXPECT_EQ(heard, (std::vector<std::string>{"launch System Settings", "active",
                                               "quit System Settings"}));
    EXPECT_EQ(desktop.menuBarState().frontmost->pid, desktop.initialDescription().ownProcess.pid);
}

// A trust grant that falls due after the prompt is a change of the picture like any other.
TEST(SimulatedDesktop, ATrustGrantFallingDueIsReportedAsAChange) {
    VirtualDesktop sample("external-plain");
    SimulatedDesktop& desktop = sample.desktop;
    int changes = 0;
    desktop.setChangeHandler([&] { ++changes; });
    EXPECT_FALSE(desktop.accessibility().isProcessTrusted(true));
    sample.loop.runFor(std::chrono::milliseconds(1400));
    EXPECT_EQ(changes, 0);
    sample.loop.runFor(std::chrono::milliseconds(200));
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(desktop.menuBarState().trusted);
}

} // namespace
} // namespace platform::sim

namespace {

TEST(SimulatedDesktop, LaunchDatesCountFromTheReferenceDateAndOutOfRangeOnesAreDropped) {
    struct Row {
        std::string name;
        double launchDate;
        std::optional<std::int64_t> unixSeconds;
    };
    const Row rows[] = {
        {"sample date", 757000000, 978307200 + 757000000},
        {"before the reference date", -1000, 978307200 - 1000},
        {"beyond the clock's range", 1e20, std::nullopt},
    };
    for (const auto& row : rows) {
        auto description = SampleDesktops::sampleDesktop();
        description["apps"][0]["launchDate"] = row.launchDate;
        TestSupport::VirtualDesktop desktop(description.dump());
        const auto apps = desktop.desktop.workspace().runningApplications();
        const auto app = std::find_if(apps.begin(), apps.end(), [&](const auto& running) {
            return running.processIdentifier == description["apps"][0]["pid"].get<pid_t>();
        });
        ASSERT_NE(app, apps.end()) << row.name;
        if (!row.unixSeconds) {
            EXPECT_EQ(app->launchDate, std::nullopt) << row.name;
            continue;
        }
        ASSERT_TRUE(app->launchDate.has_value()) << row.name;
        EXPECT_EQ(
            std::chrono::duration_cast<std::chrono::seconds>(app->launchDate->time_since_epoch())
                .count(),
            *row.unixSeconds)
            << row.name;
    }
}

} // namespace
