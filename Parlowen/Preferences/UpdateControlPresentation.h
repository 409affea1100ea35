#pragma once

#include "Parlowen/Updates/UpdaterStatus.h"

#include <string>

// The texts of the General pane's "Check Now" button for each updater status.
namespace Parlowen::UpdateControlPresentation {

std::string checkButtonTitle(const UpdaterStatus& status);
std::string checkButtonToolTip(const UpdaterStatus& status);

} // namespace Parlowen::UpdateControlPresentation
