#include "update/UpdateDownload.h"

#include "update/AbandonableWork.h"
#include "update/ArchiveExtractor.h"
#include "update/MappedFile.h"

#include <cstring>

namespace update::UpdateDownload {
namespace {

template <typename Report, typename... Figures>
void report(const Report& callback, Figures... figures) {
    if (callback) {
        callback(figures...);
    }
}

bool isCancellation(const UpdateError& error) {
    return error.code == UpdateErrorCode::installationCanceled;
}

} // namespace

Outcome run(const Request& request, const Reports& reports) {
    using Kind = Outcome::Kind;
    const auto& item = request.item;
    const auto& installer = request.installer;
    if (item.contentLength > maxArchiveBytes) {
        return {Kind::downloadFailed,
                UpdateError{UpdateErrorCode::download, "The update is too large."}};
    }
    // The staging folder is this download's until it ends: no other install clears or swaps it
    // meanwhile.
    auto prepared = installer.prepareStaging();
    if (auto* error = std::get_if<UpdateError>(&prepared)) {
        return {Kind::aborted, *error};
    }
    const auto& staging = std::get<UpdateInstaller::Staging>(prepared);
    const auto abandon = [&](Kind kind, const UpdateError& error) -> Outcome {
        installer.discardStaging(staging);
        return {isCancellation(error) ? Kind::cancelled : kind, error};
    };
    const auto cancelled = [&] {
        return abandon(Kind::cancelled,
                       {UpdateErrorCode::installationCanceled, "The download was cancelled."});
    };
    const bool announced = item.contentLength > 0;
    // Into the staging folder as it arrives: the archive is never held in memory.
    auto failure = HttpFetcher::fetchToFile(
        {.url = *item.fileURL,
         .maxBytes = announced ? item.contentLength : maxArchiveBytes,
         .tooLargeMessage = announced ? "The server sent more data than the update announced."
                                      : "The update is larger than the 1 GiB allowed.",
         .deadline =
             request.transferDeadline.forSize(announced ? item.contentLength : maxArchiveBytes),
         .errorCode = UpdateErrorCode::download,
         .onExpectedLength =
             [&](std::uint64_t length) {
                 report(reports.expectedLength, length > 0 ? length : item.contentLength);
             },
         .onData = [&](std::uint64_t length) { report(reports.received, length); },
         .cancelled = request.cancelled.get()},
        staging.archive.get(), installer.stagingFolder());
    if (failure) {
        return abandon(Kind::downloadFailed, *failure);
    }
    report(reports.downloaded);
    if (request.cancelled->load()) {
        return cancelled();
    }
    // Nothing of the archive is extracted before its signature is known good, and what is
    // extracted is the very bytes checked. The mapping is shared with the check's own thread,
    // which a cancellation leaves behind.
    const auto archive = std::make_shared<const MappedFile>(staging.archive.get());
    if (archive->error() != 0) {
        return abandon(Kind::aborted, {UpdateErrorCode::download,
                                       std::string("The downloaded update could not be read (") +
                                           std::strerror(archive->error()) + ")."});
    }
    const auto checked = AbandonableWork::run<std::optional<UpdateError>>(
        [archive, verify = request.verifySignature, key = request.publicEDKey,
         signature = item.edSignature] { return verify(key, signature, archive->bytes()); },
        *request.cancelled);
    if (!checked) {
        return cancelled();
    }
    if (*checked) {
        return abandon(Kind::aborted, **checked);
    }
    report(reports.extractionStarted);
    ArchiveExtractor::Options options;
    options.onProgress = [&](double fraction) { report(reports.extracted, fraction); };
    options.cancelled = request.cancelled.get();
    failure = ArchiveExtractor::extract(archive->bytes(), staging.extractionFolder, options);
    // The feed that names the version is not signed: what was extracted must say the same, or
    // an older signed archive could be replayed under a newer version.
    if (!failure) {
        failure = installer.stagedVersionProblem(item.versionString, request.hostVersion);
    }
    if (failure) {
        return abandon(Kind::aborted, *failure);
    }
    return {Kind::extracted, std::nullopt};
}

} // namespace update::UpdateDownload
