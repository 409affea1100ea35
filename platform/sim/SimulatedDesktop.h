#pragma once

#include "platform/PlatformServices.h"
#include "platform/sim/DesktopDescription.h"
#include "platform/sim/SimRecord.h"
#include "platform/sim/StatusBarLayout.h"

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <unordered_map>
#include <variant>

namespace platform::sim {

class SimAccessibility;
class SimAXObserver;
class SimDisplays;
class SimEvents;
class SimWindowServer;
class SimWorkspace;
class SimStatusBar;
struct SimAppServices;

// A Mac desktop in memory, built from a description: displays, running applications, a menu bar
// whose status items are laid out right to left (some behind the notch, some off screen), their
// Accessibility elements and windows, menus that open on press or click, Escape, Command-drag
// reordering and trust. It implements every platform service, delivers notifications on the
// main run loop and is safe to use from several threads. The services and the observers they
// create must not outlive it.
class SimulatedDesktop {
public:
    SimulatedDesktop(DesktopDescription description, RunLoop& mainLoop);
    ~SimulatedDesktop();
    SimulatedDesktop(const SimulatedDesktop&) = delete;
    SimulatedDesktop& operator=(const SimulatedDesktop&) = delete;

    // A desktop from JSON text, or the error that names the offending field.
    static std::variant<std::unique_ptr<SimulatedDesktop>, DescriptionError>
    fromJson(std::string_view jsonText, RunLoop& mainLoop);
    // The description compiled into the program ("notched-crowded").
    static DesktopDescription defaultDescription();

    // Every service, for constructors.
    PlatformServices services();
    Accessibility& accessibility();
    WindowServer& windowServer();
    Events& events();
    Displays& displays();
    Workspace& workspace();
    const DesktopDescription& initialDescription() const { return initial_; }
    // The own process's application services, with their test API.
    SimAppServices& appServices();

    // Test API: change the desktop. Notifications follow on the main loop.
    void launch(const AppDescription& app, const std::vector<StatusItemDescription>& items);
    void quit(pid_t pid);
    void setDisplays(std::vector<DisplayDescription> displays);
    void setFrontmost(pid_t pid);
    void setTrusted(bool trusted);
    // The person closes the Accessibility settings: System Settings, which opening them launched
    // in front, quits, and this program, frontmost again, hears that it became active.
    void closeAccessibilitySettings();
    // Makes the next `count` calls of that kind fail.
    void failNext(EventFailure failure, int count);

    // What a picture of the menu bar needs, read in one go: the displays, the frontmost app's
    // menus, every status item right to left with its frame and open menu, and trust.
    struct MenuBarState {
        struct Item {
            StatusItemDescription description;
            CGRect axFrame;
            StatusBarLayout::Placement placement = StatusBarLayout::Placement::visible;
            bool menuOpen = false;
            bool ownItem = false;
            // The name of the item's app, when it has one.
            std::optional<std::string> appName;
            // Where its open menu stands (StatusBarLayout::menuFrameOf); null while closed.
            CGRect menuFrame = CGRect::null();
        };
        // One title of the frontmost application's menus in the bar.
        struct AppMenu {
            std::string title;
            CGRect axFrame;
        };
        std::vector<DisplayDescription> displays;
        std::optional<AppDescription> frontmost;
        // Its menus, or its name alone when it describes none, laid out as Accessibility
        // reports them, as many as end before the status items begin (StatusBarLayout::menusEnd).
        std::vector<AppMenu> appMenus;
        std::vector<AppDescription> apps;
        std::vector<Item> items;
        bool trusted = true;
    };
    MenuBarState menuBarState() const;
    // Runs `handler` on the main loop after the picture of the menu bar changed (layout, open
    // menus, frontmost app, trust, also when a trust grant falls due), once for changes in a row,
    // so that a window redraws only when there is something new; an empty handler stops it.
    void setChangeHandler(std::function<void()> handler);

    // Test API: read back.
    SimRecord record() const;
    void clearRecord();
    std::optional<CGRect> statusItemFrame(std::string_view id) const;
    std::optional<StatusBarLayout::Placement> placement(std::string_view id) const;
    std::vector<std::string> statusItemIds(StatusBarLayout::Placement placement) const;
    std::optional<AXUIElement> statusItemElement(std::string_view id) const;
    bool isMenuOpen(std::string_view id) const;
    CGPoint cursorLocation() const;

