#pragma once

#include "Parlowen/Settings/L10n.h"

#include <QString>

#include <string_view>

// The localized text of `key` for the onboarding views, `english` when no table has it.
inline QString onboardingText(std::string_view key, std::string_view english) {
    return QString::fromStdString(Parlowen::L10n::string(key, english));
}
