#pragma once

#include "Parlowen/Updates/UpdaterStatus.h"

namespace Parlowen {

// What the General preferences pane needs of the updater.
class PreferencesUpdater {
public:
    PreferencesUpdater() = default;
    PreferencesUpdater(const PreferencesUpdater&) = delete;
    PreferencesUpdater& operator=(const PreferencesUpdater&) = delete;
    virtual ~PreferencesUpdater() = default;

    virtual UpdaterStatus status() const = 0;
    // Whether the build names an update feed the updater can fetch (the updater's own test of
    // it); without one there is nothing to check, ever.
    virtual bool hasFeedAddress() const = 0;
    // Whether a check may start now.
    virtual bool canCheckForUpdates() const = 0;
    virtual bool automaticallyChecksForUpdates() const = 0;
    virtual void setAutomaticallyChecksForUpdates(bool enabled) = 0;
    virtual bool automaticallyDownloadsUpdates() const = 0;
    virtual void setAutomaticallyDownloadsUpdates(bool enabled) = 0;
    // Whether automatic downloading is permitted at all.
    virtual bool allowsAutomaticUpdates() const = 0;
    // Starts a check the person asked for; the status reads `checking` while it runs.
    virtual void checkForUpdates() = 0;
};

} // namespace Parlowen
