#include "update/UpdateCycle.h"

#include "update/AppcastParser.h"
#include "update/CoalescedPost.h"
#include "update/HttpFetcher.h"
#include "update/SPUUpdater.h"
#include "update/VersionComparator.h"

namespace update {

UpdateCycle::UpdateCycle(Setup setup) : setup(std::move(setup)) {}

UpdateCycle::~UpdateCycle() {
    cancelled->store(true);
    notesCancelled->store(true);
}

std::optional<SUAppcastItem> UpdateCycle::bestUpdate(const std::vector<SUAppcastItem>& items,
                                                     std::string_view hostVersion) {
    const SUAppcastItem* best = nullptr;
    for (const auto& candidate : items) {
        if (!candidate.fileURL ||
            VersionComparator::compare(candidate.versionString, hostVersion) <= 0) {
            continue;
        }
        if (!best || VersionComparator::compare(candidate.versionString, best->versionString) > 0) {
            best = &candidate;
        }
    }
    return best ? std::optional(*best) : std::nullopt;
}

std::function<void(std::function<void(UpdateCycle&)>)> UpdateCycle::poster() {
    return
        [weak = weak_from_this(), &loop = setup.mainLoop](std::function<void(UpdateCycle&)> step) {
            loop.post([weak, step = std::move(step)] {
                if (const auto cycle = weak.lock(); cycle && !cycle->finished) {
                    step(*cycle);
                }
            });
        };
}

template <typename Result>
void UpdateCycle::onQueue(platform::SerialQueue& queue, std::function<Result()> work,
                          std::function<void(UpdateCycle&, Result)> then) {
    queue.async([post = poster(), work = std::move(work), then = std::move(then)] {
        auto result = std::make_shared<Result>(work());
        post([result, then](UpdateCycle& cycle) { then(cycle, std::move(*result)); });
    });
}

void UpdateCycle::start() {
    if (userInitiated()) {
        setup.userDriver.showUserInitiatedUpdateCheck([weak = weak_from_this()] {
            if (const auto cycle = weak.lock(); cycle && !cycle->finished) {
                cycle->cancelled->store(true);
                cycle->finish(UpdateError{UpdateErrorCode::installationCanceled,
                                          "The update check was cancelled."});
            }
        });
    }
    using FeedResult = std::variant<std::vector<SUAppcastItem>, UpdateError>;
    onQueue<FeedResult>(
        setup.worker,
        [url = setup.feedURL, deadline = setup.transferDeadline.forSize(maxFeedBytes),
         cancelled = cancelled]() -> FeedResult {
            auto body = HttpFetcher::fetch({.url = url,
                                            .maxBytes = maxFeedBytes,
                                            .tooLargeMessage = "The update feed is larger than "
                                                               "the 8 MiB allowed.",
                                            .deadline = deadline,
                                            .errorCode = UpdateErrorCode::appcast,
                                            .onExpectedLength = {},
                                            .onData = {},
                                            .cancelled = cancelled.get()});
            if (auto* error = std::get_if<UpdateError>(&body)) {
                return *error;
            }
            return AppcastParser::parse(std::get<std::string>(body));
        },
        [](UpdateCycle& cycle, FeedResult result) { cycle.feedDidLoad(std::move(result)); });
}

void UpdateCycle::feedDidLoad(std::variant<std::vector<SUAppcastItem>, UpdateError> result) {
    if (auto* error = std::get_if<UpdateError>(&result)) {
        abort(*error);
        return;
    }
    item = bestUpdate(std::get<std::vector<SUAppcastItem>>(result), setup.hostVersion);
    // A skipped version is offered again only when the person asks.
    if (item && !userInitiated() && setup.settings.skippedVersion() == item->versionString) {
        item.reset();
    }
    if (!item) {
        const UpdateError notFound{UpdateErrorCode::noUpdate,
                                   "You're up to date! No newer version is available."};
        setup.delegate.updaterDidNotFindUpdate(setup.updater, notFound);
        reportThenFinish(notFound, true);
        return;
    }
    setup.delegate.didFindValidUpdate(setup.updater, *item);
    alreadyDownloaded = setup.waitingForQuit &&
                        setup.waitingForQuit->versionString == item->versionString &&
                        setup.installer.hasStagedUpdate();
    if (alreadyDownloaded && setup.downloadsSilently) {
        waitForQuit();
    } else if (setup.downloadsSilently) {
        download();
    } else {
        showFound();
    }
}

void UpdateCycle::showFound() {
    const SPUUserUpdateState state{alreadyDownloaded ? SPUUserUpdateStage::downloaded
                                                     : SPUUserUpdateStage::notDownloaded,
                                   userInitiated()};
    setup.userDriver.showUpdateFound(
        *item, state, [weak = weak_from_this()](SPUUserUpdateChoice choice) {
            if (const auto cycle = weak.lock(); cycle && !cycle->finished) {
                cycle->foundReply(choice);
            }
        });
    loadReleaseNotes();
}

void UpdateCycle::loadReleaseNotes() {
    // A found window answered at once needs no notes.
    if (!item->releaseNotesURL || notesCancelled->load()) {
        return;
    }
    using NotesResult = std::variant<ReleaseNotes, UpdateError>;
    onQueue<NotesResult>(
        setup.notesWorker,
        [url = *item->releaseNotesURL,
         deadline = setup.transferDeadline.forSize(maxReleaseNotesBytes),
         cancelled = notesCancelled, read = setup.steps.readReleaseNotes]() -> NotesResult {
            auto body = HttpFetcher::fetch({.url = url,
                                            .maxBytes = maxReleaseNotesBytes,
                                            .tooLargeMessage = "The release notes are larger than "
                                                               "the 2 MiB allowed.",
                                            .deadline = deadline,
                                            .errorCode = UpdateErrorCode::releaseNotes,
                                            .onExpectedLength = {},
                                            .onData = {},
                                            .cancelled = cancelled.get()});
            if (auto* error = std::get_if<UpdateError>(&body)) {
                return *error;
            }
            // Read off the main loop: only what the reader keeps reaches the window. Hostile
            // notes keep the reader busy a while; dropped notes stop it at its next slice, so
            // the updater's end, which waits for this queue, leaves none of the reading behind.
            auto notes = read(std::get<std::string>(body), *cancelled);
            if (cancelled->load()) {
                return UpdateError{UpdateErrorCode::installationCanceled,
                                   "The release notes are no longer needed."};
            }
            return notes;
        },
        [](UpdateCycle& cycle, NotesResult result) {
            if (cycle.notesCancelled->load()) {
                return;
            }
            if (auto* error = std::get_if<UpdateError>(&result)) {
                cycle.setup.userDriver.showUpdateReleaseNotesFailedToDownload(*error);
            } else {
                cycle.setup.userDriver.showUpdateReleaseNotes(std::get<ReleaseNotes>(result));
            }
        });
}

void UpdateCycle::foundReply(SPUUserUpdateChoice choice) {
    // The notes were for the found window alone: a transfer still running stops, and the
    // archive never waits for it.
    notesCancelled->store(true);
    switch (choice) {
    case SPUUserUpdateChoice::install:
        alreadyDownloaded ? installNow() : download();
        return;
    case SPUUserUpdateChoice::skip:
        setup.settings.setSkippedVersion(item->versionString);
        if (alreadyDownloaded) {
            setup.installer.discardStaging();
            setup.waitingForQuit.reset();
        }
        finish(std::nullopt);
        return;
    case SPUUserUpdateChoice::dismiss:
        finish(std::nullopt);
        return;
    }
}

void UpdateCycle::download() {
    setup.waitingForQuit.reset();
    setup.delegate.willDownloadUpdate(setup.updater, *item);
    const bool visible = !setup.downloadsSilently;
    if (visible) {
        setup.userDriver.showDownloadInitiated([weak = weak_from_this()] {
            if (const auto cycle = weak.lock(); cycle && !cycle->finished) {
                cycle->cancelled->store(true);
            }
        });
    }
    onQueue<UpdateDownload::Outcome>(
        setup.worker,
        [request = UpdateDownload::Request{.item = *item,
                                           .publicEDKey = setup.publicEDKey,
                                           .hostVersion = setup.hostVersion,
                                           .installer = setup.installer,
                                           .transferDeadline = setup.transferDeadline,
                                           .cancelled = cancelled,
                                           .verifySignature = setup.steps.verifySignature},
         reports = downloadReports(visible)] { return UpdateDownload::run(request, reports); },
        [](UpdateCycle& cycle, UpdateDownload::Outcome outcome) {
            cycle.downloadDidEnd(std::move(outcome));
        });
}

UpdateDownload::Reports UpdateCycle::downloadReports(bool visible) {
    UpdateDownload::Reports reports;
    auto post = poster();
    reports.downloaded = [post] {
        post([](UpdateCycle& cycle) {
            cycle.setup.delegate.didDownloadUpdate(cycle.setup.updater, *cycle.item);
        });
    };
    if (!visible) {
        return reports;
    }
    reports.expectedLength = [post](std::uint64_t expected) {
        post([expected](UpdateCycle& cycle) {
            cycle.setup.userDriver.showDownloadDidReceiveExpectedContentLength(expected);
        });
    };
    // However fast the chunks come, the main loop has one progress post waiting at most.
    reports.received = [received = CoalescedPost<UpdateCycle, std::uint64_t>(
                            post,
                            [](UpdateCycle& cycle, std::uint64_t length) {
                                cycle.setup.userDriver.showDownloadDidReceiveData(length);
                            },
                            [](std::uint64_t& waiting, std::uint64_t newer) { waiting += newer; })](
                           std::uint64_t length) { received.send(length); };
    reports.extractionStarted = [post] {
        post([](UpdateCycle& cycle) {
            cycle.setup.userDriver.showDownloadDidStartExtractingUpdate();
        });
    };
    reports.extracted = [extracted = CoalescedPost<UpdateCycle, double>(
                             post,
                             [](UpdateCycle& cycle, double fraction) {
                                 cycle.setup.userDriver.showExtractionReceivedProgress(fraction);
                             },
                             [](double& waiting, double newer) { waiting = newer; })](
                            double fraction) { extracted.send(fraction); };
    return reports;
}

void UpdateCycle::downloadDidEnd(UpdateDownload::Outcome outcome) {
    using Kind = UpdateDownload::Outcome::Kind;
    switch (outcome.kind) {
    case Kind::downloadFailed:
        setup.delegate.failedToDownloadUpdate(setup.updater, *item, *outcome.error);
        reportThenFinish(*outcome.error, false);
        return;
    case Kind::cancelled:
        setup.delegate.userDidCancelDownload(setup.updater);
        setup.userDriver.dismissUpdateInstallation();
        finish(outcome.error);
        return;
    case Kind::aborted:
        abort(*outcome.error);
        return;
    case Kind::extracted:
        break;
    }
    if (setup.downloadsSilently) {
        waitForQuit();
        return;
    }
    setup.userDriver.showReadyToInstallAndRelaunch(
        [weak = weak_from_this()](SPUUserUpdateChoice choice) {
            if (const auto cycle = weak.lock(); cycle && !cycle->finished) {
                cycle->readyReply(choice);
            }
        });
}

void UpdateCycle::readyReply(SPUUserUpdateChoice choice) {
    switch (choice) {
    case SPUUserUpdateChoice::install:
        installNow();
        return;
    case SPUUserUpdateChoice::dismiss:
        waitForQuit();
        return;
    case SPUUserUpdateChoice::skip:
        setup.settings.setSkippedVersion(item->versionString);
        setup.installer.discardStaging();
        finish(std::nullopt);
        return;
    }
}

void UpdateCycle::installNow() {
    setup.delegate.willInstallUpdate(setup.updater, *item);
    setup.userDriver.showInstallingUpdate(false, [] {});
    setup.waitingForQuit.reset();
    if (auto error = setup.installer.installStaged()) {
        reportThenFinish(*error, false);
        return;
    }
    // The new files are in place; the running copy keeps going until it is restarted.
    setup.userDriver.showUpdateInstalledAndRelaunched(false, [weak = weak_from_this()] {
        if (const auto cycle = weak.lock(); cycle && !cycle->finished) {
            cycle->finish(std::nullopt);
        }
    });
}

void UpdateCycle::waitForQuit() {
    setup.waitingForQuit = item;
    setup.delegate.willInstallUpdateOnQuit(
        setup.updater, *item, [&updater = setup.updater] { updater.installPendingUpdateOnQuit(); });
    finish(std::nullopt);
}

void UpdateCycle::abort(const UpdateError& error) {
    setup.delegate.didAbortWithError(setup.updater, error);
    reportThenFinish(error, false);
}

void UpdateCycle::reportThenFinish(const UpdateError& error, bool notFound) {
    if (!userInitiated()) {
        finish(error);
        return;
    }
    auto acknowledgement = [weak = weak_from_this(), error] {
        if (const auto cycle = weak.lock(); cycle && !cycle->finished) {
            cycle->finish(error);
        }
    };
    if (notFound) {
        setup.userDriver.showUpdateNotFound(error, std::move(acknowledgement));
    } else {
        setup.userDriver.showUpdaterError(error, std::move(acknowledgement));
    }
}

void UpdateCycle::finish(std::optional<UpdateError> error) {
    if (finished) {
        return;
    }
    finished = true;
    cancelled->store(true);
    notesCancelled->store(true);
    if (setup.logger && error && error->code != UpdateErrorCode::noUpdate) {
        setup.logger->error("Update cycle ended: " + error->localizedDescription);
    }
    // The updater learns first, so the delegate already sees it ready for the next check.
    if (setup.onFinished) {
        setup.onFinished(setup.waitingForQuit);
    }
    setup.delegate.didFinishUpdateCycleFor(setup.updater, setup.check, error);
}

} // namespace update
