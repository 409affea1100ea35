#include "runtime/RuntimeItemIdentity.h"

namespace QelRuntime {

RuntimeItemIdentity RuntimeItemIdentity::of(const RuntimeAXMenuBarItemRecord& record) {
    return {record.bundleIdentifier.value_or(""),
            QelCore::toString(record.sourceHint),
            record.appName,
            record.title,
            record.role,
            record.subrole};
}

std::string RuntimeItemIdentity::text() const {
    return bundleIdentifier + "|" + source + "|" + appName + "|" + title + "|" + role + "|" +
           subrole;
}

QelCore::MenuOpenPipelineItem<RuntimeAXMenuBarItemRecord>
pipelineItem(const RuntimeAXMenuBarItemRecord& record) {
    std::string id = record.bundleIdentifier.value_or("unknown") + "|" +
                     QelCore::toString(record.sourceHint) + "|" + record.title;
    return {std::move(id),   record,      record.actions,
            record.position, record.size, record.classification};
}

} // namespace QelRuntime
