#include "update/UpdateDownload.h"

#include "update/ArchiveExtractor.h"
#include "update/EdSignatureVerifier.h"

#include <sys/mman.h>
#include <sys/stat.h>

#include <cstring>

namespace update::UpdateDownload {
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
        return abandon(Kind::cancelled,
                       {UpdateErrorCode::installationCanceled, "The download was cancelled."});
    }
    // Nothing of the archive is extracted before its signature is known good, and what is
    // extracted is the very bytes checked.
    const MappedFile archive(staging.archive.get());
    if (archive.error != 0) {
        return abandon(Kind::aborted, {UpdateErrorCode::download,
                                       std::string("The downloaded update could not be read (") +
                                           std::strerror(archive.error) + ")."});
    }
    if (auto error =
            EdSignatureVerifier::verify(request.publicEDKey, item.edSignature, archive.bytes())) {
        return abandon(Kind::aborted, *error);
    }
    report(reports.extractionStarted);
    ArchiveExtractor::Options options;
    options.onProgress = [&](double fraction) { report(reports.extracted, fraction); };
    options.cancelled = request.cancelled.get();
    failure = ArchiveExtractor::extract(archive.bytes(), staging.extractionFolder, options);
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
