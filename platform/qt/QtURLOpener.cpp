#include "platform/qt/QtURLOpener.h"

#include <QDesktopServices>
#include <QUrl>

namespace platform::qt::QtURLOpener {

bool openURL(const std::string& url) {
    const QUrl parsed(QString::fromStdString(url), QUrl::StrictMode);
    // A relative reference would open whatever the current folder holds under that name.
    if (!parsed.isValid() || parsed.isRelative()) {
        return false;
    }
    return QDesktopServices::openUrl(parsed);
}

} // namespace platform::qt::QtURLOpener
