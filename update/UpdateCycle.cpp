#include "update/UpdateCycle.h"

#include "update/AppcastParser.h"
#include "update/ArchiveExtractor.h"
#include "update/EdSignatureVerifier.h"
#include "update/HttpFetcher.h"
#include "update/SPUUpdater.h"
#include "update/VersionComparator.h"

#include <sys/mman.h>
#include <sys/stat.h>

#include <cstring>

namespace update {
namespace {

// A file's contents, mapped read-only for the object's life: the signature covers the whole
// archive, so its check needs it in one piece, and mapped pages stay the page cache's (given
// back when memory runs short) instead of the process's own.
class MappedFile {
public:
    explicit MappedFile(int descriptor) {
        struct stat status {};
        if (::fstat(descriptor, &status) != 0) {
            error = errno;
            return;
        }
        size = static_cast<std::size_t>(status.st_size);
        if (size == 0) {
            return;
        }
        data = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, descriptor, 0);
        if (data == MAP_FAILED) {
            error = errno;
            data = nullptr;
        }
    }
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;
    ~MappedFile() {
        if (data) {
            ::munmap(data, size);
        }
    }

    std::string_view bytes() const {
        return data ? std::string_view(static_cast<const char*>(data), size) : std::string_view();
    }
    // The errno of the step that failed; 0 when the contents are there.
    int error = 0;

private:
    void* data = nullptr;
    std::size_t size = 0;
};

} // namespace

UpdateCycle::UpdateCycle(Setup setup) : setup(std::move(setup)) {}

UpdateCycle::~UpdateCycle() {
    cancelled->store(true);
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
void UpdateCycle::onWorker(std::function<Result()> work,
                           std::function<void(UpdateCycle&, Result)> then) {
    setup.worker.async([post = poster(), work = std::move(work), then = std::move(then)] {
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
    onWorker<FeedResult>(
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
    if (!item->releaseNotesURL) {
        return;
    }
    using NotesResult = std::variant<ReleaseNotes, UpdateError>;
    onWorker<NotesResult>(
        [url = *item->releaseNotesURL,
         deadline = setup.transferDeadline.forSize(maxReleaseNotesBytes),
         cancelled = cancelled]() -> NotesResult {
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
            // Read here, off the main loop: only what the reader keeps reaches the window.
            return ReleaseNotes::read(std::get<std::string>(body));
        },
        [](UpdateCycle& cycle, NotesResult result) {
            if (auto* error = std::get_if<UpdateError>(&result)) {
                cycle.setup.userDriver.showUpdateReleaseNotesFailedToDownload(*error);
            } else {
                cycle.setup.userDriver.showUpdateReleaseNotes(std::get<ReleaseNotes>(result));
            }
        });
}

void UpdateCycle::foundReply(SPUUserUpdateChoice choice) {
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
    auto post = poster();
    onWorker<DownloadOutcome>(
        [post, visible, item = *item, key = setup.publicEDKey, installer = setup.installer,
         hostVersion = setup.hostVersion, transferDeadline = setup.transferDeadline,
         cancelled = cancelled]() -> DownloadOutcome {
            using Kind = DownloadOutcome::Kind;
            if (item.contentLength > maxArchiveBytes) {
                return {Kind::downloadFailed,
                        UpdateError{UpdateErrorCode::download, "The update is too large."}};
            }
            // The staging folder is this download's until it ends: no other install clears or
            // swaps it meanwhile.
            auto prepared = installer.prepareStaging();
            if (auto* error = std::get_if<UpdateError>(&prepared)) {
                return {Kind::aborted, *error};
            }
            const auto& staging = std::get<UpdateInstaller::Staging>(prepared);
            const auto abandon = [&](Kind kind, const UpdateError& error) -> DownloadOutcome {
                installer.discardStaging(staging);
                return {kind, error};
            };
            const bool announced = item.contentLength > 0;
            // Into the staging folder as it arrives: the archive is never held in memory.
            auto failure = HttpFetcher::fetchToFile(
                {.url = *item.fileURL,
                 .maxBytes = announced ? item.contentLength : maxArchiveBytes,
                 .tooLargeMessage = announced
                                        ? "The server sent more data than the update announced."
                                        : "The update is larger than the 1 GiB allowed.",
                 .deadline =
                     transferDeadline.forSize(announced ? item.contentLength : maxArchiveBytes),
                 .errorCode = UpdateErrorCode::download,
                 .onExpectedLength =
                     [&](std::uint64_t length) {
                         const auto expected = length > 0 ? length : item.contentLength;
                         if (visible) {
                             post([expected](UpdateCycle& cycle) {
                                 cycle.setup.userDriver.showDownloadDidReceiveExpectedContentLength(
                                     expected);
                             });
                         }
                     },
                 .onData =
                     [&](std::uint64_t length) {
                         if (visible) {
                             post([length](UpdateCycle& cycle) {
                                 cycle.setup.userDriver.showDownloadDidReceiveData(length);
                             });
                         }
                     },
                 .cancelled = cancelled.get()},
                staging.archive.get(), installer.stagingFolder());
            if (failure) {
                return abandon(failure->code == UpdateErrorCode::installationCanceled
                                   ? Kind::cancelled
                                   : Kind::downloadFailed,
                               *failure);
            }
            post([](UpdateCycle& cycle) {
                cycle.setup.delegate.didDownloadUpdate(cycle.setup.updater, *cycle.item);
            });
            // Nothing of the archive is extracted before its signature is known good, and what
            // is extracted is the very bytes checked.
            const MappedFile archive(staging.archive.get());
            if (archive.error != 0) {
                return abandon(Kind::aborted,
                               {UpdateErrorCode::download,
                                std::string("The downloaded update could not be read (") +
                                    std::strerror(archive.error) + ")."});
            }
            if (auto error = EdSignatureVerifier::verify(key, item.edSignature, archive.bytes())) {
                return abandon(Kind::aborted, *error);
            }
            if (visible) {
                post([](UpdateCycle& cycle) {
                    cycle.setup.userDriver.showDownloadDidStartExtractingUpdate();
                });
            }
            ArchiveExtractor::Options options;
            options.onProgress = [&](double fraction) {
                if (visible) {
                    post([fraction](UpdateCycle& cycle) {
                        cycle.setup.userDriver.showExtractionReceivedProgress(fraction);
                    });
                }
            };
            failure = ArchiveExtractor::extract(archive.bytes(), staging.extractionFolder, options);
            // The feed that names the version is not signed: what was extracted must say the
            // same, or an older signed archive could be replayed under a newer version.
            if (!failure) {
                failure = installer.stagedVersionProblem(item.versionString, hostVersion);
            }
            if (failure) {
                return abandon(Kind::aborted, *failure);
            }
            return {Kind::extracted, std::nullopt};
        },
        [](UpdateCycle& cycle, DownloadOutcome outcome) {
            cycle.downloadDidEnd(std::move(outcome));
        });
}

void UpdateCycle::downloadDidEnd(DownloadOutcome outcome) {
    using Kind = DownloadOutcome::Kind;
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
