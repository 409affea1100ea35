#pragma once

#include "platform/Logger.h"
#include "platform/RunLoop.h"
#include "platform/SerialQueue.h"
#include "update/HttpFetcher.h"
#include "update/LongSteps.h"
#include "update/SPUUpdaterDelegate.h"
#include "update/SPUUserDriver.h"
#include "update/UpdateDownload.h"
#include "update/UpdateInstaller.h"
#include "update/UpdaterSettings.h"

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace update {

class SPUUpdater;

// One update cycle: read the feed, pick the newest installable item, ask, download, check the
// signature of the whole archive, extract beside the installed folder, then install or leave
// it for quit. Network and disk work runs on the worker queue, the release notes on a queue of
// their own (slow notes never hold the archive back; they are dropped once the person answers);
// every callback of the delegate and the user driver runs on the main loop, and nothing reaches
// them after the cycle finished or was destroyed. Progress reaches the main loop as at most one
// waiting post at a time. The cycle ends exactly once, with `didFinishUpdateCycleFor`.
//
// The updater's end (at quit) destroys the cycle, then waits for its queues, whose work stops
// at its next step: a transfer at once, an extraction at its next block, the notes' reading at
// its next slice, so none of it runs past the end. Only the signature check, which nothing
// cuts short (`LongSteps`), is left behind on a thread of its own to end alone.
class UpdateCycle : public std::enable_shared_from_this<UpdateCycle> {
public:
    struct Setup {
        SPUUpdater& updater;
        SPUUserDriver& userDriver;
        SPUUpdaterDelegate& delegate;
        platform::RunLoop& mainLoop;
        platform::SerialQueue& worker;
        platform::SerialQueue& notesWorker;
        UpdateInstaller installer;
        UpdaterSettings settings;
        std::string feedURL;
        std::string publicEDKey;
        std::string hostVersion;
        SPUUpdateCheck check = SPUUpdateCheck::updates;
        // A background cycle with automatic downloads shows nothing and leaves the update
        // for quit.
        bool downloadsSilently = false;
        // An update already extracted by an earlier cycle.
        std::optional<SUAppcastItem> waitingForQuit;
        // Called once at the end with the update that then waits for quit, if any.
        std::function<void(std::optional<SUAppcastItem>)> onFinished;
        std::optional<platform::Logger> logger;
        TransferDeadline transferDeadline{};
        LongSteps steps{};
    };

    // Feeds and notes larger than these are refused (archives: UpdateDownload::maxArchiveBytes).
    static constexpr std::uint64_t maxFeedBytes = 8u << 20;
    static constexpr std::uint64_t maxReleaseNotesBytes = 2u << 20;

    explicit UpdateCycle(Setup setup);
    // Stops the work still running on the queues (a transfer at once, an extraction at its next
    // block, the notes' reading at its next slice, a wait for the signature check at once,
    // leaving the check behind), so the updater's end waits for none of it.
    ~UpdateCycle();

    void start();
    bool isFinished() const { return finished; }

    // The newest item that can be installed and is newer than `hostVersion`; none if no item
    // qualifies.
    static std::optional<SUAppcastItem> bestUpdate(const std::vector<SUAppcastItem>& items,
                                                   std::string_view hostVersion);

private:
    bool userInitiated() const { return setup.check == SPUUpdateCheck::updates; }
    // Runs `work` on `queue` and hands its result to `then` on the main loop, while the cycle
    // still runs.
    template <typename Result>
    void onQueue(platform::SerialQueue& queue, std::function<Result()> work,
                 std::function<void(UpdateCycle&, Result)> then);
    // Queues `step` on the main loop, for this cycle while it still runs.
    std::function<void(std::function<void(UpdateCycle&)>)> poster();

    void feedDidLoad(std::variant<std::vector<SUAppcastItem>, UpdateError> result);
    void showFound();
    void loadReleaseNotes();
    void foundReply(SPUUserUpdateChoice choice);
    void download();
    // What the worker's download reports, as posts to the main loop: the progress folded into
    // one waiting post, and only the delegate's call when the download is not `visible`.
    UpdateDownload::Reports downloadReports(bool visible);
    void downloadDidEnd(UpdateDownload::Outcome outcome);
    void readyReply(SPUUserUpdateChoice choice);
    void installNow();
    void waitForQuit();
    void abort(const UpdateError& error);
    // Shows the error when the person asked for the check, then ends the cycle with it.
    void reportThenFinish(const UpdateError& error, bool notFound);
    void finish(std::optional<UpdateError> error);

    Setup setup;
    std::optional<SUAppcastItem> item;
    bool alreadyDownloaded = false;
    bool finished = false;
    std::shared_ptr<std::atomic<bool>> cancelled = std::make_shared<std::atomic<bool>>(false);
    // Set once the found window is answered: the notes are for it alone.
    std::shared_ptr<std::atomic<bool>> notesCancelled = std::make_shared<std::atomic<bool>>(false);
};

} // namespace update