    // Element identifiers within a process: the menu bars and application menus, then per
    // status item (its serial shifted left) the item, its menu and the menu's items.
    static constexpr std::uint64_t menuBarElement = 1;
    static constexpr std::uint64_t extrasMenuBarElement = 2;
    static constexpr std::uint64_t firstAppMenuElement = 0x100;
    static constexpr int serialShift = 20;
    static constexpr std::uint64_t statusItemPart = 1;
    static constexpr std::uint64_t menuPart = 2;
    static constexpr std::uint64_t firstMenuItemPart = 0x10;

private:
    // A delay of the description in milliseconds, bounded so that no conversion overflows.
    static Duration milliseconds(double ms);

    friend class SimAccessibility;
    friend class SimAXObserver;
    friend class SimDisplays;
    friend class SimEvents;
    friend class SimWindowServer;
    friend class SimWorkspace;
    friend class SimStatusBar;
    friend struct SimAppServices;

    struct StatusItem {
        StatusItemDescription description;
        std::uint64_t serial = 0;
        CGRect axFrame;
        bool menuOpen = false;
        std::map<std::string, int, std::less<>> failuresLeft;
    };

    // All below run with mutex_ held.
    const AppDescription* findApp(pid_t pid) const;
    StatusItem* findItem(std::uint64_t serial);
    // The positions in `items_` of the app's status items, right to left.
    const std::vector<std::size_t>& itemPositionsOf(pid_t pid) const;
    StatusItem* findItem(std::string_view id);
    const StatusItem* findItem(std::string_view id) const;
    StatusItem* itemAt(CGPoint axPoint);
    const DisplayDescription& primary() const;
    bool trustedNow() const;
    // Tells the change handler that the picture changed.
    void changed();
    // Tells it again once `delay` has passed (a trust grant falling due).
    void changedAfter(Duration delay);
    // The Accessibility settings URL was opened: System Settings runs and comes to the front.
    void openAccessibilitySettings();
    void quitApp(pid_t pid);
    // The menu frame of an open item (StatusBarLayout::menuFrameOf); null while it is closed.
    CGRect menuFrameOf(const StatusItem& item) const;
    void layOut();
    void reindex();
    void addItems(const std::vector<StatusItemDescription>& items);
    void openMenu(StatusItem& item);
    void closeMenus();
    void dropDraggedItem(std::uint64_t serial, CGFloat x);
    std::vector<RunningApplication> runningApplications() const;
    RunningApplication runningApplication(const AppDescription& app) const;
    // Hands a task to the main loop; it runs only while this desktop exists.
    void postToMain(std::function<void()> task);

    const DesktopDescription initial_;
    RunLoop& mainLoop_;
    mutable std::mutex mutex_;
    std::vector<DisplayDescription> displays_;
    AppDescription ownProcess_;
    std::vector<AppDescription> apps_;
    pid_t frontmost_ = 0;
    // System Settings while the Accessibility settings are open.
    std::optional<pid_t> systemSettings_;
    std::vector<StatusItem> items_; // right to left
    // Where the application menus in the picture end (StatusBarLayout::menusEnd), kept by
    // `layOut`.
    CGFloat menusEnd_ = 0;
    // Look-ups into `apps_` and `items_`, remade by `reindex` whenever either changes, so that
    // an Accessibility call costs the same with 50 items as with 10,000.
    std::unordered_map<pid_t, std::size_t> appPositions_;
    std::unordered_map<std::uint64_t, std::size_t> itemPositions_;
    std::unordered_map<pid_t, std::vector<std::size_t>> itemPositionsByPid_;
    std::uint64_t nextSerial_ = 1;
    bool trusted_ = true;
    std::optional<MonotonicTime> trustGrantAt_;
    std::vector<std::weak_ptr<SimAXObserver>> observers_;
    SimRecord record_;
    std::map<EventFailure, int> failures_;
    CGPoint cursor_;
    std::optional<std::uint64_t> dragged_;
    std::shared_ptr<const std::function<void()>> changeHandler_;
    bool changeReportPending_ = false;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);

    std::unique_ptr<SimAccessibility> accessibility_;
    std::unique_ptr<SimWindowServer> windowServer_;
    std::unique_ptr<SimEvents> events_;
    std::unique_ptr<SimDisplays> displaysService_;
    std::unique_ptr<SimWorkspace> workspace_;
    std::unique_ptr<SimAppServices> appServices_;
};

} // namespace platform::sim
