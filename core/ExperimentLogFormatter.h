#pragma once

#include "core/ActionAttemptLog.h"

#include <string>

// One attempt log as one line of a copyable experiment log.
namespace QelCore::ExperimentLogFormatter {

// "- app=... pid=... title=\"...\" role=... subrole=... action=... result=... error=...". Text
// fields escape backslashes, double quotes and control or line-separator characters, so the
// line never breaks whatever an application calls its item.
std::string format(const ActionAttemptLog& log);

} // namespace QelCore::ExperimentLogFormatter
