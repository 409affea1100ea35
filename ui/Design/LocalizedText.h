#pragma once

#include "Parlowen/Settings/L10n.h"

#include <QString>

#include <string_view>

namespace Parlowen {

// A localized text of the windows, as a QString: `english` when no table has the key.
inline QString localizedText(std::string_view key, std::string_view english) {
    return QString::fromStdString(L10n::string(key, english));
}

} // namespace Parlowen
