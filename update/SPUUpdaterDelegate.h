#pragma once

#include "update/SUAppcastItem.h"
#include "update/UpdateError.h"

#include <functional>
#include <optional>
#include <string>

namespace update {

class SPUUpdater;

// The kind of check a cycle ran.
enum class SPUUpdateCheck { updates = 0, updatesInBackground = 1, updateInformation = 2 };

// What an updater reports to its host application. Every method has a default that does
// nothing, so a delegate implements only what it uses. Calls arrive on the main thread.
class SPUUpdaterDelegate {
public:
    SPUUpdaterDelegate() = default;
    SPUUpdaterDelegate(const SPUUpdaterDelegate&) = delete;
    SPUUpdaterDelegate& operator=(const SPUUpdaterDelegate&) = delete;
    virtual ~SPUUpdaterDelegate() = default;

    // The feed to check instead of the host's "SUFeedURL"; none keeps the host's.
    virtual std::optional<std::string> feedURLString(SPUUpdater&) { return std::nullopt; }
    virtual void didFindValidUpdate(SPUUpdater&, const SUAppcastItem&) {}
    // The error's code is `noUpdate`.
    virtual void updaterDidNotFindUpdate(SPUUpdater&, const UpdateError&) {}
    virtual void willDownloadUpdate(SPUUpdater&, const SUAppcastItem&) {}
    virtual void didDownloadUpdate(SPUUpdater&, const SUAppcastItem&) {}
    virtual void failedToDownloadUpdate(SPUUpdater&, const SUAppcastItem&, const UpdateError&) {}
    virtual void userDidCancelDownload(SPUUpdater&) {}
    virtual void willInstallUpdate(SPUUpdater&, const SUAppcastItem&) {}
    // A downloaded update waits for the application to quit. Return true to take over
    // installing (calling `immediateInstallation` when ready); false lets it install at quit.
    virtual bool willInstallUpdateOnQuit(SPUUpdater&, const SUAppcastItem&,
                                         std::function<void()> /*immediateInstallation*/) {
        return false;
    }
    // The end of every cycle. `error` is also given for "no update" (`noUpdate`) and for a
    // cancelled download (`installationCanceled`).
    virtual void didFinishUpdateCycleFor(SPUUpdater&, SPUUpdateCheck,
                                         const std::optional<UpdateError>&) {}
    // The cycle stopped with an error after an update was found (bad signature, bad archive)
    // or because the feed could not be read.
    virtual void didAbortWithError(SPUUpdater&, const UpdateError&) {}
};

} // namespace update
