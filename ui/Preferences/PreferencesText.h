#pragma once

#include "Parlowen/Settings/L10n.h"

#include <QString>

#include <string_view>

// A localized text of the preferences window, as a QString.
inline QString preferencesText(std::string_view key, std::string_view english) {
    return QString::fromStdString(Parlowen::L10n::string(key, english));
}
