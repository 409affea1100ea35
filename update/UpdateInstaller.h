#pragma once

#include "platform/FileDescriptor.h"
#include "platform/FileLock.h"
#include "update/UpdateError.h"

#include <filesystem>
#include <optional>
#include <string_view>
#include <variant>

namespace update {

// Replaces the installed application folder on Linux. An update is extracted into a private
// staging folder beside the installed one (".<name>.update", mode 0700, in the same parent)
// and swapped in with one atomic exchange of the two paths; then the parent folder is synced
// and the old version, which the exchange left in the staging folder, is removed. Whenever
// the process stops, a whole version of the application stands at the installed path; what an
// interrupted install leaves behind is cleared at the next start.
//
// One install at a time, across processes (a second copy, an update smoke run) and threads: the
// staging and the exchange hold an exclusive lock on ".<name>.update.lock" beside the folder
// (kept there). Nothing waits for it: whoever finds it held leaves both folders alone.
class UpdateInstaller {
public:
    // The staging folder made for one update. While this lives, no other install changes the
    // staging folder or the application folder.
    struct Staging {
        platform::FileLock lock;
        // An unnamed file for the archive, in the staging folder's file system: it goes away with
        // its last descriptor, also when the process is killed.
        platform::FileDescriptor archive;
        std::filesystem::path extractionFolder;
    };

    explicit UpdateInstaller(std::filesystem::path installedFolder);

    // Why updates cannot be installed (the folder or its parent is missing or not writable by
    // this user); none when they can.
    std::optional<UpdateError> installPermissionProblem() const;
    // A new staging folder (any earlier one removed) with the lock held, or the reason there is
    // none (another install holds the lock, the folder cannot be written).
    std::variant<Staging, UpdateError> prepareStaging() const;
    // Removes the staging folder and anything extracted into it, unless another install holds
    // the lock: the folder is then that install's.
    void discardStaging() const;
    // The same, by the holder of `staging`.
    void discardStaging(const Staging& staging) const;
    // Whether an extracted update waits in the staging folder.
    bool hasStagedUpdate() const;
    // Why the staged update may not be installed: its bundle's "CFBundleVersion" must be the
    // announced version, and newer than the installed one. None when it may.
    std::optional<UpdateError> stagedVersionProblem(std::string_view announcedVersion,
                                                    std::string_view installedVersion) const;
    // Swaps the staged update in, with the lock held; the error says why it could not (the old
    // version stays), another install holding the lock among the reasons.
    std::optional<UpdateError> installStaged() const;
    // Clears what an interrupted install left: the staging folder (an update not swapped in,
    // or the old version after the swap) and the ".<name>.previous" folder of the two-rename
    // install of earlier versions, which is put back first when the application folder is
    // missing. Called when the updater starts, before any cycle; does nothing while another
    // install holds the lock, as what it would find is that install's work in progress.
    void finishInterruptedInstall() const;

    const std::filesystem::path& installedFolder() const { return installed; }
    std::filesystem::path stagingFolder() const;
    std::filesystem::path lockFile() const;

private:
    // The lock, taken without waiting (a start must not hang behind an install, nor a quit),
    // or why it was not.
    std::variant<platform::FileLock, UpdateError> lock() const;
    void removeStaging() const;
    std::filesystem::path extractionFolder() const;
    // The new application folder: the extraction folder's only entry when that is a folder (an
    // archive holding "Tessaline/"), else the extraction folder itself.
    std::filesystem::path stagedRoot() const;
    std::filesystem::path previousFolder() const;

    std::filesystem::path installed;
};

} // namespace update
