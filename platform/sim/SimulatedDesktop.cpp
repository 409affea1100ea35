#include "platform/sim/SimulatedDesktop.h"

#include "platform/ReferenceDate.h"
#include "platform/sim/SimAccessibility.h"
#include "platform/sim/SimAppServices.h"
#include "platform/sim/SimDisplays.h"
#include "platform/sim/SimEvents.h"
#include "platform/sim/SimWindowServer.h"
#include "platform/sim/SimWorkspace.h"

#include <algorithm>
#include <unordered_set>
#include <utility>

namespace platform::sim {

Duration SimulatedDesktop::milliseconds(double ms) {
    // Delays in a description are cut to about 115 days, far from any overflow.
    constexpr double longestDelayMs = 1e10;
    const double bounded = std::clamp(ms, 0.0, longestDelayMs);
    return std::chrono::duration_cast<Duration>(std::chrono::duration<double, std::milli>(bounded));
}

SimulatedDesktop::SimulatedDesktop(DesktopDescription description, RunLoop& mainLoop)
    : initial_(std::move(description)), mainLoop_(mainLoop), displays_(initial_.displays),
      ownProcess_(initial_.ownProcess), apps_(initial_.apps),
      frontmost_(initial_.frontmostPid.value_or(initial_.ownProcess.pid)),
      trusted_(initial_.trust.trusted), accessibility_(std::make_unique<SimAccessibility>(*this)),
      windowServer_(std::make_unique<SimWindowServer>(*this)),
      events_(std::make_unique<SimEvents>(*this)),
      displaysService_(std::make_unique<SimDisplays>(*this)),
      workspace_(std::make_unique<SimWorkspace>(*this)),
      appServices_(std::make_unique<SimAppServices>(*this, mainLoop, *workspace_)) {
    std::lock_guard lock(mutex_);
    addItems(initial_.statusItems);
    for (const TimelineEvent& event : initial_.timeline) {
        std::weak_ptr<bool> alive = alive_;
        mainLoop_.postAfter(milliseconds(event.atMs), [this, alive, event] {
            if (alive.expired()) {
                return;
            }
            if (const auto* app = std::get_if<AppDescription>(&event.change)) {
                launch(*app, event.statusItems);
            } else if (const auto* pid = std::get_if<pid_t>(&event.change)) {
                quit(*pid);
            } else if (const auto* displays =
                           std::get_if<std::vector<DisplayDescription>>(&event.change)) {
                setDisplays(*displays);
            }
        });
    }
}

SimulatedDesktop::~SimulatedDesktop() = default;

std::variant<std::unique_ptr<SimulatedDesktop>, DescriptionError>
SimulatedDesktop::fromJson(std::string_view jsonText, RunLoop& mainLoop) {
    DescriptionResult result = parseDesktopDescription(jsonText);
    if (auto* error = std::get_if<DescriptionError>(&result)) {
        return *error;
    }
    return std::make_unique<SimulatedDesktop>(std::get<DesktopDescription>(std::move(result)),
                                              mainLoop);
}

PlatformServices SimulatedDesktop::services() {
    SimAppServices& app = *appServices_;
    return {.accessibility = *accessibility_,
            .windowServer = *windowServer_,
            .events = *events_,
            .displays = *displaysService_,
            .workspace = *workspace_,
            .mainLoop = mainLoop_,
            .clock = mainLoop_.clock(),
            .bundle = app.bundle,
            .log = app.log,
            .environment = app.environment,
            .loginItems = app.loginItems,
            .statusBar = app.statusBar,
            .hotKeys = app.hotKeys,
            .eventMonitors = app.eventMonitors,
            .distributedNotifications = app.distributedNotifications,
            .runningCopies = app.runningCopies};
}

SimAppServices& SimulatedDesktop::appServices() {
    return *appServices_;
}

Accessibility& SimulatedDesktop::accessibility() {
    return *accessibility_;
}

WindowServer& SimulatedDesktop::windowServer() {
    return *windowServer_;
}

Events& SimulatedDesktop::events() {
    return *events_;
}

Displays& SimulatedDesktop::displays() {
    return *displaysService_;
}

Workspace& SimulatedDesktop::workspace() {
    return *workspace_;
}

void SimulatedDesktop::postToMain(std::function<void()> task) {
    mainLoop_.post([alive = std::weak_ptr<bool>(alive_), task = std::move(task)] {
        if (!alive.expired()) {
            task();
        }
    });
}

// Test API: changes.

void SimulatedDesktop::launch(const AppDescription& app,
                              const std::vector<StatusItemDescription>& items) {
    std::lock_guard lock(mutex_);
    if (findApp(app.pid) != nullptr) {
        return;
    }
    apps_.push_back(app);
    addItems(items);
    workspace_->notify(SimWorkspace::Change::launched, runningApplication(app));
}

void SimulatedDesktop::quit(pid_t pid) {
    std::lock_guard lock(mutex_);
    quitApp(pid);
}

void SimulatedDesktop::quitApp(pid_t pid) {
    auto app = std::find_if(apps_.begin(), apps_.end(),
                            [pid](const AppDescription& a) { return a.pid == pid; });
    if (app == apps_.end()) {
        return;
    }
    const RunningApplication gone = runningApplication(*app);
    apps_.erase(app);
    if (systemSettings_ == pid) {
        systemSettings_.reset();
    }
    std::erase_if(items_, [pid](const StatusItem& item) { return item.description.pid == pid; });
    if (frontmost_ == pid) {
        frontmost_ = ownProcess_.pid;
        workspace_->frontmostChanged(pid);
    }
    layOut();
    workspace_->notify(SimWorkspace::Change::terminated, gone);
}

void SimulatedDesktop::setDisplays(std::vector<DisplayDescription> displays) {
    std::lock_guard lock(mutex_);
    if (primaryDisplay(displays) == nullptr) {
        return; // the window server always keeps a primary display
    }
    std::vector<CGDirectDisplayID> affected;
    for (const auto* list : {&displays_, &displays}) {
        for (const DisplayDescription& display : *list) {
            if (std::find(affected.begin(), affected.end(), display.id) == affected.end()) {
                affected.push_back(display.id);
            }
        }
    }
    displays_ = std::move(displays);
    layOut();
    displaysService_->notify(affected);
}

void SimulatedDesktop::setFrontmost(pid_t pid) {
    std::lock_guard lock(mutex_);
    if (findApp(pid) != nullptr) {
        changed();
        workspace_->frontmostChanged(std::exchange(frontmost_, pid));
    }
}

void SimulatedDesktop::setTrusted(bool trusted) {
    std::lock_guard lock(mutex_);
    trusted_ = trusted;
    trustGrantAt_.reset();
    changed();
}

void SimulatedDesktop::closeAccessibilitySettings() {
    std::lock_guard lock(mutex_);
    if (systemSettings_) {
        quitApp(*systemSettings_);
    }
}

void SimulatedDesktop::openAccessibilitySettings() {
    if (!systemSettings_) {
        // The lowest pid that no described app uses, not even a later one.
        std::unordered_set<pid_t> used{ownProcess_.pid};
        for (const AppDescription& app : apps_) {
            used.insert(app.pid);
        }
        for (const TimelineEvent& event : initial_.timeline) {
            if (const auto* app = std::get_if<AppDescription>(&event.change)) {
                used.insert(app->pid);
            }
        }
        AppDescription settings;
        settings.pid = 1;
        while (used.contains(settings.pid)) {
            ++settings.pid;
        }
        settings.name = "System Settings";
        settings.bundleIdentifier = "com.apple.systempreferences";
        settings.menus = {"Apple", "System Settings", "Edit", "View", "Window", "Help"};
        apps_.push_back(settings);
        systemSettings_ = settings.pid;
        layOut();
        workspace_->notify(SimWorkspace::Change::launched, runningApplication(settings));
    }
    if (frontmost_ != *systemSettings_) {
        changed();
        frontmost_ = *systemSettings_;
    }
}

void SimulatedDesktop::failNext(EventFailure failure, int count) {
    std::lock_guard lock(mutex_);
    failures_[failure] = std::max(count, 0);
}

// Test API: reading back.

SimRecord SimulatedDesktop::record() const {
    std::lock_guard lock(mutex_);
    return record_;
}

void SimulatedDesktop::clearRecord() {
    std::lock_guard lock(mutex_);
    record_ = {};
}

std::optional<CGRect> SimulatedDesktop::statusItemFrame(std::string_view id) const {
    std::lock_guard lock(mutex_);
    const StatusItem* item = findItem(id);
    return item ? std::optional(item->axFrame) : std::nullopt;
}

std::optional<StatusBarLayout::Placement> SimulatedDesktop::placement(std::string_view id) const {
    std::lock_guard lock(mutex_);
    const StatusItem* item = findItem(id);
    if (item == nullptr) {
        return std::nullopt;
    }
    return StatusBarLayout::placementOf(item->axFrame, primary());
}

std::vector<std::string>
SimulatedDesktop::statusItemIds(StatusBarLayout::Placement placement) const {
    std::lock_guard lock(mutex_);
    std::vector<std::string> ids;
    for (const StatusItem& item : items_) {
        if (StatusBarLayout::placementOf(item.axFrame, primary()) == placement) {
            ids.push_back(item.description.id);
        }
    }
    return ids;
}

std::optional<AXUIElement> SimulatedDesktop::statusItemElement(std::string_view id) const {
    std::lock_guard lock(mutex_);
    const StatusItem* item = findItem(id);
    if (item == nullptr) {
        return std::nullopt;
    }
    return AXUIElement(item->description.pid, item->serial << serialShift | statusItemPart);
}

void SimulatedDesktop::setChangeHandler(std::function<void()> handler) {
    std::lock_guard lock(mutex_);
    changeHandler_ =
        handler ? std::make_shared<const std::function<void()>>(std::move(handler)) : nullptr;
}

void SimulatedDesktop::changedAfter(Duration delay) {
    mainLoop_.postAfter(delay, [this, alive = std::weak_ptr<bool>(alive_)] {
        if (!alive.expired()) {
            std::lock_guard lock(mutex_);
            changed();
        }
    });
}

void SimulatedDesktop::changed() {
    if (!changeHandler_ || changeReportPending_) {
        return;
    }
    changeReportPending_ = true;
    postToMain([this] {
        std::shared_ptr<const std::function<void()>> handler;
        {
            std::lock_guard lock(mutex_);
            changeReportPending_ = false;
            handler = changeHandler_;
        }
        if (handler) {
            (*handler)();
        }
    });
}

SimulatedDesktop::MenuBarState SimulatedDesktop::menuBarState() const {
    std::lock_guard lock(mutex_);
    MenuBarState state;
    state.displays = displays_;
    state.apps = apps_;
    if (const AppDescription* frontmost = findApp(frontmost_)) {
        state.frontmost = *frontmost;
        std::vector<std::string> titles = frontmost->menus;
        if (titles.empty() && frontmost->name) {
            titles.push_back(*frontmost->name);
        }
        const std::vector<CGRect> frames = StatusBarLayout::layOutMenus(titles, primary());
        for (std::size_t i = 0; i < frames.size() && frames[i].maxX() <= menusEnd_; ++i) {
            state.appMenus.push_back({titles[i], frames[i]});
        }
    }
    for (const StatusItem& item : items_) {
        const AppDescription* app = findApp(item.description.pid);
        state.items.push_back({item.description, item.axFrame,
                               StatusBarLayout::placementOf(item.axFrame, primary()), item.menuOpen,
                               item.description.pid == ownProcess_.pid,
                               app ? app->name : std::nullopt, menuFrameOf(item)});
    }
    state.trusted = trustedNow();
    return state;
}

bool SimulatedDesktop::isMenuOpen(std::string_view id) const {
    std::lock_guard lock(mutex_);
    const StatusItem* item = findItem(id);
    return item != nullptr && item->menuOpen;
}

CGPoint SimulatedDesktop::cursorLocation() const {
    std::lock_guard lock(mutex_);
    return cursor_;
}

// The model, with the lock held.

const AppDescription* SimulatedDesktop::findApp(pid_t pid) const {
    if (pid == ownProcess_.pid) {
        return &ownProcess_;
    }
    const auto app = appPositions_.find(pid);
    return app == appPositions_.end() ? nullptr : &apps_[app->second];
}

SimulatedDesktop::StatusItem* SimulatedDesktop::findItem(std::uint64_t serial) {
    const auto item = itemPositions_.find(serial);
    return item == itemPositions_.end() ? nullptr : &items_[item->second];
}

const std::vector<std::size_t>& SimulatedDesktop::itemPositionsOf(pid_t pid) const {
    static const std::vector<std::size_t> none;
    const auto found = itemPositionsByPid_.find(pid);
    return found == itemPositionsByPid_.end() ? none : found->second;
}

SimulatedDesktop::StatusItem* SimulatedDesktop::findItem(std::string_view id) {
    return const_cast<StatusItem*>(std::as_const(*this).findItem(id));
}

const SimulatedDesktop::StatusItem* SimulatedDesktop::findItem(std::string_view id) const {
    auto item = std::find_if(items_.begin(), items_.end(),
                             [id](const StatusItem& i) { return i.description.id == id; });
    return item == items_.end() ? nullptr : &*item;
}

SimulatedDesktop::StatusItem* SimulatedDesktop::itemAt(CGPoint axPoint) {
    if (!StatusBarLayout::isPointShown(axPoint, displays_)) {
        return nullptr;
    }
    for (StatusItem& item : items_) {
        if (item.axFrame.contains(axPoint) &&
            StatusBarLayout::placementOf(item.axFrame, primary()) !=
                StatusBarLayout::Placement::pushedOffscreen) {
            return &item;
        }
    }
    return nullptr;
}

CGRect SimulatedDesktop::menuFrameOf(const StatusItem& item) const {
    if (!item.menuOpen || !item.description.menu) {
        return CGRect::null();
    }
    return StatusBarLayout::menuFrameOf(item.axFrame, item.description.menu->windowSize, displays_);
}

const DisplayDescription& SimulatedDesktop::primary() const {
    // Descriptions and display changes are refused without a primary display.
    return *primaryDisplay(displays_);
}

bool SimulatedDesktop::trustedNow() const {
    return trusted_ || (trustGrantAt_ && mainLoop_.clock().now() >= *trustGrantAt_);
}

void SimulatedDesktop::layOut() {
    changed();
    std::vector<CGFloat> widths;
    widths.reserve(items_.size());
    for (const StatusItem& item : items_) {
        widths.push_back(item.description.width);
    }
    const std::vector<CGRect> frames =
        StatusBarLayout::layOutStatusItems(widths, primary(), initial_.statusBarRightMargin);
    for (std::size_t i = 0; i < items_.size(); ++i) {
        items_[i].axFrame = frames[i];
    }
    menusEnd_ = StatusBarLayout::menusEnd(frames, primary());
    // Every change of the apps or the items lays the bar out again; the look-ups follow.
    reindex();
}

void SimulatedDesktop::reindex() {
    appPositions_.clear();
    for (std::size_t i = 0; i < apps_.size(); ++i) {
        appPositions_.try_emplace(apps_[i].pid, i);
    }
    itemPositions_.clear();
    itemPositionsByPid_.clear();
    for (std::size_t i = 0; i < items_.size(); ++i) {
        itemPositions_.try_emplace(items_[i].serial, i);
        itemPositionsByPid_[items_[i].description.pid].push_back(i);
    }
}

void SimulatedDesktop::addItems(const std::vector<StatusItemDescription>& items) {
    for (const StatusItemDescription& description : items) {
        StatusItem item{description, nextSerial_++, {}, false, {}};
        for (const auto& [action, quirk] : description.actionQuirks) {
            if (quirk.kind == ActionQuirk::Kind::transientFailures) {
                item.failuresLeft[action] = quirk.count;
            }
        }
        items_.push_back(std::move(item));
    }
    layOut();
}

void SimulatedDesktop::openMenu(StatusItem& item) {
    if (item.menuOpen || !item.description.menu) {
        return;
    }
    changed();
    closeMenus();
    item.menuOpen = true;
    const MenuDescription& menu = *item.description.menu;
    if (menu.notification == "none") {
        return;
    }
    const AXUIElement element(item.description.pid, item.serial << serialShift | menuPart);
    const MonotonicTime due = mainLoop_.clock().now() + milliseconds(menu.notificationDelayMs);
    std::erase_if(observers_, [](const auto& observer) { return observer.expired(); });
    for (const auto& weak : observers_) {
        if (auto observer = weak.lock(); observer && observer->pid() == item.description.pid) {
            observer->deliver(menu.notification, element, due);
        }
    }
}

void SimulatedDesktop::closeMenus() {
    changed();
    for (StatusItem& item : items_) {
        item.menuOpen = false;
    }
}

void SimulatedDesktop::dropDraggedItem(std::uint64_t serial, CGFloat x) {
    auto dragged = std::find_if(items_.begin(), items_.end(),
                                [serial](const StatusItem& i) { return i.serial == serial; });
    if (dragged == items_.end()) {
        return;
    }
    StatusItem moving = std::move(*dragged);
    items_.erase(dragged);
    // The item lands left of every item whose centre lies right of the drop point.
    auto before = std::find_if(items_.begin(), items_.end(),
                               [x](const StatusItem& i) { return i.axFrame.midX() <= x; });
    items_.insert(before, std::move(moving));
    layOut();
}

std::vector<RunningApplication> SimulatedDesktop::runningApplications() const {
    std::vector<RunningApplication> running{runningApplication(ownProcess_)};
    for (const AppDescription& app : apps_) {
        running.push_back(runningApplication(app));
    }
    return running;
}

RunningApplication SimulatedDesktop::runningApplication(const AppDescription& app) const {
    RunningApplication running;
    running.processIdentifier = app.pid;
    running.localizedName = app.name;
    running.bundleIdentifier = app.bundleIdentifier;
    running.activationPolicy = app.activationPolicy;
    if (app.launchDate) {
        // Launch dates are described in seconds since 2001-01-01 UTC.
        running.launchDate = ReferenceDate::fromSecondsSinceReferenceDate(*app.launchDate);
    }
    running.parentProcessIdentifier = app.parentPid;
    return running;
}

} // namespace platform::sim
