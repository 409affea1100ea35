#pragma once

#include "core/ActionAttemptPlanner.h"
#include "core/MenuOpenPipeline.h"
#include "runtime/MenuOpenExecutions.h"
#include "runtime/MenuOpenLogs.h"
#include "runtime/ObservedMenuActions.h"

#include <functional>
#include <string>
#include <thread>
#include <vector>

// One menu opening over the caller's record type: the core pipeline decides the order of the
// attempts, the four executors touch the desktop, and every executor's answer becomes an attempt
// log. Shared by the library's runner and the application's.
namespace QelRuntime::PreferredActions {

template <typename Record> struct Executors {
    // Performs the named action on the item and watches for its menu.
    std::function<AXActionExecution(const std::string& actionName, const Record& item)>
        executeAXAction;
    // Clicks at a point (top-left coordinates of the primary display) and watches for the menu.
    std::function<CoordinateClickExecution(platform::CGPoint point, const Record& item)>
        performCoordinateClick;
    // Closes open menus.
    std::function<void()> dismissOpenMenus;
    // Tries to bring a hidden or off-screen item into view.
    std::function<VisibilityRevealExecution<Record>(const Record& item)> revealItem;
};

// The live Accessibility action, click and Escape executors over the platform services; the
// caller adds the reveal. `mainThread` runs the services' main loop: called there, the executors
// watch for notifications on that loop; called on any other thread they start no observation
// and run no loop, so main-loop tasks never run beside the main thread.
template <typename Record>
Executors<Record> observedExecutors(const platform::PlatformServices& services,
                                    std::thread::id mainThread) {
    const auto callerLoop = [services, mainThread]() -> platform::RunLoop* {
        return std::this_thread::get_id() == mainThread ? &services.mainLoop : nullptr;
    };
    Executors<Record> executors;
    executors.executeAXAction = [services, callerLoop](const std::string& actionName,
                                                       const Record& item) {
        return ObservedMenuActions::executeObservedAXAction(services, actionName, item,
                                                            callerLoop());
    };
    executors.performCoordinateClick = [services, callerLoop](platform::CGPoint point,
                                                              const Record& item) {
        return ObservedMenuActions::executeObservedCoordinateClick(services, point, item,
                                                                   callerLoop());
    };
    executors.dismissOpenMenus = [services] {
        ObservedMenuActions::dismissOpenMenus(services.events, services.clock);
    };
    return executors;
}

// Every attempt made to open the item's menu, in order; never empty (an item that offers nothing
// to try gets one "no-supported-action" log). `pipelineItem` makes the pipeline's item of a
// record. Blocks the calling thread for all the executors' waits.
template <typename Record>
std::vector<QelCore::ActionAttemptLog>
run(const Record& item,
    const std::function<QelCore::MenuOpenPipelineItem<Record>(const Record&)>& pipelineItem,
    const Executors<Record>& executors) {
    namespace Planner = QelCore::ActionAttemptPlanner;
    using Item = QelCore::MenuOpenPipelineItem<Record>;
    const auto axAdapter = [&](const std::string& name, const Item& target,
                               QelCore::MenuOpenPipelinePhase, std::int64_t) {
        return MenuOpenLogs::axActionLog(name, executors.executeAXAction(name, target.item),
                                         target.item);
    };
    const auto clickAdapter = [&](platform::CGPoint point, const Item& target,
                                  QelCore::MenuOpenPipelinePhase, std::int64_t) {
        return MenuOpenLogs::coordinateClickLog(
            std::string(Planner::coordinateClickActionName),
            executors.performCoordinateClick(point, target.item), target.item);
    };
    const auto revealAdapter = [&](const Item& target, std::int64_t) {
        auto execution = executors.revealItem(target.item);
        QelCore::MenuOpenPipelineRevealResult<Record> reveal;
        if (execution.revealedItem &&
            !Planner::requiresVisibilityReveal(execution.revealedItem->classification)) {
            reveal.attempt =
                MenuOpenLogs::visibilityRevealLog(execution.result, *execution.revealedItem);
            reveal.revealedItem = pipelineItem(*execution.revealedItem);
        } else {
            reveal.attempt = MenuOpenLogs::visibilityRevealLog(execution.result, target.item);
        }
        return reveal;
    };
    auto attempts =
        QelCore::MenuOpenPipeline::run<Record>(pipelineItem(item), executors.dismissOpenMenus,
                                               axAdapter, clickAdapter, revealAdapter)
            .attempts;
    if (attempts.empty()) {
        attempts.push_back(MenuOpenLogs::unsupportedLog(item));
    }
    return attempts;
}

} // namespace QelRuntime::PreferredActions
