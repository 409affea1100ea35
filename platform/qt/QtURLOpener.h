#pragma once

#include <string>

// URLs opened with the desktop's default handlers through Qt, for the program's URL opening
// (the simulated workspace hands it every URL but the Accessibility settings). Main thread only;
// needs a QGuiApplication.
namespace platform::qt::QtURLOpener {

// Opens the URL (QDesktopServices::openUrl); false for a URL that does not parse strictly or
// that no handler took.
bool openURL(const std::string& url);

} // namespace platform::qt::QtURLOpener
