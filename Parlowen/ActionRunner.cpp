#include "Parlowen/ActionRunner.h"

#include "Parlowen/LiveVisibilityReveal.h"
#include "Parlowen/ObservedMenuActions.h"
#include "core/ActionAttemptPlanner.h"
#include "core/MenuOpenPipeline.h"

namespace Parlowen::ActionRunner {

namespace {

using QelCore::ActionAttemptLog;
using QelCore::MenuKeyboardNavigability;
using QelCore::MenuOpenEvidenceSource;
using QelCore::MenuOpenPipelineItem;
using QelCore::MenuOpenPipelinePhase;
namespace Planner = QelCore::ActionAttemptPlanner;

// Accessibility codes carried by logs that delivered nothing.
constexpr std::int32_t generalFailureCode = -25200;
constexpr std::int32_t unsupportedActionCode = -25206;

MenuOpenPipelineItem<AXMenuBarItemRecord> pipelineItem(const AXMenuBarItemRecord& record) {
    return {record.id.uuidString(), record,      record.actions,
            record.position,        record.size, record.classification};
}

ActionAttemptLog baseLog(const AXMenuBarItemRecord& item) {
    ActionAttemptLog log;
    log.appName = item.appName;
    log.pid = item.pid;
    log.title = item.title;
    log.role = item.role;
    log.subrole = item.subrole;
    return log;
}

} // namespace

ActionAttemptLog axActionLog(const std::string& actionName, const AXActionExecution& execution,
                             const AXMenuBarItemRecord& item) {
    auto log = baseLog(item);
    log.action = actionName;
    if (execution.observedOpen) {
        log.result = std::string(Planner::observedOpenResult);
    } else {
        log.result = execution.errorCode != 0 ? "failure" : "success";
    }
    log.errorCode = execution.errorCode;
    log.evidenceSource = execution.evidenceSource;
    log.keyboardNavigability =
        QelCore::inferKeyboardNavigability(execution.observedOpen, execution.evidenceSource);
    return log;
}

ActionAttemptLog coordinateClickLog(const std::string& actionName,
                                    const CoordinateClickExecution& execution,
                                    const AXMenuBarItemRecord& item) {
    auto log = baseLog(item);
    log.action = actionName;
    if (!execution.posted) {
        log.result = "failure";
    } else if (execution.observedOpen) {
        log.result = std::string(Planner::observedOpenResult);
    } else {
        log.result = "posted-unconfirmed";
    }
    log.errorCode = execution.posted ? 0 : generalFailureCode;
    log.evidenceSource = execution.evidenceSource;
    log.keyboardNavigability =
        QelCore::inferKeyboardNavigability(execution.observedOpen, execution.evidenceSource);
    return log;
}

ActionAttemptLog visibilityRevealLog(const std::string& result, const AXMenuBarItemRecord& item) {
    auto log = baseLog(item);
    log.action = std::string(Planner::visibilityRevealActionName);
    log.result = result;
    // A reveal that moved nothing delivered nothing: its log must not read as an action sent.
    if (result == Planner::visibilityRevealNoPlanResult) {
        log.errorCode = unsupportedActionCode;
    } else if (result == Planner::visibilityRevealMoveFailedResult) {
        log.errorCode = generalFailureCode;
    }
    return log;
}

ActionAttemptLog unsupportedLog(const AXMenuBarItemRecord& item) {
    auto log = baseLog(item);
    log.action = "none";
    log.result = "no-supported-action";
    log.errorCode = unsupportedActionCode;
    return log;
}

std::vector<ActionAttemptLog> runPreferredActions(const AXMenuBarItemRecord& item,
                                                  const Configuration& configuration) {
    using Item = MenuOpenPipelineItem<AXMenuBarItemRecord>;
    const auto axAdapter = [&](const std::string& name, const Item& target, MenuOpenPipelinePhase,
                               std::int64_t) {
        return axActionLog(name, configuration.executeAXAction(name, target.item), target.item);
    };
    const auto clickAdapter = [&](platform::CGPoint point, const Item& target,
                                  MenuOpenPipelinePhase, std::int64_t) {
        return coordinateClickLog(std::string(Planner::coordinateClickActionName),
                                  configuration.performCoordinateClick(point, target.item),
                                  target.item);
    };
    const auto revealAdapter = [&](const Item& target, std::int64_t) {
        auto execution = configuration.revealItem(target.item);
        QelCore::MenuOpenPipelineRevealResult<AXMenuBarItemRecord> reveal;
        if (execution.revealedItem &&
            !Planner::requiresVisibilityReveal(execution.revealedItem->classification)) {
            reveal.attempt = visibilityRevealLog(execution.result, *execution.revealedItem);
            reveal.revealedItem = pipelineItem(*execution.revealedItem);
        } else {
            reveal.attempt = visibilityRevealLog(execution.result, target.item);
        }
        return reveal;
    };
    auto attempts = QelCore::MenuOpenPipeline::run<AXMenuBarItemRecord>(
                        pipelineItem(item), configuration.dismissOpenMenus, axAdapter, clickAdapter,
                        revealAdapter)
                        .attempts;
    if (attempts.empty()) {
        attempts.push_back(unsupportedLog(item));
    }
    return attempts;
}

Configuration Configuration::live(const platform::PlatformServices& services,
                                  LiveSettings settings) {
    Configuration configuration;
    configuration.executeAXAction = [services](const std::string& actionName,
                                               const AXMenuBarItemRecord& item) {
        return ObservedMenuActions::executeObservedAXAction(services, actionName, item);
    };
    configuration.performCoordinateClick = [services](platform::CGPoint point,
                                                      const AXMenuBarItemRecord& item) {
        return ObservedMenuActions::executeObservedCoordinateClick(services, point, item);
    };
    configuration.dismissOpenMenus = [services] {
        ObservedMenuActions::dismissOpenMenus(services.events, services.clock);
    };
    configuration.revealItem = [services,
                                settings = std::move(settings)](const AXMenuBarItemRecord& item) {
        return LiveVisibilityReveal::revealLiveObstructedItemForCoordinateClick(services, settings,
                                                                                item);
    };
    return configuration;
}

} // namespace Parlowen::ActionRunner
