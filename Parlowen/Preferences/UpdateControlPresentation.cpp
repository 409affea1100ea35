#include "Parlowen/Preferences/UpdateControlPresentation.h"

#include "Parlowen/Settings/L10n.h"

namespace Parlowen::UpdateControlPresentation {

namespace {

using Case = UpdaterStatus::Case;

std::string checkNow() {
    return L10n::string("preferences.updates.check_now", "Check Now");
}
std::string downloading() {
    return L10n::string("preferences.updates.downloading", "Downloading...");
}
std::string installing() {
    return L10n::string("preferences.updates.installing", "Installing...");
}
std::string checking() {
    return L10n::string("preferences.updates.checking", "Checking...");
}

} // namespace

std::string checkButtonTitle(const UpdaterStatus& status) {
    switch (status.kind) {
    case Case::downloading:
        return downloading();
    case Case::downloaded:
        return L10n::string("preferences.updates.install", "Install...");
    case Case::installing:
        return installing();
    case Case::checking:
        return checking();
    case Case::updateAvailable:
    case Case::failed:
    case Case::idle:
    case Case::latest:
        break;
    }
    return checkNow();
}

std::string checkButtonToolTip(const UpdaterStatus& status) {
    switch (status.kind) {
    case Case::updateAvailable:
        return L10n::format(status.critical ? L10n::string("preferences.updates.required_available",
                                                           "Required update %@ is available")
                                            : L10n::string("preferences.updates.available",
                                                           "Version %@ is available"),
                            {status.version});
    case Case::downloading:
        return downloading();
    case Case::downloaded:
        return L10n::format(
            status.critical
                ? L10n::string("preferences.updates.required_downloaded",
                               "Required update %@ has downloaded. Click Install to finish.")
                : L10n::string("preferences.updates.downloaded",
                               "Version %@ has downloaded. Click Install to finish."),
            {status.version});
    case Case::installing:
        return installing();
    case Case::failed:
        return L10n::format(L10n::string("preferences.updates.failed", "Update check failed: %@"),
                            {status.message});
    case Case::idle:
        return checkNow();
    case Case::checking:
        return checking();
    case Case::latest:
        break;
    }
    return L10n::string("preferences.updates.latest", "Tessaline is up to date");
}

} // namespace Parlowen::UpdateControlPresentation
