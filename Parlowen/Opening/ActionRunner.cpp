#include "Parlowen/Opening/ActionRunner.h"

#include "Parlowen/Opening/LiveVisibilityReveal.h"
#include "runtime/MenuOpenLogs.h"

namespace Parlowen::ActionRunner {

namespace {

QelCore::MenuOpenPipelineItem<AXMenuBarItemRecord> pipelineItem(const AXMenuBarItemRecord& record) {
    return {record.id.uuidString(), record,      record.actions,
            record.position,        record.size, record.classification};
}

} // namespace

QelCore::ActionAttemptLog axActionLog(const std::string& actionName,
                                      const AXActionExecution& execution,
                                      const AXMenuBarItemRecord& item) {
    return QelRuntime::MenuOpenLogs::axActionLog(actionName, execution, item);
}

QelCore::ActionAttemptLog coordinateClickLog(const std::string& actionName,
                                             const CoordinateClickExecution& execution,
                                             const AXMenuBarItemRecord& item) {
    return QelRuntime::MenuOpenLogs::coordinateClickLog(actionName, execution, item);
}

QelCore::ActionAttemptLog visibilityRevealLog(const std::string& result,
                                              const AXMenuBarItemRecord& item) {
    return QelRuntime::MenuOpenLogs::visibilityRevealLog(result, item);
}

QelCore::ActionAttemptLog unsupportedLog(const AXMenuBarItemRecord& item) {
    return QelRuntime::MenuOpenLogs::unsupportedLog(item);
}

std::vector<QelCore::ActionAttemptLog> runPreferredActions(const AXMenuBarItemRecord& item,
                                                           const Configuration& configuration) {
    return QelRuntime::PreferredActions::run<AXMenuBarItemRecord>(item, pipelineItem,
                                                                  configuration);
}

Configuration Configuration::live(const platform::PlatformServices& services,
                                  LiveSettings settings) {
    Configuration configuration{
        QelRuntime::PreferredActions::observedExecutors<AXMenuBarItemRecord>(services,
                                                                             settings.mainThread)};
    configuration.revealItem = [services,
                                settings = std::move(settings)](const AXMenuBarItemRecord& item) {
        return LiveVisibilityReveal::revealLiveObstructedItemForCoordinateClick(services, settings,
                                                                                item);
    };
    return configuration;
}

} // namespace Parlowen::ActionRunner
