#pragma once

#include "core/ActionAttemptLog.h"

#include <string>
#include <string_view>

// One attempt log as one line of a copyable experiment log.
namespace QelCore::ExperimentLogFormatter {

// "- app=... pid=... title=\"...\" role=... subrole=... action=... result=... error=...". Text
// fields escape backslashes, double quotes and control or line-separator characters, so the
// line never breaks whatever an application calls its item.
std::string format(const ActionAttemptLog& log);

// `text` escaped as the line's text fields are, for any text that goes into one line of a
// diagnostic or log file.
std::string escaped(std::string_view text);

} // namespace QelCore::ExperimentLogFormatter
