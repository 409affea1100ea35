#include "core/ExperimentLogFormatter.h"

#include "core/LineEscaping.h"

namespace QelCore::ExperimentLogFormatter {

std::string format(const ActionAttemptLog& log) {
    std::string line = "- app=";
    LineEscaping::appendEscaped(line, log.appName);
    line += " pid=" + std::to_string(log.pid);
    line += " title=\"";
    LineEscaping::appendEscaped(line, log.title);
    line += "\" role=";
    LineEscaping::appendEscaped(line, log.role);
    line += " subrole=";
    LineEscaping::appendEscaped(line, log.subrole);
    line += " action=";
    LineEscaping::appendEscaped(line, log.action);
    line += " result=";
    LineEscaping::appendEscaped(line, log.result);
    line += " error=" + std::to_string(log.errorCode);
    return line;
}

} // namespace QelCore::ExperimentLogFormatter
