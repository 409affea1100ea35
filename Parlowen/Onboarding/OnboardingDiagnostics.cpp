#include "Parlowen/Onboarding/OnboardingDiagnostics.h"

#include "Parlowen/Settings/DiagnosticsAppender.h"
#include "platform/IsoTimestamp.h"

namespace Parlowen::OnboardingDiagnostics {

bool isEnabled(const platform::ProcessEnvironment& environment) {
    const auto found = environment.find(switchVariable);
    return found != environment.end() && found->second == "1";
}

bool write(const platform::ProcessEnvironment& environment, platform::WallTime now,
           std::string_view message) {
    if (!isEnabled(environment)) {
        return false;
    }
    return DiagnosticsAppender::append(DiagnosticsAppender::path(fileName),
                                       platform::isoTimestamp(now) + " " + std::string(message));
}

std::string flag(bool value) {
    return value ? "true" : "false";
}

} // namespace Parlowen::OnboardingDiagnostics
