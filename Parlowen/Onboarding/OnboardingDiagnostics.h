#pragma once

#include "platform/Clock.h"
#include "platform/ProcessEnvironment.h"

#include <string>
#include <string_view>

// The onboarding window's diagnostic lines, written only when a developer asks for them.
namespace Parlowen::OnboardingDiagnostics {

// The switch: diagnostics are written only when it holds exactly "1".
inline constexpr const char* switchVariable = "TESSALINE_ONBOARDING_DIAGNOSTICS";
// The file in the diagnostic folder that the lines are appended to.
inline constexpr const char* fileName = "tessaline-onboarding.txt";

bool isEnabled(const platform::ProcessEnvironment& environment);

// Appends "<ISO 8601 time> <message>" when enabled; false when disabled or not written.
bool write(const platform::ProcessEnvironment& environment, platform::WallTime now,
           std::string_view message);

// "true" or "false", as every flag in the lines is spelled.
std::string flag(bool value);

} // namespace Parlowen::OnboardingDiagnostics
